#include "platform/linux/desktop/DesktopEntry.h"
#include "platform/linux/desktop/DesktopEntryText.h"
#include "platform/linux/desktop/ExecLine.h"
#include "platform/linux/desktop/InstalledLayout.h"
#include "platform/linux/desktop/SchemeHandlerRegistration.h"
#include "platform/linux/session/XdgAutostart.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

namespace tessane::linux_backend {
namespace {

namespace fs = std::filesystem;
using linux_desktop::DesktopEntry;
namespace DesktopEntryText = linux_desktop::DesktopEntryText;

class OwnDesktopEntriesTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("tessane-entries-" + std::to_string(std::random_device{}()));
        fs::create_directories(root);
    }
    void TearDown() override { fs::remove_all(root); }

    static void write(const fs::path& path, const std::string& text) {
        fs::create_directories(path.parent_path());
        std::ofstream(path) << text;
    }

    fs::path root;
};

// Whatever the program's path, the Exec line we write gives that path back as the program.
TEST_F(OwnDesktopEntriesTest, ExecLinesCarryAnyPathBackUnchanged) {
    for (std::string path : {"/usr/bin/tessane", "/home/me/My Apps/tessane", "/opt/a\"b`c$d\\e/tessane",
                             "/srv/100%/tessane", "/tmp/it's;(odd)&/tessane"}) {
        SCOPED_TRACE(path);
        const auto text = DesktopEntryText::applicationEntry(fs::path(path));
        ASSERT_TRUE(text);
        const auto entry = DesktopEntry::parse(*text);
        ASSERT_TRUE(entry);
        EXPECT_EQ(entry->value("MimeType"), "x-scheme-handler/tessane;");
        // Gone with the program: a desktop hides an entry whose TryExec names nothing there.
        EXPECT_EQ(entry->value("TryExec"), path);
        EXPECT_EQ(DesktopEntry::parse(*DesktopEntryText::autostartEntry(fs::path(path)))->value("TryExec"), path);
        const auto exec = entry->value("Exec");
        ASSERT_TRUE(exec);
        const auto commands = linux_desktop::ExecLine::expand(*exec, {"tessane://show/Work"}, {});
        ASSERT_TRUE(commands) << *exec;
        ASSERT_EQ(commands->size(), 1u);
        EXPECT_EQ(commands->front(), (std::vector<std::string>{path, "tessane://show/Work"}));
    }
    EXPECT_EQ(DesktopEntryText::execProgram("/tmp/a\nb"), std::nullopt);
}

// The installed entry and the one written for a user say the same, but for the program's path.
TEST_F(OwnDesktopEntriesTest, InstalledEntryTakesTessaneLinks) {
    const auto installed = DesktopEntry::read(fs::path(TESSANE_SOURCE_DIR) / "app" / "tessane.desktop");
    ASSERT_TRUE(installed);
    EXPECT_TRUE(installed->isApplication());
    EXPECT_EQ(installed->value("Exec"), "tessane %U");
    EXPECT_EQ(installed->value("MimeType"), "x-scheme-handler/tessane;");
    std::ifstream file(fs::path(TESSANE_SOURCE_DIR) / "app" / "tessane.desktop");
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, DesktopEntryText::applicationEntry("tessane", "tessane"));
}

