// Which desktop entry a window belongs to, over entries shaped as distributions ship them.
#include "platform/linux/desktop/DesktopAppIndex.h"
#include "platform/linux/apps/PickableApps.h"
#include "platform/linux/apps/ProcessEvidence.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sys/stat.h>

namespace tessane::linux_desktop {
namespace {

namespace fs = std::filesystem;
using Evidence = DesktopAppIndex::Evidence;
using linux_backend::ProcessEvidence;

class AppIdentityTest : public ::testing::Test {
protected:
    AppIdentityTest() {
        root = fs::temp_directory_path() / ("tessane-identity-" + std::to_string(std::random_device{}()));
        fs::create_directories(root / "bin");
        for (const char* program : {"mousepad", "xterm", "uxterm", "gnome-text-editor", "flatpak", "python3",
                                    "viewer", "tool-b"}) {
            std::ofstream(root / "bin" / program) << "#!/bin/sh\n";
            ::chmod((root / "bin" / program).c_str(), 0755);
        }
        const std::vector<std::pair<std::string, std::string>> entries = {
            {"org.xfce.mousepad", "Name=Mousepad\nExec=mousepad %U\nIcon=org.xfce.mousepad\nStartupNotify=true\n"
                                  "Actions=preferences;\n\n[Desktop Action preferences]\nExec=mousepad --preferences\n"},
            {"org.xfce.mousepad-settings", "Name=Text Editor Settings\nExec=mousepad --preferences\n"
                                           "Categories=XFCE;GTK;Settings;DesktopSettings;\nNotShowIn=GNOME;\n"},
            {"debian-xterm", "Name=XTerm\nExec=xterm\nStartupWMClass=XTerm\nCategories=System;TerminalEmulator;\n"},
            {"debian-uxterm", "Name=UXTerm\nExec=uxterm\nStartupWMClass=UXTerm\n"},
            {"org.gnome.TextEditor", "Name=Text Editor\nExec=gnome-text-editor %U\nDBusActivatable=true\n"},
            {"org.example.Viewer", "Name=Viewer\nExec=viewer %f\n"},
            {"org.mozilla.firefox", "Name=Firefox\nExec=flatpak run --branch=stable --command=firefox "
                                    "--file-forwarding org.mozilla.firefox @@u %u @@\nStartupWMClass=firefox\n"},
            {"firefox_firefox", "Name=Firefox (snap)\nExec=env BAMF_DESKTOP_FILE_HINT=/x.desktop /snap/bin/firefox %u\n"},
            {"tool-a", "Name=Tool A\nExec=python3 /opt/a.py\n"},
            {"tool-b", "Name=Tool B\nExec=" + (root / "bin/tool-b").string() + "\n"},
        };
        std::vector<DesktopAppIndex::App> apps;
        for (const auto& [id, body] : entries) {
            auto entry = DesktopEntry::parse("[Desktop Entry]\nType=Application\n" + body);
            apps.push_back(DesktopAppIndex::describe(id, root / (id + ".desktop"), *entry, "C", (root / "bin").string()));
        }
        index = DesktopAppIndex(std::move(apps));
    }
    ~AppIdentityTest() override { fs::remove_all(root); }

    // A process as /proc tells it: its executable and command line (spaces for NULs).
    Evidence process(const std::string& executable, std::string commandLine) {
        std::replace(commandLine.begin(), commandLine.end(), ' ', '\0');
        const auto p = ProcessEvidence::fromCommandLine(root / "bin" / executable, commandLine, (root / "bin").string());
        Evidence e;
        e.programs = p.programs;
        e.arguments = p.arguments;
        return e;
    }
    static Evidence klass(Evidence e, std::string instance, std::string klass) {
        e.wmClass = std::pair(std::move(instance), std::move(klass));
        return e;
    }

