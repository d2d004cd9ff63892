#include "support/ControllerScenario.h"

#include "platform/Accessibility.h"

#include <gtest/gtest.h>

namespace tessane::testing {
namespace {

using Lines = ControllerScenario::Lines;

TEST(DocumentMemory, EachPaneRemembersItsWindowsDocumentOnceAndAShowFindsItAgain) {
    ControllerScenario s;
    s.launchApp("Notes", {.windows = 2});
    s.window("Notes", 0).setDocument("file:///home/me/Plan.txt");  // front window: the first pane's
    s.window("Notes", 1).setDocument("file:///home/me/Budget.txt");
    auto ws = s.addWorkspace("Write", {"Notes", "Notes"});
    s.start();
    s.putUp(ws);
    s.clearLog();

    s.probe().rememberDocuments(ws.id);
    s.probe().rememberDocuments(ws.id);  // the same documents again: nothing new to say

    EXPECT_EQ(s.log(), (Lines{"[Tessane] Notes: its pane now reopens “Plan.txt”.",
                              "[Tessane] Notes: its pane now reopens “Budget.txt”."}));
    const auto stored = s.workspace(ws.id);
    EXPECT_EQ(stored.apps[0].lastDocumentPath, "/home/me/Plan.txt");
    EXPECT_EQ(stored.apps[1].lastDocumentPath, "/home/me/Budget.txt");

    // What the next show opens: only documents that still exist.
    s.sim.applications.addFile("/home/me/Plan.txt");
    const auto documents = s.probe().rememberedDocuments(stored.apps);
    ASSERT_EQ(documents.size(), 1u);
    EXPECT_EQ(documents[0].pane.id, stored.apps[0].id);
    EXPECT_EQ(documents[0].url, std::filesystem::path("/home/me/Plan.txt"));
}

// A window's document (its process's open files, the recent lists: slow to read) decides
// nothing for a pane that remembers none: a pass reads it once the windows have moved.
TEST(DocumentMemory, APassReadsTheDocumentOfAWindowItChoseOnlyOnceTheWindowHasMoved) {
    ControllerScenario s;
    s.launchApp("Notes");
    s.window("Notes").setDocument("file:///home/me/Plan.txt");
    auto ws = s.addWorkspace("Write", {"Notes"});
    s.start();
    s.putUp(ws);
    s.probe().clearWindowCache();
    s.clearLog();
    auto& access = s.sim.accessibility;
    const AXElement window = s.window("Notes").element();
    std::optional<size_t> movesBeforeRead;
    access.clearWrites();
    access.onRead = [&](const AXElement& element, std::string_view attribute) {
        if (element == window && attribute == ax::kDocument && !movesBeforeRead)
            movesBeforeRead = access.writeCount(window, ax::kPosition) + access.writeCount(window, ax::kSize);
    };
    s.probe().placeWindows(s.workspace(ws.id), true);
    access.onRead = nullptr;
    ASSERT_TRUE(movesBeforeRead);
    EXPECT_GT(*movesBeforeRead, 0u);
    EXPECT_EQ(s.log(), (Lines{"[Tessane] Notes: its pane now reopens “Plan.txt”."}));
    EXPECT_EQ(s.workspace(ws.id).apps[0].lastDocumentPath, "/home/me/Plan.txt");
}

TEST(DocumentMemory, AWindowWithoutADocumentKeepsWhatWasRemembered) {
    ControllerScenario s;
    s.launchApp("Notes");
    s.launchApp("Mail");
    auto ws = s.addWorkspace("Write", {"Notes", "Mail"});
    s.manager->setLastDocument("/home/me/Old.txt", ws.apps[0].id);
    s.start();
    s.putUp(ws);
    s.clearLog();

    s.probe().rememberDocuments(ws.id);

    EXPECT_TRUE(s.log().empty());
    EXPECT_EQ(s.workspace(ws.id).apps[0].lastDocumentPath, "/home/me/Old.txt");
}

TEST(DocumentMemory, NothingIsRememberedForAWorkspaceThatIsNotShownOrWasDeleted) {
    ControllerScenario s;
    s.launchApp("Notes", {.document = "/home/me/Plan.txt"});
    auto ws = s.addWorkspace("Write", {"Notes", "Mail"});
    s.start();
    s.clearLog();
    s.probe().rememberDocuments(ws.id);
    EXPECT_TRUE(s.log().empty());
    s.putUp(ws);
    s.manager->deleteWorkspace(ws.id);
    s.clearLog();
    s.probe().rememberDocuments(ws.id);
    EXPECT_TRUE(s.log().empty());
}

TEST(DocumentMemory, SiblingPanesAreTheOtherPanesOfTheSameAppInTheFirstWorkspaceHoldingIt) {
    ControllerScenario s;
    auto first = s.addWorkspace("Write", {"Notes", "Mail", "Notes"});
    auto second = s.addWorkspace("Read", {"Notes", "Notes"});
    s.start();

    auto siblings = s.probe().siblingPanes(first.apps[0]);
    ASSERT_EQ(siblings.size(), 1u);
    EXPECT_EQ(siblings[0].id, first.apps[2].id);
    EXPECT_EQ(s.probe().siblingPanes(second.apps[1]).at(0).id, second.apps[0].id);
    EXPECT_TRUE(s.probe().siblingPanes(first.apps[1]).empty());
    ManagedApp elsewhere;
    elsewhere.bundleIdentifier = ControllerScenario::bundleID("Notes");
    EXPECT_TRUE(s.probe().siblingPanes(elsewhere).empty());
}

}  // namespace
}  // namespace tessane::testing
