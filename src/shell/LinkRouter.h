#pragma once

#include "shell/TessaneURL.h"

#include <string>
#include <vector>

namespace tessane {

class LinkCommandTarget;

// The road of a link once the system runs: parse, log, perform; one link after the other, a
// failed one never stopping the rest. Every failure is a log line and nothing more.
namespace LinkRouter {

void route(const std::vector<std::string>& urls, LinkCommandTarget& target);
void perform(const TessaneURL::Command& command, LinkCommandTarget& target);

}  // namespace LinkRouter

// The links that arrive before the controller exists wait here, in arrival order, and run once
// at the end of start-up. From then on they are routed as they come.
class LinkInbox final {
public:
    // Routes at once when a target is set, else queues and logs the queued links.
    void receive(const std::vector<std::string>& urls);
    // Makes `target` the receiver of links from now on (start-up, once the controller exists).
    void setTarget(LinkCommandTarget* target) { target_ = target; }
    // The end of start-up: runs the queued links, in order, when there are any and a target is
    // set; the queue is emptied first.
    void flush();

    const std::vector<std::string>& pending() const { return pending_; }

private:
    LinkCommandTarget* target_ = nullptr;
    std::vector<std::string> pending_;
};

}  // namespace tessane
