#pragma once

#include "base/Lifetime.h"
#include "base/Signal.h"
#include "platform/HotKeys.h"
#include "platform/MainQueue.h"
#include "platform/linux/x11/X11Connection.h"

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tessane::linux_backend {

// Global hot keys as passive key grabs on the root window. Stored shortcuts keep macOS key codes
// and the Carbon modifier mask; here Command is Super (Mod4), Option is Alt (Mod1), Control is
// Ctrl and Shift is Shift. Each chord is grabbed once for every combination of the lock keys
// (Caps Lock, Num Lock, Scroll Lock), so that it works whatever the user has locked; a chord that
// another client holds in any of them is given back whole and refused with kHotKeyExists.
// Presses are told on the main queue, once per press: a held key's repeats are not presses.
//
// A grab holds an X keycode, but a chord names a key (a keysym): when the keyboard mapping
// changes (a layout switch, xmodmap, another keyboard), every chord is given back and grabbed
// again on the key that now types its keysym, with the lock variants of the new modifier map. A
// chord that cannot be had then (no key types it, or another client holds it) stays registered
// but inactive, with a log line, and is tried again at the next mapping change.
class LinuxHotKeys final : public HotKeys {
public:
    using LogSink = std::function<void(const std::string&)>;

    LinuxHotKeys(X11Connection& x, MainQueue& queue, LogSink log = nullptr);
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
        unsigned long keysym = 0;
        uint32_t modifiers = 0;
        HotKeyID id;
        uint32_t keycode = 0;         // 0 while inactive
        std::vector<uint32_t> locks;  // the lock variants it is grabbed with now
    };
    std::vector<uint32_t> lockVariants();
    // Grabs every variant, or none: on failure the ones taken are given back.
    X11Status grabAll(uint32_t keycode, uint32_t modifiers, const std::vector<uint32_t>& locks);
    void ungrab(Grab& grab);
    bool heldByAnother(HotKeyRef ref, uint32_t keycode, uint32_t modifiers) const;
    void followKeyboardMapping();
    void onEvent(const X11Event& event);

    X11Connection& x_;
    MainQueue& queue_;
    LogSink log_;
    std::map<HotKeyRef, Grab> grabs_;
    HotKeyRef nextRef_ = 1;
    std::set<uint32_t> held_;
    Signal<HotKeyID> pressed_;
    int pressesWaiting_ = 0;  // heard and not yet handed to the handlers
    LifetimeToken lifetime_;
    Subscription events_;
};

}  // namespace tessane::linux_backend
