#pragma once

#include "base/Signal.h"
#include "platform/HotKeys.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>

namespace tessane {

// The system's global keyboard shortcuts. Its owner binds key combinations to actions; a press
// of a bound combination runs its action on the main thread. It knows nothing of workspaces.
//
// Every registration takes a fresh identifier, starting at 1; identifiers are never reused, not
// after a failed registration and not after unregisterAll(), so a press that raced with a
// rebind can never reach a newer action.
class ShortcutManager {
public:
    // 'TSNE', written into every hot-key identifier this manager registers.
    static constexpr uint32_t kSignature = (uint32_t('T') << 24) | (uint32_t('S') << 16) |
                                           (uint32_t('N') << 8) | uint32_t('E');

    explicit ShortcutManager(HotKeys& hotKeys);
    ~ShortcutManager();
    ShortcutManager(const ShortcutManager&) = delete;
    ShortcutManager& operator=(const ShortcutManager&) = delete;

    // Binds a key code (macOS virtual key code) with a Carbon modifier mask to an action. Returns
    // the identifier, or none when the chord could not be had (logged with its status).
    std::optional<uint32_t> registerHotKey(uint32_t keyCode, uint32_t carbonModifiers,
                                           std::function<void()> action);
    // Releases every chord; their actions never run again. Identifiers keep counting.
    void unregisterAll();

    uint32_t nextID() const { return nextID_; }
    size_t registeredCount() const { return hotKeyRefs_.size(); }

private:
    void handlePress(const HotKeyID& id);

    HotKeys& hotKeys_;
    std::map<uint32_t, std::function<void()>> actions_;
    std::map<uint32_t, HotKeyRef> hotKeyRefs_;
    Subscription eventHandler_;
    uint32_t nextID_ = 1;
};

}  // namespace tessane
