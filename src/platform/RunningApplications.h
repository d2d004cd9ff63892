#pragma once

#include "base/Signal.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tessane {

using Pid = int32_t;

// How an application presents itself: an ordinary application with windows and a place in the
// task switcher, an accessory (a tray or helper app that may put up windows), or a process that
// shows nothing (a background agent).
enum class ActivationPolicy { regular, accessory, prohibited };

// A running application as the system described it at the moment it was asked. Its state goes
// stale: ask again (by pid) for the current one.
struct RunningApplication {
    Pid pid = 0;
    std::optional<std::string> bundleIdentifier;  // linux: the desktop-file id
    std::optional<std::filesystem::path> bundlePath;  // linux: the .desktop file
    ActivationPolicy activationPolicy = ActivationPolicy::regular;
    bool isHidden = false;
    bool isFinishedLaunching = false;
    std::optional<std::string> localizedName;

    bool operator==(const RunningApplication&) const = default;
};

// An error as the system reports it: where it comes from, its code and its description for
// people.
struct SystemError {
    std::string domain;
    int64_t code = 0;
    std::string localizedDescription;

    bool operator==(const SystemError&) const = default;

    // The file error "no such file" with nothing further: what a failed request that gave no
    // reason of its own is reported as.
    static SystemError fileNoSuchFile() {
        return {"NSCocoaErrorDomain", 4, "The file doesn’t exist."};
    }
};

// The running half of the Applications port (the catalogue half is AppCatalog).
//
// What a backend must do:
// - runningApplications() lists every application process the user's session runs, in the
//   system's order (launch order), including ones still launching (isFinishedLaunching false).
// - hide / unhide / activate / terminate send the request and answer whether it could be sent;
//   the application may still ignore it, so callers read the state again later. Activating a
//   hidden application unhides it. terminate() is the polite quit (an application with unsaved
//   work may ask its user and stay). Linux (X11): hide = iconify the application's windows,
//   unhide = restore them without activating (WM_CHANGE_STATE, else map), activate =
//   _NET_ACTIVE_WINDOW on its frontmost window, terminate = WM_DELETE_WINDOW to its windows.
// - openApplication / openDocuments start the application at `appPath` (or hand the documents
//   to it when it already runs) and answer exactly once: with the running application, or with
//   an error, or with neither when the system gives no reason. The answer comes on the main
//   thread (MainQueue::post is not for other threads), but possibly before the call returns;
//   callers that must not be re-entered post it on. With `activates` false the application
//   must not come to the front because of this request.
//   Linux: launch the desktop entry's Exec line (documents as its %f / %F / %u / %U), answered
//   when a process of that desktop id is running, or with an error when it cannot be started.
// - The notifications run on the main thread: didLaunch once an application has finished
//   launching, didActivate when one comes to the front, didTerminate when one has quit.
// - openURL hands a link to the desktop's handler for its scheme and answers whether the
//   request could be handed over (not whether anything opened it). "help:tessane/<topic>" names
//   our own help page <topic>.html in the help folder. Never blocks the main thread on the
//   handler. Linux: `xdg-open`, detached; false when it is missing or the help page is not there.
class RunningApplications {
public:
    struct OpenConfiguration {
        bool activates = true;
    };
    using OpenCompletion = std::function<void(std::optional<RunningApplication> app,
                                              std::optional<SystemError> error)>;

    enum class Notification { didLaunch, didActivate, didTerminate };

    virtual ~RunningApplications() = default;

    virtual std::vector<RunningApplication> runningApplications() const = 0;
    // The application whose window has keyboard focus; none when the desktop itself has it.
    virtual std::optional<RunningApplication> frontmostApplication() const = 0;

    virtual bool hide(Pid pid) = 0;
    virtual bool unhide(Pid pid) = 0;
    virtual bool activate(Pid pid) = 0;
    virtual bool terminate(Pid pid) = 0;

    virtual void openApplication(const std::filesystem::path& appPath,
                                 const OpenConfiguration& configuration,
                                 OpenCompletion completion) = 0;
    virtual void openDocuments(const std::vector<std::filesystem::path>& documents,
                               const std::filesystem::path& appPath,
                               const OpenConfiguration& configuration,
                               OpenCompletion completion) = 0;

    virtual bool openURL(const std::string& url) = 0;

    [[nodiscard]] virtual Subscription observe(
        Notification notification, std::function<void(const RunningApplication&)> handler) = 0;

    // The running applications with this bundle identifier, in the system's order.
    std::vector<RunningApplication> runningApplicationsWithBundleIdentifier(
        const std::string& bundleIdentifier) const {
        std::vector<RunningApplication> out;
        for (auto& app : runningApplications())
            if (app.bundleIdentifier == bundleIdentifier) out.push_back(app);
        return out;
    }
    std::optional<RunningApplication> runningApplication(Pid pid) const {
        for (auto& app : runningApplications())
            if (app.pid == pid) return app;
        return std::nullopt;
    }
};

}  // namespace tessane
