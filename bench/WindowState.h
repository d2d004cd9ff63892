#pragma once
// A client window's WM_STATE, as its window manager keeps it, read back by the benches.

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace tessane::bench {

// NormalState, IconicState, ...; -1 when the window has none (not managed, or gone).
inline long wmState(Display* d, Window w) {
    const Atom state = XInternAtom(d, "WM_STATE", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    long value = -1;
    if (XGetWindowProperty(d, w, state, 0, 2, False, state, &type, &format, &count, &after, &data) == Success && data &&
        count >= 1)
        value = reinterpret_cast<long*>(data)[0];
    if (data) XFree(data);
    return value;
}

inline bool isIconic(Display* d, Window w) { return wmState(d, w) == IconicState; }

}  // namespace tessane::bench
