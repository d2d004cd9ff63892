#include "platform/sim/SimPlatform.h"

#include <gtest/gtest.h>

#include <memory>
#include <unordered_set>

using namespace tessane;
using namespace tessane::sim;

namespace {

struct Heard {
    AXElement element;
    std::string name;
    bool operator==(const Heard&) const = default;
};

class SimAccessibilityTest : public ::testing::Test {
protected:
    SimPlatform sim;
    SimAccessibility& ax = sim.accessibility;
    SimApp& notes = sim.windowServer.addApp(100, "Notes");

    AXAttributeResult read(const AXElement& e, const char* attribute) {
        return ax.copyAttribute(e, attribute);
    }
};

TEST_F(SimAccessibilityTest, ElementsAreStableComparableAndHashable) {
    auto& w = notes.addWindow();
    EXPECT_EQ(ax.applicationElement(100), ax.applicationElement(100));
    EXPECT_NE(ax.applicationElement(100), ax.applicationElement(200));
    EXPECT_EQ(ax.pid(w.element()), 100);
    EXPECT_EQ(ax.pid(ax.applicationElement(4242)), 4242);  // made even without a process
    EXPECT_EQ(ax.pid(AXElement{}), std::nullopt);

    std::unordered_set<AXElement> set{w.element(), ax.applicationElement(100), w.element()};
    EXPECT_EQ(set.size(), 2u);

    auto windows = read(notes.element(), ax::kWindows);
    ASSERT_TRUE(windows.ok());
    ASSERT_EQ(windows.value.asArray()->size(), 1u);
    EXPECT_EQ((*windows.value.asArray())[0].asElement(), w.element());
}

TEST_F(SimAccessibilityTest, ValuesKeepBooleansApartFromNumbers) {
    auto b = AXValue::boolean(true);
    EXPECT_EQ(b.asBoolean(), true);
    EXPECT_EQ(b.asInteger(), std::nullopt);
    EXPECT_EQ(b.asNumber(), 1.0);
    EXPECT_EQ(AXValue::integer(1).asBoolean(), std::nullopt);
    EXPECT_EQ(AXValue::real(2.5).asNumber(), 2.5);
    EXPECT_EQ(AXValue::string("file:///a").asUrl(), std::nullopt);
    EXPECT_EQ(AXValue::url("file:///a").asString(), std::nullopt);
    EXPECT_TRUE(AXValue().isNone());
    EXPECT_EQ(AXValue::point({1, 2}).kind(), AXValue::Kind::point);
}

TEST_F(SimAccessibilityTest, WindowAnswersEveryAttributeItHas) {
    auto& w = notes.addWindow({.title = "Doc", .frame = {10, 20, 300, 200}, .document = "file:///tmp/a.txt"});
    EXPECT_EQ(read(w.element(), ax::kTitle).value.asString(), "Doc");
    EXPECT_EQ(read(w.element(), ax::kRole).value.asString(), "AXWindow");
    EXPECT_EQ(read(w.element(), ax::kSubrole).value.asString(), "AXStandardWindow");
    EXPECT_EQ(read(w.element(), ax::kPosition).value.asPoint(), (Point{10, 20}));
    EXPECT_EQ(read(w.element(), ax::kSize).value.asSize(), (Size{300, 200}));
    EXPECT_EQ(read(w.element(), ax::kMinimized).value.asBoolean(), false);
    EXPECT_EQ(read(w.element(), ax::kMain).value.asBoolean(), true);
    EXPECT_EQ(read(w.element(), ax::kFullScreen).value.asBoolean(), false);
    EXPECT_EQ(read(w.element(), ax::kDocument).value.asString(), "file:///tmp/a.txt");
    EXPECT_EQ(read(w.element(), ax::kIdentifier).error, AXError::noValue);
    EXPECT_EQ(read(w.element(), "AXNoSuchThing").error, AXError::attributeUnsupported);
    EXPECT_EQ(read(notes.element(), ax::kFocusedWindow).value.asElement(), w.element());
}

TEST_F(SimAccessibilityTest, GoneObjectsAndUntrustedCallsAnswerTheRealErrors) {
    auto& w = notes.addWindow();
    auto& other = notes.addWindow();
    other.close();
    EXPECT_EQ(read(other.element(), ax::kSize).error, AXError::invalidUIElement);
    EXPECT_EQ(read(AXElement{}, ax::kSize).error, AXError::illegalArgument);
    EXPECT_EQ(read(ax.applicationElement(999), ax::kWindows).error, AXError::cannotComplete);

    ax.setTrusted(false);
    EXPECT_EQ(read(w.element(), ax::kSize).error, AXError::apiDisabled);
    EXPECT_EQ(ax.setAttribute(w.element(), ax::kSize, AXValue::size({1, 1})), AXError::apiDisabled);
    EXPECT_EQ(ax.performAction(w.element(), ax::kRaise), AXError::apiDisabled);
    EXPECT_EQ(ax.createObserver(100, [](auto&, auto&) {}).error, AXError::apiDisabled);

    EXPECT_FALSE(ax.isProcessTrustedWithPrompt(false));
    EXPECT_FALSE(ax.isProcessTrustedWithPrompt(true));
    EXPECT_EQ(ax.promptCount(), 1);
    ax.setTrusted(true);
    EXPECT_TRUE(ax.isProcessTrustedWithPrompt(true));
    EXPECT_EQ(ax.promptCount(), 1);

    notes.terminate();
    EXPECT_EQ(read(w.element(), ax::kSize).error, AXError::invalidUIElement);
    EXPECT_EQ(read(notes.element(), ax::kWindows).error, AXError::cannotComplete);
}

TEST_F(SimAccessibilityTest, SlowApplicationsCostVirtualTimeUpToTheTimeOut) {
    auto& w = notes.addWindow();
    notes.setResponseDelay(2.0);
    const double t0 = sim.mainQueue.now();

    EXPECT_TRUE(read(w.element(), ax::kSize).ok());  // the default time-out outlasts 2 s
    EXPECT_DOUBLE_EQ(sim.mainQueue.now() - t0, 2.0);

    // A time-out on the application element covers its windows.
    ax.setMessagingTimeout(notes.element(), 0.5f);
    EXPECT_EQ(read(w.element(), ax::kSize).error, AXError::cannotComplete);
    EXPECT_DOUBLE_EQ(sim.mainQueue.now() - t0, 2.5);
    EXPECT_EQ(ax.setAttribute(w.element(), ax::kPosition, AXValue::point({0, 0})),
              AXError::cannotComplete);

    ax.setMessagingTimeout(notes.element(), 0);
    EXPECT_EQ(ax.messagingTimeout(notes.element()), 0.0f);
    EXPECT_TRUE(read(w.element(), ax::kSize).ok());
    EXPECT_EQ(ax.setMessagingTimeout(w.element(), -1), AXError::illegalArgument);
}

TEST_F(SimAccessibilityTest, WindowBehavioursShapeWhatWritesDo) {
    auto& w = notes.addWindow({.frame = {0, 0, 800, 600}});
    const AXElement e = w.element();

    w.setMinimumSize({500, 400});
    EXPECT_EQ(ax.setAttribute(e, ax::kSize, AXValue::size({300, 300})), AXError::success);
    EXPECT_EQ(w.size(), (Size{500, 400}));

    w.refuseMoves();
    EXPECT_EQ(ax.setAttribute(e, ax::kPosition, AXValue::point({50, 50})), AXError::success);
    EXPECT_EQ(w.position(), (Point{0, 0}));
    w.refuseMoves(AXError::failure);
    EXPECT_EQ(ax.setAttribute(e, ax::kPosition, AXValue::point({50, 50})), AXError::failure);

    w.acceptWrites().landOffBy({20, 0}, 1);
    ax.setAttribute(e, ax::kPosition, AXValue::point({100, 100}));
    EXPECT_EQ(w.position(), (Point{120, 100}));
    ax.setAttribute(e, ax::kPosition, AXValue::point({100, 100}));
    EXPECT_EQ(w.position(), (Point{100, 100}));

    w.refuseSizes(AXError::cannotComplete);
    EXPECT_EQ(ax.setAttribute(e, ax::kSize, AXValue::size({900, 900})), AXError::cannotComplete);
    EXPECT_EQ(ax.setAttribute(e, ax::kSize, AXValue::point({1, 1})), AXError::illegalArgument);
    EXPECT_EQ(ax.setAttribute(e, ax::kTitle, AXValue::string("x")), AXError::attributeUnsupported);
    EXPECT_EQ(ax.writeCount(e, ax::kPosition), 4u);
}

TEST_F(SimAccessibilityTest, ATerminalLikeWindowSizesInCellsFromItsBaseAndNeverMovesForIt) {
    auto& w = notes.addWindow({.frame = {40, 30, 484, 316}});
    const AXElement e = w.element();
    EXPECT_EQ(read(e, ax::kResizeIncrements).error, AXError::noValue);

    w.setResizeIncrements({6, 13}, {4, 4});
    EXPECT_EQ(read(e, ax::kResizeIncrements).value.asSize(), (Size{6, 13}));
    // The largest whole number of cells at or below the size asked, and the top-left stays.
    for (auto [asked, kept] : {std::pair{Size{960, 1080}, Size{958, 1070}}, {Size{606, 559}, Size{604, 550}},
                               {Size{604, 550}, Size{604, 550}}, {Size{3, 3}, Size{3, 3}}}) {
        EXPECT_EQ(ax.setAttribute(e, ax::kSize, AXValue::size(asked)), AXError::success);
        EXPECT_EQ(w.frame(), Rect(Point{40, 30}, kept)) << asked.width << "x" << asked.height;
    }
    // A minimum size holds it above the cells.
    w.setMinimumSize({610, 560});
    ax.setAttribute(e, ax::kSize, AXValue::size({606, 559}));
    EXPECT_EQ(w.size(), (Size{610, 560}));
    w.acceptWrites();
    EXPECT_EQ(read(e, ax::kResizeIncrements).error, AXError::noValue);
}

TEST_F(SimAccessibilityTest, DriftingWindowGoesBackAfterTheLastWriteAndIsHeard) {
    auto& w = notes.addWindow({.frame = {0, 0, 800, 600}});
    w.driftBack(1.0);
    std::vector<Heard> heard;
    auto obs = ax.createObserver(100, [&](auto& e, auto& n) { heard.push_back({e, n}); });
    obs.observer->addNotification(w.element(), ax::kWindowMoved);

    ax.setAttribute(w.element(), ax::kPosition, AXValue::point({300, 0}));
    sim.mainQueue.advance(0.6);
    ax.setAttribute(w.element(), ax::kPosition, AXValue::point({400, 0}));
    sim.mainQueue.advance(0.6);
    EXPECT_EQ(w.position(), (Point{400, 0}));  // each write pushes the drift back
    sim.mainQueue.advance(0.5);
    EXPECT_EQ(w.position(), (Point{0, 0}));
    EXPECT_EQ(heard.size(), 3u);  // our two moves and the drift
}

TEST_F(SimAccessibilityTest, ObserversDeliverLaterAndNeverAfterDetach) {
    auto& w = notes.addWindow();
    std::vector<Heard> heard;
    auto created = ax.createObserver(100, [&](auto& e, auto& n) { heard.push_back({e, n}); });
    ASSERT_EQ(created.error, AXError::success);
    auto& obs = *created.observer;
    EXPECT_EQ(obs.addNotification(notes.element(), ax::kWindowCreated), AXError::success);
    EXPECT_EQ(obs.addNotification(w.element(), ax::kWindowResized), AXError::success);
    EXPECT_EQ(obs.addNotification(w.element(), ax::kWindowResized),
              AXError::notificationAlreadyRegistered);
    EXPECT_EQ(obs.addNotification(w.element(), "AXBogus"), AXError::notificationUnsupported);
    auto& stranger = sim.windowServer.addApp(200, "Other").addWindow();
    EXPECT_EQ(obs.addNotification(stranger.element(), ax::kWindowMoved), AXError::illegalArgument);

    // Our own resize is heard too, but only once the main queue runs.
    ax.setAttribute(w.element(), ax::kSize, AXValue::size({10, 10}));
    auto& late = notes.addWindow();
    EXPECT_TRUE(heard.empty());
    sim.mainQueue.runPending();
    EXPECT_EQ(heard, (std::vector<Heard>{{w.element(), ax::kWindowResized},
                                         {late.element(), ax::kWindowCreated}}));

    // A notification already on its way is dropped by a detach.
    heard.clear();
    w.resizeTo({20, 20});
    obs.detach();
    sim.mainQueue.runPending();
    EXPECT_TRUE(heard.empty());
    EXPECT_EQ(ax.liveObserverCount(), 0u);
}

TEST_F(SimAccessibilityTest, AnObserverThatOutlivesItsServiceAnswersWithoutReachingIt) {
    auto& w = notes.addWindow();
    auto service = std::make_unique<SimAccessibility>(sim.windowServer, sim.mainQueue);
    int heard = 0;
    auto created = service->createObserver(100, [&](auto&, auto&) { ++heard; });
    ASSERT_TRUE(created.observer);
    EXPECT_EQ(created.observer->addNotification(w.element(), ax::kWindowMoved), AXError::success);
    service.reset();
    EXPECT_EQ(created.observer->addNotification(w.element(), ax::kWindowResized),
              AXError::invalidUIElement);
    w.moveTo({5, 5});  // the window server's listener of the gone service stays silent
    sim.mainQueue.runPending();
    EXPECT_EQ(heard, 0);
    created.observer.reset();
}

TEST_F(SimAccessibilityTest, RegistrationOnASlowApplicationTimesOut) {
    notes.setResponseDelay(10);
    auto created = ax.createObserver(100, [](auto&, auto&) {});
    ASSERT_TRUE(created.observer);
    EXPECT_EQ(created.observer->addNotification(notes.element(), ax::kWindowCreated),
              AXError::cannotComplete);

    ax.failObserverCreation(100, AXError::cannotComplete, 1);
    EXPECT_EQ(ax.createObserver(100, [](auto&, auto&) {}).error, AXError::cannotComplete);
    EXPECT_EQ(ax.createObserver(100, [](auto&, auto&) {}).error, AXError::success);
}

TEST_F(SimAccessibilityTest, LateWindowsPanelsMenusAndNumbers) {
    auto& first = notes.addWindow({.title = "First"});
    notes.addWindowAfter(1.3, {.title = "Late"});
    sim.mainQueue.advance(1.0);
    EXPECT_EQ(notes.windows().size(), 1u);
    sim.mainQueue.advance(0.5);
    ASSERT_EQ(notes.windows().size(), 2u);
    EXPECT_EQ(notes.window(0)->title(), "Late");  // new windows come to the front
    EXPECT_EQ(notes.mainWindow(), notes.window(0));

    ax.performAction(first.element(), ax::kRaise);
    EXPECT_EQ(notes.window(0), &first);
    EXPECT_TRUE(first.isMain() && first.isFocused());

    auto& panel = notes.addOpenPanel();
    EXPECT_EQ(read(panel.element(), ax::kIdentifier).value.asString(), "open-panel");

    int opened = 0;
    auto& file = notes.addMenu("File");
    auto& item = file.addItem({.title = "New", .cmdChar = "n", .onPress = [&] { ++opened; }});
    EXPECT_EQ(ax.performAction(item.element(), ax::kPress), AXError::success);
    item.setEnabled(false);
    EXPECT_NE(ax.performAction(item.element(), ax::kPress), AXError::success);
    EXPECT_EQ(opened, 1);

    EXPECT_EQ(ax.windowNumber(first.element()), first.number());
    EXPECT_EQ(ax.windowNumber(notes.element()), std::nullopt);
    ax.setWindowNumbersAvailable(false);
    EXPECT_EQ(ax.windowNumber(first.element()), std::nullopt);
}

}  // namespace
