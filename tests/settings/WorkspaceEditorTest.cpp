#include "settings/WorkspaceEditor.h"

#include "model/AppRegistry.h"
#include "settings/PaneLabels.h"
#include "support/BuilderFakes.h"
#include "support/ControllerScenario.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tessane {
namespace {

using testing::ControllerScenario;
using testing::FakeChooser;
using testing::FakeGate;
using Item = WorkspaceEditor::LayoutItem;

class WorkspaceEditorTest : public ::testing::Test {
protected:
    WorkspaceEditor& edit(const Workspace& ws) {
        if (!started) {
            s.start();
            started = true;
        }
        s.clearLog();
        editor = std::make_unique<WorkspaceEditor>(
            WorkspaceEditor::Services{.manager = s.manager.get(),
                                      .controller = &s.controller(),
                                      .alerts = &s.sim.alerts,
                                      .catalog = &s.sim.applications,
                                      .chooser = &chooser,
                                      .secondPane = &gate},
            ws.id, [this] { ++dismissals; }, [this] { ++returns; });
        editor->appear();
        return *editor;
    }
    Workspace stored(const Workspace& ws) const { return *s.manager->workspace(ws.id); }
    static std::filesystem::path app(const std::string& name) { return "/Applications/" + name + ".app"; }
    std::vector<std::string> alertTexts() const {
        std::vector<std::string> out;
        for (const auto& a : s.sim.alerts.shown()) out.push_back(a.messageText + " | " + a.informativeText);
        return out;
    }

    ControllerScenario s;
    FakeChooser chooser;
    FakeGate gate;
    bool started = false;
    int dismissals = 0, returns = 0;
    std::unique_ptr<WorkspaceEditor> editor;
};

TEST_F(WorkspaceEditorTest, ARowWithoutAStoredIconShowsTheIconOfTheAppTheSystemFinds) {
    // As a hand-edited list has them: no icon stored for Notes, a stale one kept for Mail.
    auto ws = s.addWorkspace("Write", {"Notes", "Mail", "Gone"});
    ws.apps[1].iconData = Bytes{1, 2, 3};
    s.manager->update(ws);
    s.sim.applications.removeFile("/Applications/Gone.app");
    auto& e = edit(ws);
    const auto rows = WorkspaceEditor::appRows(stored(ws));
    const int rendersBefore = s.sim.applications.iconRenderCount();

    const auto notes = e.rowIcon(rows[0].app);
    ASSERT_TRUE(notes);
    EXPECT_EQ(*notes, *s.sim.applications.iconPNG("/Applications/Notes.app", AppRegistry::kIconSide));
    EXPECT_EQ(e.rowIcon(rows[1].app), (Bytes{1, 2, 3})) << "a stored icon is what the row shows";
    EXPECT_FALSE(e.rowIcon(rows[2].app)) << "no app found: the row's placeholder";
    for (int i = 0; i < 3; ++i) e.rowIcon(rows[0].app);  // the list is redrawn at every edit
    EXPECT_EQ(s.sim.applications.iconRenderCount() - rendersBefore, 2) << "drawn once here, once by the test";
}

TEST_F(WorkspaceEditorTest, EachKeystrokeRenamesAndTheManagerTrimsAndIgnoresEmptyOrUnchangedNames) {
    auto ws = s.addWorkspace("Write", {"Notes", "Mail"});
    auto& e = edit(ws);
    EXPECT_EQ(e.nameBuffer(), "Write");
    e.typeName("  Prose  ");
    EXPECT_EQ(stored(ws).name, "Prose");
    EXPECT_EQ(e.nameBuffer(), "  Prose  ");  // the field keeps what was typed
    e.typeName("");
    EXPECT_EQ(stored(ws).name, "Prose");
    int changes = 0;
    auto sub = s.manager->observeWorkspaces([&](const auto&) { ++changes; });
    e.typeName("Prose");
    EXPECT_EQ(changes, 0);
}

TEST_F(WorkspaceEditorTest, AFullSplitOffersNoAddAndShowsAndItsRowsCarryLabelsPrimaryAndMoves) {
    auto ws = s.addWorkspace("Write", {"Notes", "Mail"});
    auto& e = edit(ws);
    const auto w = stored(ws);
    EXPECT_EQ(WorkspaceEditor::countText(w), "2 of 2");
    EXPECT_FALSE(WorkspaceEditor::canAddApp(w));
    const auto rows = WorkspaceEditor::appRows(w);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].paneLabel, "Left");
    EXPECT_EQ(rows[1].paneLabel, "Right");
    EXPECT_TRUE(rows[0].isPrimary);
    EXPECT_FALSE(rows[0].canMoveUp);
    EXPECT_TRUE(rows[0].canMoveDown);
    EXPECT_TRUE(rows[1].canMoveUp);
    EXPECT_FALSE(rows[1].canMoveDown);
    EXPECT_TRUE(WorkspaceEditor::actionButtons(w)[0].enabled);
    EXPECT_EQ(WorkspaceEditor::layoutCaption(w), "This layout tiles 2 apps.");

    e.makePrimary(rows[1].app.id);
    EXPECT_EQ(WorkspaceEditor::selectedPrimary(stored(ws)), rows[1].app.id);
    e.moveDown(rows[0].app.id);
    EXPECT_EQ(stored(ws).apps[0].displayName, "Mail");
    e.moveUp(rows[1].app.id);  // Mail is first now: moving it up changes nothing
    EXPECT_EQ(stored(ws).apps[0].displayName, "Mail");
    e.remove(rows[1].app.id);
    EXPECT_EQ(stored(ws).apps.size(), 1u);
    const auto single = WorkspaceEditor::appRows(stored(ws));
    EXPECT_FALSE(single[0].canMoveUp);
    EXPECT_FALSE(single[0].canMoveDown);
}