    fs::path root;
    DesktopAppIndex index;
};

TEST_F(AppIdentityTest, TheStrongestEvidenceNamesTheEntryAndOneProgramWithTwoEntriesIsStillFound) {
    const DesktopAppIndex::Launches launches = {{"tessane-9-3-host-org.example.Viewer_TIME0", "org.example.Viewer"}};
    auto with = [](Evidence e, auto&& set) {
        set(e);
        return e;
    };
    struct Case {
        const char* what;
        Evidence evidence;
        std::optional<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"Mousepad by its class and the last part of its reverse-DNS id, not its settings entry",
         klass(process("mousepad", "mousepad"), "mousepad", "Mousepad"), "org.xfce.mousepad"},
        {"Mousepad by its process alone: the settings entry's --preferences was not given",
         process("mousepad", "/usr/bin/mousepad notes.txt"), "org.xfce.mousepad"},
        {"the settings entry for the process it describes", process("mousepad", "mousepad --preferences"),
         "org.xfce.mousepad-settings"},
        {"a GApplication's id beats every weaker sign",
         with(klass(process("xterm", "xterm"), "xterm", "XTerm"), [](Evidence& e) { e.gtkApplicationId = "org.gnome.TextEditor"; }),
         "org.gnome.TextEditor"},
        {"the application id ignoring case", with(Evidence{}, [](Evidence& e) { e.gtkApplicationId = "org.gnome.texteditor"; }),
         "org.gnome.TextEditor"},
        {"KDE's desktop file, by name or path",
         with(Evidence{}, [](Evidence& e) { e.kdeDesktopFile = "/usr/share/applications/org.example.Viewer.desktop"; }),
         "org.example.Viewer"},
        {"an unknown application id falls through to the class",
         with(klass({}, "xterm", "XTerm"), [](Evidence& e) { e.gtkApplicationId = "org.example.Unknown"; }), "debian-xterm"},
        {"xterm and uxterm run one program: StartupWMClass tells them apart",
         klass(process("xterm", "xterm -class UXTerm -u8"), "xterm", "UXTerm"), "debian-uxterm"},
        {"xterm by its process alone", process("xterm", "xterm"), "debian-xterm"},
        {"a Flatpak app by the app id its sandbox declares",
         with(klass({}, "Navigator", "Navigator"), [](Evidence& e) { e.sandboxAppId = "org.mozilla.firefox"; }),
         "org.mozilla.firefox"},
        {"a Snap app by its <snap>_<app> id", with(klass({}, "Navigator", "firefox"), [](Evidence& e) { e.sandboxAppId = "firefox_firefox"; }),
         "firefox_firefox"},
        {"the startup id of our launch beats the class",
         with(klass({}, "xterm", "XTerm"), [](Evidence& e) { e.startupId = "tessane-9-3-host-org.example.Viewer_TIME0"; }),
         "org.example.Viewer"},
        {"someone else's startup id says nothing",
         with(klass({}, "xterm", "XTerm"), [](Evidence& e) { e.startupId = "xfce4-panel-1-host_TIME77"; }), "debian-xterm"},
        {"a reverse-DNS id's last part, any case", klass({}, "VIEWER", "Whatever"), "org.example.Viewer"},
        {"an interpreter's script by its arguments", process("python3", "python3 /opt/a.py --verbose"), "tool-a"},
        {"an interpreter running a script of no entry", process("python3", "python3 /opt/other.py"), std::nullopt},
        {"a script with a #! line, run by its interpreter",
         process("python3", "python3 " + (root / "bin/tool-b").string()), "tool-b"},
        {"nothing known", klass({}, "unknown", "Unknown"), std::nullopt},
    };
    for (const auto& c : cases) {
        const auto* found = index.match(c.evidence, launches);
        EXPECT_EQ(found ? std::optional(found->id) : std::nullopt, c.expected) << c.what;
    }
}

TEST(ProcessEvidenceTest, SandboxesAreKnownByTheirScopesOrTheFlatpakVariable) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> cgroups = {
        {"0::/user.slice/user-1000.slice/user@1000.service/app.slice/app-flatpak-org.gnome.Recipes-273822986.scope\n",
         "org.gnome.Recipes"},
        {"0::/user.slice/user-1000.slice/user@1000.service/app.slice/app-flatpak-org.x.My-App-instance12.scope\n",
         "org.x.My-App"},
        {"0::/user.slice/user-1000.slice/user@1000.service/app.slice/"
         "snap.firefox.firefox-2f1a2b3c-aaaa-bbbb-cccc-0123456789ab.scope\n",
         "firefox_firefox"},
        {"0::/user.slice/snap.foo.foo-bar.2f1a2b3c-aaaa-bbbb-cccc-0123456789ab.scope\n", "foo_foo-bar"},
        {"0::/user.slice/snap.foo.hook.configure-2f1a2b3c-aaaa-bbbb-cccc-0123456789ab.scope\n", std::nullopt},
        {"0::/user.slice/user-1000.slice/session-2.scope\n", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [cgroup, expected] : cgroups) EXPECT_EQ(ProcessEvidence::sandboxAppIdFromCgroup(cgroup), expected) << cgroup;
    using namespace std::string_view_literals;
    EXPECT_EQ(ProcessEvidence::sandboxAppIdFromEnviron("HOME=/h\0FLATPAK_ID=org.gnome.Recipes\0"sv), "org.gnome.Recipes");
    EXPECT_EQ(ProcessEvidence::sandboxAppIdFromEnviron("HOME=/h\0FLATPAK_ID=\0"sv), std::nullopt);
}

TEST(PickableAppsTest, TheChooserListsOnlyAppsAUserTiles) {
    // (id, entry body, the program it runs)
    const std::vector<std::tuple<std::string, std::string, std::string>> entries = {
        {"org.xfce.mousepad", "Exec=mousepad %U\nCategories=Utility;TextEditor;GTK;\n", "/usr/bin/mousepad"},
        {"org.xfce.mousepad-settings",
         "Exec=mousepad --preferences\nCategories=XFCE;GTK;Settings;DesktopSettings;\nNotShowIn=GNOME;\n", "/usr/bin/mousepad"},
        {"debian-xterm", "Exec=xterm\nStartupWMClass=XTerm\n", "/usr/bin/xterm"},
        {"openbox", "Exec=openbox\nNoDisplay=true\nX-GNOME-Provides=windowmanager\n", "/usr/bin/openbox"},
        {"marco", "Exec=marco\nX-MATE-Autostart-Phase=WindowManager\nX-MATE-Provides=windowmanager\n", "/usr/bin/marco"},
        {"my-wm", "Exec=my-wm\nX-GNOME-WMName=My WM\n", "/usr/bin/my-wm"},
        {"xfce-wm-settings", "Exec=xfwm4-settings\nCategories=XFCE;GTK;Settings;\nOnlyShowIn=XFCE;\n", "/usr/bin/xfwm4-settings"},
        {"tint2conf", "Exec=tint2conf\nCategories=Settings;DesktopSettings;\n", "/usr/bin/tint2conf"},
        {"tessane", "Exec=tessane %U\n", "/usr/bin/tessane"},
        {"tessane-dev", "Exec=/home/u/tessane/build/app/tessane\n", "/home/u/tessane/build/app/tessane"},
        {"old-editor", "Exec=old-editor\nHidden=true\n", "/usr/bin/old-editor"},
    };
    std::vector<PickableApp> apps;
    for (const auto& [id, body, program] : entries)
        apps.push_back(PickableApp::describe(id, id + ".desktop", *DesktopEntry::parse("[Desktop Entry]\nType=Application\n" + body),
                                             {program}));
    auto listed = [&](std::vector<std::string> desktops) {
        std::vector<std::string> ids;
        for (const auto& path : PickableApp::choosable(apps, desktops, "/home/u/tessane/build/app/tessane"))
            ids.push_back(path.stem().string());
        return ids;
    };
    using Ids = std::vector<std::string>;
    EXPECT_EQ(listed({"XFCE"}), (Ids{"org.xfce.mousepad", "debian-xterm", "xfce-wm-settings", "tint2conf"}));
    EXPECT_EQ(listed({"ubuntu", "GNOME"}), (Ids{"org.xfce.mousepad", "debian-xterm", "tint2conf"}));
    EXPECT_EQ(listed({}), (Ids{"org.xfce.mousepad", "debian-xterm", "tint2conf"}));
}

}  // namespace
}  // namespace tessane::linux_desktop
