// The stored workspace list under load and faults, with the whole program: a very long list
// neither stalls the settings window nor the hot keys, a kill in the middle of a save leaves the
// file whole, and another program's edit is read in rather than written over.
#include "EndToEndTest.h"

#include "model/WorkspaceStore.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>  // the ICCCM window states

#include <csignal>

namespace tessane::e2e {
namespace {

class WorkspaceFileTest : public EndToEndTest {
protected:
    // The pair first, then `count` - 1 more workspaces of the same two apps.
    void storeLongList(size_t count) {
        home_->installApp("Alpha");
        home_->installApp("Beta");
        alpha_ = runApp("Alpha").windows.at(0);
        beta_ = runApp("Beta").windows.at(0);
        home_->storeWorkspaces(home_->longList(home_->workspace("Pair", {"Alpha", "Beta"}), count));
    }
    // A save under way: its temporary file beside the list.
    bool saving() const {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(home_->dataFolder(), ec))
            if (entry.path().filename().string().starts_with(".workspaces.json.")) return true;
        return false;
    }
    std::vector<Workspace> stored() const { return WorkspaceStore(home_->dataFolder()).load(); }
};

TEST_F(WorkspaceFileTest, FiftyThousandWorkspacesOpenTheSettingsAndLeaveTheHotKeysServed) {
    storeLongList(50'000);
    ASSERT_NO_FATAL_FAILURE(startReadyTessane());
    const XWindowId settings = openSettingsWindow();
    ASSERT_NE(settings, 0u);
    // The keys are typed as a user would, with the window up and working in it: a key typed while
    // the window manager is still handing it the focus can land nowhere.
    ASSERT_TRUE(waitFor([&] { return hasFocus(settings); })) << "the settings window did not take the focus";
    showPair();
    press("super+alt+h");
    EXPECT_TRUE(waitForState({alpha_, beta_}, IconicState)) << log();
}

TEST_F(WorkspaceFileTest, AKillInTheMiddleOfASaveLeavesTheOldOrTheNewFileWhole) {
    storeLongList(50'000);
    ASSERT_NO_FATAL_FAILURE(startReadyTessane());
    // Showing stores the ratios, hiding the container's frame: catch one of those saves under way.
    bool caught = false;
    for (int round = 0; round < 10 && !caught; ++round) {
        press(round % 2 ? "super+alt+h" : "super+alt+1");
        caught = waitFor([&] { return saving(); }, kAskAgain);
    }
    ASSERT_TRUE(caught) << "no save seen\n" << log();
    endTessane(SIGKILL);
    const auto list = stored();
    EXPECT_EQ(list.size(), 50'000u);
    EXPECT_EQ(log().find("Failed to load workspaces"), std::string::npos);
}

TEST_F(WorkspaceFileTest, AnotherProgramsEditIsReadInAndKeptByTheNextSave) {
    startWithPair();
    auto list = stored();
    ASSERT_EQ(list.size(), 1u);
    list[0].name = "Renamed";
    list.push_back(home_->workspace("Added", {}));
    home_->storeWorkspaces(list);
    ASSERT_TRUE(waitForLog("[Tessane] Reloaded workspaces.json after a change by another program (2 workspace(s)).")) << log();
    showPair();
    press("super+alt+h");  // stores the container's frame: a save of the list as Tessane now has it
    ASSERT_TRUE(waitFor([&] { return stored()[0].lastContainerFrame.has_value(); })) << log();
    EXPECT_EQ(endTessane(SIGTERM), 0);
    list = stored();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].name, "Renamed");
    EXPECT_EQ(list[1].name, "Added");
    EXPECT_EQ(log().find("kept that version"), std::string::npos);
}

}  // namespace
}  // namespace tessane::e2e
