#pragma once

#include "base/Geometry.h"
#include "base/Lifetime.h"
#include "base/Signal.h"
#include "chrome/DividerDragView.h"
#include "chrome/MoveRailView.h"
#include "chrome/PaneDragOverlayView.h"
#include "chrome/PaneMatWindowController.h"
#include "chrome/PanelFade.h"
#include "chrome/PlacementOverlay.h"
#include "layout/PaneLayout.h"
#include "model/LayoutType.h"
#include "platform/Menus.h"
#include "platform/Platform.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tessane {

class WorkItem;

// The chrome of one shown workspace: the move rail, the divider handles, the mat and click
// shields (through paneMat), and the overlays, all kept in step with the container rectangle,
// layout, pane count and ratios that the workspace controller writes into it. It never moves
// other applications' windows; it reports the user's gestures through its callbacks.
//
// The container is kept in screen coordinates (y up); what is reported goes out in
// Accessibility coordinates. Main thread only. Every closure it hands out holds it weakly.
class ContainerWindowController {
public:
    // Needs the platform's panels, animator, event monitors, main queue and screens.
    explicit ContainerWindowController(const Platform& platform);
    // Orders out and destroys every window it made.
    ~ContainerWindowController();
    ContainerWindowController(const ContainerWindowController&) = delete;
    ContainerWindowController& operator=(const ContainerWindowController&) = delete;

    // --- callbacks the workspace controller installs (nil ones are skipped) ---
    std::function<void()> onRestore;
    std::function<void()> onHide;
    std::function<void()> onMaximizeToggled;
    std::function<void(int)> onMoveToScreen;
    std::function<void(int)> onFocusPane;
    std::function<void()> onSolo;
    std::function<void()> onSaveLayout;
    std::function<void()> onResetWorkspace;
    std::function<void()> onRelease;
    std::function<void()> onQuitApps;
    std::function<void(const Rect&)> onContainerChanged;  // Accessibility coordinates
    std::function<void()> onDividerDragBegan;
    std::function<void(const std::vector<double>&)> onDividerCommitted;

    // --- fields ---
    // The rail panel: made by makeRailPanel() and stored here by the workspace controller, once.
    std::unique_ptr<Panel> headerPanel;
    MoveRailView* railView = nullptr;  // the rail panel's content, when made
    PlacementOverlayWindowController placementOverlay;
    PaneMatWindowController paneMat;
    std::vector<std::unique_ptr<Panel>> dividerPanels;          // only grows
    std::vector<std::unique_ptr<DividerDragView>> dividerViews;  // same order
    bool dividersHidden = false;
    bool isSoloed = false;
    std::unique_ptr<Panel> dragOverlayWindow;
    std::unique_ptr<PaneDragOverlayView> dragOverlayView;
    std::vector<PanelImage> currentAppIcons;
    std::optional<Subscription> hoverMonitor;
    Rect containerCocoaRect;
    std::optional<Point> dragOriginCocoa;
    bool isFrameDragging = false;
    double lastDragRenderTime = 0;
    std::string currentTitle;
    LayoutType currentLayoutType = LayoutType::leftRightSplit;
    int currentAppCount = 2;
    std::vector<double> currentRatios;
    bool isVisible = false;
    bool isMaximized = false;
    std::optional<Rect> preMaximizeFrame;
    std::vector<std::unique_ptr<Panel>> panePreviewWindows;  // only grows
    std::vector<std::unique_ptr<PaneDropPreviewView>> panePreviewViews;  // same order
    std::vector<int> panePreviewKey;
    std::shared_ptr<WorkItem> swapConfirmWorkItem;

    // What its own panels are made with (the mat's and shields' are paneMat's).
    static PanelOptions railPanelOptions() { return {.level = PanelLevel::rail, .name = "rail"}; }
    static PanelOptions handlePanelOptions() { return {.level = PanelLevel::handle, .name = "handle"}; }
    // The panels a chrome puts up at most, whatever its layout: the rail, the mat, and the click
    // shields and handles of the layouts that have the most of each. The windows a platform may
    // make ready before a first show.
    static std::vector<PanelOptions> largestPanelSet();

