// Attributes read and written, and actions: what the port asks of an element.
#include "platform/linux/windows/LinuxAccessibility.h"

#include "platform/linux/x11/LinuxScreens.h"
#include "platform/linux/windows/WindowManagerWaits.h"
#include "platform/linux/x11/X11DesktopModel.h"
#include "platform/linux/x11/X11ManagerWatch.h"

#include <cerrno>
#include <cmath>
#include <csignal>
#include <fstream>
#include <utility>

namespace tessane::linux_backend {

namespace {

// Apple's own code for an action an element does not have.
constexpr AXError kActionUnsupported = static_cast<AXError>(-25206);

bool processExists(Pid pid) { return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM); }

AXAttributeResult value(AXValue v) { return {AXError::success, std::move(v)}; }
AXAttributeResult error(AXError e) { return {e, {}}; }

// A raise is asked, not waited for: nobody reads the stacking right after one, and a manager that
// restacks every window for it (Xfwm among a thousand) would hold the main thread half a second
// per raise. The manager handles requests in the order sent, so whatever follows comes after it.
AXError raiseAsked(X11Connection& x, XWindowId window) {
    x.flush();
    if (waits::managerNotAnswering(x)) return AXError::cannotComplete;
    return x.windowExists(window) ? AXError::success : AXError::invalidUIElement;
}

}  // namespace

void LinuxAccessibility::willReadWindowsOf(std::span<const Pid> pids) {
    std::vector<XWindowId> windows;
    for (Pid pid : pids) {
        const auto of = windowsOf(pid);
        windows.insert(windows.end(), of.begin(), of.end());
    }
    prefetchWindowFacts(windows);
}

AXAttributeResult LinuxAccessibility::copyAttribute(const AXElement& element, std::string_view attribute) {
    if (element.isNull()) return error(AXError::illegalArgument);
    if (!isProcessTrusted()) return error(AXError::apiDisabled);
    if (NewWindowMenu::owns(element)) return newWindowMenu_.attribute(element, attribute);
    if (isApplication(element)) return applicationAttribute(applicationPid(element), attribute);
    return windowAttribute(static_cast<XWindowId>(element.handle()), attribute);
}

AXAttributeResult LinuxAccessibility::applicationAttribute(Pid pid, std::string_view attribute) {
    if (!processExists(pid)) return error(AXError::cannotComplete);
    if (attribute == ax::kRole) return value(AXValue::string(ax::kRoleApplication));
    if (attribute == ax::kTitle) {
        std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
        std::string name;
        if (std::getline(comm, name) && !name.empty()) return value(AXValue::string(name));
        return error(AXError::noValue);
    }
    if (attribute == ax::kWindows) {
        std::vector<AXElement> elements;
        const auto windows = windowsOf(pid);
        // Their frames are what is asked next: one batch.
        x_.desktop().prefetchGeometry(windows);
        for (XWindowId w : windows) elements.push_back(AXElement::fromHandle(w));
        return value(AXValue::elements(elements));
    }
    if (attribute == ax::kFocusedWindow || attribute == ax::kMainWindow) {
        if (auto w = mainWindowOf(pid)) return value(AXValue::element(AXElement::fromHandle(*w)));
        return error(AXError::noValue);
    }
    if (attribute == ax::kMenuBar)
        if (auto bar = newWindowMenu_.menuBar(pid)) return value(AXValue::element(*bar));
    if (attribute == ax::kMenuBar || attribute == ax::kChildren) return error(AXError::noValue);
    return error(AXError::attributeUnsupported);
}

