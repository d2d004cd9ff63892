#pragma once

// The requests of one kind that clients send the window manager (client messages to the root),
// as the root hears them on their way, from when this is made.
#include <X11/Xlib.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace tessane::e2e {

class RequestsToManager {
public:
    RequestsToManager(const std::string& display, const char* messageType)
        : display_(XOpenDisplay(display.c_str()), XCloseDisplay) {
        if (!display_) return;
        XSelectInput(display_.get(), DefaultRootWindow(display_.get()), SubstructureNotifyMask);
        XSync(display_.get(), False);
        atom_ = XInternAtom(display_.get(), messageType, False);
    }
    bool connected() const { return display_ != nullptr; }
    // How many came since the last count (or since this was made), once the server has passed
    // on what was sent before.
    int count() {
        if (!display_) return 0;
        XSync(display_.get(), False);
        read();
        const size_t last = counted_;
        counted_ = windows_.size();
        return static_cast<int>(counted_ - last);
    }
    // Whether `first` was asked about and `then` after it.
    bool seen(Window first, Window then) {
        read();
        const auto at = std::find(windows_.begin(), windows_.end(), first);
        return at != windows_.end() && std::find(at, windows_.end(), then) != windows_.end();
    }
    bool seen(Window window) {
        read();
        return std::find(windows_.begin(), windows_.end(), window) != windows_.end();
    }

private:
    void read() {
        XEvent e;
        while (display_ && XPending(display_.get())) {
            XNextEvent(display_.get(), &e);
            if (e.type == ClientMessage && e.xclient.message_type == atom_) windows_.push_back(e.xclient.window);
        }
    }
    std::unique_ptr<Display, int (*)(Display*)> display_;
    Atom atom_ = None;
    std::vector<Window> windows_;
    size_t counted_ = 0;
};

}  // namespace tessane::e2e
