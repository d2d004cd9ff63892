#pragma once

#include "base/Lifetime.h"
#include "platform/Alerts.h"
#include "platform/MainQueue.h"

#include <functional>
#include <optional>
#include <string>

namespace tessane::linux_backend {

// What the desktop offers when Tessane needs window control and has none: there is nothing to
// grant on X11, so the user is told why (no window manager, or the one there was has exited)
// and offered the window-control help. The alert is shown from the main queue, never inside
// the caller, and nothing waits for it (no nested event loop); one that is up swallows further
// offers: never two on top of each other.
class WindowControlPrompt {
public:
    static constexpr const char* kHelpURL = "help:tessane/window-control";

    // `openURL` hands a link to the desktop (false when it could not); `log` takes a line.
    WindowControlPrompt(Alerts& alerts, MainQueue& queue, std::function<bool(const std::string&)> openURL,
                        std::function<void(const std::string&)> log);

    // `departed`: the name of the window manager that ran earlier and has exited, if any.
    void offer(const std::optional<std::string>& departed);
    // The window manager (`manager`, its name when it has one) let a request go unanswered and is
    // not waited for until it answers again: told once a run (a stopped manager maps the alert
    // only once it answers again, and then it says why nothing moved meanwhile).
    void offerNotAnswering(const std::string& manager);

    static AlertSpec alert(const std::optional<std::string>& departed);
    static AlertSpec notAnsweringAlert(const std::string& manager);

private:
    Alerts& alerts_;
    MainQueue& queue_;
    std::function<bool(const std::string&)> openURL_;
    std::function<void(const std::string&)> log_;
    bool pending_ = false;  // posted or up
    bool notAnsweringTold_ = false;
    void present(AlertSpec shown, std::string logLine);
    LifetimeToken lifetime_;
};

}  // namespace tessane::linux_backend
