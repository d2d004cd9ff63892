#include "controller/WorkspaceController.h"
#include "model/WorkspaceManager.h"
#include "platform/Accessibility.h"
#include "platform/Defaults.h"
#include "platform/Environment.h"
#include "shell/AppTheme.h"
#include "shell/Diagnostics.h"
#include "shell/LoginItem.h"

#include <set>

namespace tessane::Diagnostics {

Snapshot capture(const WorkspaceManager& manager, WorkspaceController& controller, const Sources& sources) {
    Snapshot s;
    s.appVersion = sources.environment.shortVersion().value_or("\u2014") + " (build " +
                   sources.environment.buildVersion().value_or("\u2014") + ")";

    std::set<Uuid> shown;
    for (const auto& workspace : manager.workspaces().get())
        if (controller.session(workspace.id)) shown.insert(workspace.id);

    auto fit = controller.paneFitReport();
    s.panesChecked = fit.checked;
    s.paneFit = std::move(fit.off);

    const MachineFacts machine = sources.machine ? sources.machine() : MachineFacts{};
    s.osVersion = machine.osVersion.empty() ? "Linux" : machine.osVersion;
    s.hardwareModel = machine.hardwareModel.empty() ? "unknown" : machine.hardwareModel;
    s.architecture = machine.architecture.empty() ? "unknown" : machine.architecture;
    s.bundlePath = sources.bundlePath;
    s.launchAtLogin = LoginItem::phrase(sources.loginItem.state());
    s.accessibilityTrusted = sources.accessibility.isProcessTrusted();

    // Our coordinates are the X server's pixels, so every display's scale is 1.
    const auto main = sources.screens.mainScreen();
    for (const auto& screen : sources.screens.screens())
        s.displays.push_back(describe(screen, 1.0, main && *main == screen));

    s.theme = label(storedAppTheme(sources.defaults));

    for (const auto& workspace : manager.workspaces().get()) {
        WorkspaceLine line;
        line.name = workspace.name;
        line.appCount = static_cast<int>(workspace.apps.size());
        line.layout = workspace.layout.displayName();
        if (workspace.layout.threeColumns && workspace.layout.threeColumns->folded) line.layout += " (folded into 1 + 2)";
        for (const auto& app : workspace.apps) line.bundleIdentifiers.push_back(app.bundleIdentifier);
        line.isShown = shown.count(workspace.id) > 0;
        s.workspaces.push_back(std::move(line));
    }
    return s;
}

}  // namespace tessane::Diagnostics
