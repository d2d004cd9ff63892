#pragma once

#include "model/AppRegistry.h"
#include "model/ManagedApp.h"
#include "platform/Applications.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace tessane {

class MainQueue;

// Starts and finds the user's applications for the workspace controller: launches a workspace's
// application without bringing it to the front (optionally with its remembered documents),
// reopens one with activation so that it puts up a window, and finds the running instance of a
// bundle identifier. Holds no state of its own: each call stands alone.
class ExternalAppController {
public:
    // Why a launch did not give a running application. description() is what the show reports.
    struct AppControlError {
        enum class Kind { notInstalled, launchFailed };
        Kind kind = Kind::notInstalled;
        std::string name;                       // the application's display name
        std::optional<SystemError> underlying;  // launchFailed: the system's error

        static AppControlError notInstalled(std::string name) {
            return {Kind::notInstalled, std::move(name), std::nullopt};
        }
        static AppControlError launchFailed(std::string name, SystemError underlying) {
            return {Kind::launchFailed, std::move(name), std::move(underlying)};
        }
        std::string description() const;
        bool operator==(const AppControlError&) const = default;
    };

    using LaunchResult = std::variant<RunningApplication, AppControlError>;
    using LaunchCompletion = std::function<void(const LaunchResult&)>;

    ExternalAppController(Applications& applications, MainQueue& queue);

    // Launches without activating. An application that cannot be found completes at once, before
    // this returns; otherwise the completion runs later, on the main queue.
    void launch(const ManagedApp& app, LaunchCompletion completion);
    // The same, asking the application to open `documents` in the same request.
    void launch(const ManagedApp& app, const std::vector<std::filesystem::path>& documents,
                LaunchCompletion completion);
    // Opens the application with activation. Nothing when it cannot be found; a refusal is
    // logged.
    void reopen(const ManagedApp& app);
    // The running instance: the first regular application with this bundle identifier, else
    // the first of any kind.
    std::optional<RunningApplication> runningApplication(const std::string& bundleIdentifier) const;

private:
    void start(const ManagedApp& app, const std::vector<std::filesystem::path>* documents,
               LaunchCompletion completion);

    Applications& applications_;
    MainQueue& queue_;
    AppRegistry registry_;
};

}  // namespace tessane