AXAttributeResult LinuxAccessibility::windowAttribute(XWindowId window, std::string_view attribute) {
    auto missing = [&]() {
        return x_.windowExists(window) ? error(AXError::noValue) : error(AXError::invalidUIElement);
    };
    if (attribute == ax::kRole) {
        return x_.windowExists(window) ? value(AXValue::string(ax::kRoleWindow))
                                       : error(AXError::invalidUIElement);
    }
    if (attribute == ax::kSubrole) {
        if (!x_.windowExists(window)) return error(AXError::invalidUIElement);
        if (auto s = subrole(window)) return value(AXValue::string(*s));
        return error(AXError::noValue);
    }
    if (attribute == ax::kTitle) {
        if (auto t = x_.text(window, "_NET_WM_NAME")) return value(AXValue::string(*t));
        if (auto t = x_.text(window, "WM_NAME")) return value(AXValue::string(*t));
        return missing();
    }
    if (attribute == ax::kPosition || attribute == ax::kSize) {
        auto f = visibleFrame(window);
        if (!f) return error(AXError::invalidUIElement);
        f = axPoints(*f);
        return attribute == ax::kPosition ? value(AXValue::point(f->origin)) : value(AXValue::size(f->size));
    }
    if (attribute == ax::kResizeIncrements) {
        auto hints = x_.normalHints(window);
        if (!hints) return missing();
        if (hints->resizeIncrements && (hints->resizeIncrements->width > 1 || hints->resizeIncrements->height > 1))
            return value(AXValue::size(*hints->resizeIncrements));
        return error(AXError::noValue);
    }
    if (attribute == ax::kMinimized || attribute == ax::kFullScreen) {
        auto s = state(window);
        if (!s) return error(AXError::invalidUIElement);
        return value(AXValue::boolean(attribute == ax::kMinimized ? s->minimized : s->fullScreen));
    }
    if (attribute == ax::kMain) {
        auto owner = windowPid(window);
        if (!owner || !x_.windowExists(window)) return error(AXError::invalidUIElement);
        return value(AXValue::boolean(mainWindowOf(*owner) == window));
    }
    if (attribute == ax::kDocument) {
        const auto title = windowAttribute(window, ax::kTitle).value.asString();
        const auto owner = windowPid(window);
        if (title && owner)
            if (auto url = documents_.documentURL(window, *owner, *title)) return value(AXValue::string(*url));
        return missing();
    }
    if (attribute == ax::kIdentifier || attribute == ax::kChildren) {
        return x_.windowExists(window) ? error(AXError::noValue) : error(AXError::invalidUIElement);
    }
    return x_.windowExists(window) ? error(AXError::attributeUnsupported) : error(AXError::invalidUIElement);
}

Rect LinuxAccessibility::axPoints(const Rect& axPixels) {
    const Point o = origin();
    return screens_.pointSpace().pointsFromPixels(axPixels.offsetBy(o.x, o.y)).offsetBy(-o.x, -o.y);
}

Rect LinuxAccessibility::axPixels(const Rect& axPoints) {
    const Point o = origin();
    return screens_.pointSpace().pixelsFromPoints(axPoints.offsetBy(o.x, o.y)).offsetBy(-o.x, -o.y);
}

AXError LinuxAccessibility::setAttribute(const AXElement& element, std::string_view attribute,
                                         const AXValue& v) {
    // A position or size in points becomes whole pixels with the rest of the frame the window has
    // (so that its edges round as a whole frame's would); everything else is taken as it is.
    if ((attribute != ax::kPosition && attribute != ax::kSize) || element.isNull() || isApplication(element) ||
        NewWindowMenu::owns(element))
        return setAttributeInPixels(element, attribute, v);
    const auto current = visibleFrame(static_cast<XWindowId>(element.handle()));
    if (!current) return setAttributeInPixels(element, attribute, v);
    const Rect now = axPoints(*current);
    if (attribute == ax::kPosition) {
        const auto p = v.asPoint();
        if (!p) return setAttributeInPixels(element, attribute, v);
        return setAttributeInPixels(element, attribute, AXValue::point(axPixels(Rect(*p, now.size)).origin));
    }
    const auto size = v.asSize();
    if (!size || size->width <= 0 || size->height <= 0) return setAttributeInPixels(element, attribute, v);
    return setAttributeInPixels(element, attribute, AXValue::size(axPixels(Rect(now.origin, *size)).size));
}

Accessibility::FrameWrite LinuxAccessibility::setFrame(const AXElement& element, const Rect& target) {
    const FrameRequest request{element, target};
    return setFrames(std::span(&request, 1)).front();
}

std::vector<Accessibility::FrameWrite> LinuxAccessibility::setFrames(std::span<const FrameRequest> requests) {
    // The targets in whole pixels, the frames read back in points.
    std::vector<FrameRequest> inPixels(requests.begin(), requests.end());
    for (auto& request : inPixels) {
        if (request.window.isNull() || isApplication(request.window) || NewWindowMenu::owns(request.window))
            continue;
        Rect& f = request.frame;
        if (f.width() > 0 && f.height() > 0) {
            f = axPixels(f);
        } else {
            // Refused for its size; its position still goes through.
            f.origin = axPixels(Rect(f.origin, Size{0, 0})).origin;
        }
    }
    auto written = setFramesInPixels(inPixels);
    for (auto& w : written)
        if (w.frame) w.frame = axPoints(*w.frame);
    return written;
}

Accessibility::FrameWrite LinuxAccessibility::setFrameInPixels(const AXElement& window, const Rect& frame) {
    // As the port's own setFrame, in pixels.
    const bool firstSize = setAttributeInPixels(window, ax::kSize, AXValue::size(frame.size)) == AXError::success;
    const bool moved = setAttributeInPixels(window, ax::kPosition, AXValue::point(frame.origin)) == AXError::success;
    const bool secondSize = setAttributeInPixels(window, ax::kSize, AXValue::size(frame.size)) == AXError::success;
    return {firstSize || secondSize, moved};
}

