#include "support/ControllerScenario.h"

#include "model/HiddenAppStore.h"
#include "platform/Defaults.h"

#include <gtest/gtest.h>

namespace tessane::testing {
namespace {

using Lines = ControllerScenario::Lines;
using Ids = std::vector<std::string>;

// Write (Notes, Mail, Books) and Listen (Music, Photos) shown, Listen front; Books is installed
// but not running; Maps runs outside every workspace.
class Hide : public ::testing::Test {
protected:
    void SetUp() override {
        s.launchApp("Notes", {.document = "/home/me/Plan.txt"});
        for (auto name : {"Mail", "Music", "Photos", "Maps"}) s.launchApp(name);
        write = s.addWorkspace("Write", {"Notes", "Mail", "Books"});
        listen = s.addWorkspace("Listen", {"Music", "Photos"});
        s.start();
        s.putUp(write);
        s.putUp(listen);
        s.drain();
        s.clearLog();
    }

    bool hidden(const std::string& name) { return s.sim.applications.runningApplication(s.pid(name))->isHidden; }
    Ids ledger() { return s.ledger->hiddenBundleIDs(); }

    ControllerScenario s;
    Workspace write, listen;
};

TEST_F(Hide, HidesAndRecordsExactlyTheRunningAppsAndRemembersTheirDocuments) {
    s.ledger->record({"org.example.Zoo"});  // left by an earlier hide
    // A document is told only once the apps were asked to hide: a long recent-files list to
    // parse does not hold the hide up.
    std::optional<bool> hiddenWhenRead;
    s.sim.accessibility.onRead = [&](const AXElement&, std::string_view attribute) {
        if (attribute == ax::kDocument && !hiddenWhenRead) hiddenWhenRead = hidden("Notes") && hidden("Mail");
    };
    // What is owed is on disk before the first app is asked to go: a kill then loses nothing.
    std::optional<Defaults::Value> ledgerOnDiskAtFirstHide;
    s.sim.applications.onHide = [&](Pid) {
        if (!ledgerOnDiskAtFirstHide) ledgerOnDiskAtFirstHide = s.sim.defaults.flushedValue(UserDefaultsHiddenAppStore::kKey);
    };
    s.controller().hideWorkspace(write.id);
    s.sim.accessibility.onRead = nullptr;
    s.sim.applications.onHide = nullptr;

    EXPECT_EQ(hiddenWhenRead, true);
    EXPECT_EQ(ledgerOnDiskAtFirstHide,
              Defaults::Value(std::vector<std::string>{"org.example.Mail", "org.example.Notes", "org.example.Zoo"}));
    EXPECT_TRUE(hidden("Notes"));
    EXPECT_TRUE(hidden("Mail"));
    EXPECT_FALSE(hidden("Music"));
    EXPECT_EQ(ledger(), (Ids{"org.example.Mail", "org.example.Notes", "org.example.Zoo"}));  // Books is not running
    EXPECT_EQ(s.workspace(write.id).apps[0].lastDocumentPath, "/home/me/Plan.txt");
    EXPECT_EQ(s.log(), (Lines{"[Tessane] Hide workspace: Write", "[Tessane] Notes: its pane now reopens “Plan.txt”."}));
    EXPECT_EQ(s.probe().session(write.id), nullptr);
    EXPECT_EQ(s.shownNames(), (std::vector<std::string>{"Listen"}));
    EXPECT_FALSE(s.chrome(write.id).isVisible);
    EXPECT_EQ(s.workspace(write.id).lastContainerFrame, RectModel::from({40, 60, 1200, 700}));  // the frame is kept
    // Not the front one: the front workspace and its chrome stay as they were.
    EXPECT_EQ(s.manager->activeWorkspaceID().get(), listen.id);
    EXPECT_TRUE(s.chrome(listen.id).isVisible);
}

TEST_F(Hide, AnAppTheUserHadHiddenIsRecordedToo) {
    s.sim.applications.hide(s.pid("Mail"));
    s.controller().hideWorkspace(write.id);
    EXPECT_EQ(ledger(), (Ids{"org.example.Mail", "org.example.Notes"}));
}

TEST_F(Hide, TheFrontWorkspaceHandsTheFrontToTheMostRecentOther) {
    const auto third = s.addWorkspace("Read", {"Maps", "Photos"});
    s.putUp(third);
    s.putUp(listen);  // front again; Read is the most recent before it
    s.clearLog();

    s.controller().hideActiveWorkspace();

    EXPECT_EQ(s.log(), (Lines{"[Tessane] Hide active workspace requested: Listen", "[Tessane] Hide workspace: Listen",
                              "[Tessane] Hide workspace: kept Photos visible — “Read” is still shown and tiles it.",
                              "[Tessane] Active workspace changed: Listen → Read"}));
    EXPECT_EQ(s.manager->activeWorkspaceID().get(), third.id);
    EXPECT_EQ(s.probe().recentWorkspaceIDs().front(), third.id);
    EXPECT_TRUE(hidden("Music"));
    EXPECT_FALSE(hidden("Photos"));  // Read's pane would go dark
    EXPECT_EQ(ledger(), (Ids{"org.example.Music"}));
}

// The manager hands the focus to Write's Notes once Listen, which held it, is hidden; heard only
// after the user showed Listen again, that is not the user's choice. A later one of theirs is.
TEST_F(Hide, TheFocusTheManagerGivesBackAfterAHideLeavesALaterShowInFront) {
    for (auto name : {"Notes", "Music"}) {
        s.activate(name);
        s.advance(2);
    }
    s.clearLog();
    s.controller().hideActiveWorkspace();
    s.controller().showWorkspace(listen.id);
    s.advance(2);
    EXPECT_EQ(s.logCount("App focus: org.example.Notes"), 0u);
    EXPECT_EQ(s.manager->activeWorkspaceID().get(), listen.id);
    EXPECT_TRUE(s.probe().session(listen.id)->chrome->isVisible());
    EXPECT_EQ(s.sim.applications.frontmostApplication()->bundleIdentifier, "org.example.Music");
    s.activate("Mail");
    EXPECT_EQ(s.logCount("[Tessane] App focus: org.example.Mail — owner=Write → auto-frame show"), 1u);
}

TEST_F(Hide, AnAppSharedWithAShownWorkspaceStaysUpUntilTheLastOneGoes) {
    const auto other = s.addWorkspace("Mailbox", {"Mail", "Maps"});
    s.putUp(other);
    s.controller().hideWorkspace(write.id);
    EXPECT_FALSE(hidden("Mail"));
    EXPECT_EQ(ledger(), (Ids{"org.example.Notes"}));
    EXPECT_EQ(s.logCount("kept Mail visible — “Mailbox” is still shown and tiles it."), 1u);

    s.controller().hideWorkspace(other.id);
    EXPECT_TRUE(hidden("Mail"));
    EXPECT_TRUE(hidden("Maps"));
    EXPECT_EQ(ledger(), (Ids{"org.example.Mail", "org.example.Maps", "org.example.Notes"}));
}

TEST_F(Hide, HideAllWithThreeShownLeavesNothingShownOrActive) {
    const auto third = s.addWorkspace("Read", {"Maps", "Mail"});
    s.putUp(third);
    s.clearLog();

    // With nowhere to note what it hides, nothing is hidden and the user is told once.
    s.sim.defaults.failFlushes("preferences could not be saved: No space left on device");
    s.controller().hideAllWorkspaces();
    EXPECT_EQ(s.log(), (Lines{"[Tessane] Hide All Workspaces: 3 shown.", "[Tessane] Hide workspace: Write",
                              "[Tessane] Hide workspace: Write — not hidden, the apps it would hide could not be noted "
                              "(preferences could not be saved: No space left on device)."}));
    ASSERT_EQ(s.sim.alerts.shown().size(), 1u);
    EXPECT_EQ(s.sim.alerts.shown()[0].messageText, "“Write” was not hidden");
    EXPECT_EQ(s.shownNames().size(), 3u);
    for (auto name : {"Notes", "Mail", "Music"}) EXPECT_FALSE(hidden(name)) << name;
    EXPECT_TRUE(ledger().empty());
    s.sim.defaults.failFlushes(std::nullopt);
    s.clearLog();

    s.controller().hideAllWorkspaces();

    EXPECT_EQ(s.log(), (Lines{"[Tessane] Hide All Workspaces: 3 shown.", "[Tessane] Hide workspace: Write",
                              "[Tessane] Notes: its pane now reopens “Plan.txt”.",
                              "[Tessane] Hide workspace: kept Mail visible — “Read” is still shown and tiles it.",
                              "[Tessane] Hide workspace: Listen",
                              "[Tessane] Hide workspace: Read", "[Tessane] Active workspace changed: Read → none"}));
    EXPECT_EQ(s.probe().sessionCount(), 0u);
    EXPECT_EQ(s.manager->activeWorkspaceID().get(), std::nullopt);
    EXPECT_TRUE(s.shownNames().empty());
    for (auto name : {"Notes", "Mail", "Music", "Photos", "Maps"}) EXPECT_TRUE(hidden(name)) << name;
    EXPECT_EQ(ledger(), (Ids{"org.example.Mail", "org.example.Maps", "org.example.Music", "org.example.Notes",
                             "org.example.Photos"}));
    EXPECT_FALSE(s.probe().hasStageManagerPointerMonitor());
}

TEST_F(Hide, NothingToHide) {
    s.controller().hideAllWorkspaces();
    s.controller().hideAllWorkspaces();  // nothing shown any more: silent
    s.clearLog();
    s.controller().hideAllWorkspaces();
    s.controller().hideActiveWorkspace();
    s.controller().hideWorkspace(Uuid::random());
    EXPECT_EQ(s.log(), (Lines{"[Tessane] Hide active workspace requested, but none is active — ignored."}));
}

TEST_F(Hide, AWorkspaceThatIsNotShownStillHasItsAppsHiddenAndRecorded) {
    const auto other = s.addWorkspace("Away", {"Maps", "Books"});
    s.controller().hideWorkspace(other.id);
    EXPECT_TRUE(hidden("Maps"));
    EXPECT_EQ(ledger(), (Ids{"org.example.Maps"}));
    EXPECT_EQ(s.probe().sessionCount(), 2u);
    EXPECT_EQ(s.manager->activeWorkspaceID().get(), listen.id);
}

TEST_F(Hide, APendingUnhideSettleIsCancelled) {
    auto settle = s.probe().unhideSettleWorkItem() = s.sim.mainQueue.postAfter(0.4, [] {});
    s.controller().hideWorkspace(listen.id);
    EXPECT_TRUE(settle->isCancelled());
    EXPECT_EQ(s.probe().unhideSettleWorkItem(), nullptr);
}

}  // namespace
}  // namespace tessane::testing