TEST_F(WorkspaceEditorTest, AShortGridCanTakeMoreAppsButCannotBeShown) {
    auto ws = s.addWorkspace("Desk", {"Notes", "Mail", "Music"}, LayoutType::grid2x2);
    edit(ws);
    const auto w = stored(ws);
    EXPECT_EQ(WorkspaceEditor::countText(w), "3 of 4");
    EXPECT_TRUE(WorkspaceEditor::canAddApp(w));
    const auto buttons = WorkspaceEditor::actionButtons(w);
    EXPECT_FALSE(buttons[0].enabled);
    EXPECT_FALSE(buttons[1].enabled);
    EXPECT_TRUE(buttons[2].enabled && buttons[3].enabled && buttons[4].enabled);
    EXPECT_EQ(buttons[0].help, "Show this workspace and keep Settings in front.");

    auto empty = s.addWorkspace("Empty", {});
    const auto e = stored(empty);
    EXPECT_EQ(WorkspaceEditor::countText(e), "0 of 2");
    EXPECT_FALSE(WorkspaceEditor::selectedPrimary(e));
    EXPECT_FALSE(WorkspaceEditor::actionButtons(e)[0].enabled);
}

TEST_F(WorkspaceEditorTest, ALegacyLayoutLeadsThePickerAndChoosingItWritesNothing) {
    auto ws = s.addWorkspace("Side", {"Notes", "Mail", "Music"}, LayoutType::mainSidebar);
    auto& e = edit(ws);
    const auto w = stored(ws);
    const auto items = WorkspaceEditor::layoutItems(w);
    ASSERT_EQ(items.size(), 9u);
    EXPECT_EQ(items[0], (Item{"Main + Sidebar (legacy)", std::nullopt}));
    EXPECT_EQ(items[1], (Item{"Left / Right Split", LayoutType::leftRightSplit}));
    EXPECT_EQ(items[8], (Item{"Three Columns", LayoutType::threeColumns}));
    EXPECT_EQ(WorkspaceEditor::selectedLayoutItem(w), items[0]);
    EXPECT_EQ(WorkspaceEditor::layoutCaption(w), WorkspaceEditor::kLegacyCaption);
    EXPECT_EQ(WorkspaceEditor::appRows(w)[2].paneLabel, "Sidebar 2");

    int changes = 0;
    auto sub = s.manager->observeWorkspaces([&](const auto&) { ++changes; });
    e.chooseLayout(items[0]);
    EXPECT_EQ(changes, 0);
    e.chooseLayout(items[3]);  // "2 Top / 1 Bottom"
    EXPECT_EQ(stored(ws).layout.type, LayoutType::threeTopTwoBottomOne);
    EXPECT_EQ(WorkspaceEditor::layoutItems(stored(ws)).size(), 8u);  // no legacy entry any more
}

