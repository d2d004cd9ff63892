#pragma once

#include "base/Lifetime.h"
#include "base/Signal.h"
#include "base/Uuid.h"
#include "system/ShortcutText.h"

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace tessane {

class MainQueue;
class ShortcutManager;
class WorkspaceController;
class WorkspaceManager;

// The global shortcuts: Super+Alt with a digit shows one of the first nine workspaces; fixed
// chords hide, bring, focus, solo and switch. Every action only forwards to the workspace
// controller. The chords are registered once when this is built and again whenever the list of
// workspace ids (in list order) changes; a rename registers nothing.
//
// Owned by the menu-bar controller.
class ShortcutBindings {
public:
    // Carbon masks of the three combinations used (2304, 4352 and 2816), the ones labels show.
    static constexpr uint32_t kOptionCommand = shortcut_text::kOptionCommand;
    static constexpr uint32_t kControlCommand = shortcut_text::kControlCommand;
    static constexpr uint32_t kShiftOptionCommand = shortcut_text::kShiftOptionCommand;
    static_assert(kOptionCommand == 2304 && kControlCommand == 4352 && kShiftOptionCommand == 2816);
    // The digit keys 1 to 9 (virtual key codes: 5 and 6, 7, 8 and 9 are not in numeric order).
    static constexpr std::array<uint32_t, 9> kDigitKeyCodes = {18, 19, 20, 21, 23, 22, 26, 28, 25};
    static constexpr uint32_t kKeyH = 4, kKeyB = 11, kRightArrow = 124, kLeftArrow = 123, kReturn = 36, kTab = 48;

    // `onShown` is handed to every show a digit chord starts (may be empty).
    ShortcutBindings(ShortcutManager& shortcuts, WorkspaceManager& manager, WorkspaceController& controller,
                     MainQueue& mainQueue, std::function<void()> onShown = nullptr);
    ShortcutBindings(const ShortcutBindings&) = delete;
    ShortcutBindings& operator=(const ShortcutBindings&) = delete;

    void registerShortcuts();

private:
    void listChanged();

    ShortcutManager& shortcuts_;
    WorkspaceManager& manager_;
    WorkspaceController& controller_;
    MainQueue& mainQueue_;
    std::function<void()> onShown_;
    std::vector<Uuid> registeredIDs_;
    Subscription listSubscription_;
    LifetimeToken lifetime_;
};

}  // namespace tessane
