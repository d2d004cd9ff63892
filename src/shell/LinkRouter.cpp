#include "shell/LinkRouter.h"

#include "model/Log.h"
#include "shell/LinkCommandTarget.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace tessane {

namespace {

using Command = TessaneURL::Command;

template <typename It>
std::string joined(It first, It last) {
    std::string out;
    for (auto it = first; it != last; ++it) out += (it == first ? "" : ", ") + TessaneURL::logSafe(*it);
    return out;
}

// The workspace a target names, or the no-match line.
std::optional<Uuid> match(const std::string& target, LinkCommandTarget& on) {
    auto id = TessaneURL::resolve(target, on.workspaces());
    if (!id)
        Log::throttledLine("link no match",
                           "[Tessane][URL] No workspace matches \u201C" + TessaneURL::logSafe(target) + "\u201D \u2014 ignored.");
    return id;
}

}  // namespace

void LinkRouter::route(const std::vector<std::string>& urls, LinkCommandTarget& target) {
    for (const auto& url : urls) {
        const auto command = TessaneURL::parse(url);
        if (!command) {
            Log::throttledLine("link ignored",
                               "[Tessane][URL] Ignored \u2014 not a command Tessane understands: " + TessaneURL::logSafe(url));
            continue;
        }
        Log::throttledLine("link", "[Tessane][URL] " + TessaneURL::logSafe(url) + " \u2192 " + command->description());
        perform(*command, target);
    }
}

void LinkRouter::perform(const Command& command, LinkCommandTarget& on) {
    switch (command.kind) {
    case Command::Kind::show:
        if (auto id = match(command.target.value_or(""), on)) on.showWorkspace(*id);
        return;
    case Command::Kind::hide:
        if (!command.target) return on.hideActiveWorkspace();
        if (auto id = match(*command.target, on)) on.hideWorkspace(*id);
        return;
    case Command::Kind::toggle:
        if (auto id = match(command.target.value_or(""), on)) {
            if (on.isShown(*id)) on.hideWorkspace(*id);
            else on.showWorkspace(*id);
        }
        return;
    case Command::Kind::bringHere:
        if (!command.target) return on.bringActiveWorkspaceToCurrentDisplay();
        if (auto id = match(*command.target, on)) on.summonWorkspace(*id);
        return;
    case Command::Kind::focus:
        on.focusAdjacentPane(command.offset);
        return;
    case Command::Kind::solo:
        if (on.isSoloed()) on.restoreFromSolo();
        else on.soloFocusedPane();
        return;
    }
}

void LinkInbox::receive(const std::vector<std::string>& urls) {
    if (urls.empty()) return;
    const size_t taken = std::min(urls.size(), kCapacity - std::min(kCapacity, waiting()));
    if (taken < urls.size())
        Log::throttledLine("links dropped", "[Tessane][URL] Dropped " + std::to_string(urls.size() - taken) +
                                                " link(s) \u2014 " + std::to_string(waiting()) + " wait to run already.");
    if (taken == 0) return;
    const auto first = urls.begin(), last = urls.begin() + static_cast<std::ptrdiff_t>(taken);
    if (!target_) {
        pending_.insert(pending_.end(), first, last);
        Log::throttledLine("link queued", "[Tessane][URL] Arrived before launch finished \u2014 queued " +
                                              std::to_string(taken) + ": " + joined(first, last));
        return;
    }
    ready_.insert(ready_.end(), first, last);
    scheduleTurn();
}

bool LinkInbox::offer(const std::vector<std::string>& urls) {
    if (urls.size() > kCapacity - std::min(kCapacity, waiting())) {
        Log::throttledLine("links refused", "[Tessane][URL] Refused " + std::to_string(urls.size()) +
                                                " link(s) from another start \u2014 " + std::to_string(waiting()) +
                                                " wait to run already.");
        return false;
    }
    receive(urls);
    return true;
}

void LinkInbox::flush() {
    if (pending_.empty() || !target_) return;
    Log::line("[Tessane][URL] Launch finished \u2014 running " + std::to_string(pending_.size()) + " queued command(s).");
    ready_.insert(ready_.end(), std::make_move_iterator(pending_.begin()), std::make_move_iterator(pending_.end()));
    pending_.clear();
    scheduleTurn();
}

// A link that opens a nested loop (an alert) lets no other link run inside it: the next one is
// asked for once it returns.
void LinkInbox::scheduleTurn() {
    if (turnPosted_ || running_ || ready_.empty()) return;
    turnPosted_ = true;
    queue_.post(lifetime_.guard([this] {
        turnPosted_ = false;
        runOne();
    }));
}

void LinkInbox::runOne() {
    if (running_ || !target_ || ready_.empty()) return;
    const std::string url = std::move(ready_.front());
    ready_.pop_front();
    const auto alive = lifetime_.liveness();
    running_ = true;
    LinkRouter::route({url}, *target_);
    if (!alive) return;
    running_ = false;
    scheduleTurn();
}

}  // namespace tessane