AXError LinuxAccessibility::setAttributeInPixels(const AXElement& element, std::string_view attribute,
                                                 const AXValue& v) {
    if (element.isNull()) return AXError::illegalArgument;
    if (!isProcessTrusted()) return AXError::apiDisabled;
    if (NewWindowMenu::owns(element)) return AXError::attributeUnsupported;
    if (isApplication(element)) {
        return processExists(applicationPid(element)) ? AXError::attributeUnsupported
                                                      : AXError::cannotComplete;
    }
    const XWindowId window = static_cast<XWindowId>(element.handle());
    const double timeout = timeoutFor(element);

    if (attribute == ax::kPosition || attribute == ax::kSize) {
        const auto frame = windowFrame(window);
        if (!frame) return AXError::invalidUIElement;
        const Point o = origin();
        const Rect current = frame->visible().offsetBy(-o.x, -o.y);
        // Already there (the repeated size write of a placement, mostly): nothing to ask.
        auto same = [](double a, double b) { return std::lround(a) == std::lround(b); };
        if (attribute == ax::kPosition) {
            auto p = v.asPoint();
            if (!p) return AXError::illegalArgument;
            if (same(p->x, current.minX()) && same(p->y, current.minY())) return AXError::success;
            return moveResize(window, *frame, *p, std::nullopt, timeout);
        }
        auto size = v.asSize();
        if (!size || size->width <= 0 || size->height <= 0) return AXError::illegalArgument;
        if (same(size->width, current.width()) && same(size->height, current.height()))
            return AXError::success;
        return moveResize(window, *frame, std::nullopt, *size, timeout);
    }
    if (attribute == ax::kMinimized || attribute == ax::kFullScreen || attribute == ax::kMain) {
        auto flag = v.asBoolean();
        if (!flag) return AXError::illegalArgument;
        auto s = state(window);
        if (!s) return AXError::invalidUIElement;
        if (attribute == ax::kMinimized) {
            if (*flag == s->minimized) return AXError::success;
            if (!*flag) return restoreMinimized(window, timeout);
            noteMinimizing({window});
            x_.requestIconify(window);
        } else if (attribute == ax::kFullScreen) {
            if (*flag == s->fullScreen) return AXError::success;
            x_.requestWmState(window, *flag ? 1 : 0, "_NET_WM_STATE_FULLSCREEN");
        } else {
            if (!*flag) return AXError::success;
            activate(window);
        }
        if (!waits::answer(x_, timeout)) return AXError::cannotComplete;
        return x_.windowExists(window) ? AXError::success : AXError::invalidUIElement;
    }
    return x_.windowExists(window) ? AXError::attributeUnsupported : AXError::invalidUIElement;
}

AXError LinuxAccessibility::performAction(const AXElement& element, std::string_view action) {
    if (element.isNull()) return AXError::illegalArgument;
    if (!isProcessTrusted()) return AXError::apiDisabled;
    if (NewWindowMenu::owns(element)) return newWindowMenu_.performAction(element, action);
    if (isApplication(element) || (action != ax::kRaise && action != ax::kRaiseUnfocused))
        return kActionUnsupported;
    const XWindowId window = static_cast<XWindowId>(element.handle());
    auto s = state(window);
    if (!s) return AXError::invalidUIElement;
    if (action == ax::kRaiseUnfocused) {
        x_.requestRaise(window);
        // A manager whose frames bypass it (Fluxbox) may leave the restack of a window without
        // the focus undone; such a frame is no window it redirects, and is raised as it stands.
        if (const auto frame = x_.desktop().frameOf(window); frame && *frame != window) {
            const auto states = x_.desktop().rootChildStates({*frame});
            if (!states.empty() && states[0] && states[0]->overrideRedirect) x_.raiseWindow(*frame);
        }
        return raiseAsked(x_, window);
    }
    // _NET_ACTIVE_WINDOW focuses and (in every EWMH manager) restores a minimized window, and
    // raises it in most; it is restacked as well, since IceWM only focuses it and managers may
    // leave a window that takes no input where it is, unless the manager is known to raise what
    // it activates (see ActivationRaise).
    activate(window);
    if (x_.manager().activationRaises() != true || !x_.takesFocus(window)) x_.requestRaise(window);
    return raiseAsked(x_, window);
}


void LinuxAccessibility::activate(XWindowId window) {
    x_.requestActivate(window);
    lives_.activationAsked(window, queue_.now());
}

}  // namespace tessane::linux_backend
