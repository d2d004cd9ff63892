#include "chrome/NoticeCard.h"
#include "chrome/WorkspaceNoticeController.h"
#include "platform/sim/SimPlatform.h"
#include "support/LoggedLines.h"
#include "CardTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tessane {
namespace {

using sim::SimPanel;
using testing::cardFrameOf;
using ::testing::ElementsAre;

class NoticeCardTest : public ::testing::Test {
protected:
    void SetUp() override {
        Log::resetForTesting();
        ScreenInfo main = sim::SimScreens::screen({0, 0, 1440, 900});
        main.visibleFrame = {0, 60, 1440, 815};  // a dock below, a bar above
        sim.screens.setScreens({main, sim::SimScreens::screen({1440, 0, 1920, 1080})});
    }
    void show(const std::optional<std::string>& title, const std::string& message,
              const std::optional<std::string>& action, const Rect& container,
              std::optional<double> dismissAfter = std::nullopt, std::function<void()> run = nullptr) {
        notice.show(title, message, action, container, dismissAfter, std::move(run));
    }
    SimPanel& panel() const { return static_cast<SimPanel&>(*notice.panel()); }
    size_t cardLines() const {
        size_t n = 0;
        for (auto& line : testing::loggedMessages()) n += line.rfind("[Tessane] Notice card:", 0) == 0;
        return n;
    }

