#include "system/ExternalAppController.h"

#include "model/Log.h"
#include "platform/MainQueue.h"

#include <memory>
#include <utility>

namespace tessane {

std::string ExternalAppController::AppControlError::description() const {
    switch (kind) {
        case Kind::notInstalled:
            return name + " is not installed or cannot be found.";
        case Kind::launchFailed:
            return "Tessane couldn't launch " + name + ": " +
                   (underlying ? underlying->localizedDescription
                               : SystemError::fileNoSuchFile().localizedDescription);
    }
    return {};
}

ExternalAppController::ExternalAppController(Applications& applications, MainQueue& queue)
    : applications_(applications), queue_(queue), registry_(applications) {}

void ExternalAppController::launch(const ManagedApp& app, LaunchCompletion completion) {
    start(app, nullptr, std::move(completion));
}

void ExternalAppController::launch(const ManagedApp& app,
                                   const std::vector<std::filesystem::path>& documents,
                                   LaunchCompletion completion) {
    start(app, &documents, std::move(completion));
}

void ExternalAppController::start(const ManagedApp& app,
                                  const std::vector<std::filesystem::path>* documents,
                                  LaunchCompletion completion) {
    const auto location = registry_.resolveURL(app);
    if (!location) {
        if (completion) completion(AppControlError::notInstalled(app.displayName));
        return;
    }
    RunningApplications::OpenConfiguration configuration;
    configuration.activates = false;

    // The system may answer before the request returns: the caller's completion always runs
    // later, on a turn of its own on the main queue. A completion whose caller lost interest
    // still runs; callers guard their own closures. The system is expected to answer once; a
    // second answer is ignored.
    auto pending = std::make_shared<LaunchCompletion>(std::move(completion));
    auto answered = [queue = &queue_, pending, name = app.displayName](
                        std::optional<RunningApplication> running,
                        std::optional<SystemError> error) {
        auto done = std::make_shared<LaunchCompletion>(std::exchange(*pending, nullptr));
        if (!*done) return;
        queue->post([done, name, running = std::move(running), error = std::move(error)] {
            if (running)
                (*done)(*running);
            else
                (*done)(AppControlError::launchFailed(
                    name, error.value_or(SystemError::fileNoSuchFile())));
        });
    };
    if (documents)
        applications_.openDocuments(*documents, *location, configuration, std::move(answered));
    else
        applications_.openApplication(*location, configuration, std::move(answered));
}

void ExternalAppController::reopen(const ManagedApp& app) {
    const auto location = registry_.resolveURL(app);
    if (!location) return;
    RunningApplications::OpenConfiguration configuration;
    configuration.activates = true;
    applications_.openApplication(
        *location, configuration,
        [name = app.displayName](std::optional<RunningApplication> running,
                                 std::optional<SystemError> error) {
            if (running) return;
            // Logged where the answer arrives, without a hop.
            Log::line("[Tessane] " + name + ": reopen failed — " +
                      (error ? error->localizedDescription : std::string("no reason given")) +
                      ".");
        });
}

std::optional<RunningApplication> ExternalAppController::runningApplication(
    const std::string& bundleIdentifier) const {
    const auto candidates = applications_.runningApplicationsWithBundleIdentifier(bundleIdentifier);
    for (const auto& app : candidates)
        if (app.activationPolicy == ActivationPolicy::regular) return app;
    if (!candidates.empty()) return candidates.front();
    return std::nullopt;
}

}  // namespace tessane
