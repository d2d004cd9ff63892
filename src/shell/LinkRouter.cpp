#include "shell/LinkRouter.h"

#include "model/Log.h"
#include "shell/LinkCommandTarget.h"

#include <utility>

namespace tessane {

namespace {

using Command = TessaneURL::Command;

std::string joined(const std::vector<std::string>& urls) {
    std::string out;
    for (size_t i = 0; i < urls.size(); ++i) out += (i ? ", " : "") + TessaneURL::logSafe(urls[i]);
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
        Log::line("[Tessane][URL] " + TessaneURL::logSafe(url) + " \u2192 " + command->description());
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
    if (target_) return LinkRouter::route(urls, *target_);
    pending_.insert(pending_.end(), urls.begin(), urls.end());
    Log::line("[Tessane][URL] Arrived before launch finished \u2014 queued " + std::to_string(urls.size()) + ": " +
              joined(urls));
}

void LinkInbox::flush() {
    if (pending_.empty() || !target_) return;
    const auto urls = std::exchange(pending_, {});
    Log::line("[Tessane][URL] Launch finished \u2014 running " + std::to_string(urls.size()) + " queued command(s).");
    LinkRouter::route(urls, *target_);
}

}  // namespace tessane
