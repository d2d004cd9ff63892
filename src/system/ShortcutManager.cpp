#include "system/ShortcutManager.h"

#include "model/Log.h"

#include <string>

namespace tessane {

ShortcutManager::ShortcutManager(HotKeys& hotKeys) : hotKeys_(hotKeys) {
    // The subscription is ended by our destructor, so the handler never outlives us.
    eventHandler_ = hotKeys_.installPressHandler([this](const HotKeyID& id) { handlePress(id); });
}

ShortcutManager::~ShortcutManager() {
    unregisterAll();
    eventHandler_.reset();
}

std::optional<uint32_t> ShortcutManager::registerHotKey(uint32_t keyCode, uint32_t carbonModifiers,
                                                        std::function<void()> action) {
    const uint32_t id = nextID_++;  // used up even when the registration fails
    const auto result = hotKeys_.registerHotKey(keyCode, carbonModifiers, {kSignature, id});
    if (result.status == HotKeys::kNoError && result.ref != 0) {
        hotKeyRefs_[id] = result.ref;
        actions_[id] = std::move(action);
        return id;
    }
    Log::line("[Tessane] Failed to register hotkey (keyCode=" + std::to_string(keyCode) +
              "); status=" + std::to_string(result.status) + ".");
    return std::nullopt;
}

void ShortcutManager::unregisterAll() {
    for (auto& [id, ref] : hotKeyRefs_) hotKeys_.unregisterHotKey(ref);
    hotKeyRefs_.clear();
    actions_.clear();
}

void ShortcutManager::handlePress(const HotKeyID& id) {
    // Only the number is looked up; the signature is not compared.
    auto it = actions_.find(id.id);
    if (it == actions_.end()) return;
    // A copy, because the action may rebind (unregisterAll) while it runs.
    auto action = it->second;
    if (action) action();
}

}  // namespace tessane
