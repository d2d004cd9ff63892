#include "platform/sim/SimWindowList.h"

#include "platform/sim/SimWindowServer.h"

namespace tessane::sim {

void SimWindowList::addForeignWindow(WindowListEntry entry, bool inFront) {
    (inFront ? front_ : back_).push_back(std::move(entry));
}

std::optional<std::vector<WindowListEntry>> SimWindowList::windows(Option option) const {
    if (option == Option::onScreenOnly) ++onScreenReads_;
    if (!readable_) return std::nullopt;
    std::vector<WindowListEntry> out;
    auto add = [&](const WindowListEntry& e) {
        if (option == Option::allWindows || e.isOnScreen) out.push_back(e);
    };
    for (const auto& e : front_) add(e);
    for (SimWindow* w : server_.windowsFrontToBack()) {
        WindowListEntry e;
        e.number = w->number();
        e.ownerPid = w->pid();
        e.ownerName = w->app().name();
        auto layer = layers_.find(w->number());
        e.layer = layer == layers_.end() ? 0 : layer->second;
        e.bounds = w->frame();
        e.isOnScreen = !w->isMinimized();
        add(e);
    }
    for (const auto& e : back_) add(e);
    return out;
}

}  // namespace tessane::sim
