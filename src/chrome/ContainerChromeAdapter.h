#pragma once

#include "chrome/ContainerWindowController.h"
#include "controller/ContainerChrome.h"
#include "controller/PaneMatChrome.h"

#include <memory>

namespace tessane {

// The actions menu as the controller hands it on: the menu's data, for whoever shows it.
class ChromeActionsMenu final : public ChromeMenu {
public:
    explicit ChromeActionsMenu(MenuContent content) : content(std::move(content)) {}
    MenuContent content;
};

// The real chrome of one workspace seen through the workspace controller's interface. The
// callbacks the controller installs are read when a gesture reports, so they may be replaced at
// any time.
class ContainerChromeAdapter final : public ContainerChrome, private PaneMatChrome {
public:
    explicit ContainerChromeAdapter(const Platform& platform);

    ContainerWindowController& chrome() { return chrome_; }

    ContainerChromeCallbacks& callbacks() override { return callbacks_; }
    bool hasHeaderPanel() const override { return chrome_.headerPanel != nullptr; }
    void makeRailPanel() override;

    Rect containerCocoaRect() const override { return chrome_.containerCocoaRect; }
    void setContainerCocoaRect(const Rect& rect) override { chrome_.containerCocoaRect = rect; }
    std::optional<Rect> preMaximizeFrame() const override { return chrome_.preMaximizeFrame; }
    void setPreMaximizeFrame(const std::optional<Rect>& rect) override { chrome_.preMaximizeFrame = rect; }
    bool isMaximized() const override { return chrome_.isMaximized; }
    void setIsMaximized(bool maximized) override { chrome_.isMaximized = maximized; }
    bool dividersHidden() const override { return chrome_.dividersHidden; }
    void setDividersHidden(bool hidden) override { chrome_.dividersHidden = hidden; }
    bool isSoloed() const override { return chrome_.isSoloed; }
    void setIsSoloed(bool soloed) override { chrome_.isSoloed = soloed; }
    bool isVisible() const override { return chrome_.isVisible; }

    const std::string& currentTitle() const override { return chrome_.currentTitle; }
    void setCurrentTitle(const std::string& title) override { chrome_.currentTitle = title; }
    LayoutType currentLayoutType() const override { return chrome_.currentLayoutType; }
    void setCurrentLayoutType(LayoutType type) override { chrome_.currentLayoutType = type; }
    int currentAppCount() const override { return chrome_.currentAppCount; }
    void setCurrentAppCount(int count) override { chrome_.currentAppCount = count; }
    const std::vector<double>& currentRatios() const override { return chrome_.currentRatios; }
    void setCurrentRatios(const std::vector<double>& ratios) override { chrome_.currentRatios = ratios; }
    void setCurrentAppIcons(const std::vector<Bytes>& icons) override;

    PaneMatChrome& paneMat() override { return *this; }

    void applyGeometry(bool movingHeader) override { chrome_.applyGeometry(movingHeader); }
    void orderFront() override { chrome_.orderFront(); }
    void orderOut() override { chrome_.orderOut(); }
    void toggleMaximize() override { chrome_.toggleMaximize(); }
    void refreshClickShield() override { chrome_.refreshClickShield(); }
    void positionDividerPanels() override { chrome_.positionDividerPanels(); }
    void syncRatios(const std::vector<double>& ratios) override { chrome_.syncRatios(ratios); }
    void endDividerSettle() override { chrome_.endDividerSettle(); }
    void showDropPreview(int paneIndex, const Rect& paneAXRect, const Bytes& icon) override;
    void hideDropPreview() override { chrome_.hideDropPreview(); }
    void confirmSwap(const std::vector<ChromePanePreview>& panes, double duration) override;
    std::unique_ptr<ChromeMenu> workspaceActionsMenu(MenuScope scope) override;

private:
    // PaneMatChrome
    void setShieldsHidden(bool hidden) override { chrome_.paneMat.setShieldsHidden(hidden); }
    bool shieldsHidden() const override { return chrome_.paneMat.shieldsHidden(); }

    ContainerChromeCallbacks callbacks_;
    ContainerWindowController chrome_;
};

// The chrome factory the workspace controller is given in the product.
std::unique_ptr<ContainerChrome> makeContainerChrome(const Platform& platform);
// Has the platform make the windows of the largest chrome ready, so that the first chrome put up
// costs what a later one does.
void prepareContainerChrome(const Platform& platform);

}  // namespace tessane