    // --- operations ---
    std::unique_ptr<Panel> makeRailPanel();
    // Lays out the rail (when movingHeader), the mat, the click-shield strips and the handles
    // for containerCocoaRect.
    void applyGeometry(bool movingHeader);
    void refreshClickShield();
    // Takes the ratios only for a layout with panes to divide and a non-empty list.
    void syncRatios(const std::vector<double>& ratios);
    // Nothing for a layout without panes to divide.
    std::optional<std::vector<Rect>> paneContainerShieldStrips() const;
    void orderFront();
    void orderOut();
    void positionDividerPanels();
    void stopHoverMonitor();
    void reconcileRailHover();
    void updateDividerHover();
    struct DividerPanel {
        std::unique_ptr<Panel> panel;
        std::unique_ptr<DividerDragView> view;
    };
    DividerPanel makeDividerPanel();

    // --- the rail: group drag and maximize ---
    // Fills the usable area of the container's display, or puts the frame from before back.
    // Nothing without the rail panel, or without any display.
    void toggleMaximize();
    // The pointer is (dx, dy) from where the rail drag started; moves the rail and the
    // placement overlay (at most 60 times a second), never the application windows.
    void continueHeaderDrag(double dx, double dy);
    // A drag that moved reports the new container through onContainerChanged.
    void endHeaderDrag();
    // r moved so that its top edge and its rail stay on the usable area of the display the rail
    // is on; the container itself may reach beyond it.
    Rect clampForReachableRail(const Rect& r) const;

    // --- divider dragging ---
    // Puts the overlay up over the container, fronts the handles in use, onDividerDragBegan.
    void beginDividerDrag();
    void continueDividerDrag(Point toCocoa, int ratioIndex, LayoutEngine::SplitAxis axis);
    // The end of a handle's drag, released or not: onDividerCommitted with the current ratios.
    void commitDividerDrag();
    void ensureDragOverlay();
    // The overlay shows the committed ratios and fades away.
    void endDividerSettle();

    // --- the actions menu ---
    enum class ActionScope { container, menuBar };
    // A new menu each time, from the title, solo and maximize state and the container's display
    // as they are now. Its actions hold the chrome weakly.
    MenuContent workspaceActionsMenu(ActionScope scope);
    void popUpWorkspaceActionsMenu(Point screenPoint);

    // --- drop previews ---
    struct PanePreview {
        int index = 0;
        Rect axRect;  // Accessibility coordinates
        PanelImage icon;
    };
    void showDropPreview(int paneIndex, const Rect& paneAXRect, const PanelImage& icon);
    void hideDropPreview();
    // Cards on the given panes, faded out `duration` seconds later. Nothing for no panes.
    void confirmSwap(const std::vector<PanePreview>& panes, double duration);
    void showPanePreviews(const std::vector<PanePreview>& panes, bool fadeIn);
    void ensurePanePreviews(size_t count);

    bool hasPanesToDivide() const;

private:
    // The gutters of `layout` that a handle stands on: those between panes a ratio divides.
    static std::vector<LayoutEngine::SplitGutter> handleGutters(const LayoutEngine::PaneLayout& layout);
    void layoutDividerPanels(bool refrontShown);
    // The rail panel to the rail frame of the current container.
    void moveRailPanel();
    // The rail takes the pointer only where no pane lies under it.
    void fitRailInput();
    // onContainerChanged with the container in Accessibility coordinates.
    void reportContainerChanged();

    Platform platform_;
    std::unique_ptr<MoveRailView> railViewOwner_;
    size_t dividersInUse_ = 0;  // handles that stand on a gutter now
    PanelFade dragOverlayFade_;
    std::vector<PanelFade> previewFades_;  // same order as panePreviewWindows
    LifetimeToken lifetime_;
};

}  // namespace tessane
