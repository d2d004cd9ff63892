// The status menu: built whole when the list of workspaces changes, its rows refreshed in place
// when it opens and whenever what they show changes.
#include "chrome/ContainerChromeAdapter.h"
#include "controller/WorkspaceController.h"
#include "model/Workspace.h"
#include "model/WorkspaceManager.h"
#include "platform/EventMonitors.h"
#include "application/MenuBarController.h"
#include "shell/UpdateManager.h"
#include "system/ShortcutText.h"

#include <algorithm>

namespace tessane {

namespace {

using shortcut_text::chord;
using shortcut_text::kControlCommand;
using shortcut_text::kOptionCommand;

StatusMenuRow actionRow(std::string title, std::function<void()> action, std::string shortcut = {}) {
    return StatusMenuRow{.title = std::move(title), .shortcut = std::move(shortcut), .action = std::move(action)};
}

// The chrome's actions menu as rows of the status menu; empty for a menu of another kind.
std::shared_ptr<StatusMenu> statusMenuOf(const ChromeMenu* menu) {
    auto rows = std::make_shared<StatusMenu>();
    const auto* actions = dynamic_cast<const ChromeActionsMenu*>(menu);
    if (!actions) return rows;
    for (const MenuItem& item : actions->content.items) {
        switch (item.kind) {
            case MenuItem::Kind::separator:
                rows->addSeparator();
                break;
            case MenuItem::Kind::header:
                rows->add({.title = item.title, .toolTip = item.toolTip, .enabled = false});
                break;
            case MenuItem::Kind::action:
                rows->add({.title = item.title, .shortcut = item.shortcut, .toolTip = item.toolTip, .action = item.action});
                break;
        }
    }
    return rows;
}

}  // namespace

std::function<void()> MenuBarController::act(void (MenuBarController::*member)()) {
    return lifetime_.guard([this, member] { (this->*member)(); });
}

std::shared_ptr<StatusMenuRow> MenuBarController::workspaceRow(
    const Workspace& workspace, std::string shortcut,
    std::function<void(MenuBarController&, const std::string&)> action) {
    const std::string id = workspace.id.string();
    return std::make_shared<StatusMenuRow>(StatusMenuRow{
        .title = workspace.name,
        .shortcut = std::move(shortcut),
        .iconPNG = menuIcon(workspace),
        .action = lifetime_.guard([this, id, action] { action(*this, id); }),
        .representedObject = id,
    });
}

void MenuBarController::rebuildMenu() {
    const auto& workspaces = services_.manager->workspaces().get();
    const bool hasFront = services_.manager->activeWorkspaceID().get().has_value();
    auto menu = std::make_shared<StatusMenu>();

    menu->add({.title = kProductName, .enabled = false});
    updateAvailableItem_ = menu->add({.hidden = true, .action = act(&MenuBarController::installAvailableUpdate)});
    stageManagerNotice_ = menu->add({.title = kStageManagerRow, .enabled = false, .hidden = true});
    menu->addSeparator();
    const size_t listed = std::min(workspaces.size(), kMenuWorkspaceRows);
    for (size_t i = 0; i < listed; ++i)
        menu->rows.push_back(workspaceRow(workspaces[i], workspaceChord(i), &MenuBarController::showWorkspace));
    if (workspaces.size() > listed) {
        auto more = menu->add(actionRow(kMoreWorkspacesRow, act(&MenuBarController::openWorkspacesTab)));
        more->toolTip = std::to_string(workspaces.size() - listed) + " more: pick one in Settings and press Show.";
    }
    if (workspaces.empty()) menu->add(actionRow(kNoWorkspacesRow, act(&MenuBarController::newWorkspace)));
    menu->addSeparator();

    itemsNeedingFrontWorkspace_.clear();
    showLastItem_ = menu->add(actionRow(kShowLastRow, act(&MenuBarController::showLastWorkspace)));
    showLastItem_.lock()->enabled = services_.manager->lastShownWorkspaceID().get().has_value();
    releaseSubmenuItem_ = menu->add({.title = kReleaseRow, .enabled = false, .submenu = std::make_shared<StatusMenu>()});
    auto hideCurrent =
        menu->add(actionRow(kHideCurrentRow, act(&MenuBarController::hideCurrentWorkspace), chord(kOptionCommand, "H")));
    hideCurrent->enabled = hasFront;
    itemsNeedingFrontWorkspace_.push_back(hideCurrent);
    hideAllItem_ = menu->add(actionRow(kHideAllRow, act(&MenuBarController::hideAllWorkspaces)));
    hideAllItem_.lock()->enabled = hasSessions();
    auto bring = menu->add(actionRow(kBringRow, act(&MenuBarController::bringToCurrentDisplay), chord(kOptionCommand, "B")));
    bring->enabled = hasFront;
    itemsNeedingFrontWorkspace_.push_back(bring);
    auto focused = std::make_shared<StatusMenu>();
    focused->add(actionRow(kFocusNextRow, act(&MenuBarController::focusNextPane), chord(kControlCommand, "Right")));
    focused->add(actionRow(kFocusPreviousRow, act(&MenuBarController::focusPrevPane), chord(kControlCommand, "Left")));
    focused->add(actionRow(kSoloRow, act(&MenuBarController::toggleSoloPane), chord(kControlCommand, "Return")));
    auto focusedApp = menu->add({.title = kFocusedAppRow, .enabled = hasFront, .submenu = focused});
    itemsNeedingFrontWorkspace_.push_back(focusedApp);
    workspaceSubmenuItem_ = menu->add({.title = kThisWorkspaceRow, .enabled = hasFront, .submenu = std::make_shared<StatusMenu>()});
    menu->addSeparator();

    menu->add(actionRow(kNewWorkspaceRow, act(&MenuBarController::newWorkspace)));
    // Ctrl+, and Ctrl+Q work only in our own windows, never while this menu is open: not shown here.
    menu->add(actionRow(kSettingsRow, act(&MenuBarController::openSettings)));
    checkForUpdatesItem_ = menu->add(actionRow(kCheckForUpdatesRow, act(&MenuBarController::checkForUpdates)));
    menu->add(actionRow(kReportBugRow, act(&MenuBarController::reportBug)));
    menu->addSeparator();
    menu->add(actionRow(kQuitRow, act(&MenuBarController::quit)));

    menu_ = menu;
    builtKeys_ = menuKeys(workspaces);
    services_.statusItem->setMenu(menu);
    refreshRows(true);
}

void MenuBarController::menuNeedsUpdate() { refreshRows(true); }

void MenuBarController::refreshRows(bool recordOpening) {
    if (!menu_) return;
    const WorkspaceManager& manager = *services_.manager;
    WorkspaceController& controller = *services_.controller;
    if (recordOpening) {
        const Point pointer = services_.pointer ? services_.pointer->mouseLocation() : Point{};
        menuOpenedOn_ = MenuOpening{screenContaining(pointer), services_.queue->now()};
    }
    for (const auto& row : menu_->rows) {
        const auto id = Uuid::parse(row->representedObject);
        if (!id) continue;
        const bool shown = controller.session(*id) != nullptr;
        row->checked = shown;
        row->toolTip = shown ? kShownTip : kNotShownTip;
    }
    refreshReleaseSubmenu();
    const bool hasFront = manager.activeWorkspaceID().get().has_value();
    for (const auto& row : itemsNeedingFrontWorkspace_) row->enabled = hasFront;
    if (auto row = showLastItem_.lock()) row->enabled = manager.lastShownWorkspaceID().get().has_value();
    if (auto row = hideAllItem_.lock()) row->enabled = hasSessions();
    refreshWorkspaceSubmenu();
    if (auto row = stageManagerNotice_.lock()) row->hidden = !controller.refreshStageManagerState(true);
    refreshUpdateRow();
    services_.statusItem->menuChanged();
}

void MenuBarController::refreshReleaseSubmenu() {
    const auto row = releaseSubmenuItem_.lock();
    if (!row || !row->submenu) return;
    row->submenu->rows.clear();
    for (const auto& workspace : services_.manager->workspaces().get()) {
        if (!services_.controller->session(workspace.id)) continue;
        row->submenu->rows.push_back(workspaceRow(workspace, {}, &MenuBarController::releaseWorkspace));
    }
    row->enabled = !row->submenu->rows.empty();
    row->toolTip = kReleaseTip;
}

void MenuBarController::refreshWorkspaceSubmenu() {
    const auto row = workspaceSubmenuItem_.lock();
    if (!row) return;
    if (auto front = services_.controller->frontWorkspaceActionsMenu()) {
        row->enabled = true;
        row->submenu = statusMenuOf(front->menu.get());
        row->toolTip = "Actions for “" + front->name + "” — the workspace in front. " +
                       "Right-clicking its handle offers the same list.";
    } else {
        row->enabled = false;
        row->submenu = std::make_shared<StatusMenu>();
        row->toolTip = kNoFrontWorkspaceTip;
    }
}

void MenuBarController::refreshUpdateRow() {
    // A build that does not update itself (a distribution's package) shows no update rows.
    const bool offers = services_.updates && services_.updates->offersUpdates();
    if (auto row = checkForUpdatesItem_.lock()) row->hidden = !offers;
    const auto row = updateAvailableItem_.lock();
    if (!row) return;
    const std::optional<std::string> version =
        services_.updates ? services_.updates->availableUpdateVersion().get() : std::nullopt;
    row->hidden = !version || !offers;
    row->title = version ? "Update to " + *version + " available" : "";
    row->toolTip = version ? kUpdateTip : "";
}

}  // namespace tessane
