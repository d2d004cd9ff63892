#include "settings/WorkspaceEditor.h"

#include "builder/AppChooser.h"
#include "builder/SecondPaneGate.h"
#include "controller/WorkspaceController.h"
#include "model/AppRegistry.h"
#include "model/WorkspaceManager.h"
#include "platform/Alerts.h"
#include "settings/PaneLabels.h"

#include <algorithm>

namespace tessane {

using pane_labels::appsTiled;

WorkspaceEditor::WorkspaceEditor(Services services, Uuid workspaceID, std::function<void()> onDismiss,
                                 std::function<void()> onReturnToFront)
    : services_(services),
      workspaceID_(workspaceID),
      onDismiss_(std::move(onDismiss)),
      onReturnToFront_(std::move(onReturnToFront)) {}

std::optional<Workspace> WorkspaceEditor::workspace() const { return services_.manager->workspace(workspaceID_); }

void WorkspaceEditor::appear() {
    if (const auto w = workspace()) nameBuffer_ = w->name;
}

void WorkspaceEditor::typeName(const std::string& text) {
    nameBuffer_ = text;
    services_.manager->renameWorkspace(workspaceID_, text);
}

// ---------------------------------------------------------------------------------------- apps

std::vector<WorkspaceEditor::AppRow> WorkspaceEditor::appRows(const Workspace& workspace) {
    std::vector<AppRow> rows;
    const ManagedApp* primary = workspace.primaryApp();
    const int count = static_cast<int>(workspace.apps.size());
    for (int i = 0; i < count; ++i) {
        const ManagedApp& app = workspace.apps[static_cast<size_t>(i)];
        rows.push_back({.app = app,
                        .paneLabel = pane_labels::paneLabel(i, workspace),
                        .isPrimary = primary && primary->id == app.id,
                        .canMoveUp = i > 0,
                        .canMoveDown = i < count - 1});
    }
    return rows;
}

std::optional<Bytes> WorkspaceEditor::rowIcon(const ManagedApp& app) const {
    if (app.iconData) return app.iconData->bytes();
    if (!services_.catalog) return std::nullopt;
    auto [it, isNew] = systemIcons_.try_emplace(app.bundleIdentifier);
    if (isNew) it->second = AppRegistry(*services_.catalog).systemIconPNG(app.bundleIdentifier);
    return it->second;
}

std::string WorkspaceEditor::countText(const Workspace& workspace) {
    return std::to_string(workspace.apps.size()) + " of " + std::to_string(appsTiled(workspace.layout.type));
}

bool WorkspaceEditor::canAddApp(const Workspace& workspace) {
    return static_cast<int>(workspace.apps.size()) < appsTiled(workspace.layout.type);
}

void WorkspaceEditor::makePrimary(const Uuid& appID) { services_.manager->setPrimaryApp(appID, workspaceID_); }
void WorkspaceEditor::moveUp(const Uuid& appID) { services_.manager->moveApp(appID, workspaceID_, -1); }
void WorkspaceEditor::moveDown(const Uuid& appID) { services_.manager->moveApp(appID, workspaceID_, 1); }
void WorkspaceEditor::remove(const Uuid& appID) {
    noteWithdrawal([&] { services_.manager->removeApp(appID, workspaceID_); });
}

void WorkspaceEditor::noteWithdrawal(const std::function<void()>& edit) {
    // The controller withdraws a shown workspace whose apps stop fitting once the edit reaches it.
    const bool wasShown = services_.controller && services_.controller->session(workspaceID_);
    edit();
    const auto now = workspace();
    if (now && !pane_labels::countMismatchHint(*now)) withdrawnByEdit_ = false;
    else if (wasShown) withdrawnByEdit_ = true;
}

std::optional<std::string> WorkspaceEditor::countHint(const Workspace& workspace) const {
    auto hint = pane_labels::countMismatchHint(workspace);
    const bool shown = services_.controller && services_.controller->session(workspaceID_);
    if (hint && withdrawnByEdit_ && !shown) *hint += kWithdrawnNote;
    return hint;
}

void WorkspaceEditor::addApps() {
    if (!services_.chooser) return;
    const auto chosen = services_.chooser->chooseApplications(
        {.prompt = kChooserPrompt, .message = kChooserMessage, .multipleSelection = true});
    for (const auto& path : chosen) addApp(path);
}

void WorkspaceEditor::addApp(const std::filesystem::path& path) {
    WorkspaceManager& manager = *services_.manager;
    ManagedApp app;
    try {
        app = AppRegistry(*services_.catalog).makeManagedApp(path);
    } catch (const AppRegistryError& error) {
        services_.alerts->runModal({.style = AlertSpec::Style::warning,
                                    .messageText = "Couldn't Add App",
                                    .informativeText = error.what(),
                                    .buttons = {"OK"}});
        return;
    }
    if (const auto owner = manager.workspaceUsing(app.bundleIdentifier, workspaceID_)) {
        presentAppOccupied(app.displayName, owner->name);
        return;
    }
    const auto current = workspace();
    if (!current) {
        manager.addApp(app, workspaceID_);  // gone meanwhile: the manager does nothing
        return;
    }
    const auto panes = std::count_if(current->apps.begin(), current->apps.end(),
                                     [&](const ManagedApp& a) { return a.bundleIdentifier == app.bundleIdentifier; });
    if (panes == 0) {
        manager.addApp(app, workspaceID_);
        return;
    }
    if (services_.secondPane &&
        services_.secondPane->allowSecondPane(app.displayName, app.bundleIdentifier, static_cast<int>(panes))) {
        manager.addApp(app, workspaceID_);
    }
}

void WorkspaceEditor::presentAppOccupied(const std::string& appName, const std::string& ownerName) {
    const std::string owner = "\u201C" + ownerName + "\u201D";
    services_.alerts->runModal(
        {.style = AlertSpec::Style::informational,
         .messageText = appName + " is already in " + owner,
         .informativeText = "An app can only belong to one workspace \u2014 its window can only be tiled in one place. "
                            "Remove it from " + owner + " first if you want it here.",
         .buttons = {"OK"}});
}

// ------------------------------------------------------------------------- layout and primary

std::vector<WorkspaceEditor::LayoutItem> WorkspaceEditor::layoutItems(const Workspace& workspace) {
    std::vector<LayoutItem> items;
    if (!layout_types::isSelectableInSettings(workspace.layout.type))
        items.push_back({std::string(label(workspace.layout.type)) + " (legacy)", std::nullopt});
    for (LayoutType type : layout_types::offeredInPickers()) items.push_back({label(type), type});
    return items;
}

WorkspaceEditor::LayoutItem WorkspaceEditor::selectedLayoutItem(const Workspace& workspace) {
    if (workspace.layout.threeColumns) return {label(LayoutType::threeColumns), LayoutType::threeColumns};
    const LayoutType type = workspace.layout.type;
    if (!layout_types::isSelectableInSettings(type)) return {std::string(label(type)) + " (legacy)", std::nullopt};
    return {label(type), type};
}

std::string WorkspaceEditor::layoutCaption(const Workspace& workspace) {
    if (!layout_types::isSelectableInSettings(workspace.layout.type)) return kLegacyCaption;
    return "This layout tiles " + std::to_string(appsTiled(workspace.layout.type)) + " apps.";
}

void WorkspaceEditor::chooseLayout(const LayoutItem& item) {
    // The legacy entry keeps what is stored; it is not a layout the picker could write.
    if (!item.type) return;
    const LayoutType v = *item.type;
    WorkspaceManager& manager = *services_.manager;
    const auto current = workspace();
    if (current && selectedLayoutItem(*current) == item) return;  // no change: nothing to clear
    noteWithdrawal([&] {
        if (v == LayoutType::threeColumns) {
            manager.setThreeColumns(true, workspaceID_);
        } else if (current && v == LayoutType::threeLeftOneRightTwo && current->layout.threeColumns) {
            manager.setThreeColumns(false, workspaceID_);
        } else {
            manager.setLayoutType(v, workspaceID_);
        }
    });
}

std::optional<Uuid> WorkspaceEditor::selectedPrimary(const Workspace& workspace) {
    if (const ManagedApp* primary = workspace.primaryApp()) return primary->id;
    return std::nullopt;
}

void WorkspaceEditor::choosePrimary(const Uuid& appID) {
    const auto current = workspace();
    if (current && selectedPrimary(*current) == appID) return;
    services_.manager->setPrimaryApp(appID, workspaceID_);
}

// ---------------------------------------------------------------------------------------- actions

std::vector<WorkspaceEditor::ActionButton> WorkspaceEditor::actionButtons(const Workspace& workspace) {
    const bool fits = static_cast<int>(workspace.apps.size()) == appsTiled(workspace.layout.type);
    return {{"Show", fits, "Show this workspace and keep Settings in front."},
            {"Show & Close", fits, "Show this workspace and put Settings away."},
            {"Hide", true, ""},
            {"Restore", true, ""},
            {"Save", true, ""}};
}

void WorkspaceEditor::runAction(size_t index) {
    switch (index) {
    case 0: show(); break;
    case 1: showAndClose(); break;
    case 2: hide(); break;
    case 3: restore(); break;
    case 4: save(); break;
    default: break;
    }
}

void WorkspaceEditor::show() {
    // The controller may call back after this editor is gone: the callback holds no editor.
    services_.controller->showWorkspace(workspaceID_, [back = onReturnToFront_] {
        if (back) back();
    });
}

void WorkspaceEditor::showAndClose() {
    services_.controller->showWorkspace(workspaceID_, [dismiss = onDismiss_] {
        if (dismiss) dismiss();
    });
}

void WorkspaceEditor::hide() { services_.controller->hideWorkspace(workspaceID_); }
void WorkspaceEditor::restore() { services_.controller->restoreLayout(workspaceID_); }
void WorkspaceEditor::save() { services_.controller->saveLayout(workspaceID_); }

}  // namespace tessane
