#include "shell/ShortcutBindings.h"

#include "controller/WorkspaceController.h"
#include "model/Log.h"
#include "model/WorkspaceManager.h"
#include "platform/MainQueue.h"
#include "system/ShortcutManager.h"

#include <algorithm>

namespace tessane {

namespace {

std::vector<Uuid> idsOf(const std::vector<Workspace>& workspaces) {
    std::vector<Uuid> ids;
    ids.reserve(workspaces.size());
    for (const auto& workspace : workspaces) ids.push_back(workspace.id);
    return ids;
}

}  // namespace

ShortcutBindings::ShortcutBindings(ShortcutManager& shortcuts, WorkspaceManager& manager,
                                   WorkspaceController& controller, MainQueue& mainQueue,
                                   std::function<void()> onShown)
    : shortcuts_(shortcuts), manager_(manager), controller_(controller), mainQueue_(mainQueue),
      onShown_(std::move(onShown)) {
    registerShortcuts();
    // Observers hear of a change before it is made: look at the list on the next turn.
    listSubscription_ = manager_.observeWorkspaces(
        lifetime_.guard([this](const std::vector<Workspace>&) { mainQueue_.post(lifetime_.guard([this] { listChanged(); })); }));
}

void ShortcutBindings::listChanged() {
    if (idsOf(manager_.workspaces().get()) != registeredIDs_) registerShortcuts();
}

void ShortcutBindings::registerShortcuts() {
    shortcuts_.unregisterAll();
    const auto& workspaces = manager_.workspaces().get();
    registeredIDs_ = idsOf(workspaces);

    // A digit chord keeps the workspace it was bound to until the next registration.
    const size_t count = std::min(workspaces.size(), kDigitKeyCodes.size());
    for (size_t i = 0; i < count; ++i) {
        shortcuts_.registerHotKey(kDigitKeyCodes[i], kOptionCommand,
                                  lifetime_.guard([this, id = workspaces[i].id] { controller_.showWorkspace(id, onShown_); }));
    }
    shortcuts_.registerHotKey(kKeyH, kOptionCommand, lifetime_.guard([this] { controller_.hideActiveWorkspace(); }));
    shortcuts_.registerHotKey(kKeyB, kOptionCommand,
                              lifetime_.guard([this] { controller_.bringActiveWorkspaceToCurrentDisplay(); }));
    shortcuts_.registerHotKey(kRightArrow, kControlCommand, lifetime_.guard([this] { controller_.focusAdjacentPane(+1); }));
    shortcuts_.registerHotKey(kLeftArrow, kControlCommand, lifetime_.guard([this] { controller_.focusAdjacentPane(-1); }));
    shortcuts_.registerHotKey(kReturn, kControlCommand, lifetime_.guard([this] {
                                  if (controller_.currentSoloState())
                                      controller_.restoreFromSolo();
                                  else
                                      controller_.soloFocusedPane();
                              }));
    const auto forward = shortcuts_.registerHotKey(kTab, kOptionCommand, lifetime_.guard([this] { controller_.advanceSwitcher(+1); }));
    const auto backward =
        shortcuts_.registerHotKey(kTab, kShiftOptionCommand, lifetime_.guard([this] { controller_.advanceSwitcher(-1); }));
    if (!forward || !backward) {
        const std::string chord = shortcut_text::chord(!forward ? kOptionCommand : kShiftOptionCommand, "Tab");
        Log::line("[Tessane] Workspace switcher: could not register " + chord +
                  " — another app may own it.");
    }
}

}  // namespace tessane
