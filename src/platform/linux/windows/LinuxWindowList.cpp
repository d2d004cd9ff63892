#include "platform/linux/windows/LinuxWindowList.h"

#include "platform/linux/windows/LinuxAccessibility.h"
#include "platform/linux/x11/X11DesktopModel.h"

#include <algorithm>
#include <fstream>
#include <unordered_map>

namespace tessane::linux_backend {

namespace {

std::optional<std::string> processName(Pid pid) {
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    if (std::getline(comm, name) && !name.empty()) return name;
    return std::nullopt;
}

bool contains(const std::optional<std::vector<XAtomId>>& atoms, XAtomId a) {
    return atoms && std::find(atoms->begin(), atoms->end(), a) != atoms->end();
}

}  // namespace

std::optional<std::vector<WindowListEntry>> LinuxWindowList::windows(Option option) const {
    const auto stacking = ax_.stackingBottomToTop();
    if (!stacking) return std::nullopt;
    // Any client may fill the stacking list with made-up ids. The listed clients' window types
    // are the read model's (a list taken at every step of the chrome's guard reads nothing of a
    // thousand windows again); any other id is asked for in one batch, so an id that names no
    // window costs nothing more, and only the real windows are read further.
    const auto typeAnswers = x_.desktop().propertyAnswers(*stacking, x_.atom("_NET_WM_WINDOW_TYPE"));
    const XAtomId desktopType = x_.atom("_NET_WM_WINDOW_TYPE_DESKTOP");
    const XAtomId dockType = x_.atom("_NET_WM_WINDOW_TYPE_DOCK");
    std::vector<XWindowId> real;
    for (size_t i = 0; i < stacking->size(); ++i)
        if (typeAnswers[i].windowExists) real.push_back((*stacking)[i]);
    x_.desktop().prefetchGeometry(real);
    std::vector<WindowListEntry> out;
    std::unordered_map<Pid, std::optional<std::string>> names;  // a process's windows name it once
    for (size_t i = stacking->size(); i-- > 0;) {
        if (!typeAnswers[i].windowExists) continue;
        const XWindowId window = (*stacking)[i];
        std::optional<std::vector<XAtomId>> types;
        if (const auto& value = typeAnswers[i].value; value && value->format == 32)
            types.emplace(value->items.begin(), value->items.end());
        if (contains(types, desktopType)) continue;
        auto geometry = x_.geometry(window);
        if (!geometry) continue;  // gone while we read
        const auto minimized = ax_.isMinimized(window);
        WindowListEntry e;
        e.number = static_cast<uint32_t>(window);
        e.isOnScreen = geometry->viewable && !minimized.value_or(false);
        if (option == Option::onScreenOnly && !e.isOnScreen) continue;
        e.ownerPid = ax_.windowPid(window);
        if (e.ownerPid) {
            const auto [name, fresh] = names.try_emplace(*e.ownerPid);
            if (fresh) name->second = processName(*e.ownerPid);
            e.ownerName = name->second;
        }
        const auto states = x_.atomList(window, "_NET_WM_STATE");
        if (contains(types, dockType)) e.layer = kDockLayer;
        else if (contains(states, x_.atom("_NET_WM_STATE_ABOVE"))) e.layer = kAboveLayer;
        else if (contains(states, x_.atom("_NET_WM_STATE_BELOW"))) e.layer = kBelowLayer;
        auto bounds = ax_.visibleFrame(window);
        if (!bounds) continue;
        e.bounds = ax_.axPoints(*bounds);
        out.push_back(std::move(e));
    }
    return out;
}

bool LinuxWindowList::serverReachable() const { return !x_.probeBroken(); }

}  // namespace tessane::linux_backend