TEST_F(WorkspaceEditorTest, ALegacyThreeColumnsLayoutCanBeTurnedIntoThreeColumnMode) {
    auto ws = s.addWorkspace("Cols", {"Notes", "Mail", "Music"}, LayoutType::threeColumns);
    auto& e = edit(ws);
    const auto items = WorkspaceEditor::layoutItems(stored(ws));
    EXPECT_EQ(items[0].label, "Three Columns (legacy)");
    EXPECT_EQ(WorkspaceEditor::selectedLayoutItem(stored(ws)), items[0]);
    e.chooseLayout(items.back());  // "Three Columns"
    const auto w = stored(ws);
    EXPECT_TRUE(w.layout.threeColumns);
    EXPECT_EQ(w.layout.type, LayoutType::threeLeftOneRightTwo);
    EXPECT_EQ(WorkspaceEditor::selectedLayoutItem(w), (Item{"Three Columns", LayoutType::threeColumns}));
}

TEST_F(WorkspaceEditorTest, ThreeColumnModeShowsAsThreeColumnsAndLeavesThroughOneLeftTwoRight) {
    auto ws = s.addWorkspace("Cols", {"Notes", "Mail", "Music"}, LayoutType::topBottomSplit);
    auto& e = edit(ws);
    e.chooseLayout({"Three Columns", LayoutType::threeColumns});
    auto w = stored(ws);
    EXPECT_EQ(WorkspaceEditor::selectedLayoutItem(w).label, "Three Columns");
    EXPECT_EQ(WorkspaceEditor::layoutCaption(w), "This layout tiles 3 apps.");
    EXPECT_EQ(WorkspaceEditor::appRows(w)[1].paneLabel, "Middle");
    EXPECT_EQ(WorkspaceEditor::countText(w), "3 of 3");

    e.chooseLayout({"1 Left / 2 Right", LayoutType::threeLeftOneRightTwo});
    w = stored(ws);
    EXPECT_FALSE(w.layout.threeColumns);
    EXPECT_EQ(w.layout.type, LayoutType::threeLeftOneRightTwo);

    e.chooseLayout({"Three Columns", LayoutType::threeColumns});
    e.chooseLayout({"2 × 2 Grid", LayoutType::grid2x2});
    w = stored(ws);
    EXPECT_FALSE(w.layout.threeColumns);
    EXPECT_EQ(w.layout.type, LayoutType::grid2x2);
}

TEST_F(WorkspaceEditorTest, ChoosingTheLayoutAlreadyShownKeepsTheRememberedFrames) {
    auto ws = s.addWorkspace("Write", {"Notes", "Mail"});
    auto w = stored(ws);
    w.lastContainerFrame = RectModel{1, 2, 300, 400};
    s.manager->update(w);
    auto& e = edit(ws);
    e.chooseLayout({"Left / Right Split", LayoutType::leftRightSplit});
    EXPECT_TRUE(stored(ws).lastContainerFrame);
    e.chooseLayout({"Top / Bottom Split", LayoutType::topBottomSplit});
    EXPECT_FALSE(stored(ws).lastContainerFrame);
}

