#include "chrome/ContainerChromeFixture.h"

namespace tessane {
namespace {

using Preview = ContainerWindowController::PanePreview;

class DropPreviewsTest : public testing::ContainerChromeFixture {
protected:
    static PanelImage icon(uint8_t tag) { return std::make_shared<const std::vector<uint8_t>>(1, tag); }
    std::vector<sim::SimPanel*> cards() const { return sim.panels.panelsNamed("preview"); }
    const PanelImage& shownIcon(size_t i) const { return chrome.panePreviewViews.at(i)->icon; }
    size_t fadesTo(double alpha) const {
        size_t n = 0;
        for (const auto& r : sim.animator.started())
            if (r.animation.alpha == alpha) ++n;
        return n;
    }
};

TEST_F(DropPreviewsTest, APaneInAccessibilityCoordinatesBecomesAClickThroughCard) {
    chrome.showDropPreview(1, {100, 50, 400, 300}, icon(7));
    ASSERT_EQ(cards().size(), 1u);
    EXPECT_EQ(cards()[0]->frame(), Rect(100, 550, 400, 300));
    EXPECT_TRUE(cards()[0]->options().ignoresMouse);
    EXPECT_EQ(cards()[0]->options().level, PanelLevel::shield);
    EXPECT_TRUE(cards()[0]->isVisible());
    EXPECT_EQ(cards()[0]->alpha(), 0) << "fades in";
    EXPECT_EQ(fadesTo(1), 1u);
    sim.mainQueue.advance(0.1);
    EXPECT_EQ(cards()[0]->alpha(), 1);
    EXPECT_EQ(chrome.panePreviewKey, (std::vector<int>{1}));
}

TEST_F(DropPreviewsTest, TheSamePaneOnlyMovesAnotherPaneReusesTheCardWithoutAFade) {
    chrome.showDropPreview(0, {0, 0, 400, 300}, icon(1));
    sim.mainQueue.advance(0.1);
    chrome.showDropPreview(0, {10, 0, 400, 300}, icon(2));
    EXPECT_EQ((*shownIcon(0))[0], 1) << "same key: the icon shown stays";
    EXPECT_EQ(cards()[0]->frame().minX(), 10);
    EXPECT_EQ(fadesTo(1), 1u) << "no second fade-in";

    chrome.showDropPreview(2, {500, 0, 400, 300}, icon(3));
    EXPECT_EQ(cards().size(), 1u) << "the same window moves";
    EXPECT_EQ((*shownIcon(0))[0], 3);
    EXPECT_EQ(cards()[0]->alpha(), 1);
    EXPECT_EQ(fadesTo(1), 1u);
}

TEST_F(DropPreviewsTest, SwapConfirmationShowsBothAndFadesThemOutLater) {
    chrome.showDropPreview(0, {0, 0, 400, 300}, icon(1));
    sim.mainQueue.advance(0.1);
    chrome.confirmSwap({{0, {0, 0, 400, 300}, icon(1)}, {1, {406, 0, 400, 300}, icon(2)}}, 0.55);
    ASSERT_EQ(cards().size(), 2u);
    EXPECT_EQ(cards()[0]->alpha(), 1) << "the first card stays visible";
    EXPECT_EQ(cards()[1]->alpha(), 0);
    EXPECT_EQ(fadesTo(1), 2u);

    sim.mainQueue.advance(0.5);
    EXPECT_EQ(fadesTo(0), 0u);
    sim.mainQueue.advance(0.1);
    EXPECT_EQ(fadesTo(0), 2u);
    EXPECT_TRUE(chrome.panePreviewKey.empty());
    sim.mainQueue.advance(0.2);
    for (auto* c : cards()) {
        EXPECT_FALSE(c->isVisible());
        EXPECT_EQ(c->alpha(), 1);
    }

    // An empty confirmation changes nothing, not even a pending fade-out.
    chrome.confirmSwap({{0, {0, 0, 400, 300}, icon(1)}}, 0.55);
    chrome.confirmSwap({}, 0.55);
    sim.mainQueue.advance(0.6);
    EXPECT_EQ(fadesTo(0), 3u);
}

TEST_F(DropPreviewsTest, HideRightAfterAConfirmationRemovesTheCardsAndNoFadeFollows) {
    chrome.confirmSwap({{0, {0, 0, 400, 300}, icon(1)}, {1, {406, 0, 400, 300}, icon(2)}}, 0.55);
    chrome.hideDropPreview();
    for (auto* c : cards()) EXPECT_FALSE(c->isVisible());
    sim.mainQueue.advance(1);
    EXPECT_EQ(fadesTo(0), 0u);
    EXPECT_FALSE(chrome.swapConfirmWorkItem);
}

TEST_F(DropPreviewsTest, APreviewDuringTheFadeOutIsNotTakenAwayByIt) {
    chrome.confirmSwap({{0, {0, 0, 400, 300}, icon(1)}}, 0.55);
    sim.mainQueue.advance(0.6);  // fading out now
    chrome.showDropPreview(0, {0, 0, 400, 300}, icon(1));
    sim.mainQueue.advance(1);
    EXPECT_TRUE(cards()[0]->isVisible());
    EXPECT_EQ(cards()[0]->alpha(), 1);

    chrome.confirmSwap({{0, {0, 0, 400, 300}, icon(1)}}, 0.55);
    sim.mainQueue.advance(0.6);
    chrome.hideDropPreview();
    chrome.showDropPreview(1, {0, 0, 400, 300}, icon(1));
    sim.mainQueue.advance(1);
    EXPECT_TRUE(cards()[0]->isVisible()) << "hidden, then shown again: the old fade has no say";
}

TEST_F(DropPreviewsTest, AReleasedChromeRunsNoFadeOut) {
    {
        ContainerWindowController local{sim.platform()};
        local.confirmSwap({{0, {0, 0, 400, 300}, icon(1)}}, 0.55);
    }
    sim.mainQueue.advance(1);
    EXPECT_EQ(fadesTo(0), 0u);
    EXPECT_TRUE(sim.panels.panels().empty());
}

}  // namespace
}  // namespace tessane
