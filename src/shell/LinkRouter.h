#pragma once

#include "base/Lifetime.h"
#include "platform/MainQueue.h"
#include "shell/TessaneURL.h"

#include <deque>
#include <string>
#include <vector>

namespace tessane {

class LinkCommandTarget;

// The road of a link once the system runs: parse, log, perform; one link after the other, a
// failed one never stopping the rest. Every failure is a log line and nothing more. Other
// programs can send links at any rate: every line a link gives is throttled.
namespace LinkRouter {

void route(const std::vector<std::string>& urls, LinkCommandTarget& target);
void perform(const TessaneURL::Command& command, LinkCommandTarget& target);

}  // namespace LinkRouter

// The links that arrive before the controller exists wait here, in arrival order, and run once
// at the end of start-up. From then on they are routed as they come, one link a turn of the main
// queue: another program may send links faster than they can be carried out, and a hot key
// pressed meanwhile waits for one link's work at most. At most kCapacity links wait; those that
// find no room are dropped, and a line says so.
class LinkInbox final {
public:
    static constexpr size_t kCapacity = 256;

    explicit LinkInbox(MainQueue& queue) : queue_(queue) {}
    LinkInbox(const LinkInbox&) = delete;
    LinkInbox& operator=(const LinkInbox&) = delete;

    // Queues the links to run, one a turn, when a target is set; else keeps them for start-up's
    // end and logs them.
    void receive(const std::vector<std::string>& urls);
    // The same for links another start hands over, whole or not at all: false, with a line, when
    // they don't all find room, so that its sender is told nothing was taken.
    bool offer(const std::vector<std::string>& urls);
    // Makes `target` the receiver of links from now on (start-up, once the controller exists).
    void setTarget(LinkCommandTarget* target) { target_ = target; }
    // The end of start-up: the links kept so far run, in order, after those received since the
    // target was set, when there are any and a target is set.
    void flush();

    // Kept for start-up's end.
    const std::vector<std::string>& pending() const { return pending_; }
    // Received, not yet run (start-up's kept ones included).
    size_t waiting() const { return pending_.size() + ready_.size(); }

private:
    void scheduleTurn();
    void runOne();

    MainQueue& queue_;
    LinkCommandTarget* target_ = nullptr;
    std::vector<std::string> pending_;
    std::deque<std::string> ready_;
    bool turnPosted_ = false;
    bool running_ = false;
    LifetimeToken lifetime_;
};

}  // namespace tessane
