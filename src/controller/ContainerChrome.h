#pragma once

#include "base/Base64.h"
#include "base/Geometry.h"
#include "model/LayoutType.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tessane {

class PaneMatChrome;

// The callbacks through which one workspace's chrome reports the user's gestures and menu
// choices. The workspace controller installs them when it makes the session.
struct ContainerChromeCallbacks {
    std::function<void()> onRestore;
    std::function<void()> onHide;
    std::function<void()> onMaximizeToggled;
    std::function<void(int screenIndex)> onMoveToScreen;
    std::function<void(int offset)> onFocusPane;
    std::function<void()> onSolo;
    std::function<void()> onSaveLayout;
    std::function<void()> onResetWorkspace;
    std::function<void()> onRelease;
    std::function<void()> onQuitApps;
    // The new container rectangle, in Accessibility coordinates.
    std::function<void(const Rect& containerAX)> onContainerChanged;
    std::function<void()> onDividerDragBegan;
    std::function<void(const std::vector<double>& ratios)> onDividerCommitted;
};

// One pane's card in a swap confirmation: the pane's index, its tile in Accessibility
// coordinates and its icon (PNG; empty: none).
struct ChromePanePreview {
    int index = 0;
    Rect axRect;
    Bytes icon;
    bool operator==(const ChromePanePreview&) const = default;
};

// A menu the chrome built (the workspace actions menu); opaque to the controller, which only
// hands it on to whoever shows it.
class ChromeMenu {
public:
    virtual ~ChromeMenu() = default;
};

// What the workspace controller needs of the chrome around one shown workspace: the fields it
// writes, the operations it calls and the callbacks it installs. Member names follow the
// chrome's own (`ContainerWindowController`), so the real chrome plugs in through a thin
// adapter. Rectangles named ...Cocoa... are in screen coordinates (y up); the others in
// Accessibility coordinates.
class ContainerChrome {
public:
    enum class MenuScope { container, menuBar };

    virtual ~ContainerChrome() = default;

    virtual ContainerChromeCallbacks& callbacks() = 0;

    // The rail panel: absent until the chrome is first put up.
    virtual bool hasHeaderPanel() const = 0;
    // Builds the rail panel and keeps it as the header panel; nothing when there is one.
    virtual void makeRailPanel() = 0;

    virtual Rect containerCocoaRect() const = 0;
    virtual void setContainerCocoaRect(const Rect& rect) = 0;
    virtual std::optional<Rect> preMaximizeFrame() const = 0;
    virtual void setPreMaximizeFrame(const std::optional<Rect>& rect) = 0;
    virtual bool isMaximized() const = 0;
    virtual void setIsMaximized(bool maximized) = 0;
    virtual bool dividersHidden() const = 0;
    virtual void setDividersHidden(bool hidden) = 0;
    virtual bool isSoloed() const = 0;
    virtual void setIsSoloed(bool soloed) = 0;
    virtual bool isVisible() const = 0;

    virtual const std::string& currentTitle() const = 0;
    virtual void setCurrentTitle(const std::string& title) = 0;
    virtual LayoutType currentLayoutType() const = 0;
    virtual void setCurrentLayoutType(LayoutType type) = 0;
    virtual int currentAppCount() const = 0;
    virtual void setCurrentAppCount(int count) = 0;
    virtual const std::vector<double>& currentRatios() const = 0;
    virtual void setCurrentRatios(const std::vector<double>& ratios) = 0;
    // One PNG icon per pane, in pane order (empty data: no icon).
    virtual void setCurrentAppIcons(const std::vector<Bytes>& icons) = 0;

    virtual PaneMatChrome& paneMat() = 0;

    virtual void applyGeometry(bool movingHeader) = 0;
    virtual void orderFront() = 0;
    virtual void orderOut() = 0;
    virtual void toggleMaximize() = 0;
    virtual void refreshClickShield() = 0;
    virtual void positionDividerPanels() = 0;
    virtual void syncRatios(const std::vector<double>& ratios) = 0;
    virtual void endDividerSettle() = 0;
    virtual void showDropPreview(int paneIndex, const Rect& paneAXRect, const Bytes& icon) = 0;
    virtual void hideDropPreview() = 0;
    virtual void confirmSwap(const std::vector<ChromePanePreview>& panes, double duration) = 0;
    virtual std::unique_ptr<ChromeMenu> workspaceActionsMenu(MenuScope scope) = 0;
};

}  // namespace tessane
