#pragma once

#include "chrome/ContainerWindowController.h"

namespace tessane::bench {

// Puts up a 2 x 2 workspace's chrome over `container`, as the workspace controller's show does.
inline void showGridChrome(ContainerWindowController& chrome, const Rect& container) {
    chrome.headerPanel = chrome.makeRailPanel();
    chrome.currentLayoutType = LayoutType::grid2x2;
    chrome.currentAppCount = 4;
    chrome.currentRatios = {0.5, 0.5};
    chrome.containerCocoaRect = container;
    chrome.applyGeometry(true);
    chrome.orderFront();
}

}  // namespace tessane::bench
