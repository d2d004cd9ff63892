#pragma once

#include "base/Lifetime.h"
#include "builder/AppChooser.h"
#include "builder/BuilderPanel.h"
#include "builder/SecondPaneGate.h"
#include "model/LayoutType.h"
#include "model/ManagedApp.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tessane {

class Alerts;
class AppCatalog;
class WorkspaceManager;

// Owns the builder of new workspaces: shows the panel with a seed, picks an application for a
// pane with the checks that keep an application in one workspace only, and on Create closes the
// panel and hands the name, the layout and the applications to its owner. It stores nothing
// itself. One instance lives as long as the process; its panels come and go.
class WorkspaceBuilderController {
public:
    using OnCreate = std::function<void(const std::string& name, LayoutType layout, const std::vector<ManagedApp>& apps)>;

    struct Services {
        WorkspaceManager* manager = nullptr;
        Alerts* alerts = nullptr;
        const AppCatalog* catalog = nullptr;
        AppChooser* chooser = nullptr;
        SecondPaneGate* secondPane = nullptr;
        BuilderPanelFactory makePanel;
    };

    static constexpr const char* kChooserMessage = "Choose an application for this pane.";

    WorkspaceBuilderController(Services services, OnCreate onCreate);
    ~WorkspaceBuilderController();
    WorkspaceBuilderController(const WorkspaceBuilderController&) = delete;
    WorkspaceBuilderController& operator=(const WorkspaceBuilderController&) = delete;

    // Opens the builder with `seed`, or brings the open one to the front unchanged.
    void show(const std::vector<ManagedApp>& seed);
    bool isOpen() const { return panel != nullptr; }

    // The application for a pane, or none (cancelled, refused; refusals are explained in alerts).
    std::optional<ManagedApp> pickApp(const std::vector<ManagedApp>& alreadyChosen);

    static void alert(Alerts& alerts, const std::string& title, const std::string& info);

private:
    void closePanel();

    Services services;
    OnCreate onCreate;
    std::unique_ptr<BuilderPanel> panel;
    LifetimeToken lifetime;  // last: the panel's actions do nothing once the controller is gone
};

}  // namespace tessane
