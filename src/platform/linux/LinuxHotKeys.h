#pragma once

#include "base/Lifetime.h"
#include "base/Signal.h"
#include "platform/HotKeys.h"
#include "platform/MainQueue.h"
#include "platform/linux/X11Connection.h"

#include <map>
#include <optional>
#include <set>

namespace tessane::linux_backend {

// Global hot keys as passive key grabs on the root window. Stored shortcuts keep macOS key codes
// and the Carbon modifier mask; here Command is Super (Mod4), Option is Alt (Mod1), Control is
// Ctrl and Shift is Shift. Each chord is grabbed once for every combination of the lock keys
// (Caps Lock, Num Lock, Scroll Lock), so that it works whatever the user has locked; a chord that
// another client holds in any of them is given back whole and refused with kHotKeyExists.
// Presses are told on the main queue, once per press: a held key's repeats are not presses.
class LinuxHotKeys final : public HotKeys {
public:
    LinuxHotKeys(X11Connection& x, MainQueue& queue);
    ~LinuxHotKeys() override;
    LinuxHotKeys(const LinuxHotKeys&) = delete;
    LinuxHotKeys& operator=(const LinuxHotKeys&) = delete;

    Registration registerHotKey(uint32_t keyCode, uint32_t carbonModifiers, HotKeyID id) override;
    void unregisterHotKey(HotKeyRef ref) override;
    [[nodiscard]] Subscription installPressHandler(std::function<void(const HotKeyID&)> handler) override;

    // The X keysym of a macOS virtual key code; none for keys without a counterpart here.
    static std::optional<unsigned long> keysymForKeyCode(uint32_t keyCode);
    // The X modifier mask for a Carbon mask; none when it holds bits we cannot express.
    static std::optional<uint32_t> xModifiersFor(uint32_t carbonModifiers);

private:
    struct Grab {
        uint32_t keycode = 0;
        uint32_t modifiers = 0;
        HotKeyID id;
    };
    std::vector<uint32_t> lockVariants();
    void onEvent(const X11Event& event);

    X11Connection& x_;
    MainQueue& queue_;
    std::map<HotKeyRef, Grab> grabs_;
    HotKeyRef nextRef_ = 1;
    std::set<uint32_t> held_;
    Signal<HotKeyID> pressed_;
    LifetimeToken lifetime_;
    Subscription events_;
};

}  // namespace tessane::linux_backend
