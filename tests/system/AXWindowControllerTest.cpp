#include "system/AXWindowController.h"

#include "platform/sim/SimPlatform.h"

#include <gtest/gtest.h>

#include <functional>

using namespace tessane;
using namespace tessane::sim;
using Outcome = AXWindowController::PlacementOutcome;
using WindowInfo = AXWindowController::WindowInfo;

namespace {

class AXWindowControllerTest : public ::testing::Test {
protected:
    SimPlatform sim;
    SimAccessibility& ax = sim.accessibility;
    AXWindowController controller{sim.accessibility};
    SimApp& app = sim.windowServer.addApp(100, "Editor");
};

WindowInfo info(std::optional<std::string> identifier, std::optional<std::string> role,
                std::optional<std::string> subrole, std::optional<Size> size,
                bool minimized = false, bool main = false) {
    WindowInfo i;
    i.identifier = std::move(identifier);
    i.role = std::move(role);
    i.subrole = std::move(subrole);
    i.size = size;
    i.isMinimized = minimized;
    i.isMain = main;
    return i;
}

// ---------------------------------------------------------------- reading

TEST_F(AXWindowControllerTest, ReadsEachWindowInTheApplicationsOrder) {
    auto& back = app.addWindow({.title = "Back", .frame = {0, 0, 400, 300}});
    auto& front = app.addWindow({.title = std::nullopt, .frame = {10, 20, 640, 480}, .identifier = "doc"});
    front.setFullScreen(true);
    back.setMinimized(true);

    auto infos = controller.windowInfos(100);
    ASSERT_EQ(infos.size(), 2u);
    EXPECT_EQ(infos[0].element, front.element());
    EXPECT_EQ(infos[0].title, std::nullopt);
    EXPECT_EQ(infos[0].role, "AXWindow");
    EXPECT_EQ(infos[0].subrole, "AXStandardWindow");
    EXPECT_EQ(infos[0].position, (Point{10, 20}));
    EXPECT_EQ(infos[0].size, (Size{640, 480}));
    EXPECT_TRUE(infos[0].isMain);
    EXPECT_TRUE(infos[0].isFullScreen);
    EXPECT_EQ(infos[0].identifier, "doc");
    EXPECT_EQ(infos[1].title, "Back");
    EXPECT_TRUE(infos[1].isMinimized);
    EXPECT_FALSE(infos[1].isMain);
}

TEST_F(AXWindowControllerTest, UnreadableOrMistypedAttributesReadAsMissing) {
    auto& w = app.addWindow();
    ax.failAttribute(w.element(), ax::kSize, AXError::cannotComplete);
    ax.overrideAttribute(w.element(), ax::kMinimized, AXValue::integer(1));  // not a Boolean
    ax.overrideAttribute(w.element(), ax::kTitle, AXValue::integer(7));
    auto infos = controller.windowInfos(100);
    ASSERT_EQ(infos.size(), 1u);
    EXPECT_EQ(infos[0].size, std::nullopt);
    EXPECT_FALSE(infos[0].isMinimized);
    EXPECT_EQ(infos[0].title, std::nullopt);

    // A failed window list is no windows and no error; null entries are skipped.
    ax.overrideAttribute(app.element(), ax::kWindows,
                         AXValue::array({AXValue::element({}), AXValue::element(w.element())}));
    EXPECT_EQ(controller.windowElements(app.element()), std::vector<AXElement>{w.element()});
    ax.failAttribute(app.element(), ax::kWindows, AXError::failure);
    EXPECT_TRUE(controller.windowInfos(100).empty());
    EXPECT_TRUE(controller.windowInfos(4242).empty());  // no such process
}

TEST_F(AXWindowControllerTest, TimeOutBoundsTheWaitAndIsPutBack) {
    app.addWindow();
    app.setResponseDelay(3.0);
    const double t0 = sim.mainQueue.now();
    EXPECT_TRUE(controller.windowInfos(100, 0.5f).empty());
    EXPECT_DOUBLE_EQ(sim.mainQueue.now() - t0, 0.5);  // only the window list was asked
    EXPECT_EQ(ax.messagingTimeout(app.element()), 0.0f);

    app.setResponseDelay(0.1);
    EXPECT_EQ(controller.windowInfos(100, 0.5f).size(), 1u);
    EXPECT_EQ(ax.messagingTimeout(app.element()), 0.0f);
}

TEST_F(AXWindowControllerTest, MainAndFocusedWindows) {
    EXPECT_EQ(controller.mainWindow(100), std::nullopt);
    EXPECT_EQ(controller.focusedWindow(100), std::nullopt);

    auto& doc = app.addWindow({.title = "Doc"});
    auto& palette = app.addWindow({.title = "Palette", .subrole = "AXFloatingWindow"});
    EXPECT_EQ(controller.focusedWindow(100), palette.element());
    // The palette is main but not manageable; the first manageable window is the answer.
    ASSERT_TRUE(controller.mainWindow(100));
    EXPECT_EQ(controller.mainWindow(100)->element, doc.element());
    EXPECT_EQ(controller.manageableWindows(100).size(), 1u);
}

// ---------------------------------------------------------------- choosing

TEST(AXWindowChoosing, ManageableWindowRule) {
    struct Case {
        const char* name;
        WindowInfo window;
        bool manageable;
    };
    const Case cases[] = {
        {"ordinary", info({}, "AXWindow", "AXStandardWindow", Size{800, 600}), true},
        {"no role or subrole", info({}, {}, {}, Size{800, 600}), true},
        {"unreadable size", info({}, "AXWindow", "AXStandardWindow", {}), true},
        {"49 pt wide", info({}, "AXWindow", "AXStandardWindow", Size{49, 600}), false},
        {"49 pt high", info({}, "AXWindow", "AXStandardWindow", Size{600, 49}), false},
        {"exactly 50 x 50", info({}, "AXWindow", "AXStandardWindow", Size{50, 50}), true},
        {"open panel", info("open-panel", "AXWindow", "AXStandardWindow", Size{700, 450}), false},
        {"save panel", info("save-panel", {}, {}, {}), false},
        {"other identifier", info("main-window", "AXWindow", {}, {}), true},
        {"dialog", info({}, "AXWindow", "AXDialog", Size{400, 200}), false},
        {"floating panel", info({}, "AXWindow", "AXFloatingWindow", Size{400, 200}), false},
        {"sheet", info({}, "AXSheet", {}, Size{400, 200}), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AXWindowController::isManageable(c.window), c.manageable) << c.name;
}

TEST(AXWindowChoosing, BindableIndex) {
    struct Case {
        std::vector<bool> isMain;
        std::set<size_t> claimed;
        std::optional<size_t> expected;
    };
    const Case cases[] = {
        {{false, true, true}, {1}, 2},
        {{false, false}, {0}, 1},
        {{true, true}, {0, 1}, std::nullopt},
        {{}, {}, std::nullopt},
        {{false, false, true}, {}, 2},
        {{false, false}, {}, 0},
        {{true, false}, {0}, 1},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(AXWindowController::selectBindableIndex(cases[i].isMain, cases[i].claimed),
                  cases[i].expected)
            << "case " << i;
}

TEST(AXWindowChoosing, PendingDialog) {
    const auto standard = info({}, "AXWindow", "AXStandardWindow", Size{800, 600});
    const auto panel = info("open-panel", "AXWindow", "AXStandardWindow", Size{700, 450});
    const auto mainDialog = info({}, "AXWindow", "AXDialog", Size{40, 40}, false, true);
    const auto bigDialog = info({}, "AXWindow", "AXDialog", Size{60, 50});
    const auto smallDialog = info({}, "AXWindow", "AXDialog", Size{40, 40});
    const auto minimizedDialog = info({}, "AXWindow", "AXDialog", Size{400, 300}, true, true);
    auto minimizedStandard = standard;
    minimizedStandard.isMinimized = true;

    struct Case {
        const char* name;
        std::vector<WindowInfo> windows;
        std::optional<WindowInfo> expected;
    };
    const Case cases[] = {
        {"nothing", {}, std::nullopt},
        {"a real window wins over the panel", {panel, standard}, std::nullopt},
        {"open panel alone", {panel}, panel},
        {"panel before a main dialog", {mainDialog, panel}, panel},
        {"main dialog", {bigDialog, mainDialog}, mainDialog},
        {"big enough dialog", {smallDialog, bigDialog}, bigDialog},
        {"too small", {smallDialog}, std::nullopt},
        {"minimized dialog never", {minimizedDialog}, std::nullopt},
        {"minimized real window does not count", {minimizedStandard, panel}, panel},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AXWindowController::selectPendingDialog(c.windows), c.expected) << c.name;
}

TEST(AXWindowChoosing, MatchesWithinToleranceInclusive) {
    const Rect target{100, 100, 800, 600};
    EXPECT_TRUE(AXWindowController::matches({108, 92, 808, 592}, target, 8));
    EXPECT_FALSE(AXWindowController::matches({108.5, 100, 800, 600}, target, 8));
    EXPECT_FALSE(AXWindowController::matches({100, 100, 800, 609}, target, 8));
}

TEST(AXWindowChoosing, ASizeIsTakenWithinToleranceOrShortByLessThanOneIncrement) {
    const Size target{960, 1080};
    const Size cells{6, 13};
    struct Case {
        Size actual;
        std::optional<Size> increments;
        bool taken;
    };
    const Case cases[] = {
        {{952, 1088}, std::nullopt, true},   // both within 8
        {{960, 1070}, std::nullopt, false},  // 10 short, no increments
        {{958, 1070}, cells, true},          // 2 and 10 short: less than one cell each
        {{960, 1067}, cells, false},         // 13 short: a whole row
        {{954, 1090}, cells, false},         // 10 over is never excused
        {{955, 1068}, Size{6, 0}, false},    // no step in that dimension
    };
    for (const auto& c : cases)
        EXPECT_EQ(AXWindowController::sizeTaken(c.actual, target, c.increments, 8), c.taken)
            << c.actual.width << "x" << c.actual.height;
}

// ---------------------------------------------------------------- placing

TEST_F(AXWindowControllerTest, Placement) {
    const Rect target{100, 50, 900, 700};
    struct Case {
        const char* name;
        std::function<void(SimWindow&)> setup;
        Outcome expected;
        size_t positionWrites;
    };
    const Case cases[] = {
        {"takes it all", [](SimWindow&) {}, Outcome::placed(), 1},
        {"keeps its size 300 pt narrower",
         [](SimWindow& w) { w.resizeTo({600, 700}); w.refuseSizes(); },
         Outcome::refused({100, 50, 600, 700}), 1},
        {"minimum size", [](SimWindow& w) { w.setMinimumSize({1000, 700}); },
         Outcome::refused({100, 50, 1000, 700}), 1},
        {"lands 20 pt off once, then takes the second move",
         [](SimWindow& w) { w.landOffBy({20, 0}, 1); }, Outcome::placed(), 2},
        {"always lands 20 pt off", [](SimWindow& w) { w.landOffBy({0, 20}); },
         Outcome::refused({100, 70, 900, 700}), 2},
        {"lands within tolerance", [](SimWindow& w) { w.landOffBy({8, -8}); }, Outcome::placed(), 1},
        {"position write fails", [](SimWindow& w) { w.refuseMoves(AXError::cannotComplete); },
         Outcome::failed(), 1},
        {"both size writes fail: no second move",
         [](SimWindow& w) { w.resizeTo({900, 700}); w.refuseSizes(AXError::failure); w.landOffBy({30, 0}); },
         Outcome::refused({130, 50, 900, 700}), 1},
        {"stays put silently", [](SimWindow& w) { w.refuseMoves(); },
         Outcome::refused({0, 0, 900, 700}), 2},
        {"keeps a size 10 pt short", [](SimWindow& w) { w.resizeTo({900, 690}); w.refuseSizes(); },
         Outcome::refused({100, 50, 900, 690}), 1},
        // Rows of 13 counted from 1: 53 rows make 690, 10 short of 700.
        {"terminal 10 pt short by its cells", [](SimWindow& w) { w.setResizeIncrements({6, 13}, {0, 1}); },
         Outcome::placed(), 1},
        {"terminal 10 pt short by its cells lands 20 pt off once, then takes the second move",
         [](SimWindow& w) { w.setResizeIncrements({6, 13}, {0, 1}).landOffBy({20, 0}, 1); }, Outcome::placed(), 2},
        {"terminal kept 20 pt short, more than a row",
         [](SimWindow& w) { w.resizeTo({900, 680}); w.setResizeIncrements({6, 13}).refuseSizes(); },
         Outcome::refused({100, 50, 900, 680}), 1},
        {"terminal held 10 pt taller by its minimum",
         [](SimWindow& w) { w.setResizeIncrements({6, 13}).setMinimumSize({900, 710}); },
         Outcome::refused({100, 50, 900, 710}), 1},
    };
    for (const auto& c : cases) {
        auto& w = app.addWindow({.frame = {0, 0, 500, 400}});
        c.setup(w);
        ax.clearWrites();
        EXPECT_EQ(controller.place(w.element(), target), c.expected) << c.name;
        EXPECT_EQ(ax.writeCount(w.element(), ax::kPosition), c.positionWrites) << c.name;
        EXPECT_EQ(ax.writeCount(w.element(), ax::kSize), 2u) << c.name;
    }
}

TEST_F(AXWindowControllerTest, PlacementUnminimizesAndTrustsAnUnreadableFrame) {
    auto& w = app.addWindow({.frame = {0, 0, 500, 400}, .minimized = true});
    w.refuseMoves();
    ax.failAttribute(w.element(), ax::kPosition, AXError::noValue);
    EXPECT_EQ(controller.place(w.element(), {100, 50, 900, 700}), Outcome::placed());
    EXPECT_FALSE(w.isMinimized());
    ASSERT_FALSE(ax.writes().empty());
    EXPECT_EQ(ax.writes().front().attribute, ax::kMinimized);
}

TEST_F(AXWindowControllerTest, PlacementOfAClosedWindowFails) {
    auto& w = app.addWindow();
    w.close();
    EXPECT_EQ(controller.place(w.element(), {0, 0, 500, 500}), Outcome::failed());
}

// ---------------------------------------------------------------- finding

TEST_F(AXWindowControllerTest, NewWindowMenuItem) {
    auto& appMenu = app.addMenu("Editor");
    appMenu.addItem({.title = "Quit", .cmdChar = "q"});
    auto& file = app.addMenu("File");
    file.addItem({.title = "New Tab", .cmdChar = "N", .modifiers = 1});      // Shift-Command-N
    file.addItem({.title = "New Draft", .cmdChar = "n", .enabled = false});  // disabled
    auto& upper = file.addItem({.title = "New Window", .cmdChar = "N"});
    file.addItem({.title = "New Other", .cmdChar = "n"});

    auto item = controller.newWindowMenuItem(100);
    ASSERT_TRUE(item);
    EXPECT_EQ(*item, (AXWindowController::NewWindowMenuItem{"New Window", "File", upper.element()}));

    // An item without a readable title is passed over; a menu without a title gives "".
    ax.failAttribute(upper.element(), ax::kTitle, AXError::noValue);
    auto& untitled = app.addMenu(std::nullopt);
    (void)untitled;
    EXPECT_EQ(controller.newWindowMenuItem(100)->title, "New Other");

    auto& other = sim.windowServer.addApp(200, "Viewer");
    other.addMenu(std::nullopt).addItem({.title = "Open", .cmdChar = "n"});
    EXPECT_EQ(controller.newWindowMenuItem(200)->menuTitle, "");
    other.setHasMenuBar(false);
    EXPECT_EQ(controller.newWindowMenuItem(200), std::nullopt);
    EXPECT_EQ(controller.newWindowMenuItem(300), std::nullopt);
}

TEST_F(AXWindowControllerTest, DocumentPathOfFileURLsOnly) {
    struct Case {
        std::optional<std::string> url;
        std::optional<std::string> path;
    };
    const Case cases[] = {
        {"file:///Users/ana/Notes.txt", "/Users/ana/Notes.txt"},
        {"file:///tmp/My%20Files/../Plan%C3%A9.md", "/tmp/Plané.md"},
        {"file://localhost/tmp/x.txt", "/tmp/x.txt"},
        {"FILE:///tmp/./dir/", "/tmp/dir"},
        {"file:///tmp/a.txt?x=1#top", "/tmp/a.txt"},
        {"https://example.com/page.html", std::nullopt},
        {"/tmp/plain-path.txt", std::nullopt},
        {"file:///tmp/bad%zz", std::nullopt},
        {std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        auto& w = app.addWindow({.document = c.url});
        EXPECT_EQ(controller.documentPath(w.element()), c.path) << c.url.value_or("(none)");
    }
    auto& w = app.addWindow();
    ax.overrideAttribute(w.element(), ax::kDocument, AXValue::integer(3));
    EXPECT_EQ(controller.documentPath(w.element()), std::nullopt);
}

TEST_F(AXWindowControllerTest, WindowKindAndNumber) {
    auto& panel = app.addSavePanel();
    auto& bare = app.addWindow({.subrole = std::nullopt});
    EXPECT_EQ(controller.windowKind(panel.element()), "id=save-panel subrole=AXStandardWindow");
    EXPECT_EQ(controller.windowKind(bare.element()), "id=— subrole=—");
    EXPECT_EQ(controller.windowNumber(bare.element()), bare.number());
    ax.setWindowNumbersAvailable(false);
    EXPECT_EQ(controller.windowNumber(bare.element()), std::nullopt);
}

}  // namespace
