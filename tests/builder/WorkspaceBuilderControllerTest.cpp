#include "builder/WorkspaceBuilderController.h"

#include "model/WorkspaceManager.h"
#include "model/WorkspaceStore.h"
#include "platform/sim/SimPlatform.h"
#include "support/BuilderFakes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tessane {
namespace {

using ::testing::ElementsAre;

using testing::FakeChooser;
using testing::FakeGate;
using testing::exampleApp;

// What the view would do with the panel: the seed it got and the actions it may call.
struct PanelRecord {
    std::vector<ManagedApp> seed;
    BuilderActions actions;
    int fronted = 0;
    bool closed = false;
};

struct FakePanel : BuilderPanel {
    explicit FakePanel(std::shared_ptr<PanelRecord> r) : record(std::move(r)) {}
    void bringToFront() override { ++record->fronted; }
    void close() override { record->closed = true; }
    std::shared_ptr<PanelRecord> record;
};

class WorkspaceBuilderControllerTest : public ::testing::Test {
protected:
    WorkspaceBuilderControllerTest() {
        for (const char* name : {"Notes", "Mail", "Terminal"})
            sim.applications.installApp(std::string("/Applications/") + name + ".app",
                                        {std::string("org.example.") + name, name, name});
        sim.applications.addFile("/Documents/plan.txt");
        builder = std::make_unique<WorkspaceBuilderController>(
            WorkspaceBuilderController::Services{&manager, &sim.alerts, &sim.applications, &chooser, &gate,
                                                 [this](const std::vector<ManagedApp>& seed, BuilderActions actions) {
                                                     auto r = std::make_shared<PanelRecord>();
                                                     r->seed = seed;
                                                     r->actions = std::move(actions);
                                                     panels.push_back(r);
                                                     return std::make_unique<FakePanel>(r);
                                                 }},
            [this](const std::string& name, LayoutType layout, const std::vector<ManagedApp>& apps) {
                createdWhileOpen = builder->isOpen();
                created.push_back({name, layout, apps});
            });
    }

    struct Created {
        std::string name;
        LayoutType layout;
        std::vector<ManagedApp> apps;
    };

