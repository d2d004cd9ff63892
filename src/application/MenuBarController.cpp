#include "application/MenuBarController.h"

#include "controller/WorkspaceController.h"
#include "model/AppRegistry.h"
#include "model/Workspace.h"
#include "model/WorkspaceManager.h"
#include "shell/ShortcutBindings.h"
#include "shell/UpdateManager.h"
#include "system/ShortcutManager.h"
#include "system/ShortcutText.h"

#include <algorithm>

namespace tessane {

MenuBarController::MenuBarController(Services services)
    : services_(std::move(services)), shortcutManager_(std::make_unique<ShortcutManager>(*services_.hotKeys)) {
    // The presenters' services name the same manager and alerts unless the owner chose others.
    if (!services_.builder.manager) services_.builder.manager = services_.manager;
    if (!services_.builder.alerts) services_.builder.alerts = services_.alerts;

    services_.statusItem->setMenuWillOpenHandler(lifetime_.guard([this] { menuNeedsUpdate(); }));
    configureButton();
    rebuildMenu();

    // Observers hear of a change before it is made: each one looks on the next turn.
    auto changed = [this] { return lifetime_.guard([this](const auto&) { stateChanged(); }); };
    if (services_.updates) subscriptions_.push_back(services_.updates->observeAvailableUpdateVersion(changed()));
    subscriptions_.push_back(services_.controller->observeShownWorkspaceNames(changed()));
    shortcuts_ = std::make_unique<ShortcutBindings>(*shortcutManager_, *services_.manager, *services_.controller,
                                                    *services_.queue, onShownStep());
    subscriptions_.push_back(services_.manager->observeWorkspaces(changed()));
    subscriptions_.push_back(services_.manager->observeActiveWorkspaceID(changed()));
    subscriptions_.push_back(services_.manager->observeLastShownWorkspaceID(changed()));
}

MenuBarController::~MenuBarController() {
    services_.statusItem->setMenuWillOpenHandler(nullptr);
}

void MenuBarController::registerShortcuts() { shortcuts_->registerShortcuts(); }

void MenuBarController::stateChanged() {
    if (refreshPosted_) return;
    refreshPosted_ = true;
    services_.queue->post(lifetime_.guard([this] { followState(); }));
}

void MenuBarController::followState() {
    refreshPosted_ = false;
    configureButton();
    if (menuKeys(services_.manager->workspaces().get()) != builtKeys_)
        rebuildMenu();
    else
        refreshRows(false);
}

// ----------------------------------------------------------------------------------- the icon

void MenuBarController::configureButton() {
    const auto& shown = services_.controller->shownWorkspaceNames().get();
    const std::optional<std::string> update =
        services_.updates ? services_.updates->availableUpdateVersion().get() : std::nullopt;
    services_.statusItem->setImage(statusImage(!shown.empty(), update.has_value()));
    services_.statusItem->setToolTip(statusTooltip(shown, update, kTooltipNameLimit));
}

StatusImage MenuBarController::statusImage(bool live, bool badged) {
    std::string description = live ? "Tessane — a workspace is showing" : kProductName;
    if (badged) description += ", update available";
    return StatusImage{.live = live, .badged = badged, .description = description};
}

std::string MenuBarController::statusTooltip(const std::vector<std::string>& shown,
                                             const std::optional<std::string>& updateVersion, int nameLimit) {
    auto joined = [](auto begin, auto end) {
        std::string text;
        for (auto it = begin; it != end; ++it) text += (text.empty() ? "" : ", ") + *it;
        return text;
    };
    std::string tooltip = kProductName;
    if (!shown.empty()) {
        const size_t limit = static_cast<size_t>(std::max(nameLimit, 1));
        std::string names;
        if (shown.size() <= limit) {
            names = joined(shown.begin(), shown.end());
        } else {
            names = joined(shown.begin(), shown.begin() + static_cast<long>(limit - 1)) + " and " +
                    std::to_string(shown.size() - (limit - 1)) + " more";
        }
        tooltip += " — showing " + names;
    }
    if (updateVersion) tooltip += " — update to " + *updateVersion + " is ready";
    return tooltip;
}

// --------------------------------------------------------------------------- workspace rows

std::vector<MenuBarController::MenuKey> MenuBarController::menuKeys(const std::vector<Workspace>& workspaces) {
    // The rows listed, and the number of the others (which the last row names).
    std::vector<MenuKey> keys;
    const size_t listed = std::min(workspaces.size(), kMenuWorkspaceRows);
    keys.reserve(listed + 1);
    if (workspaces.size() > listed) keys.push_back({Uuid{}, std::to_string(workspaces.size() - listed), std::nullopt});
    for (size_t i = 0; i < listed; ++i) {
        const Workspace& workspace = workspaces[i];
        const ManagedApp* primary = workspace.primaryApp();
        keys.push_back({workspace.id, workspace.name,
                        primary ? std::optional<std::string>(primary->bundleIdentifier) : std::nullopt});
    }
    return keys;
}

namespace {

// A PNG starts with its signature and an image header of non-zero width and height.
bool isUsablePng(const Bytes& png) {
    static constexpr uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (png.size() < 24 || !std::equal(std::begin(kSignature), std::end(kSignature), png.begin())) return false;
    if (!std::equal(png.begin() + 12, png.begin() + 16, "IHDR")) return false;
    const bool hasWidth = std::any_of(png.begin() + 16, png.begin() + 20, [](uint8_t b) { return b != 0; });
    const bool hasHeight = std::any_of(png.begin() + 20, png.begin() + 24, [](uint8_t b) { return b != 0; });
    return hasWidth && hasHeight;
}

}  // namespace

Bytes MenuBarController::menuIcon(const Workspace& workspace) const {
    const ManagedApp* primary = workspace.primaryApp();
    if (!primary) return {};
    if (primary->iconData && isUsablePng(primary->iconData->bytes())) return primary->iconData->bytes();
    if (!services_.builder.catalog) return {};
    // The catalogue keeps the icons it made, so asking again at each refresh costs little.
    auto icon = AppRegistry(*services_.builder.catalog).systemIconPNG(primary->bundleIdentifier);
    return icon && isUsablePng(*icon) ? *icon : Bytes{};
}

std::string MenuBarController::workspaceChord(size_t position) {
    if (position >= 9) return {};
    return shortcut_text::chord(shortcut_text::kOptionCommand, std::to_string(position + 1));
}

std::optional<ScreenInfo> MenuBarController::screenContaining(Point point) const {
    if (auto screen = screenHolding(services_.screens->screens(), point)) return screen;
    return services_.screens->mainScreen();
}

bool MenuBarController::hasSessions() const {
    const auto& workspaces = services_.manager->workspaces().get();
    return std::any_of(workspaces.begin(), workspaces.end(),
                       [&](const Workspace& w) { return services_.controller->session(w.id) != nullptr; });
}

}  // namespace tessane
