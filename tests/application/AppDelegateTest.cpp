// Start-up and quit of the running system on the simulated desktop: the order of start-up's
// lines, the links that wait for it, the shortcuts it binds, and a quit that brings back every app
// Tessane hid and leaves the stamp the next start reads.
#include "controller/ControllerDefaultsKeys.h"
#include "application/AppDelegate.h"
#include "support/ControllerScenario.h"
#include "support/LoggedLines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace tessane::testing {
namespace {

using Lines = std::vector<std::string>;

class AppDelegateTest : public ::testing::Test {
protected:
    AppDelegate& delegate(const std::string& bundlePath = "/usr/bin", bool installed = true) {
        auto env = scenario.environment();
        env.identity = [bundlePath, installed] {
            AccessibilityPermission::Identity id;
            id.bundleIdentifier = "org.tessane.Tessane";
            id.bundlePath = bundlePath;
            id.installed = installed;
            id.processName = "tessane";
            id.pid = 42;
            return id;
        };
        delegate_ = std::make_unique<AppDelegate>(std::move(env));
        return *delegate_;
    }
    static Lines linesStarting(std::initializer_list<std::string> prefixes) { return loggedMessagesStarting(prefixes); }
    static size_t count(const std::string& prefix) { return linesStarting({prefix}).size(); }
    bool hidden(const std::string& name) {
        return scenario.sim.applications.runningApplication(scenario.pid(name))->isHidden;
    }

