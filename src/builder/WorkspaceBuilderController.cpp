#include "builder/WorkspaceBuilderController.h"

#include "model/AppRegistry.h"
#include "model/WorkspaceManager.h"
#include "platform/Alerts.h"

#include <algorithm>

namespace tessane {

WorkspaceBuilderController::WorkspaceBuilderController(Services s, OnCreate create)
    : services(std::move(s)), onCreate(std::move(create)) {}

WorkspaceBuilderController::~WorkspaceBuilderController() { closePanel(); }

void WorkspaceBuilderController::show(const std::vector<ManagedApp>& seed) {
    if (panel) {
        panel->bringToFront();
        return;
    }
    BuilderActions actions;
    // Each action asks for the controller afresh: the panel may outlive it by a turn.
    auto alive = lifetime.liveness();
    actions.pick = [this, alive](const std::vector<ManagedApp>& chosen) -> std::optional<ManagedApp> {
        if (!alive) return std::nullopt;
        return pickApp(chosen);
    };
    actions.create = lifetime.guard([this](const std::string& name, LayoutType layout,
                                           const std::vector<ManagedApp>& apps) {
        // Copies: the panel that holds the caller's values goes first.
        const std::string n = name;
        const std::vector<ManagedApp> a = apps;
        closePanel();
        if (onCreate) onCreate(n, layout, a);
    });
    actions.cancel = lifetime.guard([this] { closePanel(); });
    panel = services.makePanel(seed, std::move(actions));
}

void WorkspaceBuilderController::closePanel() {
    if (!panel) return;
    auto closing = std::move(panel);
    closing->close();
}

std::optional<ManagedApp> WorkspaceBuilderController::pickApp(const std::vector<ManagedApp>& alreadyChosen) {
    AppChooser::Request request;
    request.message = kChooserMessage;
    const auto urls = services.chooser->chooseApplications(request);
    if (urls.empty()) return std::nullopt;

    std::optional<ManagedApp> app;
    try {
        app = AppRegistry(*services.catalog).makeManagedApp(urls.front());
    } catch (const AppRegistryError& error) {
        alert(*services.alerts, "Couldn’t add that app", error.what());
        return std::nullopt;
    }

    // A second pane of an application already here is settled with the user first.
    const auto existing = std::count_if(alreadyChosen.begin(), alreadyChosen.end(), [&](const ManagedApp& a) {
        return a.bundleIdentifier == app->bundleIdentifier;
    });
    if (existing > 0 &&
        !services.secondPane->allowSecondPane(app->displayName, app->bundleIdentifier, static_cast<int>(existing)))
        return std::nullopt;

    if (auto owner = services.manager->workspaceUsing(app->bundleIdentifier, std::nullopt)) {
        alert(*services.alerts, app->displayName + " is already in “" + owner->name + "”",
              "An app can only belong to one workspace — its window can only be tiled in one place. Remove it from “" +
                  owner->name + "” first if you want it here.");
        return std::nullopt;
    }
    return app;
}

void WorkspaceBuilderController::alert(Alerts& alerts, const std::string& title, const std::string& info) {
    AlertSpec details;
    details.style = AlertSpec::Style::informational;
    details.messageText = title;
    details.informativeText = info;
    details.buttons = {"OK"};
    alerts.runModal(details);
}

}  // namespace tessane
