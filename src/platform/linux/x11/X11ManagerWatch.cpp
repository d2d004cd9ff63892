// The window manager: which one runs, the round trip that waits until it has handled what was
// sent to it (and learns whether it answers that question at all), and the echo every manager
// answers.
#include "platform/linux/x11/X11ManagerWatch.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>

namespace tessane::linux_backend {

namespace {

double steadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

X11ManagerWatch::X11ManagerWatch(X11Connection& x) : x_(x) {}

X11ManagerWatch::~X11ManagerWatch() {
    // A broken display is left as it is (see ~X11Connection).
    if (x_.broken()) return;
    if (pingWindow_) XDestroyWindow(x_.display(), pingWindow_);
    if (echoWindow_) XDestroyWindow(x_.display(), echoWindow_);
}

bool X11ManagerWatch::roundTrip(double timeoutSeconds) {
    // A manager that does not list the message would never answer it (KWin), and one that lists
    // it and did not answer (Fluxbox) is not asked again: a round trip of our own then has the
    // server hand everything sent so far to the manager, and its moves are confirmed by their
    // configure events (see LinuxAccessibility::setFrames).
    if (!runs()) return false;
    if (declinesPings()) {
        x_.sync();
        x_.processEvents();
        return true;
    }
    if (pingAnswers_ == PingAnswers::unknown && probeSentAt_ >= 0) {
        // The question asked ahead: answered by now, or left unanswered long enough to tell.
        x_.processEvents();
        if (pingAnswersHeard_ > probeBaseline_) {
            pingAnswers_ = PingAnswers::answered;
        } else if (steadySeconds() - probeSentAt_ >= kPingLearningSeconds) {
            learnPingsUnanswered();
            x_.sync();
            x_.processEvents();
            return true;
        }
    }
    const auto waited = x_.trip(replies::kManagerAnswer);
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
        const uint64_t leavings = leavings_;
        if (!waitFor([&] { return pingAnswersHeard_ >= first; }, left)) {
            // It left, or the wait gave way to the user: nothing learnt.
            if (leavings_ != leavings || !runs() || givingWay()) return false;
            learnPingsUnanswered();
            x_.sync();
            x_.processEvents();
            return true;
        }
        pingAnswers_ = PingAnswers::answered;
    }
    return waitFor([&] { return pingAnswersHeard_ >= needed; }, timeoutSeconds);
}

void X11ManagerWatch::probe() {
    if (declinesPings() || pingAnswers_ != PingAnswers::unknown || probeSentAt_ >= 0) return;
    probeBaseline_ = pingAnswersHeard_;
    probeSentAt_ = steadySeconds();
    sendPing();
}

void X11ManagerWatch::sendPing() {
    if (x_.broken()) return;
    if (!pingWindow_) {
        XSetWindowAttributes attributes{};
        attributes.event_mask = PropertyChangeMask;
        pingWindow_ = XCreateWindow(x_.display(), x_.root(), -10, -10, 1, 1, 0, 0, InputOnly, CopyFromParent,
                                    CWEventMask, &attributes);
    }
    x_.sendToWindowManager(pingWindow_, "_NET_REQUEST_FRAME_EXTENTS", {0, 0, 0, 0, 0});
}

void X11ManagerWatch::learnPingsUnanswered() {
    pingAnswers_ = PingAnswers::unanswered;
    // The name is any client's to set: a short, printable part of it goes to the log.
    std::string name = this->name().value_or("The window manager").substr(0, 64);
    std::replace_if(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; }, '?');
    x_.log("[Tessane][X11] " + name +
           " lists _NET_REQUEST_FRAME_EXTENTS but does not answer it: its moves are confirmed by their configure "
           "events from now on.");
}

bool X11ManagerWatch::declinesPings() {
    const auto supported = x_.atomList(x_.root(), "_NET_SUPPORTED");
    if (!supported) return false;
    const XAtomId ping = x_.atom("_NET_REQUEST_FRAME_EXTENTS");
    if (std::find(supported->begin(), supported->end(), ping) == supported->end()) return true;
    return pingsUnreliable();
}

XWindowId X11ManagerWatch::currentCheck() {
    const auto check = x_.windowList(x_.root(), "_NET_SUPPORTING_WM_CHECK");
    return check && !check->empty() ? (*check)[0] : 0;
}

bool X11ManagerWatch::pingsUnreliable() {
    // What one manager did says nothing of the next one.
    if (const XWindowId manager = currentCheck(); manager != pingManager_) {
        pingManager_ = manager;
        pingAnswers_ = PingAnswers::unknown;
        probeSentAt_ = -1;
    }
    return pingAnswers_ == PingAnswers::unanswered;
}

std::optional<bool> X11ManagerWatch::activationRaises() {
    if (const XWindowId manager = currentCheck(); manager != raisesManager_) {
        raisesManager_ = manager;
        activationRaises_.reset();
    }
    return activationRaises_;
}

void X11ManagerWatch::learnActivationRaises(bool raises) {
    activationRaises();  // for the manager running now
    activationRaises_ = raises;
}

