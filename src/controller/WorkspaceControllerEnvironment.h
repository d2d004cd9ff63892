#pragma once

#include "platform/Platform.h"
#include "system/AccessibilityPermission.h"
#include "system/DisplayTopologyWatcher.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace tessane {

class ContainerChrome;
class NoticeChrome;
class TipsChrome;
class SwitcherChrome;
class GlobalInput;
class WorkspaceManager;
class HiddenAppLedger;
class AXWindowObserver;
class AXAppFocusObserver;
class StageManagerWatcher;

// Everything the workspace controller reaches, given once at construction. The ports come from
// the backend (sim in tests, Linux in the product); the chrome parts are made through factories
// so that tests can hand in recording fakes.
struct WorkspaceControllerEnvironment {
    // Every port; the controller needs mainQueue, screens, accessibility, applications,
    // windowList, defaults, preferences, fileWatch and alerts.
    Platform platform;
    GlobalInput* input = nullptr;

    WorkspaceManager* manager = nullptr;
    HiddenAppLedger* hiddenApps = nullptr;

    // Our own bundle identifier: activations of our own windows never move the chrome.
    std::string ownBundleIdentifier;

    // Who this process is, for the window-control diagnostics a show logs; empty reads as unknown.
    std::function<AccessibilityPermission::Identity()> identity;

    std::function<std::unique_ptr<ContainerChrome>()> makeChrome;
    std::function<std::unique_ptr<NoticeChrome>()> makeNotice;
    std::function<std::unique_ptr<TipsChrome>()> makeTips;
    std::function<std::unique_ptr<SwitcherChrome>()> makeSwitcher;

    // Optional: when empty, the controller makes the real ones over the ports.
    std::function<std::unique_ptr<AXWindowObserver>()> makeWindowObserver;
    std::function<std::unique_ptr<AXAppFocusObserver>()> makeAppFocusObserver;
    std::function<std::unique_ptr<DisplayTopologyWatcher>(DisplayTopologyWatcher::OnChange)> makeTopologyWatcher;
    std::function<std::unique_ptr<StageManagerWatcher>(const std::filesystem::path& file, std::function<void()> onChange)>
        makeStageManagerWatcher;
};

}  // namespace tessane