    sim::SimPlatform sim;
    WorkspaceManager manager{WorkspaceStore(sim.environment.dataFolder()), sim.applications};
    FakeChooser chooser;
    FakeGate gate;
    std::vector<std::shared_ptr<PanelRecord>> panels;
    std::vector<Created> created;
    bool createdWhileOpen = true;
    std::unique_ptr<WorkspaceBuilderController> builder;
};

TEST_F(WorkspaceBuilderControllerTest, ShowWhileOpenOnlyBringsThePanelForward) {
    builder->show({exampleApp("Notes")});
    builder->show({exampleApp("Mail")});
    ASSERT_EQ(panels.size(), 1u);
    EXPECT_EQ(panels[0]->seed[0].displayName, "Notes");
    EXPECT_EQ(panels[0]->fronted, 1);

    panels[0]->actions.cancel();
    EXPECT_TRUE(panels[0]->closed);
    EXPECT_FALSE(builder->isOpen());
    builder->show({exampleApp("Mail")});
    ASSERT_EQ(panels.size(), 2u);
    EXPECT_EQ(panels[1]->seed[0].displayName, "Mail");
}

TEST_F(WorkspaceBuilderControllerTest, CreateClosesThePanelFirstThenHandsOverInPaneOrder) {
    builder->show({});
    panels[0]->actions.create("New Workspace", LayoutType::threeColumns,
                              {exampleApp("Terminal"), exampleApp("Notes"), exampleApp("Mail")});
    EXPECT_TRUE(panels[0]->closed);
    EXPECT_FALSE(createdWhileOpen);
    ASSERT_EQ(created.size(), 1u);
    EXPECT_EQ(created[0].name, "New Workspace");
    EXPECT_EQ(created[0].layout, LayoutType::threeColumns);
    EXPECT_EQ(created[0].apps[0].displayName, "Terminal");
    EXPECT_EQ(created[0].apps[2].displayName, "Mail");
    builder->show({});
    EXPECT_EQ(panels.size(), 2u);
}

TEST_F(WorkspaceBuilderControllerTest, PickBuildsAFreshRecordFromTheChosenEntry) {
    chooser.answers.push_back({"/Applications/Notes.app"});
    auto picked = builder->pickApp({});
    ASSERT_TRUE(picked);
    EXPECT_EQ(picked->bundleIdentifier, "org.example.Notes");
    ASSERT_EQ(chooser.requests.size(), 1u);
    EXPECT_EQ(chooser.requests[0].prompt, "Choose");
    EXPECT_EQ(chooser.requests[0].message, "Choose an application for this pane.");
    EXPECT_FALSE(chooser.requests[0].multipleSelection);
    // Cancelled: nothing, no alert.
    EXPECT_EQ(builder->pickApp({}), std::nullopt);
    EXPECT_TRUE(sim.alerts.shown().empty());
}

TEST_F(WorkspaceBuilderControllerTest, AFileThatIsNoAppIsExplained) {
    chooser.answers.push_back({"/Documents/plan.txt"});
    EXPECT_EQ(builder->pickApp({}), std::nullopt);
    ASSERT_EQ(sim.alerts.shown().size(), 1u);
    const AlertSpec& a = sim.alerts.shown()[0];
    EXPECT_EQ(a.messageText, "Couldn’t add that app");
    EXPECT_FALSE(a.informativeText.empty());
    EXPECT_EQ(a.style, AlertSpec::Style::informational);
    EXPECT_THAT(a.buttons, ElementsAre("OK"));
}

TEST_F(WorkspaceBuilderControllerTest, AnAppOfAnotherWorkspaceIsRefusedWithItsName) {
    auto ws = manager.createWorkspace("Write");
    ManagedApp notes = exampleApp("Notes");
    manager.addApp(notes, ws.id);
    chooser.answers.push_back({"/Applications/Notes.app"});
    EXPECT_EQ(builder->pickApp({}), std::nullopt);
    ASSERT_EQ(sim.alerts.shown().size(), 1u);
    EXPECT_EQ(sim.alerts.shown()[0].messageText, "Notes is already in “Write”");
    EXPECT_EQ(sim.alerts.shown()[0].informativeText,
              "An app can only belong to one workspace — its window can only be tiled in one place. "
              "Remove it from “Write” first if you want it here.");
    EXPECT_TRUE(gate.calls.empty());
}

TEST_F(WorkspaceBuilderControllerTest, ASecondPaneIsSettledWithTheUserBeforeTheWorkspaceCheck) {
    auto ws = manager.createWorkspace("Write");
    manager.addApp(exampleApp("Notes"), ws.id);
    const std::vector<ManagedApp> here{exampleApp("Notes"), exampleApp("Mail"), exampleApp("Notes")};

    chooser.answers.push_back({"/Applications/Notes.app"});
    EXPECT_EQ(builder->pickApp(here), std::nullopt);  // the prompt refuses: no alert of ours
    EXPECT_THAT(gate.calls, ElementsAre("Notes|org.example.Notes|2"));
    EXPECT_TRUE(sim.alerts.shown().empty());

    gate.allow = true;
    chooser.answers.push_back({"/Applications/Notes.app"});
    EXPECT_EQ(builder->pickApp(here), std::nullopt);  // allowed, then the other workspace refuses
    EXPECT_EQ(sim.alerts.shown().size(), 1u);

    chooser.answers.push_back({"/Applications/Mail.app"});
    EXPECT_TRUE(builder->pickApp(here));
    EXPECT_EQ(gate.calls.size(), 3u);
}

TEST_F(WorkspaceBuilderControllerTest, ThePanelsActionsDoNothingOnceTheControllerIsGone) {
    builder->show({});
    auto actions = panels[0]->actions;
    chooser.answers.push_back({"/Applications/Notes.app"});
    builder.reset();
    EXPECT_TRUE(panels[0]->closed);
    EXPECT_EQ(actions.pick({}), std::nullopt);
    EXPECT_TRUE(chooser.requests.empty());
    actions.create("X", LayoutType::leftRightSplit, {});
    actions.cancel();
    EXPECT_TRUE(created.empty());
}

}  // namespace
}  // namespace tessane
