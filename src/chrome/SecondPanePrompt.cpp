#include "chrome/SecondPanePrompt.h"

#include "base/WaitBounds.h"
#include "model/Log.h"
#include "platform/Alerts.h"
#include "platform/Defaults.h"
#include "platform/MainQueue.h"
#include "system/AXWindowController.h"
#include "system/ExternalAppController.h"

#include <algorithm>

namespace tessane {

namespace {
std::string plural(const std::string& word, size_t count) { return count == 1 ? word : word + "s"; }

// The menu path with no-break spaces, so that a wrapped text never splits it.
std::string unbroken(std::string path) {
    for (size_t at = 0; (at = path.find(' ', at)) != std::string::npos;) path.replace(at, 1, "\u00A0");
    return path;
}
}  // namespace

SecondPanePrompt::SecondPanePrompt(const Platform& platform) : platform_(platform) {}

bool SecondPanePrompt::allowSecondPane(const std::string& appName, const std::string& bundleID,
                                       size_t existingPanes, const AXWindowController*) {
    // The wait runs the main loop, where an editor may ask again; one question at a time.
    if (inProgress_) return false;
    inProgress_ = true;
    const bool allowed = decide(appName, bundleID, existingPanes);
    inProgress_ = false;
    return allowed;
}

bool SecondPanePrompt::decide(const std::string& appName, const std::string& bundleID, size_t existingPanes) {
    const auto app = ExternalAppController(*platform_.applications, *platform_.mainQueue).runningApplication(bundleID);
    if (!app) {
        inform("Open " + appName + " first",
               "A second pane needs a second " + appName + " window, and " + appName +
                   " isn't running yet. Open it — with the two windows you want side by side — then add the pane.");
        return false;
    }

    const AXWindowController windows(*platform_.accessibility);
    const size_t n = windows.manageableWindows(app->pid).size();
    const std::string count = std::to_string(n);
    if (n > existingPanes)
        return confirm("Add a second " + appName + " pane?",
                       appName + " has " + count + " windows open, so the new pane has one to show.", "Add Pane");

    const auto remembered = platform_.defaults->stringArray(kRememberedKey).value_or(std::vector<std::string>{});
    const std::string openFirst = "Open a second " + appName + " window first";
    if (std::find(remembered.begin(), remembered.end(), bundleID) != remembered.end()) {
        inform(openFirst, "Tessane tried " + appName +
                              "'s New Window command before and couldn't get a window that way, so it won't ask again. "
                              "Some apps offer a new window only inside the app — if " +
                              appName + " does, open a second window there and add the pane again.");
        return false;
    }

    const auto item = windows.newWindowMenuItem(app->pid);
    if (!item) {
        rememberCannotOpenWindows(bundleID);
        inform(openFirst, "It has " + count + " " + plural("window", n) +
                              " open, and its desktop entry offers no New Window command Tessane can use to open another. If " +
                              appName +
                              " can do it from inside the app, open a second window there and add the pane again.");
        return false;
    }

    // A menu without a readable title shows the item alone.
    const std::string path = item->menuTitle.empty() ? item->title : item->menuTitle + " \u25B8 " + item->title;
    const std::string offer = appName + " has " + count + " " + plural("window", n) + " open and already fills " +
                              std::to_string(existingPanes) + " " + plural("pane", existingPanes) +
                              ", so it needs another window first.\n\nTessane can ask it for one using its own "
                              "menu command: " +
                              unbroken(path);
    // The first button is the path itself: choosing it (or Return) is what presses the item.
    if (!confirm("Add a second " + appName + " pane?", offer, path)) return false;

    if (platform_.accessibility->performAction(item->element, ax::kPress) != AXError::success) {
        inform(appName + " refused", "Tessane couldn't trigger " + path + ". Open a window yourself, then add the pane.");
        return false;
    }

    if (waitForWindow(n, app->pid, windows)) {
        Log::line("[Tessane] " + appName + ": \u201C" + path + "\u201D opened a window — second pane allowed.");
        return true;
    }
    rememberCannotOpenWindows(bundleID);
    inform("That didn't open a window",
           path + " ran, but " + appName + " still has " + count + " " + plural("window", n) +
               " — it made something else. The pane hasn't been added, and Tessane won't offer that command again "
               "for " +
               appName + ". If " + appName + " can open a window from inside the app, do that and add the pane again.");
    Log::line("[Tessane] " + appName + ": \u201C" + path + "\u201D produced no new window — second pane refused, and remembered.");
    return false;
}

size_t SecondPanePrompt::ask(const std::string& title, const std::string& message, std::vector<std::string> buttons) {
    AlertSpec alert;
    alert.style = AlertSpec::Style::informational;
    alert.messageText = title;
    alert.informativeText = message;
    alert.buttons = std::move(buttons);
    return platform_.alerts->runModal(alert).button;
}

bool SecondPanePrompt::confirm(const std::string& title, const std::string& message, const std::string& accept) {
    return ask(title, message, {accept, "Cancel"}) == 0;
}

void SecondPanePrompt::inform(const std::string& title, const std::string& message) { ask(title, message, {"OK"}); }

bool SecondPanePrompt::waitForWindow(size_t beyond, Pid pid, const AXWindowController& windows) {
    static constexpr WaitBound kNewWindow{"an application's new window for a second pane", kWaitSeconds};
    MainQueue& queue = *platform_.mainQueue;
    return WaitBounds::wait(kNewWindow, [&](double seconds) {
        const TimeInterval deadline = queue.now() + seconds;
        // A millisecond of slack: slices added to a clock of this magnitude round a little short.
        while (queue.now() < deadline - 0.001) {
            queue.runNested(kWaitSlice);
            if (windows.manageableWindows(pid).size() > beyond) return true;
        }
        return false;
    });
}

void SecondPanePrompt::rememberCannotOpenWindows(const std::string& bundleID) {
    auto list = platform_.defaults->stringArray(kRememberedKey).value_or(std::vector<std::string>{});
    if (std::find(list.begin(), list.end(), bundleID) != list.end()) return;
    list.push_back(bundleID);
    platform_.defaults->set(kRememberedKey, list);
}

}  // namespace tessane
