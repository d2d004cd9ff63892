#pragma once

#include "base/Lifetime.h"
#include "base/Uuid.h"
#include "platform/MainQueue.h"
#include "platform/RunningApplications.h"

#include <cstdint>
#include <optional>
#include <set>
#include <string>

namespace tessane {

// Which activations are Tessane's own doing rather than the user's: those of the raise sequence
// under way (one at a time: a newer sequence, show or hide supersedes it), those a superseded
// sequence or show asked for that may still be on their way, a show's own activation for a moment
// after the show, and the focus the window manager hands to a window of its choosing after a hide
// of the workspace that held it.
class RaiseSequence final {
public:
    RaiseSequence(MainQueue& queue, std::string ownBundleIdentifier);
    RaiseSequence(const RaiseSequence&) = delete;
    RaiseSequence& operator=(const RaiseSequence&) = delete;

    // Starts a sequence over the workspace's applications, superseding any under way; its steps
    // carry the generation it answers.
    uint64_t start(const Uuid& workspaceID);
    // Whether the sequence of `generation` is still the latest.
    bool isCurrent(uint64_t generation) const { return generation == generation_; }
    // The sequence under way asked `pid` to activate.
    void noteActivated(Pid pid) { activated.insert(pid); }
    // The sequence of `generation` is over and its activations heard; false when it was superseded.
    bool finish(uint64_t generation);
    // Ends what is left of the sequence under way and counts what it activated as superseded;
    // true when a sequence was running.
    bool supersede();

    bool isRunning() const { return running; }
    const std::optional<Uuid>& workspaceID() const { return workspaceID_; }
    // Whether `pid` is one this sequence (or the show in its place) activated.
    bool hasActivated(Pid pid) const { return activated.count(pid) > 0; }
    // Whether an activation of `pid` is a superseded sequence's, heard late.
    bool isSupersededActivation(Pid pid) const;

    // Records the activation a show asked for, so that a later show or a hide of the workspace
    // does not take its late report for the user's.
    void noteShowActivation(Pid pid, const Uuid& workspaceID);
    // Records that a hide took the focus away with `hiddenPids`.
    void noteHideHandsFocusBack(const std::set<Pid>& hiddenPids);
    // Whether the activation of `app` is the focus given back after a hide; consumes it if so.
    bool isFocusHandedBack(const RunningApplication& app);

private:
    MainQueue& queue;
    std::string ownBundleIdentifier;
    uint64_t generation_ = 0;
    bool running = false;
    std::optional<Uuid> workspaceID_;
    std::set<Pid> activated;
    std::set<Pid> superseded;
    TimeInterval supersededUntil;
    std::set<Pid> handBackFrom;
    TimeInterval handBackUntil;
    LifetimeToken lifetime;  // last: gone first
};

}  // namespace tessane
