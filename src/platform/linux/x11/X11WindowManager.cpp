// The window manager: which one runs, and the round trip that waits until it has handled what
// was sent to it (and learns whether it answers that question at all).
#include "platform/linux/x11/X11Connection.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>

namespace tessane::linux_backend {

namespace {

double steadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

bool X11Connection::windowManagerRoundTrip(double timeoutSeconds) {
    // A manager that does not list the message would never answer it (KWin), and one that lists
    // it and did not answer (Fluxbox) is not asked again: a round trip of our own then has the
    // server hand everything sent so far to the manager, and its moves are confirmed by their
    // configure events (see LinuxAccessibility::setFrames).
    if (!windowManagerRuns()) return false;
    if (windowManagerDeclinesPings()) {
        sync();
        processEvents();
        return true;
    }
    if (pingAnswers_ == PingAnswers::unknown && probeSentAt_ >= 0) {
        // The question asked ahead: answered by now, or left unanswered long enough to tell.
        processEvents();
        if (pingAnswersHeard_ > probeBaseline_) {
            pingAnswers_ = PingAnswers::answered;
        } else if (steadySeconds() - probeSentAt_ >= kPingLearningSeconds) {
            learnPingsUnanswered();
            sync();
            processEvents();
            return true;
        }
    }
    const auto waited = trip(replies::kManagerAnswer);
    // Answers come in the order asked: one to a question asked ahead and still open comes first.
    const bool probeOpen = pingAnswers_ == PingAnswers::unknown && probeSentAt_ >= 0;
    const uint64_t first = pingAnswersHeard_ + 1;
    const uint64_t needed = pingAnswersHeard_ + (probeOpen ? 2 : 1);
    sendPing();
    if (pingAnswers_ == PingAnswers::unknown && timeoutSeconds >= kPingLearningSeconds) {
        // A manager not yet heard answering gets a short while, from its first question, to show
        // that it does: one that never will would otherwise cost every caller its whole time-out,
        // every time.
        const double left = probeOpen ? std::max(0.0, kPingLearningSeconds - (steadySeconds() - probeSentAt_))
                                      : kPingLearningSeconds;
        const uint64_t leavings = managerLeavings_;
        if (!waitForWindowManager([&] { return pingAnswersHeard_ >= first; }, left)) {
            if (managerLeavings_ != leavings || !windowManagerRuns()) return false;  // it left: nothing learnt
            learnPingsUnanswered();
            sync();
            processEvents();
            return true;
        }
        pingAnswers_ = PingAnswers::answered;
    }
    return waitForWindowManager([&] { return pingAnswersHeard_ >= needed; }, timeoutSeconds);
}

void X11Connection::probeWindowManager() {
    if (windowManagerDeclinesPings() || pingAnswers_ != PingAnswers::unknown || probeSentAt_ >= 0) return;
    probeBaseline_ = pingAnswersHeard_;
    probeSentAt_ = steadySeconds();
    sendPing();
}

void X11Connection::sendPing() {
    if (!usable()) return;
    if (!pingWindow_) {
        XSetWindowAttributes attributes{};
        attributes.event_mask = PropertyChangeMask;
        pingWindow_ = XCreateWindow(display_, root_, -10, -10, 1, 1, 0, 0, InputOnly, CopyFromParent,
                                    CWEventMask, &attributes);
    }
    sendToWindowManager(pingWindow_, "_NET_REQUEST_FRAME_EXTENTS", {0, 0, 0, 0, 0});
}

void X11Connection::learnPingsUnanswered() {
    pingAnswers_ = PingAnswers::unanswered;
    // The name is any client's to set: a short, printable part of it goes to the log.
    std::string name = windowManagerName().value_or("The window manager").substr(0, 64);
    std::replace_if(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; }, '?');
    log("[Tessane][X11] " + name +
        " lists _NET_REQUEST_FRAME_EXTENTS but does not answer it: its moves are confirmed by their configure "
        "events from now on.");
}

bool X11Connection::windowManagerDeclinesPings() {
    const auto supported = atomList(root_, "_NET_SUPPORTED");
    if (!supported) return false;
    const XAtomId ping = atom("_NET_REQUEST_FRAME_EXTENTS");
    if (std::find(supported->begin(), supported->end(), ping) == supported->end()) return true;
    return pingsUnreliable();
}

XWindowId X11Connection::currentManagerCheck() {
    const auto check = windowList(root_, "_NET_SUPPORTING_WM_CHECK");
    return check && !check->empty() ? (*check)[0] : 0;
}

bool X11Connection::pingsUnreliable() {
    // What one manager did says nothing of the next one.
    if (const XWindowId manager = currentManagerCheck(); manager != pingManager_) {
        pingManager_ = manager;
        pingAnswers_ = PingAnswers::unknown;
        probeSentAt_ = -1;
    }
    return pingAnswers_ == PingAnswers::unanswered;
}

std::optional<bool> X11Connection::activationRaises() {
    if (const XWindowId manager = currentManagerCheck(); manager != raisesManager_) {
        raisesManager_ = manager;
        activationRaises_.reset();
    }
    return activationRaises_;
}

void X11Connection::learnActivationRaises(bool raises) {
    activationRaises();  // for the manager running now
    activationRaises_ = raises;
}

std::optional<X11Connection::WindowManager> X11Connection::windowManager() {
    // A window manager that died leaves the root property behind; the check window itself must
    // still exist and point at itself.
    if (auto check = windowList(root_, "_NET_SUPPORTING_WM_CHECK"); check && !check->empty() && (*check)[0] != 0) {
        const XWindowId child = (*check)[0];
        auto self = windowList(child, "_NET_SUPPORTING_WM_CHECK");
        if (self && !self->empty() && (*self)[0] == child)
            return WindowManager{text(child, "_NET_WM_NAME").value_or(std::string()), child};
    }
    if (!usable()) return std::nullopt;
    const Atom selection = static_cast<Atom>(atom("WM_S" + std::to_string(DefaultScreen(display_))));
    Window owner = None;
    {
        const auto waited = trip(replies::kAttributes);
        owner = XGetSelectionOwner(display_, selection);
    }
    const auto supported = atomList(root_, "_NET_SUPPORTED");
    if (owner == None || !supported || supported->empty()) return std::nullopt;
    return WindowManager{std::string(), static_cast<XWindowId>(owner)};
}

bool X11Connection::windowManagerRuns() {
    if (!usable()) return false;
    if (!std::exchange(managerKnown_, true)) {
        const auto manager = windowManager();
        const XWindowId witness = manager ? manager->witness : 0;
        if (witness != managerWitness_) {
            managerInterest_ = witness ? hear(witness, X11EventMask::structure) : Subscription();
            managerWitness_ = managerInterest_ ? witness : 0;  // none when it went since
        }
    }
    return managerWitness_ != 0;
}

void X11Connection::noteManagerNews(const X11Event& e) {
    // Told on the window itself (its structure is heard) and on the root (it is a child of it).
    if (e.kind == X11Event::Kind::destroy && managerWitness_ != 0 && e.window == managerWitness_) {
        managerWitness_ = 0;
        managerInterest_ = Subscription();
        ++managerLeavings_;
    } else if (e.kind == X11Event::Kind::property && e.window == root_ && e.atom == atom("_NET_SUPPORTING_WM_CHECK")) {
        // A successor announcing itself, or the one that runs taking its word back on the way
        // out: asked again at the next wait. Its window stays watched meanwhile.
        managerKnown_ = false;
    }
}

bool X11Connection::waitForWindowManager(const std::function<bool()>& condition, double timeoutSeconds) {
    if (!windowManagerRuns()) return condition();
    const uint64_t leavings = managerLeavings_;
    bool met = false;
    waitFor([&] { return (met = condition()) || managerLeavings_ != leavings; }, timeoutSeconds);
    return met;
}

std::optional<std::string> X11Connection::windowManagerName() {
    auto manager = windowManager();
    if (!manager) return std::nullopt;
    return std::move(manager->name);
}


}  // namespace tessane::linux_backend