TEST_F(WorkspaceEditorTest, AddingAppsChecksEachOneAndGoesOnAfterAFailure) {
    s.installApp("Notes");
    s.installApp("Mail");
    s.installApp("Music");
    s.installApp("Books");
    auto work = s.addWorkspace("Work", {"Mail"});
    auto ws = s.addWorkspace("Desk", {"Notes"}, LayoutType::grid2x2);
    auto& e = edit(ws);
    chooser.answers = {{app("Music"), "/home/me/notes.txt", app("Mail"), app("Notes"), app("Books")}};
    e.addApps();

    ASSERT_EQ(chooser.requests.size(), 1u);
    EXPECT_EQ(chooser.requests[0].prompt, "Add");
    EXPECT_EQ(chooser.requests[0].message, "Choose an app to add to this workspace.");
    EXPECT_TRUE(chooser.requests[0].multipleSelection);
    EXPECT_EQ(alertTexts(),
              (std::vector<std::string>{
                  "Couldn't Add App | notes.txt is not an application.",
                  "Mail is already in “Work” | An app can only belong to one workspace — its window can only be "
                  "tiled in one place. Remove it from “Work” first if you want it here."}));
    EXPECT_EQ(s.sim.alerts.shown()[0].style, AlertSpec::Style::warning);
    EXPECT_EQ(s.sim.alerts.shown()[1].style, AlertSpec::Style::informational);
    EXPECT_EQ(gate.calls, (std::vector<std::string>{"Notes|org.example.Notes|1"}));  // declined
    EXPECT_EQ(stored(ws).appsSummary(), "Notes, Music, Books");
    EXPECT_EQ(stored(work).appsSummary(), "Mail");

    gate.allow = true;
    chooser.answers = {{app("Notes"), app("Music")}};  // past the layout's four: the hint says so
    e.addApps();
    EXPECT_EQ(gate.calls.back(), "Music|org.example.Music|1");
    EXPECT_EQ(stored(ws).appsSummary(), "Notes, Music, Books, Notes, Music");
    EXPECT_EQ(*pane_labels::countMismatchHint(stored(ws)), "“2 × 2 Grid” uses 4 apps — remove 1 to fit.");
}

TEST_F(WorkspaceEditorTest, ACancelledChooserAddsNothingAndAWorkspaceGoneMeanwhileTakesNothing) {
    s.installApp("Music");
    auto ws = s.addWorkspace("Desk", {}, LayoutType::grid2x2);
    auto& e = edit(ws);
    e.addApps();
    EXPECT_TRUE(stored(ws).apps.empty());
    s.manager->deleteWorkspace(ws.id);
    chooser.answers = {{app("Music")}};
    e.addApps();
    EXPECT_TRUE(s.manager->workspaces()->empty());
    EXPECT_FALSE(e.workspace());
    EXPECT_TRUE(s.sim.alerts.shown().empty());
}

TEST_F(WorkspaceEditorTest, ShowKeepsSettingsInFrontAndShowAndClosePutsItAway) {
    s.launchApp("Notes");
    s.launchApp("Mail");
    auto ws = s.addWorkspace("Write", {"Notes", "Mail"});
    auto& e = edit(ws);
    e.runAction(0);
    EXPECT_EQ(returns, 1);
    EXPECT_EQ(dismissals, 0);
    EXPECT_EQ(s.shownNames(), (std::vector<std::string>{"Write"}));
    e.runAction(1);
    EXPECT_EQ(dismissals, 1);
    s.clearLog();
    e.runAction(3);
    e.runAction(4);
    EXPECT_EQ(s.logCount("[Tessane] Restore layout requested: Write"), 1u);
    const auto lines = s.log();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.starts_with("[Tessane] Save Current Layout: Write"); }),
              1);
    s.clearLog();
    e.runAction(2);
    EXPECT_TRUE(s.shownNames().empty());
    EXPECT_EQ(s.log().front().rfind("[Tessane] Hide workspace: ", 0), 0u);
}

TEST_F(WorkspaceEditorTest, ALayoutTheShownWorkspaceCannotFillSaysInTheWindowThatItWasHidden) {
    s.launchApp("Notes");
    s.launchApp("Mail");
    auto ws = s.addWorkspace("Write", {"Notes", "Mail"});
    auto& e = edit(ws);
    e.chooseLayout({"2 × 2 Grid", LayoutType::grid2x2});
    EXPECT_EQ(e.countHint(stored(ws)), "“2 × 2 Grid” needs 4 apps — add 2 more.") << "not shown: nothing was hidden";
    e.chooseLayout({"Left / Right Split", LayoutType::leftRightSplit});
    e.runAction(0);
    s.advance(2);
    ASSERT_EQ(s.shownNames(), (std::vector<std::string>{"Write"}));

    e.chooseLayout({"2 × 2 Grid", LayoutType::grid2x2});
    s.drain();
    EXPECT_TRUE(s.shownNames().empty()) << "withdrawn by the controller";
    EXPECT_EQ(e.countHint(stored(ws)),
              "“2 × 2 Grid” needs 4 apps — add 2 more. It was hidden until then — Show it again once it fits.");
    e.chooseLayout({"Left / Right Split", LayoutType::leftRightSplit});
    EXPECT_EQ(e.countHint(stored(ws)), std::nullopt);
}

}  // namespace
}  // namespace tessane
