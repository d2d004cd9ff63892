#include "platform/linux/windows/WindowControlPrompt.h"

#include <utility>

namespace tessane::linux_backend {

WindowControlPrompt::WindowControlPrompt(Alerts& alerts, MainQueue& queue,
                                         std::function<bool(const std::string&)> openURL,
                                         std::function<void(const std::string&)> log)
    : alerts_(alerts), queue_(queue), openURL_(std::move(openURL)), log_(std::move(log)) {}

AlertSpec WindowControlPrompt::alert(const std::optional<std::string>& departed) {
    const std::string why =
        departed ? "The window manager (" + *departed + ") has exited, and no other has taken its place."
                 : "No window manager that Tessane can work with is running on this display.";
    return {AlertSpec::Style::warning, "Tessane can’t move windows here",
            why + " Tessane asks the window manager to place windows, so your apps were started but their windows "
                  "stay where they are. Start your desktop’s window manager (Openbox, Xfwm, KWin, Mutter, …), then "
                  "show the workspace again.",
            {"Open Window Control Help", "Dismiss"}, std::nullopt};
}

AlertSpec WindowControlPrompt::notAnsweringAlert(const std::string& manager) {
    const std::string who = manager.empty() ? "The window manager" : "The window manager (" + manager + ")";
    return {AlertSpec::Style::warning, "The window manager is not answering",
            who + " did not answer Tessane in time, so Tessane stopped waiting for it: windows it was asked to move "
                  "may stay where they are. Tessane arranges the workspace again as soon as the window manager "
                  "answers. If it stays unresponsive, restart it or log out and back in.",
            {"Open Window Control Help", "Dismiss"}, std::nullopt};
}

void WindowControlPrompt::offer(const std::optional<std::string>& departed) {
    present(alert(departed), "[Tessane][AX] No window manager is running: the user is told so");
}

void WindowControlPrompt::offerNotAnswering(const std::string& manager) {
    if (std::exchange(notAnsweringTold_, true)) return;
    present(notAnsweringAlert(manager), "[Tessane][AX] The window manager is not answering: the user is told so");
}

void WindowControlPrompt::present(AlertSpec shown, std::string logLine) {
    if (pending_) return;
    pending_ = true;
    queue_.post(lifetime_.guard([this, shown = std::move(shown), logLine = std::move(logLine)] {
        if (log_) log_(logLine);
        // Shown without waiting: the main queue (hot keys, a show, the chrome) goes on meanwhile.
        alerts_.present(shown, [this, alive = lifetime_.liveness()](AlertResponse response) {
            if (!alive) return;  // the platform stopped while the alert was up
            pending_ = false;
            if (response.button != 0 || !openURL_) return;
            if (!openURL_(kHelpURL) && log_) log_("[Tessane][AX] could not open the window-control help (" +
                                                  std::string(kHelpURL) + ")");
        });
    }));
}

}  // namespace tessane::linux_backend