    sim::SimPlatform sim;
    WorkspaceNoticeController notice{sim.panels, sim.animator, sim.screens, sim.mainQueue};
};

TEST_F(NoticeCardTest, ANewCardRisesTenPointsWhileItFadesInAboveTheContainersBottom) {
    show("Moved back", "Notes keeps moving its window.", std::nullopt, {100, 200, 800, 600});
    ASSERT_TRUE(notice.hasPanel());
    EXPECT_EQ(notice.shownContent(), std::string("Moved back\x1fNotes keeps moving its window.\x1f"));
    EXPECT_THAT(testing::loggedMessages(), ElementsAre("[Tessane] Notice card: Moved back"));

    const Rect target = CardView::panelFrame({320, 228, 360, cardFrameOf(panel()).height()});
    EXPECT_EQ(panel().options().level, PanelLevel::card);
    EXPECT_TRUE(panel().options().canTakeFocus) << "it takes the keyboard when clicked";
    EXPECT_TRUE(panel().isVisible());
    EXPECT_EQ(panel().alpha(), 0);
    EXPECT_EQ(panel().frame(), target.offsetBy(0, -10));
    ASSERT_EQ(sim.animator.started().size(), 1u);
    const PanelAnimation& rise = sim.animator.started()[0].animation;
    EXPECT_EQ(rise.duration, 0.22);
    EXPECT_EQ(rise.curve, PanelAnimation::Curve::easeOut);
    EXPECT_EQ(rise.alpha, 1.0);
    EXPECT_EQ(rise.frame, target);

    sim.mainQueue.advance(0.22);
    EXPECT_EQ(panel().alpha(), 1);
    EXPECT_EQ(panel().frame(), target);
}

TEST_F(NoticeCardTest, TheSameCardAgainOnlyMovesAndKeepsItsFirstDeadline) {
    show(std::nullopt, "Opening a document chooser", std::nullopt, {100, 200, 800, 600}, 5.0);
    sim.mainQueue.advance(3);
    Panel* first = notice.panel();
    show(std::nullopt, "Opening a document chooser", std::nullopt, {500, 300, 800, 600}, 5.0);
    EXPECT_EQ(notice.panel(), first) << "not rebuilt";
    EXPECT_EQ(cardFrameOf(panel()).minX(), 720) << "moved under the other container's middle";
    EXPECT_EQ(cardFrameOf(panel()).minY(), 328);
    EXPECT_EQ(sim.animator.started().size(), 1u) << "not animated again";
    EXPECT_EQ(cardLines(), 1u) << "nor logged again";

    sim.mainQueue.advance(2.01);
    EXPECT_FALSE(notice.hasPanel()) << "closed 5 s after the first request, not the second";
    EXPECT_EQ(notice.shownContent(), std::nullopt);
}

TEST_F(NoticeCardTest, TheSameCardWhileStillRisingEndsItsRiseAtTheNewPlace) {
    show(std::nullopt, "Folded", std::nullopt, {100, 200, 800, 600});
    sim.mainQueue.advance(0.1);
    show(std::nullopt, "Folded", std::nullopt, {500, 300, 800, 600});
    sim.mainQueue.advance(0.2);
    EXPECT_EQ(cardFrameOf(panel()).origin, Point(720, 328));
    EXPECT_EQ(panel().alpha(), 1);
    EXPECT_EQ(cardLines(), 1u);
}

TEST_F(NoticeCardTest, ANewCardReplacesTheOldAndTheOldTimerNeverClosesIt) {
    show("One", "first", std::nullopt, {100, 200, 800, 600}, 2.0);
    show("Two", "second", "Move Back", {100, 200, 800, 600});
    EXPECT_EQ(sim.panels.createdCount(), 2);
    sim.mainQueue.advance(3);
    ASSERT_TRUE(notice.hasPanel());
    EXPECT_EQ(notice.shownContent(), std::string("Two\x1fsecond\x1fMove Back"));
    EXPECT_EQ(sim.panels.panels().size(), 1u) << "the replaced card's panel is gone";
    EXPECT_EQ(cardLines(), 2u);
}

TEST_F(NoticeCardTest, TheSameTextsAfterADismissalShowANewCardWithTheRise) {
    show(std::nullopt, "Folded", std::nullopt, {100, 200, 800, 600});
    ASSERT_TRUE(testing::clickButton(panel(), *notice.view(), "Dismiss"));
    EXPECT_FALSE(notice.hasPanel());
    show(std::nullopt, "Folded", std::nullopt, {100, 200, 800, 600});
    EXPECT_TRUE(notice.hasPanel());
    EXPECT_EQ(sim.animator.started().size(), 2u);
    EXPECT_EQ(cardLines(), 2u);
}

TEST_F(NoticeCardTest, ButtonsAreDismissAloneOrNotNowAndTheActionWhichAnswersReturn) {
    show(std::nullopt, "Folded", std::nullopt, {100, 200, 800, 600});
    EXPECT_EQ(testing::buttonTitles(*notice.view()), (std::vector<std::string>{"Dismiss"}));

    int runs = 0;
    show("Display is back", "Move the workspace back?", "Move Back", {100, 200, 800, 600}, std::nullopt,
         [&] { ++runs; });
    EXPECT_EQ(testing::buttonTitles(*notice.view()), (std::vector<std::string>{"Not now", "Move Back"}));
    const auto& buttons = notice.view()->layout().buttons;
    EXPECT_FALSE(buttons[0].isDefault);
    EXPECT_TRUE(buttons[1].isDefault);
    EXPECT_LT(buttons[0].rect.maxX(), buttons[1].rect.minX()) << "the action at the trailing edge";

    panel().deliverKey(PanelKey::returnKey);
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(notice.hasPanel());
}

TEST_F(NoticeCardTest, TheActionClosesTheCardBeforeItRunsSoItMayShowTheNextAtOnce) {
    bool closedFirst = false;
    show("Display is back", "Move the workspace back?", "Move Back", {100, 200, 800, 600}, 10.0, [&] {
        closedFirst = !notice.hasPanel() && !notice.shownContent() && !notice.hasPendingDismissal();
        show(std::nullopt, "Moving back", std::nullopt, {100, 200, 800, 600});
    });
    ASSERT_TRUE(testing::clickButton(panel(), *notice.view(), "Move Back"));
    EXPECT_TRUE(closedFirst);
    ASSERT_TRUE(notice.hasPanel());
    EXPECT_EQ(notice.shownContent(), std::string("\x1fMoving back\x1f"));
    sim.mainQueue.advance(11);
    EXPECT_TRUE(notice.hasPanel()) << "the first card's timer went with it";
}

TEST_F(NoticeCardTest, APressReleasedOffItsButtonDoesNothing) {
    int runs = 0;
    show(std::nullopt, "m", "Go", {100, 200, 800, 600}, std::nullopt, [&] { ++runs; });
    const Rect card = cardFrameOf(panel());
    const Rect b = notice.view()->layout().buttons[1].rect;
    panel().deliver({PanelInput::Kind::leftDown, {card.minX() + b.midX(), card.minY() + b.midY()}});
    panel().deliver({PanelInput::Kind::leftUp, {card.minX() + 5, card.minY() + 5}});
    EXPECT_EQ(runs, 0);
    EXPECT_TRUE(notice.hasPanel());
}

TEST_F(NoticeCardTest, ANarrowVisibleFrameClampsTheCardEightPointsFromItsEdges) {
    ScreenInfo narrow = sim::SimScreens::screen({0, 0, 300, 800});
    sim.screens.setScreens({narrow});
    show(std::nullopt, "m", std::nullopt, {0, 0, 300, 600});
    sim.mainQueue.advance(1);
    EXPECT_EQ(cardFrameOf(panel()).minX(), 300 - 368) << "the right bound wins";
    EXPECT_EQ(cardFrameOf(panel()).minY(), 28);

    // A container below the screen's bottom: the card keeps 8 points above it.
    sim.screens.setScreens({sim::SimScreens::screen({0, 0, 1440, 900})});
    notice.position({200, -100, 800, 600}, {360, 100});
    EXPECT_EQ(cardFrameOf(panel()).minY(), 8);
}

TEST_F(NoticeCardTest, AContainerOffEveryScreenUsesTheMainScreenAndNoScreenLeavesItUnclamped) {
    sim.screens.setMainScreenIndex(1);
    show(std::nullopt, "m", std::nullopt, {5000, 5000, 800, 600});
    sim.mainQueue.advance(1);
    const Rect onMain = cardFrameOf(panel());
    EXPECT_EQ(onMain.minX(), 1440 + 1920 - 368) << "clamped to the main (second) screen";
    EXPECT_EQ(onMain.maxY(), 1080 - 8);

    sim.screens.setScreens({});
    notice.position({5000, 5000, 800, 600}, onMain.size);
    EXPECT_EQ(cardFrameOf(panel()).origin, Point(5000 + 400 - 180, 5028));
}

TEST_F(NoticeCardTest, CloseIsSafeWithNothingShownAndCancelsTheDismissal) {
    notice.close();
    EXPECT_FALSE(notice.hasPanel());
    show(std::nullopt, "m", std::nullopt, {100, 200, 800, 600}, 1.0);
    EXPECT_TRUE(notice.hasPendingDismissal());
    notice.close();
    EXPECT_FALSE(notice.hasPendingDismissal());
    EXPECT_FALSE(notice.hasPanel());
    sim.mainQueue.advance(2);
    EXPECT_TRUE(sim.panels.panels().empty());
}

TEST(NoticeCardLayoutTest, IsAlways360WideAndNeverBelow72High) {
    testing::FixedTextPanels noText({0, 0});
    EXPECT_EQ(layoutNoticeCard(noText, {std::nullopt, "", std::nullopt, nullptr, nullptr}).size, Size(360, 72));

    sim::SimPanels panels;
    const auto shortCard = layoutNoticeCard(panels, {std::nullopt, "Short.", std::nullopt, nullptr, nullptr});
    std::string longText;
    for (int i = 0; i < 40; ++i) longText += "window moves ";
    const auto longCard = layoutNoticeCard(panels, {"Title", longText, std::nullopt, nullptr, nullptr});
    EXPECT_EQ(shortCard.size.width, 360);
    EXPECT_EQ(longCard.size.width, 360);
    EXPECT_GT(longCard.size.height, shortCard.size.height + 60) << "wrapped text makes the card taller";
    // Every text fits inside the card's padding.
    for (const DrawOp& op : longCard.content)
        if (op.kind == DrawOp::Kind::styledText) {
            EXPECT_LE(op.rect.maxX(), 360 - 16);
            EXPECT_GE(op.rect.minY(), 16);
            EXPECT_LE(op.rect.maxY(), longCard.size.height - 16);
        }
}

TEST(NoticeCardLayoutTest, TheMessageIsSecondaryUnderATitleAndPrimaryAlone) {
    sim::SimPanels panels;
    auto colourOf = [&](const WorkspaceNoticeCard& card, const std::string& text) {
        for (const DrawOp& op : layoutNoticeCard(panels, card).content)
            if (op.kind == DrawOp::Kind::styledText && op.styledText.runs.at(0).text == text) return op.color.role;
        return ColorRole::grey;
    };
    EXPECT_EQ(colourOf({"T", "body", std::nullopt, nullptr, nullptr}, "body"), ColorRole::secondaryLabel);
    EXPECT_EQ(colourOf({std::nullopt, "body", std::nullopt, nullptr, nullptr}, "body"), ColorRole::label);
}

}  // namespace
}  // namespace tessane
