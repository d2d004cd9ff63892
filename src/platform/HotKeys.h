#pragma once

#include "base/Signal.h"

#include <cstdint>
#include <functional>

namespace tessane {

// The Carbon modifier mask that stored shortcuts keep. On Linux the keys a user presses are
// Command = Super, Option = Alt, Control = Ctrl; only the X11 backend translates.
namespace CarbonModifiers {
inline constexpr uint32_t command = 0x100;
inline constexpr uint32_t shift = 0x200;
inline constexpr uint32_t option = 0x800;
inline constexpr uint32_t control = 0x1000;
}  // namespace CarbonModifiers

// A registration's identity: the registering client's four-character signature and its number.
struct HotKeyID {
    uint32_t signature = 0;
    uint32_t id = 0;
    bool operator==(const HotKeyID&) const = default;
};

// The registration handle; 0 is "none".
using HotKeyRef = uint64_t;

// Global hot keys: key combinations that reach us while another application is in front.
//
// What a backend must do:
// - registerHotKey answers status 0 with a non-zero reference when the chord is ours. A chord it
//   cannot take (already grabbed by another client, or by us under another registration) comes
//   back as a non-zero status, never as a silent success: kHotKeyExists for a taken chord,
//   kHotKeyInvalid for a key code or mask it cannot express. (X11: XGrabKey on the root window
//   for every lock-modifier variant, with BadAccess mapped to kHotKeyExists.)
// - Key codes are macOS virtual key codes and the mask is the Carbon mask above; the backend
//   translates both to its own keys.
// - Presses are delivered on the main thread, once per press, to every installed handler, with
//   the identifier given at registration. A press of an unregistered chord delivers nothing.
class HotKeys {
public:
    static constexpr int32_t kNoError = 0;
    static constexpr int32_t kHotKeyExists = -9878;
    static constexpr int32_t kHotKeyInvalid = -9879;

    struct Registration {
        int32_t status = kNoError;
        HotKeyRef ref = 0;
    };

    virtual ~HotKeys() = default;

    virtual Registration registerHotKey(uint32_t keyCode, uint32_t carbonModifiers,
                                        HotKeyID id) = 0;
    // Releases the chord. An unknown or already released reference does nothing.
    virtual void unregisterHotKey(HotKeyRef ref) = 0;
    // The handler for presses; it stays installed while the subscription lives.
    [[nodiscard]] virtual Subscription installPressHandler(
        std::function<void(const HotKeyID&)> handler) = 0;
};

}  // namespace tessane
