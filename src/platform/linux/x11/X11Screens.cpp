// RandR monitors, their outputs' EDID and names, and the pointer.
#include "platform/linux/x11/X11Connection.h"

#include "platform/linux/x11/X11DesktopModel.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

namespace tessane::linux_backend {

void X11Connection::selectScreenChanges() {
    if (!hasRandR() || screenChangesSelected_ || !usable()) return;
    XRRSelectInput(display_, root_,
                   RRScreenChangeNotifyMask | RRCrtcChangeNotifyMask | RROutputChangeNotifyMask |
                       RROutputPropertyNotifyMask);
    XFlush(display_);
    screenChangesSelected_ = true;
}

std::vector<X11Monitor> X11Connection::monitors() { return desktop_->monitors(); }

std::vector<X11Monitor> X11Connection::readMonitors() {
    std::vector<X11Monitor> out;
    if (!usable()) return out;  // no screen is known rather than a screen of no size
    if (hasRandR()) {
        ErrorTrap trap(*this);
        const auto waited = trip(replies::kScreens);
        int count = 0;
        XRRMonitorInfo* info = XRRGetMonitors(display_, root_, True, &count);
        if (info && trap.received().ok()) {
            for (int i = 0; i < count; ++i) {
                X11Monitor m;
                m.name = atomName(info[i].name);
                m.primary = info[i].primary;
                m.rootRect = Rect(info[i].x, info[i].y, info[i].width, info[i].height);
                for (int o = 0; o < info[i].noutput; ++o) m.outputs.push_back(info[i].outputs[o]);
                out.push_back(std::move(m));
            }
        }
        if (info) XRRFreeMonitors(info);
        if (!out.empty()) return out;
    }
    // No RandR (or no monitor reported): the whole screen is one display.
    X11Monitor whole;
    whole.name = "screen";
    whole.primary = true;
    Size size = readRootSize();
    whole.rootRect = Rect(0, 0, size.width, size.height);
    out.push_back(std::move(whole));
    return out;
}

std::optional<std::vector<uint8_t>> X11Connection::outputEdid(unsigned long output) {
    return desktop_->outputEdid(output);
}

std::optional<std::vector<uint8_t>> X11Connection::readOutputEdid(unsigned long output) {
    if (!hasRandR() || !usable()) return std::nullopt;
    ErrorTrap trap(*this);
    const auto waited = trip(replies::kScreens);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    int status = XRRGetOutputProperty(display_, output, atom("EDID"), 0, 256, False, False,
                                      AnyPropertyType, &type, &format, &count, &after, &data);
    std::optional<std::vector<uint8_t>> edid;
    if (status == Success && trap.received().ok() && format == 8 && count >= 128 && data)
        edid = std::vector<uint8_t>(data, data + count);
    if (data) XFree(data);
    return edid;
}

std::optional<std::string> X11Connection::outputName(unsigned long output) {
    return desktop_->outputName(output);
}

std::optional<std::string> X11Connection::readOutputName(unsigned long output) {
    if (!hasRandR() || !usable()) return std::nullopt;
    ErrorTrap trap(*this);
    const auto waited = trip(replies::kScreens, 2);
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display_, root_);
    if (!resources) return std::nullopt;
    std::optional<std::string> name;
    if (XRROutputInfo* info = XRRGetOutputInfo(display_, resources, output)) {
        if (trap.received().ok() && info->name) name = std::string(info->name, info->nameLen);
        XRRFreeOutputInfo(info);
    }
    XRRFreeScreenResources(resources);
    return name;
}

std::optional<X11Pointer> X11Connection::pointer() {
    if (!usable()) return std::nullopt;
    Window rootReturn, child;
    int rootX = 0, rootY = 0, winX = 0, winY = 0;
    unsigned int mask = 0;
    const auto waited = trip(replies::kPointer);
    if (!XQueryPointer(display_, root_, &rootReturn, &child, &rootX, &rootY, &winX, &winY, &mask))
        return std::nullopt;  // the pointer is on another screen of the display
    X11Pointer p;
    p.root = Point{static_cast<double>(rootX), static_cast<double>(rootY)};
    p.buttons = (mask >> 8) & 0x1F;
    p.modifiers = mask & 0xFF;
    return p;
}

}  // namespace tessane::linux_backend
