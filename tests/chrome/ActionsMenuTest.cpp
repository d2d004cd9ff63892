#include "chrome/ContainerChromeFixture.h"

namespace tessane {
namespace {

using K = PanelInput::Kind;
using Scope = ContainerWindowController::ActionScope;

class ActionsMenuTest : public testing::ContainerChromeFixture {
protected:
    // Titles as shown, separators as "-", the header in brackets, shortcuts after a tab.
    static std::vector<std::string> lines(const MenuContent& menu) {
        std::vector<std::string> out;
        for (const auto& item : menu.items) {
            switch (item.kind) {
            case MenuItem::Kind::separator: out.push_back("-"); break;
            case MenuItem::Kind::header: out.push_back("[" + item.title + "]"); break;
            case MenuItem::Kind::action:
                out.push_back(item.shortcut.empty() ? item.title : item.title + "\t" + item.shortcut);
                break;
            }
        }
        return out;
    }
    static ScreenInfo named(Rect frame, std::string name) {
        auto s = sim::SimScreens::screen(frame);
        s.localizedName = std::move(name);
        return s;
    }
    static void choose(const MenuContent& menu, const std::string& title) {
        for (const auto& item : menu.items)
            if (item.title == title && item.action) return item.action();
        FAIL() << "no item " << title;
    }
};

TEST_F(ActionsMenuTest, FullMenuWithOneScreenEndsAtQuitApps) {
    show(LayoutType::leftRightSplit, 2, {0, 0, 1000, 600});
    chrome.currentTitle = "Write";
    const auto menu = chrome.workspaceActionsMenu(Scope::container);
    EXPECT_EQ(lines(menu), (std::vector<std::string>{
                               "[Write]", "-", "Focus Next Pane\tSuper+Ctrl+Right",
                               "Focus Previous Pane\tSuper+Ctrl+Left", "Solo Focused Pane\tSuper+Ctrl+Return", "-",
                               "Maximize", "Restore Layout", "Reset Workspace", "Save Current Layout",
                               "Release Windows", "Hide Workspace\tSuper+Alt+H", "Quit Apps"}));
    const auto release = std::find_if(menu.items.begin(), menu.items.end(),
                                      [](const MenuItem& i) { return i.title == "Release Windows"; });
    EXPECT_EQ(release->toolTip,
              "Stop tiling this workspace. Its windows stay on screen exactly where they are, free to move and "
              "resize. Show puts them back.");
}

TEST_F(ActionsMenuTest, MenuBarFormAndTitlesFollowTheState) {
    show(LayoutType::leftRightSplit, 2, {0, 0, 1000, 600});
    chrome.currentTitle = "Write";
    EXPECT_EQ(lines(chrome.workspaceActionsMenu(Scope::menuBar)),
              (std::vector<std::string>{"[Write]", "-", "Maximize", "Restore Layout", "Reset Workspace",
                                        "Save Current Layout", "Quit Apps"}));
    chrome.currentTitle.clear();
    chrome.isSoloed = true;
    chrome.isMaximized = true;
    const auto full = lines(chrome.workspaceActionsMenu(Scope::container));
    EXPECT_EQ(full.front(), "Focus Next Pane\tSuper+Ctrl+Right") << "no header, no leading separator";
    EXPECT_NE(std::find(full.begin(), full.end(), "Exit Solo\tSuper+Ctrl+Return"), full.end());
    EXPECT_NE(std::find(full.begin(), full.end(), "Restore Size"), full.end());
}

TEST_F(ActionsMenuTest, MoveToListsEveryOtherDisplayByNameOrNumber) {
    sim.screens.setScreens({named({0, 0, 1440, 900}, "HDMI-1"), named({1440, 0, 1920, 1080}, "DP-2"),
                            named({3360, 0, 1280, 1024}, "")});
    show(LayoutType::leftRightSplit, 2, {1500, 100, 1000, 600});  // centre on the second
    std::vector<int> moved;
    chrome.onMoveToScreen = [&](int i) { moved.push_back(i); };
    auto menu = chrome.workspaceActionsMenu(Scope::container);
    auto all = lines(menu);
    EXPECT_EQ(std::vector<std::string>(all.end() - 3, all.end()),
              (std::vector<std::string>{"-", "Move to HDMI-1", "Move to Display 3"}));
    choose(menu, "Move to HDMI-1");
    choose(menu, "Move to Display 3");
    EXPECT_EQ(moved, (std::vector<int>{0, 2}));

    chrome.containerCocoaRect = {9000, 9000, 100, 100};
    all = lines(chrome.workspaceActionsMenu(Scope::menuBar));
    EXPECT_EQ(std::vector<std::string>(all.end() - 3, all.end()),
              (std::vector<std::string>{"Move to HDMI-1", "Move to DP-2", "Move to Display 3"}))
        << "off every display: all are listed";
}

TEST_F(ActionsMenuTest, EachItemReportsItsRoleAndMaximizeIsCarriedOut) {
    show(LayoutType::leftRightSplit, 2, {200, 200, 1000, 600});
    std::vector<std::string> got;
    chrome.onFocusPane = [&](int d) { got.push_back("focus " + std::to_string(d)); };
    chrome.onSolo = [&] { got.push_back("solo"); };
    chrome.onRestore = [&] { got.push_back("restore"); };
    chrome.onResetWorkspace = [&] { got.push_back("reset"); };
    chrome.onSaveLayout = [&] { got.push_back("save"); };
    chrome.onRelease = [&] { got.push_back("release"); };
    chrome.onHide = [&] { got.push_back("hide"); };
    chrome.onQuitApps = [&] { got.push_back("quit"); };
    chrome.onMaximizeToggled = [&] { got.push_back("maximized"); };
    const auto menu = chrome.workspaceActionsMenu(Scope::container);
    for (const char* title : {"Focus Next Pane", "Focus Previous Pane", "Solo Focused Pane", "Restore Layout",
                              "Reset Workspace", "Save Current Layout", "Release Windows", "Hide Workspace",
                              "Quit Apps", "Maximize"})
        choose(menu, title);
    EXPECT_EQ(got, (std::vector<std::string>{"focus 1", "focus -1", "solo", "restore", "reset", "save", "release",
                                             "hide", "quit", "maximized"}));
    EXPECT_TRUE(chrome.isMaximized);

    chrome.onQuitApps = nullptr;
    choose(menu, "Quit Apps");  // an unset callback is skipped
}

TEST_F(ActionsMenuTest, RightClickAndControlClickPopTheSameMenuAtThePointer) {
    show(LayoutType::leftRightSplit, 2, {0, 0, 1000, 600});
    deliver(rail(), K::rightDown, {500, 595});
    deliver(rail(), K::leftDown, {510, 594}, 1, /*control=*/true);
    ASSERT_EQ(sim.menus.shown().size(), 2u);
    EXPECT_EQ(sim.menus.shown()[0].at, Point(500, 595));
    EXPECT_EQ(sim.menus.shown()[1].at, Point(510, 594));
    EXPECT_EQ(lines(sim.menus.shown()[0].menu), lines(sim.menus.shown()[1].menu));
    EXPECT_FALSE(chrome.isFrameDragging) << "a control-click is no drag";
}

TEST(ActionsMenuLifetime, ItemsOfAReleasedChromeDoNothing) {
    sim::SimPlatform sim;
    sim.screens.setScreens({sim::SimScreens::screen({0, 0, 1440, 900})});
    MenuContent menu;
    bool reported = false;
    {
        ContainerWindowController chrome{sim.platform()};
        chrome.onRestore = [&] { reported = true; };
        menu = chrome.workspaceActionsMenu(ContainerWindowController::ActionScope::menuBar);
    }
    for (const auto& item : menu.items)
        if (item.action) item.action();
    EXPECT_FALSE(reported);
}

}  // namespace
}  // namespace tessane