std::optional<X11ManagerWatch::Manager> X11ManagerWatch::current() {
    // A window manager that died leaves the root property behind; the check window itself must
    // still exist and point at itself.
    if (auto check = x_.windowList(x_.root(), "_NET_SUPPORTING_WM_CHECK"); check && !check->empty() && (*check)[0] != 0) {
        const XWindowId child = (*check)[0];
        auto self = x_.windowList(child, "_NET_SUPPORTING_WM_CHECK");
        if (self && !self->empty() && (*self)[0] == child)
            return Manager{x_.text(child, "_NET_WM_NAME").value_or(std::string()), child};
    }
    if (x_.broken()) return std::nullopt;
    const Atom selection = static_cast<Atom>(x_.atom("WM_S" + std::to_string(DefaultScreen(x_.display()))));
    Window owner = None;
    {
        const auto waited = x_.trip(replies::kAttributes);
        owner = XGetSelectionOwner(x_.display(), selection);
    }
    const auto supported = x_.atomList(x_.root(), "_NET_SUPPORTED");
    if (owner == None || !supported || supported->empty()) return std::nullopt;
    return Manager{std::string(), static_cast<XWindowId>(owner)};
}

bool X11ManagerWatch::runs() {
    if (x_.broken()) return false;
    if (!std::exchange(known_, true)) {
        const auto manager = current();
        const XWindowId witness = manager ? manager->witness : 0;
        if (witness != witness_) {
            witnessInterest_ = witness ? x_.hear(witness, X11EventMask::structure) : Subscription();
            witness_ = witnessInterest_ ? witness : 0;  // none when it went since
        }
    }
    return witness_ != 0;
}

void X11ManagerWatch::heard(const X11Event& e) {
    if (e.kind == X11Event::Kind::property && pingWindow_ && e.window == pingWindow_ &&
        e.atom == x_.atom("_NET_FRAME_EXTENTS")) {
        // The manager's answer to a round trip, maybe one given up on: it does answer after all.
        ++pingAnswersHeard_;
        if (pingAnswers_ == PingAnswers::unanswered) pingAnswers_ = PingAnswers::answered;
    }
    if (e.kind == X11Event::Kind::configure && echoWindow_ && e.window == echoWindow_ && !e.synthetic)
        heardEcho(static_cast<int>(e.rect.width()));
    // Told on the window itself (its structure is heard) and on the root (it is a child of it).
    if (e.kind == X11Event::Kind::destroy && witness_ != 0 && e.window == witness_) {
        witness_ = 0;
        witnessInterest_ = Subscription();
        ++leavings_;
    } else if (e.kind == X11Event::Kind::property && e.window == x_.root() &&
               e.atom == x_.atom("_NET_SUPPORTING_WM_CHECK")) {
        // A successor announcing itself, or the one that runs taking its word back on the way
        // out: asked again at the next wait. Its window stays watched meanwhile.
        known_ = false;
    }
}

bool X11ManagerWatch::waitFor(const std::function<bool()>& condition, double timeoutSeconds) {
    if (!runs()) return condition();
    const uint64_t leavings = leavings_;
    bool met = false;
    x_.waitFor([&] { return (met = condition()) || leavings_ != leavings || givingWay(); }, timeoutSeconds);
    return met;
}

std::optional<std::string> X11ManagerWatch::name() {
    auto manager = current();
    if (!manager) return std::nullopt;
    return std::move(manager->name);
}

uint64_t X11ManagerWatch::askEcho() {
    if (x_.broken()) return ++echoesAsked_;  // never heard: its waits run out
    Display* display = x_.display();
    if (!echoWindow_) {
        XSetWindowAttributes attributes{};
        attributes.event_mask = StructureNotifyMask;
        echoWindow_ = XCreateWindow(display, x_.root(), -10, -10, 1, 1, 0, 0, InputOnly, CopyFromParent, CWEventMask,
                                    &attributes);
    }
    // A width it has not had lately (the server tells of a change only).
    const uint64_t echo = ++echoesAsked_;
    XWindowChanges changes{};
    changes.width = echoWidth(echo);
    changes.height = 1;
    XConfigureWindow(display, echoWindow_, CWWidth | CWHeight, &changes);
    XFlush(display);
    return echo;
}

// The newest echo asked with that width: answers come in the order asked.
void X11ManagerWatch::heardEcho(int width) {
    const uint64_t behind = static_cast<uint64_t>((echoWidth(echoesAsked_) - width + 1000) % 1000);
    if (width < 1 || width > 1000 || behind >= echoesAsked_) return;
    echoesHeard_ = std::max(echoesHeard_, echoesAsked_ - behind);
}

bool X11ManagerWatch::rootRedirected() {
    if (x_.broken()) return false;
    XWindowAttributes attributes{};
    const auto waited = x_.trip(replies::kAttributes);
    if (!XGetWindowAttributes(x_.display(), x_.root(), &attributes)) return false;
    return (attributes.all_event_masks & SubstructureRedirectMask) != 0;
}

ManagerSilence::Facts X11ManagerWatch::facts(bool withRedirect) {
    return {echoesHeard_, leavings_, withRedirect && rootRedirected()};
}

bool X11ManagerWatch::echo(double timeoutSeconds) {
    const uint64_t asked = askEcho();
    return waitFor([&] { return echoed(asked); }, timeoutSeconds);
}

}  // namespace tessane::linux_backend
