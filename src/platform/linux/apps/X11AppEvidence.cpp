#include "platform/linux/apps/X11AppEvidence.h"

namespace tessane::linux_backend {

namespace {

// Longer ids than this are not ids (in 32-bit units, as X counts them).
constexpr long kMaxTextItems = 256;

std::optional<std::string> text(const X11PropertyAnswer& answer) {
    if (!answer.value || answer.value->format != 8 || answer.value->bytes.empty()) return std::nullopt;
    std::string s(answer.value->bytes.begin(), answer.value->bytes.end());
    while (!s.empty() && s.back() == '\0') s.pop_back();
    if (s.empty()) return std::nullopt;
    return s;
}

}  // namespace

std::vector<WindowAppEvidence> WindowAppEvidence::read(X11Connection& x, std::span<const XWindowId> windows) {
    std::vector<WindowAppEvidence> out(windows.size());
    if (windows.empty()) return out;
    const auto gtk = x.properties(windows, x.atom("_GTK_APPLICATION_ID"), kMaxTextItems);
    const auto kde = x.properties(windows, x.atom("_KDE_NET_WM_DESKTOP_FILE"), kMaxTextItems);
    const auto startup = x.properties(windows, x.atom("_NET_STARTUP_ID"), kMaxTextItems);
    const auto klass = x.properties(windows, x.atom("WM_CLASS"), kMaxTextItems);
    // GTK puts the startup id on the client leader, the window that stands for the whole client.
    const auto leader = x.properties(windows, x.atom("WM_CLIENT_LEADER"), 1);
    std::vector<XWindowId> leaders;
    std::vector<size_t> ledBy;
    for (size_t i = 0; i < windows.size(); ++i) {
        const auto& v = leader[i].value;
        if (startup[i].value || !v || v->format != 32 || v->items.empty() || v->items[0] == 0) continue;
        leaders.push_back(static_cast<XWindowId>(static_cast<uint32_t>(v->items[0])));
        ledBy.push_back(i);
    }
    const auto leaderStartup = x.properties(leaders, x.atom("_NET_STARTUP_ID"), kMaxTextItems);
    for (size_t k = 0; k < ledBy.size(); ++k) out[ledBy[k]].startupId = text(leaderStartup[k]);
    for (size_t i = 0; i < windows.size(); ++i) {
        out[i].gtkApplicationId = text(gtk[i]);
        out[i].kdeDesktopFile = text(kde[i]);
        if (!out[i].startupId) out[i].startupId = text(startup[i]);
        // "instance\0class\0"
        if (auto both = text(klass[i])) {
            const size_t nul = both->find('\0');
            out[i].wmClass = nul == std::string::npos
                                 ? std::pair(*both, std::string())
                                 : std::pair(both->substr(0, nul), both->substr(nul + 1));
            if (auto& c = out[i].wmClass->second; c.find('\0') != std::string::npos) c.erase(c.find('\0'));
        }
    }
    return out;
}

}  // namespace tessane::linux_backend
