#include "chrome/ContainerChromeAdapter.h"

namespace tessane {

namespace {
PanelImage image(const Bytes& png) {
    if (png.empty()) return nullptr;
    return std::make_shared<const Bytes>(png);
}
}  // namespace

ContainerChromeAdapter::ContainerChromeAdapter(const Platform& platform) : chrome_(platform) {
    // Each reports through whatever callback is installed when the gesture happens.
    auto& c = callbacks_;
    chrome_.onRestore = [&c] { if (c.onRestore) c.onRestore(); };
    chrome_.onHide = [&c] { if (c.onHide) c.onHide(); };
    chrome_.onMaximizeToggled = [&c] { if (c.onMaximizeToggled) c.onMaximizeToggled(); };
    chrome_.onMoveToScreen = [&c](int i) { if (c.onMoveToScreen) c.onMoveToScreen(i); };
    chrome_.onFocusPane = [&c](int offset) { if (c.onFocusPane) c.onFocusPane(offset); };
    chrome_.onSolo = [&c] { if (c.onSolo) c.onSolo(); };
    chrome_.onSaveLayout = [&c] { if (c.onSaveLayout) c.onSaveLayout(); };
    chrome_.onResetWorkspace = [&c] { if (c.onResetWorkspace) c.onResetWorkspace(); };
    chrome_.onRelease = [&c] { if (c.onRelease) c.onRelease(); };
    chrome_.onQuitApps = [&c] { if (c.onQuitApps) c.onQuitApps(); };
    chrome_.onContainerChanged = [&c](const Rect& r) { if (c.onContainerChanged) c.onContainerChanged(r); };
    chrome_.onDividerDragBegan = [&c] { if (c.onDividerDragBegan) c.onDividerDragBegan(); };
    chrome_.onDividerCommitted = [&c](const std::vector<double>& r) {
        if (c.onDividerCommitted) c.onDividerCommitted(r);
    };
}

void ContainerChromeAdapter::makeRailPanel() {
    if (!chrome_.headerPanel) chrome_.headerPanel = chrome_.makeRailPanel();
}

void ContainerChromeAdapter::setCurrentAppIcons(const std::vector<Bytes>& icons) {
    chrome_.currentAppIcons.clear();
    for (const auto& icon : icons) chrome_.currentAppIcons.push_back(image(icon));
}

void ContainerChromeAdapter::showDropPreview(int paneIndex, const Rect& paneAXRect, const Bytes& icon) {
    chrome_.showDropPreview(paneIndex, paneAXRect, image(icon));
}

void ContainerChromeAdapter::confirmSwap(const std::vector<ChromePanePreview>& panes, double duration) {
    std::vector<ContainerWindowController::PanePreview> previews;
    for (const auto& p : panes) previews.push_back({p.index, p.axRect, image(p.icon)});
    chrome_.confirmSwap(previews, duration);
}

std::unique_ptr<ChromeMenu> ContainerChromeAdapter::workspaceActionsMenu(MenuScope scope) {
    return std::make_unique<ChromeActionsMenu>(chrome_.workspaceActionsMenu(
        scope == MenuScope::menuBar ? ContainerWindowController::ActionScope::menuBar
                                    : ContainerWindowController::ActionScope::container));
}

std::unique_ptr<ContainerChrome> makeContainerChrome(const Platform& platform) {
    return std::make_unique<ContainerChromeAdapter>(platform);
}

void prepareContainerChrome(const Platform& platform) {
    platform.panels->prepare(ContainerWindowController::largestPanelSet());
}

}  // namespace tessane
