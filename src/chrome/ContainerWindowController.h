#pragma once

#include "base/Geometry.h"
#include "base/Lifetime.h"
#include "base/Signal.h"
#include "chrome/DividerDragView.h"
#include "chrome/MoveRailView.h"
#include "chrome/PaneMatWindowController.h"
#include "layout/PaneLayout.h"
#include "model/LayoutType.h"
#include "platform/Platform.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tessane {

class WorkItem;

// The placement overlay shown while the container is dragged by its rail.
class PlacementOverlayWindowController {
public:
    std::unique_ptr<Panel> window;
    bool isVisible = false;
};

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
    std::vector<int> panePreviewKey;
    std::shared_ptr<WorkItem> swapConfirmWorkItem;

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

    // Gestures, the actions menu and the drop previews: not built yet; each logs so.
    void toggleMaximize();
    void continueHeaderDrag(double dx, double dy);
    void endHeaderDrag();
    void beginDividerDrag();
    void continueDividerDrag(Point toCocoa, int ratioIndex, LayoutEngine::SplitAxis axis);
    void ensureDragOverlay();
    void endDividerSettle();
    void popUpWorkspaceActionsMenu(Point screenPoint);
    void showDropPreview(int paneIndex, const Rect& paneAXRect, const PanelImage& icon);
    void hideDropPreview();

    bool hasPanesToDivide() const;

private:
    void layoutDividerPanels(bool refrontShown);

    Platform platform_;
    std::unique_ptr<MoveRailView> railViewOwner_;
    LifetimeToken lifetime_;
};

}  // namespace tessane
