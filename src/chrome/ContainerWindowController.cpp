#include "chrome/ContainerWindowController.h"

#include "chrome/ChromeGeometry.h"
#include "layout/LayoutEngine.h"
#include "platform/EventMonitors.h"

#include <algorithm>

namespace tessane {

ContainerWindowController::ContainerWindowController(const Platform& platform)
    : paneMat(*platform.panels), platform_(platform) {}

ContainerWindowController::~ContainerWindowController() {
    orderOut();
    hideDropPreview();
    // Views first: they draw into the panels.
    dividerViews.clear();
    railView = nullptr;
    railViewOwner_.reset();
    panePreviewViews.clear();
    panePreviewWindows.clear();
    dragOverlayView.reset();
    dragOverlayWindow.reset();
    placementOverlay.overlayView.reset();
    placementOverlay.window.reset();
    dividerPanels.clear();
    headerPanel.reset();
    // paneMat destroys the mat and the shields.
}

bool ContainerWindowController::hasPanesToDivide() const {
    return ChromeGeometry::hasPanesToDivide(currentLayoutType, currentAppCount);
}

std::vector<LayoutEngine::SplitGutter> ContainerWindowController::handleGutters(const LayoutEngine::PaneLayout& layout) {
    std::vector<LayoutEngine::SplitGutter> gutters;
    for (const auto& g : layout.gutters)
        if (g.ratioIndex) gutters.push_back(g);
    return gutters;
}

std::vector<PanelOptions> ContainerWindowController::largestPanelSet() {
    size_t shields = 0, handles = 0;
    const Rect container{0, 0, 1600, 1000};
    for (LayoutType type : layout_types::allCases()) {
        const int apps = static_cast<int>(layout_types::requiredApps(type).value_or(4));
        if (!ChromeGeometry::hasPanesToDivide(type, apps)) continue;
        const auto layout = ChromeGeometry::paneLayout(type, container, apps, {});
        shields = std::max(shields, LayoutEngine::matStripRects(container, layout.appFrames).size());
        handles = std::max(handles, handleGutters(layout).size());
    }
    std::vector<PanelOptions> out{railPanelOptions(), PaneMatWindowController::matPanelOptions()};
    out.insert(out.end(), shields, PaneMatWindowController::shieldPanelOptions());
    out.insert(out.end(), handles, handlePanelOptions());
    return out;
}

std::unique_ptr<Panel> ContainerWindowController::makeRailPanel() {
    auto panel = platform_.panels->makePanel(railPanelOptions());
    railViewOwner_ = std::make_unique<MoveRailView>(*panel);
    railView = railViewOwner_.get();
    railView->onDoubleClick = lifetime_.guard([this] { toggleMaximize(); });
    railView->onDragStart = lifetime_.guard([this] { dragOriginCocoa = containerCocoaRect.origin; });
    railView->onDragMoved = lifetime_.guard([this](double dx, double dy) { continueHeaderDrag(dx, dy); });
    railView->onDragEnded = lifetime_.guard([this] { endHeaderDrag(); });
    railView->onMenu = lifetime_.guard([this](Point p) { popUpWorkspaceActionsMenu(p); });
    railView->onHoverChanged = lifetime_.guard([this](bool hovering) {
        if (hovering) {
            for (auto& v : dividerViews) v->setHovering(false);
        } else {
            updateDividerHover();
        }
    });
    return panel;
}

void ContainerWindowController::applyGeometry(bool movingHeader) {
    if (movingHeader) {
        moveRailPanel();
        reconcileRailHover();
    }
    refreshClickShield();
}

void ContainerWindowController::moveRailPanel() {
    if (!headerPanel) return;
    const Rect rail = ChromeGeometry::railFrame(containerCocoaRect);
    if (railView && &railView->panel() == headerPanel.get())
        railView->setPanelFrame(rail);
    else
        headerPanel->setFrame(rail);
}

void ContainerWindowController::fitRailInput() {
    if (!headerPanel) return;
    const auto layout = ChromeGeometry::paneLayout(currentLayoutType, containerCocoaRect, currentAppCount, currentRatios);
    headerPanel->setInputArea(ChromeGeometry::railInputArea(headerPanel->frame(), layout.appFrames));
}

void ContainerWindowController::refreshClickShield() {
    auto strips = paneContainerShieldStrips();
    paneMat.update(containerCocoaRect, strips ? *strips : std::vector<Rect>{});
    positionDividerPanels();
    fitRailInput();  // after the rail moved or the panes' edges did (ratios)
}

void ContainerWindowController::syncRatios(const std::vector<double>& ratios) {
    if (!hasPanesToDivide() || ratios.empty()) return;
    currentRatios = ratios;
    refreshClickShield();
}

std::optional<std::vector<Rect>> ContainerWindowController::paneContainerShieldStrips() const {
    if (!hasPanesToDivide()) return std::nullopt;
    Rect container = containerCocoaRect;
    if (container.size.height < 0) container.size.height = 0;
    const auto layout = ChromeGeometry::paneLayout(currentLayoutType, containerCocoaRect,
                                                   currentAppCount, currentRatios);
    return LayoutEngine::matStripRects(container, layout.appFrames);
}

void ContainerWindowController::orderFront() {
    if (!headerPanel) return;
    paneMat.orderForWorkspaceVisible();
    headerPanel->orderFront();
    isVisible = true;
    // Every shown handle is re-fronted, not only those that were hidden: the mat and rail were
    // just raised and the window system keeps no levels of its own for us to rely on.
    layoutDividerPanels(/*refrontShown=*/true);
    if (!hoverMonitor) {
        hoverMonitor = platform_.eventMonitors->addGlobalMonitor(
            GlobalEventKind::mouseMoved, lifetime_.guard([this](const GlobalEvent&) { updateDividerHover(); }));
    }
}

void ContainerWindowController::orderOut() {
    if (placementOverlay.window) placementOverlay.window->orderOut();
    placementOverlay.isVisible = false;
    // An abandoned rail drag reports nothing, but the rail gets its shadow back as a finished
    // one would.
    if (isFrameDragging && headerPanel) headerPanel->setHasShadow(true);
    dragOriginCocoa.reset();
    isFrameDragging = false;
    isVisible = false;
    stopHoverMonitor();
    if (headerPanel) headerPanel->orderOut();
    paneMat.orderOut();
    // By index: a handle ordered out in the middle of a drag commits it at once, and whatever the
    // commit does may lay the handles out again.
    for (size_t i = 0; i < dividerPanels.size(); ++i) dividerPanels[i]->orderOut();
    if (dragOverlayWindow) dragOverlayWindow->orderOut();
}

void ContainerWindowController::positionDividerPanels() { layoutDividerPanels(false); }

void ContainerWindowController::layoutDividerPanels(bool refrontShown) {
    const bool divides = hasPanesToDivide();
    if (railView && railView->mayBorrowAppPixels != divides) {
        railView->mayBorrowAppPixels = divides;
        railView->display();
    }
    if (!divides) {
        dividersInUse_ = 0;
        for (auto& p : dividerPanels) p->orderOut();
        return;
    }

    const auto layout = ChromeGeometry::paneLayout(currentLayoutType, containerCocoaRect,
                                                   currentAppCount, currentRatios);
    const auto gutters = handleGutters(layout);
    const size_t n = gutters.size();
    dividersInUse_ = n;

    while (dividerPanels.size() < n) {
        auto made = makeDividerPanel();
        dividerPanels.push_back(std::move(made.panel));
        dividerViews.push_back(std::move(made.view));
    }

    const bool show = isVisible && !dividersHidden;
    for (size_t i = 0; i < dividerPanels.size(); ++i) {
        Panel& panel = *dividerPanels[i];
        if (i >= n) {
            if (panel.isVisible()) panel.orderOut();
            continue;
        }
        const auto& g = gutters[i];
        DividerDragView& view = *dividerViews[i];
        view.setAxis(g.axis == LayoutEngine::SplitAxis::column ? DividerDragView::Axis::vertical
                                                               : DividerDragView::Axis::horizontal);
        view.ratioIndex = *g.ratioIndex;
        view.setPanelFrame(ChromeGeometry::handleFrame(g));
        if (show && (refrontShown || !panel.isVisible()))
            panel.orderFront();
        else if (!show && panel.isVisible())
            panel.orderOut();
    }
}

void ContainerWindowController::stopHoverMonitor() {
    hoverMonitor.reset();
    for (auto& v : dividerViews) v->setHovering(false);
    if (railView) railView->setHovering(false);
}

void ContainerWindowController::reconcileRailHover() {
    if (!headerPanel || !railView) return;
    if (!headerPanel->frame().contains(platform_.eventMonitors->mouseLocation()))
        railView->setHovering(false);
}

void ContainerWindowController::updateDividerHover() {
    if (!isVisible) return;
    reconcileRailHover();
    const Point mouse = platform_.eventMonitors->mouseLocation();
    const bool railHovering = railView && railView->hovering;
    for (size_t i = 0; i < dividerViews.size() && i < dividerPanels.size(); ++i) {
        const Panel& panel = *dividerPanels[i];
        const bool near = panel.isVisible() && !railHovering &&
                          ChromeGeometry::outset(panel.frame(), ChromeGeometry::kHandleHoverBand).contains(mouse);
        dividerViews[i]->setHovering(near);
    }
}

ContainerWindowController::DividerPanel ContainerWindowController::makeDividerPanel() {
    DividerPanel made;
    made.panel = platform_.panels->makePanel(handlePanelOptions());
    made.view = std::make_unique<DividerDragView>(*made.panel);
    DividerDragView* view = made.view.get();
    made.view->onDragStart = lifetime_.guard([this] { beginDividerDrag(); });
    made.view->onDragMoved = lifetime_.guard([this, view](Point p) {
        continueDividerDrag(p, view->ratioIndex,
                            view->axis == DividerDragView::Axis::vertical ? LayoutEngine::SplitAxis::column
                                                                          : LayoutEngine::SplitAxis::row);
    });
    made.view->onDragEnded = lifetime_.guard([this] { commitDividerDrag(); });
    return made;
}

}  // namespace tessane
