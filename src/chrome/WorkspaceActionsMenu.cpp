// The workspace's actions menu, as data: the rail pops the full form up at the pointer; the
// menu bar shows a reduced form. Each entry only reports the choice through a callback, except
// maximize, which the chrome carries out itself.
#include "chrome/ContainerWindowController.h"

#include "platform/Screens.h"
#include "system/ShortcutText.h"

namespace tessane {

namespace {

MenuItem separator() { return {.kind = MenuItem::Kind::separator}; }

// The index of the display the container is on: the first holding its centre, else the first
// it overlaps; none when it lies off every display.
std::optional<size_t> currentScreen(const std::vector<ScreenInfo>& screens, const Rect& container) {
    const Point centre{container.midX(), container.midY()};
    for (size_t i = 0; i < screens.size(); ++i)
        if (screens[i].frame.contains(centre)) return i;
    for (size_t i = 0; i < screens.size(); ++i)
        if (!screens[i].frame.intersection(container).isEmpty()) return i;
    return std::nullopt;
}

}  // namespace

MenuContent ContainerWindowController::workspaceActionsMenu(ActionScope scope) {
    const bool full = scope == ActionScope::container;
    MenuContent menu;
    auto add = [&](std::string title, std::function<void()> chosen, std::string shortcut = {},
                   std::string toolTip = {}) {
        menu.items.push_back({.kind = MenuItem::Kind::action,
                              .title = std::move(title),
                              .shortcut = std::move(shortcut),
                              .toolTip = std::move(toolTip),
                              .action = lifetime_.guard(std::move(chosen))});
    };
    // Calls the callback of that role when it is set when chosen.
    auto report = [this](std::function<void()> ContainerWindowController::*callback) {
        return [this, callback] {
            if (this->*callback) (this->*callback)();
        };
    };

    if (!currentTitle.empty()) {
        menu.items.push_back({.kind = MenuItem::Kind::header, .title = currentTitle});
        menu.items.push_back(separator());
    }
    if (full) {
        add("Focus Next Pane", [this] { if (onFocusPane) onFocusPane(1); }, shortcut_text::chord(shortcut_text::kControlCommand, "Right"));
        add("Focus Previous Pane", [this] { if (onFocusPane) onFocusPane(-1); }, shortcut_text::chord(shortcut_text::kControlCommand, "Left"));
        add(isSoloed ? "Exit Solo" : "Solo Focused Pane", report(&ContainerWindowController::onSolo),
            shortcut_text::chord(shortcut_text::kControlCommand, "Return"));
        menu.items.push_back(separator());
    }
    add(isMaximized ? "Restore Size" : "Maximize", [this] { toggleMaximize(); });
    add("Restore Layout", report(&ContainerWindowController::onRestore));
    add("Reset Workspace", report(&ContainerWindowController::onResetWorkspace));
    add("Save Current Layout", report(&ContainerWindowController::onSaveLayout));
    if (full) {
        add("Release Windows", report(&ContainerWindowController::onRelease), {},
            "Stop tiling this workspace. Its windows stay on screen exactly where they are, free to "
            "move and resize. Show puts them back.");
        add("Hide Workspace", report(&ContainerWindowController::onHide), shortcut_text::chord(shortcut_text::kOptionCommand, "H"));
    }
    add("Quit Apps", report(&ContainerWindowController::onQuitApps));

    const auto screens = platform_.screens->screens();
    if (screens.size() < 2) return menu;
    const auto current = currentScreen(screens, containerCocoaRect);
    menu.items.push_back(separator());
    for (size_t i = 0; i < screens.size(); ++i) {
        if (current && *current == i) continue;
        const std::string name = screens[i].localizedName.empty() ? "Display " + std::to_string(i + 1)
                                                                  : screens[i].localizedName;
        const int index = static_cast<int>(i);
        add("Move to " + name, [this, index] { if (onMoveToScreen) onMoveToScreen(index); });
    }
    return menu;
}

void ContainerWindowController::popUpWorkspaceActionsMenu(Point screenPoint) {
    if (!platform_.menus) return;
    platform_.menus->popUp(workspaceActionsMenu(ActionScope::container), screenPoint);
}

}  // namespace tessane
