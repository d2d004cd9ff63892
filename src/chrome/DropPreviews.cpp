// The cards marking where a dragged window would drop, and the confirmation of a swap.
#include "chrome/ContainerWindowController.h"

#include "layout/ScreenGeometry.h"
#include "platform/Animator.h"
#include "platform/MainQueue.h"

namespace tessane {

namespace {
constexpr double kFadeIn = 0.1;
constexpr double kSwapFadeOut = 0.2;
}  // namespace

void ContainerWindowController::ensurePanePreviews(size_t count) {
    while (panePreviewWindows.size() < count) {
        panePreviewWindows.push_back(platform_.panels->makePanel(
            {.level = PanelLevel::shield, .ignoresMouse = true, .name = "preview"}));
        panePreviewViews.push_back(std::make_unique<PaneDropPreviewView>(*panePreviewWindows.back()));
        previewFades_.emplace_back();
    }
}

void ContainerWindowController::showDropPreview(int paneIndex, const Rect& paneAXRect, const PanelImage& icon) {
    if (swapConfirmWorkItem) {
        swapConfirmWorkItem->cancel();
        swapConfirmWorkItem.reset();
    }
    showPanePreviews({{paneIndex, paneAXRect, icon}}, /*fadeIn=*/true);
}

void ContainerWindowController::hideDropPreview() {
    if (swapConfirmWorkItem) {
        swapConfirmWorkItem->cancel();
        swapConfirmWorkItem.reset();
    }
    panePreviewKey.clear();
    for (size_t i = 0; i < panePreviewWindows.size(); ++i) {
        Panel& window = *panePreviewWindows[i];
        if (previewFades_[i].isFadingOut()) previewFades_[i].stop(*platform_.animator, window);
        if (!window.isVisible()) continue;
        window.orderOut();
        window.setAlpha(1);
    }
}

void ContainerWindowController::confirmSwap(const std::vector<PanePreview>& panes, double duration) {
    if (panes.empty()) return;
    showPanePreviews(panes, /*fadeIn=*/true);
    if (swapConfirmWorkItem) swapConfirmWorkItem->cancel();
    swapConfirmWorkItem = platform_.mainQueue->postAfter(duration, lifetime_.guard([this] {
        swapConfirmWorkItem.reset();
        panePreviewKey.clear();
        for (size_t i = 0; i < panePreviewWindows.size(); ++i)
            if (panePreviewWindows[i]->isVisible())
                previewFades_[i].fadeOut(*platform_.animator, *panePreviewWindows[i], kSwapFadeOut);
    }));
}

void ContainerWindowController::showPanePreviews(const std::vector<PanePreview>& panes, bool fadeIn) {
    const size_t n = panes.size();
    ensurePanePreviews(n);
    std::vector<int> key;
    for (const auto& pane : panes) key.push_back(pane.index);
    const bool same = key == panePreviewKey;
    panePreviewKey = key;
    const double primaryHeight = ScreenGeometry::primaryDisplayHeight(*platform_.screens);

    for (size_t i = 0; i < n; ++i) {
        Panel& window = *panePreviewWindows[i];
        PaneDropPreviewView& view = *panePreviewViews[i];
        if (!same) view.icon = panes[i].icon;
        // A card fading out after a swap is wanted again: it stays, at full alpha.
        if (previewFades_[i].isFadingOut()) previewFades_[i].stop(*platform_.animator, window);
        view.setPanelFrame(ScreenGeometry::screenRectFromAX(panes[i].axRect, primaryHeight));
        if (!same) view.display();
        if (!window.isVisible()) {
            window.setAlpha(fadeIn ? 0 : 1);
            window.orderFront();
            if (fadeIn) previewFades_[i].fadeIn(*platform_.animator, window, kFadeIn);
        }
    }
    for (size_t i = n; i < panePreviewWindows.size(); ++i) {
        Panel& window = *panePreviewWindows[i];
        if (previewFades_[i].isFadingOut()) previewFades_[i].stop(*platform_.animator, window);
        if (window.isVisible()) window.orderOut();
    }
}

}  // namespace tessane
