#include "controller/RaiseSequence.h"

#include "controller/WorkspaceControllerState.h"

#include <limits>
#include <utility>

namespace tessane {

namespace {
constexpr double kSequenceSettle = 0.3;  // from the end of the sequence to clearing isResurfacing
// How long a show's own activation counts as on its way: a window manager under load may report
// it only after the user's next request (another show a moment later). A show or hide after
// this has nothing of it to discount.
constexpr double kShowActivationAnswer = 1;
// How long, from the end of the hide's turn, the focus the window manager gives back after a
// hide is awaited: it may be heard only after the user's next request (a show) is done.
constexpr double kHandBackAnswer = 1;
constexpr TimeInterval kUntilDone = std::numeric_limits<TimeInterval>::infinity();
using workspace_controller::kDistantPast;
}  // namespace

RaiseSequence::RaiseSequence(MainQueue& queue, std::string ownBundleIdentifier)
    : queue(queue),
      ownBundleIdentifier(std::move(ownBundleIdentifier)),
      supersededUntil(kDistantPast),
      handBackUntil(kDistantPast) {}

uint64_t RaiseSequence::start(const Uuid& workspaceID) {
    // The newer sequence is the one the user asked for last: the older one's later steps stand down.
    running = true;
    workspaceID_ = workspaceID;
    activated.clear();
    return ++generation_;
}

bool RaiseSequence::finish(uint64_t generation) {
    if (generation != generation_) return false;
    running = false;
    activated.clear();  // heard by now: a later show has nothing of it to discount
    return true;
}

bool RaiseSequence::supersede() {
    const bool wasRunning = running;
    if (running) {
        ++generation_;
        running = false;
    }
    if (activated.empty()) return wasRunning;
    // The window manager reports an activation a moment after it was asked for, and it is heard
    // only once the work under way (the show) is done: those the sequence or show asked for still
    // count as its own for as long as the sequence's own settle, from then.
    superseded = std::exchange(activated, {});
    supersededUntil = kUntilDone;
    queue.post(lifetime.guard([this] {
        if (supersededUntil == kUntilDone) supersededUntil = queue.now() + kSequenceSettle;
    }));
    return wasRunning;
}

bool RaiseSequence::isSupersededActivation(Pid pid) const {
    return superseded.count(pid) && queue.now() < supersededUntil;
}

void RaiseSequence::noteShowActivation(Pid pid, const Uuid& workspaceID) {
    // The show superseded any sequence as it began; its activation stands in the sequence's place
    // until it has had time to be reported.
    const uint64_t generation = ++generation_;
    workspaceID_ = workspaceID;
    activated = {pid};
    // An application an earlier request activated too is this show's now: its report can't be
    // told from the earlier one's, and this show is the one the user asked for last.
    superseded.erase(pid);
    queue.postAfter(kShowActivationAnswer, lifetime.guard([this, generation] {
        if (generation == generation_) activated.clear();
    }));
}

void RaiseSequence::noteHideHandsFocusBack(const std::set<Pid>& hiddenPids) {
    // Hides in a row (hide all) each take the focus from what the one before handed it to.
    if (handBackUntil <= queue.now()) handBackFrom.clear();
    handBackFrom.insert(hiddenPids.begin(), hiddenPids.end());
    handBackUntil = kUntilDone;
    queue.post(lifetime.guard([this] {
        if (handBackUntil == kUntilDone) handBackUntil = queue.now() + kHandBackAnswer;
    }));
}

bool RaiseSequence::isFocusHandedBack(const RunningApplication& app) {
    if (queue.now() >= handBackUntil) return false;
    // The hidden applications never get the focus back from the manager (a show may bring one
    // forward), a show's own activation is the show's, and our own menus and windows move nothing.
    if (handBackFrom.count(app.pid) || activated.count(app.pid) || app.bundleIdentifier == ownBundleIdentifier)
        return false;
    handBackUntil = kDistantPast;  // one hand-back per hide
    return true;
}

}  // namespace tessane
