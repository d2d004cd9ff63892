// Keyboard: key codes, lock-key modifier bits and passive grabs on the root window.
#include "platform/linux/x11/X11Connection.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace tessane::linux_backend {

namespace {

uint32_t modifierMaskOf(Display* display, KeySym keysym) {
    KeyCode keycode = XKeysymToKeycode(display, keysym);
    if (keycode == 0) return 0;
    XModifierKeymap* map = XGetModifierMapping(display);
    if (!map) return 0;
    uint32_t mask = 0;
    for (int modifier = 0; modifier < 8 && !mask; ++modifier) {
        for (int k = 0; k < map->max_keypermod; ++k) {
            if (map->modifiermap[modifier * map->max_keypermod + k] == keycode) {
                mask = 1u << modifier;
                break;
            }
        }
    }
    XFreeModifiermap(map);
    return mask;
}

}  // namespace

uint32_t X11Connection::keycodeForKeysym(unsigned long keysym) {
    if (!usable()) return 0;
    return XKeysymToKeycode(display_, keysym);
}

uint32_t X11Connection::numLockMask() {
    if (!usable()) return 0;
    const auto waited = trip(replies::kKeyboard);
    return modifierMaskOf(display_, XK_Num_Lock);
}
uint32_t X11Connection::scrollLockMask() {
    if (!usable()) return 0;
    const auto waited = trip(replies::kKeyboard);
    return modifierMaskOf(display_, XK_Scroll_Lock);
}

bool X11Connection::useDetectableAutoRepeat() {
    if (!usable()) return false;
    Bool supported = False;
    const auto waited = trip(replies::kKeyboard);
    XkbSetDetectableAutoRepeat(display_, True, &supported);
    return supported;
}

X11Status X11Connection::grabKey(uint32_t keycode, uint32_t modifiers) {
    if (!usable()) return {X11Status::noConnection};
    ErrorTrap trap(*this);
    XGrabKey(display_, static_cast<int>(keycode), modifiers, root_, False, GrabModeAsync,
             GrabModeAsync);
    return trap.check();
}

void X11Connection::ungrabKey(uint32_t keycode, uint32_t modifiers) {
    if (!usable()) return;
    ErrorTrap trap(*this);
    XUngrabKey(display_, static_cast<int>(keycode), modifiers, root_);
    XFlush(display_);
}

}  // namespace tessane::linux_backend