    ControllerScenario scenario;
    std::unique_ptr<AppDelegate> delegate_;
};

TEST_F(AppDelegateTest, StartUpRunsInOrderAndLinksThatCameEarlyRunLast) {
    scenario.launchApp("Notes", {.hidden = true});
    scenario.ledger->record({ControllerScenario::bundleID("Notes")});
    scenario.addWorkspace("Write", {"Notes"});
    auto& app = delegate();
    app.openLinks({"tessane://hide", "tessane://focus/left"});
    EXPECT_EQ(app.workspaceController(), nullptr);

    app.applicationDidFinishLaunching();
    ASSERT_NE(app.workspaceController(), nullptr);
    // The manager loaded the stored list.
    ASSERT_EQ(app.manager()->workspaces().get().size(), 1u);
    const Lines order = linesStarting({"[Tessane] starting Tessane", "[Tessane] Unhide-on-", "[Tessane][AX] launch:",
                                       "[Tessane][URL] Launch finished", "[Tessane][AX] WARNING"});
    ASSERT_EQ(order.size(), 4u) << ::testing::PrintToString(loggedMessages());
    EXPECT_TRUE(order[0].starts_with("[Tessane] starting Tessane "));
    EXPECT_EQ(order[1], "[Tessane] Unhide-on-launch-recovery: asked 1 of 1 app(s) to come back — will confirm and settle the ledger.");
    EXPECT_TRUE(order[2].starts_with("[Tessane][AX] launch: trusted=")) << order[2];
    EXPECT_EQ(order[3], "[Tessane][URL] Launch finished — running 2 queued command(s).");
    EXPECT_FALSE(hidden("Notes"));

    // From now on a link is acted on at once.
    app.openLinks({"tessane://hide"});
    EXPECT_EQ(count("[Tessane][URL] Arrived before launch finished"), 1u);
    EXPECT_EQ(count("[Tessane][URL] Launch finished"), 1u);
}

TEST_F(AppDelegateTest, WithoutQueuedLinksStartUpSaysNothingOfThem) {
    delegate().applicationDidFinishLaunching();
    EXPECT_EQ(count("[Tessane][URL]"), 0u);
}

TEST_F(AppDelegateTest, TheLinkHandlerIsRegisteredOnceRightAfterTheStartLineAndSilentWhenNothingWasDone) {
    auto& app = delegate();
    int calls = 0;
    app.setLinkHandlerRegistration([&] {
        ++calls;
        return std::string("[Tessane][URL] Registered as the handler of tessane: links (/h/tessane.desktop)");
    });
    app.applicationDidFinishLaunching();
    EXPECT_EQ(calls, 1);
    const Lines lines = loggedMessages();
    const auto start = std::find_if(lines.begin(), lines.end(),
                                    [](const auto& l) { return l.starts_with("[Tessane] starting Tessane "); });
    ASSERT_NE(start, lines.end());
    ASSERT_NE(start + 1, lines.end());
    EXPECT_EQ(start[1], "[Tessane][URL] Registered as the handler of tessane: links (/h/tessane.desktop)");

    delegate_.reset();
    Log::resetForTesting();
    auto& second = delegate();
    second.setLinkHandlerRegistration([] { return std::string(); });
    second.applicationDidFinishLaunching();
    EXPECT_EQ(count("[Tessane][URL]"), 0u);
}

TEST_F(AppDelegateTest, StartUpBindsTheShortcuts) {
    scenario.installApp("Notes");
    scenario.addWorkspace("Write", {"Notes"});
    delegate().applicationDidFinishLaunching();
    EXPECT_EQ(scenario.sim.hotKeys.grabs().size(), 8u);
}

TEST_F(AppDelegateTest, AProgramOutsideTheInstallLocationsIsWarnedOf) {
    delegate("/home/ada/src/tessane/build/app", false).applicationDidFinishLaunching();
    EXPECT_EQ(linesStarting({"[Tessane][AX] WARNING", "[Tessane] WARNING"}),
              (Lines{"[Tessane][AX] WARNING: running from /home/ada/src/tessane/build/app, not installed "
                     "(<prefix>/bin with <prefix>/share/tessane). " + std::string(AppDelegate::kInstallAdvice)}));
    EXPECT_EQ(std::string(AppDelegate::kInstallAdvice).find("/usr/local"), std::string::npos);

    // Installed under the user's own prefix, as the README does it: no warning.
    delegate_.reset();
    Log::resetForTesting();
    delegate("/home/ada/.local/bin").applicationDidFinishLaunching();
    EXPECT_EQ(count("[Tessane][AX] WARNING"), 0u);
}

TEST_F(AppDelegateTest, AProgramOnRemovableMediaGetsBothWarningsInstalledOneNeither) {
    delegate("/media/ada/USB/tessane", false).applicationDidFinishLaunching();
    const Lines warnings = linesStarting({"[Tessane][AX] WARNING", "[Tessane] WARNING"});
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_TRUE(warnings[0].starts_with("[Tessane][AX] WARNING: running from /media/ada/USB/tessane"));
    EXPECT_EQ(warnings[1], "[Tessane] WARNING: launched from a mounted volume (/media/ada/USB/tessane). "
                           "A program on a removable volume stops when the volume is removed. " +
                               std::string(AppDelegate::kInstallAdvice));

    delegate_.reset();
    Log::resetForTesting();
    delegate("/usr/bin").applicationDidFinishLaunching();
    EXPECT_EQ(count("[Tessane][AX] WARNING") + count("[Tessane] WARNING"), 0u);
}

TEST_F(AppDelegateTest, AQuitBeforeStartUpWritesNothing) {
    delegate().applicationWillTerminate();
    EXPECT_FALSE(scenario.sim.defaults.value(ControllerDefaultsKeys::kUnhideAskedAt));
    EXPECT_TRUE(loggedMessages().empty());
}

TEST_F(AppDelegateTest, QuitUnhidesWhatTessaneHidKeepsTheLedgerAndStampsTheTimeOnce) {
    scenario.launchApp("Notes");
    auto& app = delegate();
    app.applicationDidFinishLaunching();
    // Hidden by Tessane during this run.
    scenario.ledger->record({ControllerScenario::bundleID("Notes")});
    scenario.sim.applications.hide(scenario.pid("Notes"));
    scenario.advance(1);
    ASSERT_TRUE(hidden("Notes"));
    scenario.advance(100);

    app.applicationWillTerminate();
    EXPECT_FALSE(hidden("Notes"));
    EXPECT_EQ(count("[Tessane] Unhide-on-quit: asked 1 of 1 app(s) to come back (ledger kept; the next launch settles it)."), 1u);
    EXPECT_EQ(scenario.ledger->hiddenBundleIDs(), Lines{ControllerScenario::bundleID("Notes")});
    EXPECT_EQ(scenario.sim.defaults.doubleValue(ControllerDefaultsKeys::kUnhideAskedAt), scenario.sim.mainQueue.now());

    // Every road out of the program ends here; only the first one acts.
    app.applicationWillTerminate();
    EXPECT_EQ(count("[Tessane] Unhide-on-quit"), 1u);
}

// The session ends around the program and the window server goes with it: nothing is asked of
// it, the apps stay owed without the stamp (the next start brings them back, as after a crash),
// and the workspace list is still saved.
TEST_F(AppDelegateTest, AQuitWithoutTheWindowServerKeepsTheAppsOwedAndStillSaves) {
    scenario.launchApp("Notes");
    scenario.addWorkspace("Write", {"Notes"});
    auto& app = delegate();
    app.applicationDidFinishLaunching();
    scenario.ledger->record({ControllerScenario::bundleID("Notes")});
    scenario.sim.applications.hide(scenario.pid("Notes"));
    scenario.advance(1);
    scenario.addWorkspace("Unsaved", {"Notes"});

    scenario.sim.windowList.setServerReachable(false);
    app.applicationWillTerminate(true);
    EXPECT_TRUE(hidden("Notes"));
    EXPECT_EQ(count("[Tessane] Unhide-on-quit"), 0u);
    EXPECT_EQ(count("[Tessane] Quitting without the window server: hidden apps stay owed for the next start."), 1u);
    EXPECT_EQ(scenario.ledger->hiddenBundleIDs(), Lines{ControllerScenario::bundleID("Notes")});
    EXPECT_FALSE(scenario.sim.defaults.value(ControllerDefaultsKeys::kUnhideAskedAt));
    EXPECT_FALSE(scenario.manager->hasUnsavedChanges());
    EXPECT_TRUE(scenario.sim.alerts.shown().empty()) << "no alert on a display that is gone";
}

TEST_F(AppDelegateTest, AQuitWithNothingHiddenStillStampsTheTime) {
    auto& app = delegate();
    app.applicationDidFinishLaunching();
    app.applicationWillTerminate();
    EXPECT_TRUE(scenario.sim.defaults.doubleValue(ControllerDefaultsKeys::kUnhideAskedAt));
    EXPECT_EQ(count("[Tessane] Unhide-on-quit"), 0u);
}

TEST_F(AppDelegateTest, AHideAskedForWhileTheQuitsAlertIsUpLeavesNothingHidden) {
    scenario.launchApp("Notes");
    const Workspace ws = scenario.addWorkspace("Write", {"Notes"});
    auto& app = delegate();
    app.applicationDidFinishLaunching();
    scenario.drain();
    // A save that fails makes the quit ask the user; while it asks, its loop runs the link that
    // came meanwhile (a hot key does the same).
    const auto folder = scenario.sim.environment.dataFolder();
    std::filesystem::permissions(folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    const bool locked = std::system(("chattr +i '" + folder.string() + "' 2>/dev/null").c_str()) == 0;
    const auto unlock = [&] {
        if (locked) (void)std::system(("chattr -i '" + folder.string() + "' 2>/dev/null").c_str());
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
    };
    // Root on a filesystem without the immutable flag can still write there: no failing save to be had.
    if (std::ofstream(folder / ".probe")) {
        std::filesystem::remove(folder / ".probe");
        unlock();
        GTEST_SKIP() << "the data folder can't be made read-only here";
    }
    app.manager()->renameWorkspace(ws.id, "Studio");
    scenario.sim.alerts.duringModal = [&](const AlertSpec&) {
        app.openLinks({"tessane://hide/Studio"});
        scenario.drain();
    };
    app.applicationWillTerminate(true);
    unlock();
    ASSERT_EQ(scenario.sim.alerts.shown().size(), 1u) << "the quit did not ask: the folder stayed writable";

    EXPECT_FALSE(hidden("Notes"));
    EXPECT_EQ(count("[Tessane] Hide workspace: Studio — not hidden, Tessane is quitting."), 1u);
    EXPECT_TRUE(scenario.ledger->hiddenBundleIDs().empty());
}

}  // namespace
}  // namespace tessane::testing
