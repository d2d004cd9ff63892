#pragma once

#include "platform/HotKeys.h"

#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace tessane::sim {

// Hot keys of the simulated desktop. Chords can be marked as owned by another client (they are
// then refused with a status); press() plays the user pressing a chord.
class SimHotKeys final : public HotKeys {
public:
    struct Grab {
        uint32_t keyCode = 0;
        uint32_t modifiers = 0;
        HotKeyID id;
    };

    Registration registerHotKey(uint32_t keyCode, uint32_t carbonModifiers, HotKeyID id) override;
    void unregisterHotKey(HotKeyRef ref) override;
    Subscription installPressHandler(std::function<void(const HotKeyID&)> handler) override;

    // Another client holds this chord; registering it answers `status`.
    void setOwnedByAnotherClient(uint32_t keyCode, uint32_t modifiers,
                                 int32_t status = kHotKeyExists);
    void releaseFromAnotherClient(uint32_t keyCode, uint32_t modifiers);

    // The user presses a chord: delivered to the handlers when it is registered here. Returns
    // whether it was.
    bool press(uint32_t keyCode, uint32_t modifiers);
    // A press event carrying an arbitrary identifier, as one that raced with unregistering.
    void deliverPress(const HotKeyID& id) { presses_.emit(id); }

    std::vector<Grab> grabs() const;
    size_t handlerCount() const { return presses_.observerCount(); }

private:
    using Chord = std::pair<uint32_t, uint32_t>;
    std::map<HotKeyRef, Grab> grabs_;
    std::map<Chord, int32_t> foreign_;
    HotKeyRef nextRef_ = 1;
    Signal<HotKeyID> presses_;
};

}  // namespace tessane::sim
