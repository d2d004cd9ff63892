#include "platform/sim/SimHotKeys.h"

namespace tessane::sim {

HotKeys::Registration SimHotKeys::registerHotKey(uint32_t keyCode, uint32_t carbonModifiers,
                                                 HotKeyID id) {
    if (auto it = foreign_.find({keyCode, carbonModifiers}); it != foreign_.end())
        return {it->second, 0};
    for (auto& [ref, grab] : grabs_)
        if (grab.keyCode == keyCode && grab.modifiers == carbonModifiers) return {kHotKeyExists, 0};
    const HotKeyRef ref = nextRef_++;
    grabs_.emplace(ref, Grab{keyCode, carbonModifiers, id});
    return {kNoError, ref};
}

void SimHotKeys::unregisterHotKey(HotKeyRef ref) { grabs_.erase(ref); }

Subscription SimHotKeys::installPressHandler(std::function<void(const HotKeyID&)> handler) {
    return presses_.subscribe(std::move(handler));
}

void SimHotKeys::setOwnedByAnotherClient(uint32_t keyCode, uint32_t modifiers, int32_t status) {
    foreign_[{keyCode, modifiers}] = status;
}

void SimHotKeys::releaseFromAnotherClient(uint32_t keyCode, uint32_t modifiers) {
    foreign_.erase({keyCode, modifiers});
}

bool SimHotKeys::press(uint32_t keyCode, uint32_t modifiers) {
    for (auto& [ref, grab] : grabs_) {
        if (grab.keyCode == keyCode && grab.modifiers == modifiers) {
            const HotKeyID id = grab.id;  // a handler may unregister while being told
            presses_.emit(id);
            return true;
        }
    }
    return false;
}

std::vector<SimHotKeys::Grab> SimHotKeys::grabs() const {
    std::vector<Grab> out;
    for (auto& [ref, grab] : grabs_) out.push_back(grab);
    return out;
}

}  // namespace tessane::sim