// Desktops and packaging checks read our entries with the reference validator: the installed entry
// (the application entry of a program on the PATH), the link handler's and the autostart entry, for
// a plain path and for one that must be quoted, pass it without an error, warning or hint.
TEST_F(OwnDesktopEntriesTest, EveryEntryWeWritePassesTheDesktopEntryValidator) {
    if (std::system("command -v desktop-file-validate >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "desktop-file-validate is not installed";
    std::vector<std::string> texts = {DesktopEntryText::applicationEntry("tessane", "tessane")};
    for (const char* program : {"/usr/bin/tessane", "/opt/$5/tessane", "/home/me/My Apps/it's"}) {
        texts.push_back(*DesktopEntryText::applicationEntry(fs::path(program)));
        texts.push_back(*DesktopEntryText::autostartEntry(fs::path(program)));
    }
    for (size_t i = 0; i < texts.size(); ++i) {
        SCOPED_TRACE(texts[i]);
        const fs::path file = root / ("entry" + std::to_string(i)) / "tessane.desktop";
        write(file, texts[i]);
        FILE* validator = ::popen(("desktop-file-validate '" + file.string() + "' 2>&1").c_str(), "r");
        ASSERT_NE(validator, nullptr);
        std::string said;
        char buffer[512];
        while (size_t n = std::fread(buffer, 1, sizeof buffer, validator)) said.append(buffer, n);
        EXPECT_EQ(::pclose(validator), 0);
        EXPECT_EQ(said, "");
    }
}

TEST_F(OwnDesktopEntriesTest, AutostartEntryIsTheLoginItem) {
    const fs::path file = root / "config" / "autostart" / "tessane.desktop";
    XdgAutostart autostart({file, "/usr/bin/tessane", true});
    EXPECT_TRUE(autostart.isBundled());
    EXPECT_EQ(autostart.bundlePath(), "/usr/bin");
    EXPECT_EQ(autostart.status(), LoginItems::Status::notRegistered);

    // Switching off what is not on fails, as the login item expects.
    EXPECT_TRUE(autostart.unregisterItem());

    EXPECT_EQ(autostart.registerItem(), std::nullopt);  // makes the folder too
    EXPECT_EQ(autostart.status(), LoginItems::Status::enabled);
    const auto entry = DesktopEntry::read(file);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->value("Exec"), "/usr/bin/tessane");

    write(file, "[Desktop Entry]\nType=Application\nExec=tessane\nHidden=true\n");
    EXPECT_EQ(autostart.status(), LoginItems::Status::notRegistered);
    EXPECT_EQ(autostart.registerItem(), std::nullopt);  // a fresh entry replaces the hidden one
    EXPECT_EQ(autostart.status(), LoginItems::Status::enabled);

    EXPECT_EQ(autostart.unregisterItem(), std::nullopt);
    EXPECT_FALSE(fs::exists(file));

    // A folder where the entry should be cannot be written over.
    fs::create_directories(file);
    EXPECT_TRUE(autostart.registerItem());
}

// A system prefix and the user's own (the README's `--prefix ~/.local`) are installed alike.
TEST_F(OwnDesktopEntriesTest, InstalledLayoutIsABinFolderWithSharedFilesBeside) {
    for (const fs::path& prefix : {root / "usr", root / "home" / "ada" / ".local"}) {
        write(prefix / "bin" / "tessane", "");
        EXPECT_FALSE(isInstalledLayout(prefix / "bin" / "tessane"));
        fs::create_directories(prefix / "share" / "tessane");
        EXPECT_TRUE(isInstalledLayout(prefix / "bin" / "tessane"));
    }
    EXPECT_FALSE(isInstalledLayout(root / "build" / "app" / "tessane"));
}

TEST_F(OwnDesktopEntriesTest, SchemeHandlerIsWrittenAndRegisteredOnce) {
    std::vector<std::vector<std::string>> ran;
    SchemeHandlerRegistration::Setup setup{root / "share" / "applications", {root / "system" / "applications"},
                                           "/opt/tessane/bin/tessane", false,
                                           [&](const std::vector<std::string>& argv) {
                                               ran.push_back(argv);
                                               return true;
                                           }};
    const auto first = SchemeHandlerRegistration::ensure(setup);
    EXPECT_EQ(first.outcome, SchemeHandlerRegistration::Outcome::registered);
    EXPECT_EQ(first.logLine(), "[Tessane][URL] Registered as the handler of tessane: links (" +
                                   (setup.applicationsFolder / "tessane.desktop").string() + ")");
    EXPECT_EQ(ran, (std::vector<std::vector<std::string>>{
                       {"xdg-mime", "default", "tessane.desktop", "x-scheme-handler/tessane"}}));
    const auto entry = DesktopEntry::read(setup.applicationsFolder / "tessane.desktop");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->value("Exec"), "/opt/tessane/bin/tessane %U");

    const auto second = SchemeHandlerRegistration::ensure(setup);
    EXPECT_EQ(second.outcome, SchemeHandlerRegistration::Outcome::alreadyPresent);
    EXPECT_EQ(second.logLine(), "");
    EXPECT_EQ(ran.size(), 1u);

    setup.applicationsFolder = root / "other";
    setup.run = [](const std::vector<std::string>&) { return false; };
    const auto failed = SchemeHandlerRegistration::ensure(setup);
    EXPECT_EQ(failed.outcome, SchemeHandlerRegistration::Outcome::failed);
    EXPECT_NE(failed.logLine().find("xdg-mime could not be started"), std::string::npos);
    // Nothing is left that would make the next start skip the registration.
    EXPECT_FALSE(fs::exists(setup.applicationsFolder / "tessane.desktop"));
    setup.run = [](const std::vector<std::string>&) { return true; };
    EXPECT_EQ(SchemeHandlerRegistration::ensure(setup).outcome, SchemeHandlerRegistration::Outcome::registered);
}

