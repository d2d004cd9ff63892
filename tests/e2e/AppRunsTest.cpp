// The whole program on a real X server: a hot key shows a workspace tiled with its chrome, Tessane
// keeps it in shape, hides it, brings back what it hid when it ends or after a run that was killed,
// and runs on with a workspace list it cannot read.
#include "EndToEndTest.h"

#include "platform/linux/desktop/DesktopEntry.h"
#include "platform/linux/desktop/DesktopEntryText.h"

#include "x11/support/ShownOnScreen.h"
#include <X11/Xlib.h>
#include <X11/Xutil.h>  // the ICCCM window states
#include <X11/extensions/shape.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <set>

#include <unistd.h>

namespace tessane::e2e {
namespace {

class AppRunsTest : public EndToEndTest {
protected:
    // A chrome panel's pixels: two neighbours neither of which is the desktop's black and white
    // weave or a client's white.
    bool drawn(int x, int y, int dx, int dy) {
        for (const unsigned long p : {pixel(x, y), pixel(x + dx, y + dy)})
            if (p == 0x000000 || p == 0xFFFFFF) return false;
        return true;
    }
    // The rail: our small override-redirect panel along the container's top edge.
    std::optional<RootRect> rail() { return railWindow().second; }
    std::pair<Window, std::optional<RootRect>> railWindow() {
        Display* d = x_->display();
        Window root = 0, parent = 0, *children = nullptr;
        unsigned n = 0;
        std::pair<Window, std::optional<RootRect>> found{0, std::nullopt};
        if (!XQueryTree(d, x_->root(), &root, &parent, &children, &n)) return found;
        for (unsigned i = 0; i < n; ++i) {
            XWindowAttributes attributes;
            if (!x11test::shownOnScreen(d, children[i], &attributes)) continue;
            if (attributes.override_redirect && attributes.width == 80 &&
                attributes.height == 12)
                found = {children[i], RootRect{attributes.x, attributes.y, attributes.width, attributes.height}};
        }
        if (children) XFree(children);
        return found;
    }
    // The container chrome's windows: children of the root, or of a window manager's frame (the
    // mat, kept mapped with nothing in its shape while anything of ours is up); shown when
    // viewable with something in its shape.
    struct ChromeWindow {
        Window id;
        std::string name;
        bool shown;
    };
    std::vector<ChromeWindow> chromeWindows() {
        std::vector<ChromeWindow> out;
        x_->processEvents();  // the properties read next are kept from them
        const auto add = [&](Window w) {
            // Straight from the server, not through the read model, which follows only the windows
            // it watches.
            Atom type = 0;
            int format = 0;
            unsigned long count = 0, after = 0;
            unsigned char* data = nullptr;
            std::string name;
            if (XGetWindowProperty(x_->display(), w, XInternAtom(x_->display(), "_NET_WM_NAME", False), 0, 64, False,
                                   AnyPropertyType, &type, &format, &count, &after, &data) == Success && data)
                name.assign(reinterpret_cast<char*>(data), count);
            if (data) XFree(data);
            // A window being made ready is mapped a moment with nothing of it in its shape: unseen.
            for (const char* panel : {"Tessane rail", "Tessane mat", "Tessane shield", "Tessane handle"})
                if (name == panel) out.push_back({w, name, x11test::shownOnScreen(x_->display(), w)});
        };
        const auto walk = [&](Window parent, int depth, const auto& self) -> void {
            Window root = 0, up = 0, *children = nullptr;
            unsigned n = 0;
            if (!XQueryTree(x_->display(), parent, &root, &up, &children, &n)) return;
            for (unsigned i = 0; i < n; ++i) {
                add(children[i]);
                if (depth < 2) self(children[i], depth + 1, self);
            }
            if (children) XFree(children);
        };
        walk(x_->root(), 0, walk);
        return out;
    }
};

TEST_F(AppRunsTest, TheHotKeyShowsTheWorkspaceTiledWithItsChrome) {
    startWithPair();
    // Once started, Tessane makes the chrome's windows ready, unseen: the show makes none.
    std::vector<ChromeWindow> ready;
    ASSERT_TRUE(waitFor([&] {
        ready = chromeWindows();
        return std::any_of(ready.begin(), ready.end(), [](const ChromeWindow& w) { return w.name == "Tessane handle"; });
    })) << "no chrome made ready";
    for (const auto& w : ready) EXPECT_FALSE(w.shown) << w.name << " seen before a show";
    showPair();
    // The gutter between the panes: a shield and the divider's handle.
    const RootRect a = frame(alpha_), b = frame(beta_);
    const int gutterX = (a.x + a.width + b.x) / 2, midY = a.y + a.height / 2;
    EXPECT_TRUE(waitFor([&] { return drawn(gutterX, midY, 0, 1); }))
        << "gutter pixel " << std::hex << pixel(gutterX, midY) << " / " << pixel(gutterX, midY + 1);
    // The rail at the container's top edge, its pill drawn.
    ASSERT_TRUE(waitFor([&] { return rail().has_value(); })) << "no rail on screen";
    const RootRect r = *rail();
    EXPECT_LE(r.y, std::min(a.y, b.y));
    const int pillX = r.x + r.width / 2 - 15;
    EXPECT_TRUE(waitFor([&] { return drawn(pillX, r.y + 1, 1, 0); }))
        << "rail pixel " << std::hex << pixel(pillX, r.y + 1);
    std::vector<ChromeWindow> after;
    std::set<std::string> shown;
    EXPECT_TRUE(waitFor([&] {
        after = chromeWindows();
        shown.clear();
        for (const auto& w : after)
            if (w.shown) shown.insert(w.name);
        return shown == std::set<std::string>{"Tessane rail", "Tessane mat", "Tessane shield", "Tessane handle"};
    })) << "shown: " << shown.size() << " kinds";
    for (const auto& w : after)
        EXPECT_TRUE(!w.shown || std::any_of(ready.begin(), ready.end(), [&](const ChromeWindow& r) { return r.id == w.id; }))
            << w.name << " made by the show";
}

// Put back either as a window that drifted right after its placement or as a user's move that
// is snapped back, 0.2 s after it: the window may be away for less time than a look at the screen
// takes on a busy machine, so its frame's moves are heard as the server reports them.
TEST_F(AppRunsTest, AWindowMovedAwayIsPutBack) {
    startWithPair();
    showPair();
    const auto top = topLevelOf(x_->display(), beta_);
    ASSERT_TRUE(top);
    const XWindowId frame = *top;
    ASSERT_TRUE(x_->selectInput(x_->root(), linux_backend::X11EventMask::substructure).ok());
    bool away = false;
    const Subscription heard = x_->onEvent([&](const linux_backend::X11Event& e) {
        if (e.kind == linux_backend::X11Event::Kind::configure && e.window == frame && e.rect.minX() < 700) away = true;
    });
    ASSERT_EQ(server_->run({"xdotool", "windowmove", std::to_string(beta_), "300", "400"}), 0);
    ASSERT_TRUE(waitFor([&] { return away; })) << "the move did not happen: " << frames();
    EXPECT_TRUE(waitUntilTiled()) << frames() << "\n" << log();
}

// Beta is not running: the show starts it from its desktop entry, and its window only
// appears two seconds after the program.
TEST_F(AppRunsTest, AnAppStartedLateIsAdopted) {
    startWithPair(/*betaRunning=*/false);
    press("super+alt+1");
    // Beta's window, once there, is the one whose class Tessane launched.
    ASSERT_TRUE(waitFor(
        [&] {
            // Only clients the window manager lists are real windows of applications.
            for (XWindowId w : x_->windowList(x_->root(), "_NET_CLIENT_LIST").value_or(std::vector<XWindowId>{}))
                if (auto klass = x_->wmClass(w); klass && klass->second == "BetaApp") beta_ = w;
            return beta_ != 0;
        }))
        << log();
    EXPECT_TRUE(waitUntilTiled()) << frames() << "\n" << log();
}

// A hide whose ledger can't be written (a file where the preferences folder should be: no write
// goes through, not even root's) is refused with an alert; once it can, it goes ahead.
TEST_F(AppRunsTest, HideIconifiesTheWindowsAndTheLedgerRecordsThem) {
    startWithPair();
    showPair();
    const fs::path folder = home_->preferencesFile().parent_path(), away = folder.string() + ".away";
    fs::create_directories(folder);
    fs::rename(folder, away);
    std::ofstream(folder.string()) << "";
    press("super+alt+h");
    ASSERT_TRUE(waitForLog("[Tessane] Hide workspace: Pair — not hidden, the apps it would hide could not be noted")) << log();
    const auto alertShown = [&] {
        for (XWindowId w : x_->windowList(x_->root(), "_NET_CLIENT_LIST").value_or(std::vector<XWindowId>{}))
            if (x_->text(w, "_NET_WM_NAME") == "Tessane" && wmState(w) == NormalState) return true;
        return false;
    };
    EXPECT_TRUE(waitFor(alertShown)) << log();
    const auto matListed = [&] {  // what `wmctrl -l` and a taskbar go by
        for (XWindowId w : x_->windowList(x_->root(), "_NET_CLIENT_LIST").value_or(std::vector<XWindowId>{}))
            if (x_->text(w, "_NET_WM_NAME") == "Tessane mat") return true;
        return false;
    };
    EXPECT_TRUE(waitFor(matListed)) << "the mat is a managed window while shown";
    EXPECT_EQ(wmState(alpha_), NormalState);
    EXPECT_EQ(wmState(beta_), NormalState);
    fs::remove(folder);
    fs::rename(away, folder);
    press("super+alt+h");  // the alert holds nothing up
    EXPECT_TRUE(waitForState({alpha_, beta_}, IconicState)) << log();
    EXPECT_TRUE(waitFor([&] { return hiddenLedger().size() == 2; })) << preferences().dump();
    EXPECT_EQ(hiddenLedger(), (std::vector<std::string>{bundleID("Alpha"), bundleID("Beta")}));
    EXPECT_TRUE(waitFor([&] { return !matListed(); })) << "nothing of ours is listed at idle";
}

// Another program that keeps the server busy with its own windows (it raises 200 windows that
// bypass the window manager in turn, without pause): a show waits on nothing of its, and hides
// and shows go through.
TEST_F(AppRunsTest, ShowsAndHidesGoThroughWhileAnotherProgramRestacksItsOwnWindowsWithoutPause) {
    // Under IceWM no program's key grab hears its key while the storm runs (a bare Xlib client
    // grabbing the same chord on the root hears nothing either): the manager's, not ours.
    if (server_->windowManagerName() == "icewm") GTEST_SKIP() << "IceWM: no key grab is heard during the storm";
    startWithPair();
    startClient({"--windows", "0", "--restack-storm", "200"});
    showPair();
    press("super+alt+h");
    ASSERT_TRUE(waitForState({alpha_, beta_}, IconicState)) << log();
    showPair();
    EXPECT_TRUE(waitFor([&] { return logCount("frame up in") == 2; })) << log();
}

TEST_F(AppRunsTest, SigtermBringsBackEveryAppTessaneHid) {
    startWithPair();
    showPair();
    press("super+alt+h");
    ASSERT_TRUE(waitForState({alpha_, beta_}, IconicState)) << log();

    EXPECT_EQ(endTessane(SIGTERM), 0);
    EXPECT_TRUE(waitForState({alpha_, beta_}, NormalState));
    EXPECT_NE(log().find("[Tessane] Unhide-on-quit: asked 2 of 2 app(s) to come back"), std::string::npos) << log();
    EXPECT_TRUE(preferences().contains("TessaneUnhideAskedAt")) << preferences().dump();
}

TEST_F(AppRunsTest, InterruptAndHangupQuitTheSameWay) {
    startWithPair();
    EXPECT_EQ(endTessane(SIGINT), 0);
    EXPECT_EQ(logCount("[Tessane] Quitting: received SIGINT."), 1u) << log();
    EXPECT_TRUE(preferences().contains("TessaneUnhideAskedAt"));

    ASSERT_NO_FATAL_FAILURE(startReadyTessane());
    EXPECT_EQ(endTessane(SIGHUP), 0);
    EXPECT_EQ(logCount("[Tessane] Quitting: received SIGHUP."), 1u) << log();
}

// The X server drops the program's connection (as when the display goes away under it): the
// quit still runs, over the connection it has left, and brings the hidden apps back.
TEST_F(AppRunsTest, ALostXConnectionQuitsTheSameWay) {
    home_->installApp("Alpha");
    home_->installApp("Beta");
    home_->installApp("Gamma");
    home_->installApp("Delta");
    alpha_ = runApp("Alpha").windows.at(0);
    beta_ = runApp("Beta").windows.at(0);
    runApp("Gamma");
    runApp("Delta");
    home_->storeWorkspaces({home_->workspace("Pair", {"Alpha", "Beta"}), home_->workspace("Other", {"Gamma", "Delta"})});
    ASSERT_NO_FATAL_FAILURE(startReadyTessane());
    showPair();
    press("super+alt+h");
    ASSERT_TRUE(waitForState({alpha_, beta_}, IconicState)) << log();
    // Another workspace on screen, so that the program has a window of its own to lose.
    press("super+alt+2");
    ASSERT_TRUE(waitFor([&] { return rail().has_value(); })) << log();
    const Window panel = railWindow().first;
    ASSERT_NE(panel, 0u);
    XKillClient(x_->display(), panel);
    XSync(x_->display(), False);
    ASSERT_TRUE(tessane_->wait(kAnswer.limit).has_value()) << "the program kept running without its connection";
    tessane_.reset();
    EXPECT_TRUE(waitForState({alpha_, beta_}, NormalState)) << log();
    EXPECT_NE(log().find("[Tessane] Unhide-on-quit: asked 2 of 2 app(s)"), std::string::npos) << log();
    EXPECT_EQ(logCount("[Tessane] Quitting: "), 1u) << log();
    EXPECT_TRUE(preferences().contains("TessaneUnhideAskedAt"));
}

TEST_F(AppRunsTest, AKilledRunsHiddenAppsComeBackAtTheNextStart) {
    startWithPair();
    showPair();
    press("super+alt+h");
    ASSERT_TRUE(waitForState({alpha_, beta_}, IconicState)) << log();
    ASSERT_TRUE(waitFor([&] { return hiddenLedger().size() == 2; }));

    endTessane(SIGKILL);
    EXPECT_EQ(wmState(alpha_), IconicState) << "nothing brings them back without Tessane";
    startTessane();
    EXPECT_TRUE(waitForState({alpha_, beta_}, NormalState)) << log();
    EXPECT_TRUE(waitForLog("[Tessane] Unhide-on-launch-recovery: asked 2 of 2 app(s)")) << log();
}

// One program, two entries (the app and its settings, as Mousepad ships them): the window open
// before Tessane starts is the app's, shown without a second launch, and back after a kill.
TEST_F(AppRunsTest, AnAppWhoseProgramHasTwoEntriesIsFoundShownAndBroughtBack) {
    home_->installApp("Alpha");
    const std::string exec = std::string(TESSANE_X11_CLIENT) + " --class scribe.Quill --title Scribe";
    std::ofstream(home_->root() / "data/applications/org.tessane.Scribe.desktop")
        << "[Desktop Entry]\nType=Application\nName=Scribe\nExec=" << exec << " %U\n";
    std::ofstream(home_->root() / "data/applications/org.tessane.Scribe-settings.desktop")
        << "[Desktop Entry]\nType=Application\nName=Scribe Settings\nExec=" << exec
        << " --preferences\nCategories=Settings;\n";
    alpha_ = runApp("Alpha").windows.at(0);
    const XWindowId scribe = startClient({"--class", "scribe.Quill", "--title", "Scribe"}).windows.at(0);
    home_->storeWorkspaces({home_->workspace("Pair", {"Alpha", "Scribe"})});
    ASSERT_NO_FATAL_FAILURE(startReadyTessane());

    press("super+alt+1");
    ASSERT_TRUE(waitUntilTiled(alpha_, scribe)) << frames(alpha_, scribe) << "\n" << log();
    press("super+alt+h");
    ASSERT_TRUE(waitForState({alpha_, scribe}, IconicState)) << log();
    ASSERT_TRUE(waitFor([&] { return hiddenLedger().size() == 2; })) << preferences().dump();
    EXPECT_EQ(hiddenLedger(), (std::vector<std::string>{bundleID("Alpha"), bundleID("Scribe")}));

    endTessane(SIGKILL);
    startTessane();
    EXPECT_TRUE(waitForState({alpha_, scribe}, NormalState)) << log();
    EXPECT_TRUE(waitForLog("[Tessane] Unhide-on-launch-recovery: asked 2 of 2 app(s)")) << log();
}

TEST_F(AppRunsTest, ACorruptWorkspaceListIsKeptAsideAndTheProgramRuns) {
    fs::create_directories(home_->dataFolder());
    std::ofstream(home_->workspacesFile()) << "{ this is not a workspace list";
    ASSERT_NO_FATAL_FAILURE(startReadyTessane());
    bool keptAside = false;
    for (const auto& entry : fs::directory_iterator(home_->dataFolder()))
        keptAside |= entry.path().filename().string().starts_with("workspaces.json.unreadable-");
    EXPECT_TRUE(keptAside);
    EXPECT_TRUE(tessane_->running());
    // It still answers its hot keys.
    press("super+alt+h");
    EXPECT_TRUE(waitForLog("[Tessane] Hide active workspace requested, but none is active — ignored.")) << log();
    EXPECT_EQ(endTessane(SIGTERM), 0);
}

TEST_F(AppRunsTest, ASecondTessaneSaysOneIsRunningAndEnds) {
    startWithPair();
    std::string text;
    EXPECT_EQ(runSecondTessane({}, &text), 0);
    EXPECT_NE(text.find("Tessane is already running."), std::string::npos) << text;
    EXPECT_TRUE(tessane_->running());
    // Only one start-up ran.
    EXPECT_EQ(logCount("[Tessane] starting Tessane"), 1u);
}

// A link where the runtime folder should be is refused; every start then meets in a folder of the
// temporary one instead, and a second start still finds the first, also once the runtime folder
// can be used. With both refused, none starts.
TEST_F(AppRunsTest, ARefusedRuntimeFolderNeverLetsASecondInstanceStart) {
    // The private home's temporary folder is TMPDIR.
    const fs::path elsewhere = home_->root() / "elsewhere", temp = home_->root() / "tmp";
    fs::create_directories(elsewhere);
    fs::create_directory_symlink(elsewhere, home_->root() / "run" / "tessane");
    const fs::path fallback = temp / ("tessane-" + std::to_string(::geteuid()));
    fs::create_directory_symlink(elsewhere, fallback);

    startTessane();
    ASSERT_EQ(tessane_->wait(kAnswer.limit), 1) << log();
    tessane_.reset();
    EXPECT_TRUE(waitForLog("[Tessane] Not starting: no private runtime folder to tell a second Tessane apart (")) << log();

    fs::remove(fallback);
    startWithPair();
    EXPECT_TRUE(waitForLog("): using " + fallback.string() + " instead.")) << log();
    std::string text;
    EXPECT_EQ(runSecondTessane({}, &text), 0);
    EXPECT_NE(text.find("Tessane is already running."), std::string::npos) << text;
    fs::remove(home_->root() / "run" / "tessane");
    EXPECT_EQ(runSecondTessane({"tessane://show/pair"}, &text), 0) << text;
    EXPECT_TRUE(waitUntilTiled()) << frames() << "\n" << log();
    EXPECT_EQ(logCount("[Tessane] starting Tessane"), 1u) << log();
    EXPECT_TRUE(fs::is_empty(elsewhere));

    // Started again, it holds the locks of both folders and listens in both: a start whose runtime
    // folder is another one (another session of this user) still reaches it.
    endTessane(SIGTERM);
    startReadyTessane();
    const fs::path otherRun = home_->root() / "other-run";
    fs::create_directories(otherRun);
    setenv("XDG_RUNTIME_DIR", otherRun.c_str(), 1);
    const auto handed = runSecondTessane({"tessane://show/pair"}, &text);
    setenv("XDG_RUNTIME_DIR", (home_->root() / "run").c_str(), 1);
    EXPECT_EQ(handed, 0) << text;
}

// What the desktop does with a tessane: link once we are its handler: start a second Tessane
// with it, which hands it to the running one.
TEST_F(AppRunsTest, ALinkGivenToASecondTessaneShowsTheWorkspaceInTheRunningOne) {
    startWithPair();
    // The start-up registered this user's desktop entry for our links, in the private home (or,
    // without xdg-mime, said it could not and left no entry behind, so the next start tries again).
    const fs::path entry = home_->root() / "data" / "applications" / "tessane.desktop";
    const size_t registered = logCount("[Tessane][URL] Registered as the handler");
    EXPECT_EQ(registered + logCount("[Tessane][URL] Could not register as the handler"), 1u) << log();
    EXPECT_EQ(fs::exists(entry), registered == 1);

    std::string text;
    EXPECT_EQ(runSecondTessane({"tessane://show/pair"}, &text), 0) << text;
    EXPECT_TRUE(waitUntilTiled()) << frames() << "\n" << log();
    EXPECT_TRUE(waitForLog("[Tessane][URL] tessane://show/pair \u2192 ")) << log();
    EXPECT_EQ(logCount("[Tessane] starting Tessane"), 1u);

    // Once Tessane is installed, this build (not installed) takes back the entry it wrote, so
    // that links go to the installed program.
    EXPECT_EQ(endTessane(SIGTERM), 0);
    const fs::path installed = home_->root() / "system" / "applications" / "tessane.desktop";
    fs::create_directories(installed.parent_path());
    fs::create_directories(entry.parent_path());
    std::ofstream(installed) << linux_desktop::DesktopEntryText::applicationEntry("tessane", "tessane");
    std::ofstream(entry) << *linux_desktop::DesktopEntryText::applicationEntry(fs::canonical(TESSANE_APP));
    startTessane();
    EXPECT_TRUE(waitForLog("[Tessane][URL] Left tessane: links to the installed Tessane (" + installed.string() +
                           "): removed this build's entry (" + entry.string() + ")")) << log();
    EXPECT_FALSE(fs::exists(entry));

    // The package purged: the entry its program wrote names a program gone, which this build
    // replaces.
    EXPECT_EQ(endTessane(SIGTERM), 0);
    fs::remove(installed);
    const fs::path purged = home_->root() / "purged" / "usr" / "bin" / "tessane";
    std::ofstream(entry) << *linux_desktop::DesktopEntryText::applicationEntry(purged);
    startTessane();
    EXPECT_TRUE(waitForLog(registered == 1 ? "), in place of " + purged.string() + ", which is gone"
                                           : "[Tessane][URL] Could not register as the handler")) << log();

    // Installed as the README does it, under ~/.local: installed like any other prefix, it is not
    // told to install itself, can launch at login, and takes the links from the build folder.
    EXPECT_EQ(endTessane(SIGTERM), 0);
    const fs::path local = home_->root() / "home" / ".local";
    fs::create_directories(local / "bin");
    fs::create_directories(local / "share" / "tessane");
    std::error_code linked;
    fs::create_hard_link(TESSANE_APP, local / "bin" / "tessane", linked);
    if (linked) fs::copy_file(TESSANE_APP, local / "bin" / "tessane");
    startTessane((local / "bin" / "tessane").string());
    EXPECT_TRUE(waitForLog(" installed=true path=" + (local / "bin").string())) << log();
    EXPECT_TRUE(waitForLog(" systemInstall=true ")) << log();
    EXPECT_EQ(latestLog().find("WARNING"), std::string::npos) << latestLog();
    if (registered == 1) {
        EXPECT_EQ(linux_desktop::DesktopEntry::read(entry)->value("Exec"), (local / "bin" / "tessane").string() + " %U");
    }
}

// `tessane --settings` while Tessane runs: the running one is asked to open its settings window.
// A mistyped option reaches nobody.
TEST_F(AppRunsTest, ASecondTessaneAsksTheRunningOneForTheSettingsWindow) {
    startWithPair();
    std::string text;
    EXPECT_EQ(runSecondTessane({"--setings"}, &text), 2);
    EXPECT_NE(text.find("tessane: unknown option '--setings'"), std::string::npos) << text;
    EXPECT_EQ(runSecondTessane({"--help"}, &text), 0);

    EXPECT_EQ(runSecondTessane({"--settings"}, &text), 0) << text;
    EXPECT_TRUE(waitForLog("[Tessane] Asked by another start to open the settings window.")) << log();
    EXPECT_EQ(logCount("[Tessane] Asked by another start"), 1u);
    EXPECT_TRUE(tessane_->running());
    EXPECT_EQ(logCount("[Tessane] starting Tessane"), 1u);
}

// The settings window is ours, not the workspace's: hiding the workspace leaves it on screen.
TEST_F(AppRunsTest, TheSettingsWindowStaysWhenTheWorkspaceHides) {
    startWithPair();
    showPair();
    // The show activates its primary app: settings is opened after that, as a user would.
    ASSERT_TRUE(waitFor([&] { return hasFocus(alpha_); })) << log();
    const XWindowId settings = openSettingsWindow();
    ASSERT_NE(settings, 0u);
    ASSERT_TRUE(activate(settings)) << "the settings window never had the keyboard";
    press("super+alt+h");
    ASSERT_TRUE(waitForState({alpha_, beta_}, IconicState)) << log();
    // A second hide finds nothing shown: once it is told, the first one is over.
    press("super+alt+h");
    ASSERT_TRUE(waitForLog("[Tessane] Hide active workspace requested, but none is active — ignored.")) << log();
    XSync(x_->display(), False);
    EXPECT_EQ(wmState(settings), NormalState) << log();
}

}  // namespace
}  // namespace tessane::e2e
