#include "controller/ControllerDefaultsKeys.h"
#include "support/ControllerScenario.h"

#include <gtest/gtest.h>

namespace tessane::testing {
namespace {

using Lines = ControllerScenario::Lines;
using Ids = std::vector<std::string>;
constexpr const char* kAskedAt = ControllerDefaultsKeys::kUnhideAskedAt;

// Notes runs hidden (Tessane hid it), Mail runs visible; "org.example.Gone" no longer runs.
class OwedApps : public ::testing::Test {
protected:
    void SetUp() override {
        s.launchApp("Notes", {.hidden = true});
        s.launchApp("Mail");
        s.start();
        s.clearLog();
    }

    void quitAgo(double seconds) { s.sim.defaults.set(kAskedAt, s.sim.mainQueue.now() - seconds); }
    bool hidden(const std::string& name) { return s.sim.applications.runningApplication(s.pid(name))->isHidden; }
    int asked(const std::string& name) { return s.sim.applications.unhideRequests(s.pid(name)); }
    Ids ledger() { return s.ledger->hiddenBundleIDs(); }

    ControllerScenario s;
};

TEST_F(OwedApps, AnEmptyLedgerSaysNothingAndKeepsTheDate) {
    quitAgo(600);
    s.controller().recoverHiddenAppsFromPreviousRun();
    EXPECT_TRUE(s.log().empty());
    EXPECT_TRUE(s.sim.defaults.value(kAskedAt).has_value());
}

TEST_F(OwedApps, ShortlyAfterAQuitTheAppsAreOwed) {
    s.ledger->record({"org.example.Notes", "org.example.Gone"});
    quitAgo(30);
    s.controller().recoverHiddenAppsFromPreviousRun();

    EXPECT_EQ(s.log(), (Lines{"[Tessane] Ledger has 2 app(s) owed — settling (previous run was killed, or its unhide "
                              "request didn't land).",
                              "[Tessane] Unhide-on-launch-recovery: asked 1 of 2 app(s) to come back — will confirm "
                              "and settle the ledger."}));
    EXPECT_FALSE(hidden("Notes"));
    EXPECT_EQ(ledger(), (Ids{"org.example.Notes"}));  // the one not running is forgotten at once
    EXPECT_FALSE(s.sim.defaults.value(kAskedAt).has_value());
    s.advance(0.4);  // the settle sees it back
    EXPECT_TRUE(ledger().empty());
}

TEST_F(OwedApps, LongAfterAQuitTheEntriesAreStale) {
    s.ledger->record({"org.example.Notes", "org.example.Gone"});
    quitAgo(300);
    s.controller().recoverHiddenAppsFromPreviousRun();

    EXPECT_EQ(s.log(), (Lines{"[Tessane] Ledger had 2 stale entr(y/ies) from a clean quit — dropped without unhiding "
                              "(a still-hidden app that long after a quit is the user's own)."}));
    EXPECT_TRUE(hidden("Notes"));
    EXPECT_TRUE(ledger().empty());
    EXPECT_FALSE(s.sim.defaults.value(kAskedAt).has_value());
    s.advance(5);
    EXPECT_EQ(s.sim.applications.unhideRequests(s.pid("Notes")), 0);
}

TEST_F(OwedApps, WithoutAUsableDateEveryEntryIsOwed) {
    struct Case {
        const char* what;
        std::function<void()> setUp;
    };
    const Case cases[] = {
        {"after a crash (no date)", [] {}},
        {"a date in the future", [&] { quitAgo(-3600); }},
        {"just under 90 s", [&] { quitAgo(89.5); }},
        {"not a date", [&] { s.sim.defaults.set(kAskedAt, std::string("yesterday")); }},
    };
    for (const auto& c : cases) {
        s.sim.applications.hide(s.pid("Notes"));
        s.ledger->record({"org.example.Notes"});
        c.setUp();
        s.clearLog();
        s.controller().recoverHiddenAppsFromPreviousRun();
        EXPECT_EQ(s.logCount("Ledger has 1 app(s) owed"), 1u) << c.what;
        EXPECT_FALSE(hidden("Notes")) << c.what;
        EXPECT_FALSE(s.sim.defaults.value(kAskedAt).has_value()) << c.what;
        s.advance(0.5);
        EXPECT_TRUE(ledger().empty()) << c.what;
    }
}

TEST_F(OwedApps, AKillBetweenHideAndQuitIsRecoveredAtTheNextStart) {
    s.launchApp("Photos");
    const auto ws = s.addWorkspace("Write", {"Mail", "Photos"});
    s.putUp(ws);
    s.controller().hideWorkspace(ws.id);
    ASSERT_TRUE(hidden("Mail"));
    ASSERT_EQ(ledger(), (Ids{"org.example.Mail", "org.example.Photos"}));

    s.stop();  // killed: no quit housekeeping ran
    s.advance(600);
    s.start();
    s.clearLog();
    s.controller().recoverHiddenAppsFromPreviousRun();

    EXPECT_EQ(s.logCount("Ledger has 2 app(s) owed"), 1u);
    EXPECT_FALSE(hidden("Mail"));
    EXPECT_FALSE(hidden("Photos"));
    s.advance(0.4);
    EXPECT_TRUE(ledger().empty());
}

// ------------------------------------------------------------------ the unhide settle

TEST_F(OwedApps, AppsThatCameBackOrQuitLeaveTheLedgerInOneRun) {
    s.ledger->record({"org.example.Mail", "org.example.Gone"});
    s.probe().scheduleUnhideSettle({"org.example.Mail", "org.example.Gone"}, 0);
    const auto item = s.probe().unhideSettleWorkItem();

    s.advance(0.39);
    EXPECT_EQ(s.ledger->hiddenBundleIDs().size(), 2u);
    s.advance(0.01);
    EXPECT_TRUE(s.ledger->hiddenBundleIDs().empty());
    EXPECT_EQ(s.probe().unhideSettleWorkItem(), item);  // nothing rescheduled
    EXPECT_EQ(asked("Mail"), 0);
    EXPECT_TRUE(s.log().empty());
}

TEST_F(OwedApps, AnAppThatStaysHiddenIsAskedFiveTimesThenKept) {
    s.sim.applications.setIgnoresUnhide(s.pid("Notes"), true);
    s.ledger->record({"org.example.Notes"});
    s.probe().scheduleUnhideSettle({"org.example.Notes"}, 0);

    for (int run = 1; run <= 5; ++run) {
        s.advance(0.39);
        EXPECT_EQ(asked("Notes"), run - 1);
        s.advance(0.01);
        EXPECT_EQ(asked("Notes"), run) << "at " << 0.4 * run << " s";
    }
    EXPECT_EQ(s.log(), (Lines{"[Tessane] Unhide: org.example.Notes still hidden after retries — kept in the ledger "
                              "so the next launch tries again."}));
    s.advance(5);
    EXPECT_EQ(asked("Notes"), 5);
    EXPECT_EQ(s.ledger->hiddenBundleIDs(), (Ids{"org.example.Notes"}));
}

TEST_F(OwedApps, AnAppThatComesBackOnALaterRequestIsSettledThen) {
    s.sim.applications.setIgnoresUnhide(s.pid("Notes"), true);
    s.ledger->record({"org.example.Notes"});
    s.probe().scheduleUnhideSettle({"org.example.Notes"}, 0);
    s.advance(1.0);  // asked at 0.4 and 0.8, in vain
    s.sim.applications.setIgnoresUnhide(s.pid("Notes"), false);
    s.advance(0.25);  // asked at 1.2: it comes back
    EXPECT_FALSE(hidden("Notes"));
    EXPECT_EQ(s.ledger->hiddenBundleIDs(), (Ids{"org.example.Notes"}));
    s.advance(0.4);  // 1.6: seen visible, forgotten
    EXPECT_TRUE(s.ledger->hiddenBundleIDs().empty());
    s.advance(5);
    EXPECT_EQ(asked("Notes"), 3);
    EXPECT_TRUE(s.log().empty());
}

TEST_F(OwedApps, ANewSettleReplacesThePendingOne) {
    s.ledger->record({"org.example.Mail", "org.example.Gone"});
    s.probe().scheduleUnhideSettle({"org.example.Gone"}, 0);
    s.advance(0.2);
    s.probe().scheduleUnhideSettle({"org.example.Mail"}, 0);
    s.advance(1);
    EXPECT_EQ(s.ledger->hiddenBundleIDs(), (Ids{"org.example.Gone"}));
}

TEST_F(OwedApps, NothingHappensOnceTheControllerIsGone) {
    s.ledger->record({"org.example.Mail"});
    s.probe().scheduleUnhideSettle({"org.example.Mail"}, 0);
    s.stop();
    s.advance(1);
    EXPECT_EQ(s.ledger->hiddenBundleIDs(), (Ids{"org.example.Mail"}));
}

TEST(QuitHousekeeping, AtQuitRunningAppsAreAskedBackAndTheLedgerIsKept) {
    ControllerScenario s;
    s.launchApp("Notes", {.hidden = true});
    s.launchApp("Mail", {.hidden = true});
    s.start();
    s.ledger->record({"org.example.Notes", "org.example.Mail", "org.example.Gone"});
    s.clearLog();

    s.controller().unhideAppsTessaneHid(WorkspaceController::UnhideOccasion::quit);

    EXPECT_EQ(s.log(), (Lines{"[Tessane] Unhide-on-quit: asked 2 of 3 app(s) to come back (ledger kept; the next "
                              "launch settles it)."}));
    for (auto name : {"Notes", "Mail"}) EXPECT_FALSE(s.sim.applications.runningApplication(s.pid(name))->isHidden);
    EXPECT_EQ(s.ledger->hiddenBundleIDs(), (Ids{"org.example.Gone", "org.example.Mail", "org.example.Notes"}));
    EXPECT_EQ(s.probe().unhideSettleWorkItem(), nullptr);  // no settle at quit

    s.ledger->forget({"org.example.Gone", "org.example.Mail", "org.example.Notes"});
    s.clearLog();
    s.controller().unhideAppsTessaneHid(WorkspaceController::UnhideOccasion::quit);
    EXPECT_TRUE(s.log().empty());
}

TEST(QuitHousekeeping, FlushWritesOnlyTheShownWorkspacesWithAPendingSave) {
    ControllerScenario s;
    for (auto name : {"Notes", "Mail", "Music", "Photos"}) s.launchApp(name);
    const auto write = s.addWorkspace("Write", {"Notes", "Mail"});
    const auto listen = s.addWorkspace("Listen", {"Music", "Photos"});
    const auto gone = s.addWorkspace("Gone", {"Notes", "Music"});
    const auto unsaved = s.addWorkspace("Unsaved", {"Mail", "Photos"});
    s.start();
    s.putUp(write, {40, 60, 1000, 700});
    s.putUp(listen, {80, 90, 900, 600});
    s.putUp(gone);
    s.putUp(unsaved, {10, 10, 900, 600});
    auto p = s.probe();
    std::vector<std::shared_ptr<WorkItem>> items;
    for (const auto* ws : {&write, &listen, &gone})
        items.push_back(p.persists().schedule(ws->id, 0.5, [] {}));
    p.session(listen.id)->containerAXRect.reset();  // nothing to write for it
    s.manager->deleteWorkspace(gone.id);
    s.clearLog();

    s.controller().flushPendingFramePersists();

    EXPECT_EQ(s.log(), (Lines{"[Tessane] Flushed 3 pending container-frame save(s) on quit."}));
    for (auto& item : items) EXPECT_TRUE(item->isCancelled());
    EXPECT_TRUE(p.persists().pending().empty());
    const auto topology = p.currentTopology();
    ASSERT_TRUE(topology);
    const auto stored = s.workspace(write.id);
    EXPECT_EQ(stored.lastContainerFrame, (RectModel{40, 60, 1000, 700}));
    EXPECT_EQ(stored.topologyFrames, (std::map<std::string, RectModel>{{*topology, RectModel{40, 60, 1000, 700}}}));
    EXPECT_EQ(s.workspace(listen.id).lastContainerFrame, std::nullopt);
    EXPECT_EQ(s.workspace(unsaved.id).lastContainerFrame, std::nullopt);  // no save was pending for it

    s.clearLog();
    s.controller().flushPendingFramePersists();  // nothing pending: silent
    EXPECT_TRUE(s.log().empty());
}

TEST(QuitHousekeeping, RemembersTheDocumentsOfEveryShownPane) {
    ControllerScenario s;
    s.launchApp("Notes", {.document = "/home/me/Plan.txt"});
    s.launchApp("Mail");
    s.launchApp("Pages", {.document = "/home/me/Letter.txt"});
    s.launchApp("Music");
    const auto write = s.addWorkspace("Write", {"Notes", "Mail"});
    const auto letters = s.addWorkspace("Letters", {"Pages", "Music"});
    s.start();
    s.putUp(write);
    s.putUp(letters);

    s.controller().rememberAllDocuments();

    EXPECT_EQ(s.workspace(write.id).apps[0].lastDocumentPath, "/home/me/Plan.txt");
    EXPECT_EQ(s.workspace(letters.id).apps[0].lastDocumentPath, "/home/me/Letter.txt");
}

}  // namespace
}  // namespace tessane::testing
