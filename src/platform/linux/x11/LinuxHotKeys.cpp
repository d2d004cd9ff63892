#include "platform/linux/x11/LinuxHotKeys.h"

#include "platform/linux/x11/X11ManagerWatch.h"

#include <X11/keysym.h>

#include <array>
#include <utility>

namespace tessane::linux_backend {

namespace {

constexpr uint32_t kShiftMask = 1u << 0;
constexpr uint32_t kLockMask = 1u << 1;
constexpr uint32_t kControlMask = 1u << 2;
constexpr uint32_t kMod1Mask = 1u << 3;  // Alt
constexpr uint32_t kMod4Mask = 1u << 6;  // Super

// macOS virtual key codes (the ANSI layout's positions) and the keys they name.
constexpr std::pair<uint32_t, unsigned long> kKeys[] = {
    {0x00, XK_a}, {0x01, XK_s}, {0x02, XK_d}, {0x03, XK_f}, {0x04, XK_h}, {0x05, XK_g},
    {0x06, XK_z}, {0x07, XK_x}, {0x08, XK_c}, {0x09, XK_v}, {0x0B, XK_b}, {0x0C, XK_q},
    {0x0D, XK_w}, {0x0E, XK_e}, {0x0F, XK_r}, {0x10, XK_y}, {0x11, XK_t}, {0x12, XK_1},
    {0x13, XK_2}, {0x14, XK_3}, {0x15, XK_4}, {0x16, XK_6}, {0x17, XK_5}, {0x18, XK_equal},
    {0x19, XK_9}, {0x1A, XK_7}, {0x1B, XK_minus}, {0x1C, XK_8}, {0x1D, XK_0},
    {0x1E, XK_bracketright}, {0x1F, XK_o}, {0x20, XK_u}, {0x21, XK_bracketleft}, {0x22, XK_i},
    {0x23, XK_p}, {0x24, XK_Return}, {0x25, XK_l}, {0x26, XK_j}, {0x27, XK_apostrophe},
    {0x28, XK_k}, {0x29, XK_semicolon}, {0x2A, XK_backslash}, {0x2B, XK_comma}, {0x2C, XK_slash},
    {0x2D, XK_n}, {0x2E, XK_m}, {0x2F, XK_period}, {0x30, XK_Tab}, {0x31, XK_space},
    {0x32, XK_grave}, {0x33, XK_BackSpace}, {0x35, XK_Escape}, {0x4C, XK_KP_Enter},
    {0x60, XK_F5}, {0x61, XK_F6}, {0x62, XK_F7}, {0x63, XK_F3}, {0x64, XK_F8}, {0x65, XK_F9},
    {0x67, XK_F11}, {0x6D, XK_F10}, {0x6F, XK_F12}, {0x73, XK_Home}, {0x74, XK_Page_Up},
    {0x75, XK_Delete}, {0x76, XK_F4}, {0x77, XK_End}, {0x78, XK_F2}, {0x79, XK_Page_Down},
    {0x7A, XK_F1}, {0x7B, XK_Left}, {0x7C, XK_Right}, {0x7D, XK_Down}, {0x7E, XK_Up},
};

}  // namespace

std::optional<unsigned long> LinuxHotKeys::keysymForKeyCode(uint32_t keyCode) {
    for (auto& [code, keysym] : kKeys)
        if (code == keyCode) return keysym;
    return std::nullopt;
}

std::optional<uint32_t> LinuxHotKeys::xModifiersFor(uint32_t carbon) {
    constexpr uint32_t known = CarbonModifiers::command | CarbonModifiers::shift |
                               CarbonModifiers::option | CarbonModifiers::control;
    if (carbon & ~known) return std::nullopt;
    uint32_t mask = 0;
    if (carbon & CarbonModifiers::command) mask |= kMod4Mask;
    if (carbon & CarbonModifiers::shift) mask |= kShiftMask;
    if (carbon & CarbonModifiers::option) mask |= kMod1Mask;
    if (carbon & CarbonModifiers::control) mask |= kControlMask;
    return mask;
}

LinuxHotKeys::LinuxHotKeys(X11Connection& x, MainQueue& queue, LogSink log)
    : x_(x), queue_(queue), log_(std::move(log)) {
    x_.useDetectableAutoRepeat();
    events_ = x_.onEvent([this](const X11Event& e) { onEvent(e); });
    // A press heard while the main thread waits on the window manager is the user waiting for it.
    x_.manager().setUserWaiting([this] { return pressesWaiting_ > 0; });
}

LinuxHotKeys::~LinuxHotKeys() {
    x_.manager().setUserWaiting(nullptr);
    events_.reset();
    for (auto& [ref, grab] : grabs_) ungrab(grab);
}

std::vector<uint32_t> LinuxHotKeys::lockVariants() {
    const uint32_t locks[] = {kLockMask, x_.numLockMask(), x_.scrollLockMask()};
    std::vector<uint32_t> variants{0};
    for (uint32_t lock : locks) {
        if (lock == 0) continue;
        const size_t n = variants.size();
        for (size_t i = 0; i < n; ++i) variants.push_back(variants[i] | lock);
    }
    return variants;
}

X11Status LinuxHotKeys::grabAll(uint32_t keycode, uint32_t modifiers, const std::vector<uint32_t>& locks) {
    for (size_t i = 0; i < locks.size(); ++i) {
        if (X11Status status = x_.grabKey(keycode, modifiers | locks[i]); !status.ok()) {
            // Someone else holds this chord (in at least this lock state): give back the rest.
            for (size_t j = 0; j < i; ++j) x_.ungrabKey(keycode, modifiers | locks[j]);
            return status;
        }
    }
    return {};
}

void LinuxHotKeys::ungrab(Grab& grab) {
    // With the variants it was grabbed with: the lock keys may sit on other modifiers by now.
    if (grab.keycode != 0)
        for (uint32_t lock : grab.locks) x_.ungrabKey(grab.keycode, grab.modifiers | lock);
    grab.keycode = 0;
    grab.locks.clear();
}

bool LinuxHotKeys::heldByAnother(HotKeyRef ref, uint32_t keycode, uint32_t modifiers) const {
    for (auto& [other, grab] : grabs_)
        if (other != ref && grab.keycode == keycode && grab.modifiers == modifiers) return true;
    return false;
}

HotKeys::Registration LinuxHotKeys::registerHotKey(uint32_t keyCode, uint32_t carbonModifiers, HotKeyID id) {
    auto keysym = keysymForKeyCode(keyCode);
    auto modifiers = xModifiersFor(carbonModifiers);
    const uint32_t keycode = keysym ? x_.keycodeForKeysym(*keysym) : 0;
    if (!modifiers || keycode == 0) return {kHotKeyInvalid, 0};
    // Ours already: grabbed on this key, or registered for the same keysym (perhaps inactive).
    if (heldByAnother(0, keycode, *modifiers)) return {kHotKeyExists, 0};
    for (auto& [ref, grab] : grabs_)
        if (grab.keysym == *keysym && grab.modifiers == *modifiers) return {kHotKeyExists, 0};

    auto locks = lockVariants();
    if (!grabAll(keycode, *modifiers, locks).ok()) return {kHotKeyExists, 0};
    const HotKeyRef ref = nextRef_++;
    grabs_[ref] = Grab{*keysym, *modifiers, id, keycode, std::move(locks)};
    return {kNoError, ref};
}

void LinuxHotKeys::unregisterHotKey(HotKeyRef ref) {
    auto it = grabs_.find(ref);
    if (it == grabs_.end()) return;
    ungrab(it->second);
    grabs_.erase(it);
}

void LinuxHotKeys::followKeyboardMapping() {
    // A grab whose key and lock modifiers are where they were is kept as it is. The server also
    // tells of a change when typing moves to another keyboard device (a second keyboard, the
    // XTEST device a tool types through), at that device's first key, though no key moved:
    // given back then and taken again one answer at a time, a chord whose first key made the
    // change could find no grab for its last key and was lost.
    const auto locks = lockVariants();
    std::set<HotKeyRef> wereActive, moved;
    // Those that move are all given back before any is grabbed again, so that chords whose keys
    // swapped places do not stand in each other's way.
    for (auto& [ref, grab] : grabs_) {
        if (grab.keycode != 0) wereActive.insert(ref);
        if (grab.keycode != 0 && grab.keycode == x_.keycodeForKeysym(grab.keysym) && grab.locks == locks) continue;
        moved.insert(ref);
        ungrab(grab);
    }
    for (auto& [ref, grab] : grabs_) {
        if (!moved.count(ref)) continue;
        const uint32_t keycode = x_.keycodeForKeysym(grab.keysym);
        std::string reason;
        if (keycode == 0) {
            reason = "no key types it now";
        } else if (heldByAnother(ref, keycode, grab.modifiers)) {
            reason = "another of our hot keys is on the same key now";
        } else if (X11Status status = grabAll(keycode, grab.modifiers, locks); !status.ok()) {
            reason = status.error == X11Status::badAccess ? "another application holds the chord"
                                                          : "X error " + std::to_string(status.error);
        } else {
            grab.keycode = keycode;
            grab.locks = locks;
            continue;
        }
        // Said once when it goes; while it stays unavailable, later changes only try again.
        if (log_ && wereActive.count(ref))
            log_("[Tessane] Hot key " + std::to_string(grab.id.id) +
                 " is unavailable after a keyboard change (" + reason + ").");
    }
}

Subscription LinuxHotKeys::installPressHandler(std::function<void(const HotKeyID&)> handler) {
    return pressed_.subscribe(std::move(handler));
}

void LinuxHotKeys::onEvent(const X11Event& e) {
    if (e.kind == X11Event::Kind::keyboardMapping) {
        followKeyboardMapping();
        return;
    }
    if (e.kind == X11Event::Kind::keyRelease) {
        held_.erase(e.keycode);
        return;
    }
    if (e.kind != X11Event::Kind::keyPress || e.window != x_.root()) return;
    if (!held_.insert(e.keycode).second) return;  // a repeat of a held key
    const uint32_t relevant = kShiftMask | kControlMask | kMod1Mask | kMod4Mask;
    for (auto& [ref, grab] : grabs_) {  // an inactive grab's keycode 0 matches no key
        if (grab.keycode != e.keycode || grab.modifiers != (e.modifiers & relevant)) continue;
        ++pressesWaiting_;
        queue_.post(lifetime_.guard([this, id = grab.id] {
            --pressesWaiting_;
            pressed_.emit(id);
        }));
        return;
    }
}

}  // namespace tessane::linux_backend
