#pragma once

#include "builder/SecondPaneGate.h"
#include "platform/AccessibilityValue.h"
#include "platform/Platform.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

namespace tessane {

class AXWindowController;

// Asks before a workspace editor gives an application a further pane: each pane needs its own
// window. With too few windows it offers to press the application's own new-window menu item,
// waits briefly for the window and remembers applications for which that did not work, so the
// offer is never made for them again. Every question is a modal alert; the caller is blocked
// meanwhile (the wait keeps the main loop running).
class SecondPanePrompt {
public:
    // Needs the platform's accessibility, applications, alerts, defaults and main queue.
    explicit SecondPanePrompt(const Platform& platform);

    // Whether the pane may be added. The prompt reads windows and menus over the Accessibility
    // port itself; `axController` is accepted for the editors' sake and not used. A call made
    // while another is waiting for a window (from the nested loop) answers false at once.
    bool allowSecondPane(const std::string& appName, const std::string& bundleID, size_t existingPanes,
                         const AXWindowController* axController = nullptr);

    bool confirm(const std::string& title, const std::string& message, const std::string& accept);
    void inform(const std::string& title, const std::string& message);
    // Waits up to 1.5 s, in 0.1 s slices of the main loop, for the application to have more
    // than `beyond` manageable windows.
    bool waitForWindow(size_t beyond, Pid pid, const AXWindowController& windows);
    // Adds the identifier to the remembered list; the list is written only when it grows.
    void rememberCannotOpenWindows(const std::string& bundleID);

    static constexpr const char* kRememberedKey = "TessaneAppsWithoutNewWindowCommand";
    static constexpr double kWaitSeconds = 1.5;
    static constexpr double kWaitSlice = 0.1;

private:
    bool decide(const std::string& appName, const std::string& bundleID, size_t existingPanes);
    // A modal informational alert; answers the index of the button that ended it.
    size_t ask(const std::string& title, const std::string& message, std::vector<std::string> buttons);

    Platform platform_;
    static inline bool inProgress_ = false;
};

// The prompt behind the gate through which the builder and the workspace editor ask.
class SecondPanePromptGate final : public SecondPaneGate {
public:
    explicit SecondPanePromptGate(SecondPanePrompt& prompt) : prompt_(prompt) {}
    bool allowSecondPane(const std::string& appName, const std::string& bundleIdentifier,
                         int existingPanes) override {
        return prompt_.allowSecondPane(appName, bundleIdentifier, static_cast<size_t>(std::max(existingPanes, 0)));
    }

private:
    SecondPanePrompt& prompt_;
};

}  // namespace tessane