// A build run from its folder, once Tessane is installed, leaves links to the installed one; the
// installed one takes the user's entry back from a build that is not installed, or that is gone.
TEST_F(OwnDesktopEntriesTest, OnlyAnInstalledTessaneTakesLinksFromABuildFolder) {
    std::vector<std::vector<std::string>> ran;
    const fs::path build = root / "clone" / "build" / "app" / "tessane";
    SchemeHandlerRegistration::Setup setup{root / "home" / "applications",
                                           {root / "local" / "applications", root / "usr" / "share" / "applications"},
                                           build, false,
                                           [&](const std::vector<std::string>& argv) {
                                               ran.push_back(argv);
                                               return true;
                                           }};
    const fs::path entry = setup.applicationsFolder / "tessane.desktop";
    const fs::path installedEntry = root / "usr" / "share" / "applications" / "tessane.desktop";
    // Registered before the package came.
    EXPECT_EQ(SchemeHandlerRegistration::ensure(setup).outcome, SchemeHandlerRegistration::Outcome::registered);
    write(installedEntry, DesktopEntryText::applicationEntry("tessane", "tessane"));
    write(root / "usr" / "bin" / "tessane", "");
    fs::create_directories(root / "usr" / "share" / "tessane");

    const auto left = SchemeHandlerRegistration::ensure(setup);
    EXPECT_EQ(left.outcome, SchemeHandlerRegistration::Outcome::leftToInstalled);
    EXPECT_EQ(left.logLine(), "[Tessane][URL] Left tessane: links to the installed Tessane (" + installedEntry.string() +
                                  "): removed this build's entry (" + entry.string() + ")");
    EXPECT_FALSE(fs::exists(entry));
    EXPECT_EQ(SchemeHandlerRegistration::ensure(setup).outcome, SchemeHandlerRegistration::Outcome::alreadyPresent);
    EXPECT_FALSE(fs::exists(entry));
    // Another build's entry, or one the user wrote, is not this build's to take back.
    write(root / "other" / "tessane", "");
    write(entry, *DesktopEntryText::applicationEntry(root / "other" / "tessane"));
    EXPECT_EQ(SchemeHandlerRegistration::ensure(setup).outcome, SchemeHandlerRegistration::Outcome::alreadyPresent);
    EXPECT_TRUE(fs::exists(entry));
    EXPECT_EQ(ran.size(), 1u);

    // The installed program puts its own entry in place of the one of a build folder, once.
    setup.program = root / "usr" / "bin" / "tessane";
    setup.installed = true;
    const auto back = SchemeHandlerRegistration::ensure(setup);
    EXPECT_EQ(back.outcome, SchemeHandlerRegistration::Outcome::registered);
    EXPECT_EQ(back.logLine(), "[Tessane][URL] Registered as the handler of tessane: links (" + entry.string() +
                                  "), in place of " + (root / "other" / "tessane").string());
    EXPECT_EQ(DesktopEntry::read(entry)->value("Exec"), setup.program.string() + " %U");
    EXPECT_EQ(ran.size(), 2u);
    EXPECT_EQ(SchemeHandlerRegistration::ensure(setup).outcome, SchemeHandlerRegistration::Outcome::alreadyPresent);
    // So is the entry of an installed program that is gone; not one that starts a program of
    // another name, one found on the PATH, or one the user hid.
    write(entry, *DesktopEntryText::applicationEntry(root / "opt" / "bin" / "tessane"));
    EXPECT_EQ(SchemeHandlerRegistration::ensure(setup).outcome, SchemeHandlerRegistration::Outcome::registered);
    for (const std::string& text : {*DesktopEntryText::applicationEntry(root / "me" / "bin" / "tessane-wrapper"),
                                    DesktopEntryText::applicationEntry("tessane", "tessane"),
                                    *DesktopEntryText::applicationEntry(build) + "Hidden=true\n"}) {
        write(entry, text);
        EXPECT_EQ(SchemeHandlerRegistration::ensure(setup).outcome, SchemeHandlerRegistration::Outcome::alreadyPresent);
    }
    EXPECT_EQ(ran.size(), 3u);

    // The package purged, the entry its program wrote answers no link: a build not installed
    // takes links from it, or removes it where another installed entry answers, and says so.
    const fs::path purged = setup.program;
    write(entry, *DesktopEntryText::applicationEntry(purged));
    fs::remove_all(root / "usr");
    setup.program = build;
    setup.installed = false;
    EXPECT_EQ(SchemeHandlerRegistration::ensure(setup).logLine(),
              "[Tessane][URL] Registered as the handler of tessane: links (" + entry.string() + "), in place of " +
                  purged.string() + ", which is gone");
    EXPECT_EQ(DesktopEntry::read(entry)->value("Exec"), build.string() + " %U");
    EXPECT_EQ(ran.size(), 4u);
    write(entry, *DesktopEntryText::applicationEntry(purged));
    const fs::path localEntry = root / "local" / "applications" / "tessane.desktop";
    write(localEntry, DesktopEntryText::applicationEntry("tessane", "tessane"));
    EXPECT_EQ(SchemeHandlerRegistration::ensure(setup).logLine(),
              "[Tessane][URL] Left tessane: links to the installed Tessane (" + localEntry.string() +
                  "): removed the entry of " + purged.string() + ", which is gone (" + entry.string() + ")");
    EXPECT_FALSE(fs::exists(entry));
}

}  // namespace
}  // namespace tessane::linux_backend
