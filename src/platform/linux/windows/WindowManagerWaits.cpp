#include "platform/linux/windows/WindowManagerWaits.h"

#include "platform/linux/x11/X11ManagerWatch.h"

namespace tessane::linux_backend::waits {

std::string printableManagerName(X11Connection& x) {
    // The name is any client's to set: a short, printable part of it is shown.
    std::string name = x.manager().name().value_or("").substr(0, 64);
    for (char& c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    return name;
}

namespace {

// The wait that began with `echo` asked ran out: the manager is judged not answering unless it
// passed that echo on meanwhile.
void judgeSilence(X11Connection& x, uint64_t echo) {
    x.processEvents();
    X11ManagerWatch& manager = x.manager();
    const auto facts = manager.facts(true);
    const std::string name = printableManagerName(x);
    if (manager.silence().ranOut(echo, manager.askEcho(), facts))
        WaitBounds::tell("[Tessane][wait] The window manager" + (name.empty() ? "" : " (" + name + ")") +
                         " is not answering: nothing waits for it until it answers again, and no application is "
                         "blamed for what it leaves undone.");
}

}  // namespace

bool managerNotAnswering(X11Connection& x) {
    auto& silence = x.manager().silence();
    if (!silence.silent()) return false;
    if (silence.stillSilent(x.manager().facts(silence.needsRedirectFact()))) return true;
    WaitBounds::tell("[Tessane][wait] The window manager answers again.");
    return false;
}

bool onManager(X11Connection& x, const WaitBound& bound, const std::function<bool(double)>& wait, double limit) {
    X11ManagerWatch& manager = x.manager();
    const uint64_t leavings = manager.leavings();
    const auto cutShort = [&] { return manager.leavings() != leavings || !manager.runs() || manager.givingWay(); };
    if (managerNotAnswering(x)) return WaitBounds::wait(bound, wait, 0, [] { return true; });
    // An echo open already is answered after everything sent before it, as a new one would be.
    const double span = limit >= 0 ? limit : bound.seconds;
    uint64_t echo = 0;
    if (span >= kSilenceEvidenceSeconds && manager.runs())
        echo = manager.echoed(manager.lastEchoAsked()) ? manager.askEcho() : manager.lastEchoAsked();
    const bool done = WaitBounds::wait(bound, wait, limit, cutShort);
    if (!done && echo != 0 && !cutShort()) judgeSilence(x, echo);
    return done;
}

bool until(X11Connection& x, const WaitBound& bound, const std::function<bool()>& condition, double limit) {
    return onManager(x, bound, [&](double seconds) { return x.manager().waitFor(condition, seconds); }, limit);
}

bool answer(X11Connection& x, double timeout) { return answerWithin(x, boundFor(kAnswer, timeout)); }

bool answerWithin(X11Connection& x, double seconds) {
    return onManager(x, kAnswer, [&](double s) { return x.manager().roundTrip(s); }, seconds);
}

bool echo(X11Connection& x, const WaitBound& bound, double limit) {
    return onManager(x, bound, [&](double seconds) { return x.manager().echo(seconds); }, limit);
}

}  // namespace tessane::linux_backend::waits
