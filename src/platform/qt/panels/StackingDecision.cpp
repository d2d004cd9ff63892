#include "platform/qt/panels/StackingDecision.h"

#include <algorithm>
#include <map>

namespace tessane::qt_backend {

namespace {

// What is known of a window of another program.
struct Seen {
    bool viewable = false;
    bool managed = false;  // a frame of a client, or a window not bypassing the window manager
    PixelRect rect;
};

// The snapshot, indexed.
struct Scene {
    const StackingSnapshot& in;
    const std::vector<StackedChild>& children = in.childrenBottomToTop;
    std::map<StackedWindow, long> position;
    std::set<StackedWindow> chromeIds, topIds, cards;
    std::map<StackedWindow, Seen> seen;
    long reference = -1;  // the index of the window the chrome lies on

    explicit Scene(const StackingSnapshot& snapshot) : in(snapshot) {
        for (size_t i = 0; i < children.size(); ++i) position[children[i].id] = static_cast<long>(i);
        for (const auto& p : in.chromeTopFirst) chromeIds.insert(p.id);
        cards.insert(in.cardsTopFirst.begin(), in.cardsTopFirst.end());
        topIds = cards;
        topIds.insert(in.topTopFirst.begin(), in.topTopFirst.end());
        for (const auto& child : children)
            if (!isOurs(child) && child.state) {
                const bool frame = in.clientFrames.count(child.id) != 0;
                seen[child.id] = {child.state->viewable && !child.state->inputOnly, frame || !child.state->overrideRedirect,
                                  child.state->rect};
            }
    }
    long at(StackedWindow w) const {
        const auto it = position.find(w);
        return it == position.end() ? -1L : it->second;
    }
    StackedWindow idAt(long i) const { return children[static_cast<size_t>(i)].id; }
    long size() const { return static_cast<long>(children.size()); }
    // Ours: in the request, or made here and not shown (unmapped panels kept for reuse, input
    // windows, the toolkit's own helpers), which is no reference for the chrome and never in the
    // way of the cards.
    bool isOurs(const StackedChild& c) const {
        return c.ours || chromeIds.count(c.id) || topIds.count(c.id) || in.ownFrames.count(c.id) || in.mats.count(c.id);
    }
    // Nothing of another program shown there.
    bool clear(long i) const {
        const StackedWindow w = idAt(i);
        if (topIds.count(w) || chromeIds.count(w) || children[static_cast<size_t>(i)].ours) return true;
        const auto s = seen.find(w);
        return s != seen.end() && !s->second.viewable;
    }
    // A popup of another program (a menu, a tooltip), which comes and goes over everything.
    bool popup(StackedWindow w) const {
        const auto s = seen.find(w);
        return s != seen.end() && !s->second.managed;
    }
};

bool overlapsChrome(const Scene& scene, const PixelRect& r) {
    return std::any_of(scene.in.chromeTopFirst.begin(), scene.in.chromeTopFirst.end(),
                       [&](const StackingSnapshot::Panel& p) { return p.rect.intersects(r); });
}

// From the top down: the topmost shown window of another program overlapping the chrome, or our
// mat. An input-only window a manager lays over that frame, enclosing it (KWin's, to resize a
// window by a border it does not draw), belongs to it: the chrome lies above it too, or the part
// of the rail it covers sends a click to the frame's edge instead of the rail.
long findReference(const Scene& scene) {
    long reference = -1;
    for (long i = scene.size() - 1; i >= 0 && reference < 0; --i) {
        const StackedChild& child = scene.children[static_cast<size_t>(i)];
        if (scene.in.mats.count(child.id)) reference = i;
        if (scene.isOurs(child)) continue;
        const auto s = scene.seen.find(child.id);
        if (s != scene.seen.end() && s->second.viewable && s->second.managed && overlapsChrome(scene, s->second.rect))
            reference = i;
    }
    const auto r = reference >= 0 ? scene.seen.find(scene.idAt(reference)) : scene.seen.end();
    if (r == scene.seen.end() || r->second.rect.isEmpty()) return reference;
    for (long i = reference + 1; i < scene.size(); ++i) {
        const StackedChild& child = scene.children[static_cast<size_t>(i)];
        if (scene.isOurs(child)) continue;
        if (const auto s = scene.seen.find(child.id); s != scene.seen.end() && (s->second.viewable || s->second.managed)) break;
        if (!child.state || !child.state->inputOnly || !child.state->viewable || !child.state->rect.contains(r->second.rect))
            break;
        reference = i;
    }
    return reference;
}

// What the chrome lies on: the reference, or above it the highest of the input-only windows of
// other programs clear of the chrome that follow it (a manager's screen edges, Xfwm's). A manager
// that restacks every window it manages, one request each (Xfwm), counts from the top of its own
// windows, those edges; with the chrome between them and the workspace's windows, each request
// would move a window past the chrome, and with 1,000 windows keep the server busy for seconds.
long chromeFloor(const Scene& scene) {
    long floor = scene.reference;
    for (long i = scene.reference + 1; scene.reference >= 0 && i < scene.size(); ++i) {
        const StackedChild& child = scene.children[static_cast<size_t>(i)];
        if (scene.topIds.count(child.id) || scene.in.ownFrames.count(child.id) || scene.in.mats.count(child.id)) break;
        if (scene.isOurs(child)) continue;
        if (!child.state || !child.state->inputOnly || overlapsChrome(scene, child.state->rect)) break;
        floor = i;
    }
    return floor;
}

// The chrome: in order, above the reference, with no window of ours between them, below the cards.
void chromeRestacks(const Scene& scene, std::vector<Restack>& out) {
    const auto& group = scene.in.chromeTopFirst;
    if (group.empty()) return;
    bool inPlace = true;
    for (size_t i = 0; i + 1 < group.size() && inPlace; ++i) inPlace = scene.at(group[i].id) > scene.at(group[i + 1].id);
    const long bottom = scene.at(group.back().id), top = scene.at(group.front().id);
    const long floor = chromeFloor(scene);
    if (inPlace && scene.reference >= 0) inPlace = bottom > floor;
    // Under the cards, which a window made this turn (on top, as X makes them) may not be.
    for (StackedWindow w : scene.topIds)
        if (inPlace && scene.at(w) < top) inPlace = false;
    for (StackedWindow w : scene.in.ownFrames)
        if (inPlace && scene.at(w) >= 0 && scene.at(w) < top && scene.at(w) > std::max(scene.reference, -1L)) inPlace = false;
    if (inPlace) return;
    if (scene.reference >= 0) {
        out.push_back({group.back().id, scene.idAt(floor), true});
    } else {
        // Nothing of another program under it: below the lowest of our windows, if any.
        long lowest = -1;
        for (StackedWindow w : scene.in.ownFrames)
            if (scene.at(w) >= 0 && (lowest < 0 || scene.at(w) < lowest)) lowest = scene.at(w);
        if (lowest >= 0) out.push_back({group.back().id, scene.idAt(lowest), false});
    }
    for (size_t i = group.size() - 1; i > 0; --i) out.push_back({group[i - 1].id, group[i].id, true});
}

// The switcher: in order, above everything.
void switcherRestacks(const Scene& scene, std::vector<Restack>& out) {
    const auto& group = scene.in.topTopFirst;
    if (group.empty()) return;
    bool inPlace = true;
    for (size_t i = 0; i + 1 < group.size() && inPlace; ++i) inPlace = scene.at(group[i]) > scene.at(group[i + 1]);
    for (long i = scene.at(group.back()) + 1; inPlace && i < scene.size(); ++i)
        inPlace = scene.clear(i) && !scene.cards.count(scene.idAt(i)) && !scene.in.ownFrames.count(scene.idAt(i));
    if (inPlace) return;
    out.push_back({group.front(), 0, true});
    for (size_t i = 1; i < group.size(); ++i) out.push_back({group[i], group[i - 1], false});
}

// The cards: each right under what it stays under (the card ordered front after it, our window at
// their level, our lowest window over the cards, the switcher or nothing), with nothing of another
// program between. Our windows count only where no window of another program covers them (a
// fullscreen one, say): the cards lie above those too.
void cardRestacks(const Scene& scene, std::vector<Restack>& out) {
    const auto& group = scene.in.cardsTopFirst;
    if (group.empty()) return;
    long ceiling = -1, peerAt = -1;
    for (long i = scene.size() - 1; i >= 0; --i) {
        const StackedWindow w = scene.idAt(i);
        if (scene.in.aboveCards.count(w)) ceiling = i;
        if (scene.in.cardPeer && w == scene.in.cardPeer) peerAt = i;
        if (scene.in.ownFrames.count(w) || scene.in.mats.count(w) || scene.clear(i) || scene.popup(w)) continue;
        break;
    }
    const bool withPeer =
        peerAt >= 0 && scene.in.cardsAbovePeer < group.size() && (ceiling < 0 || peerAt < ceiling);
    // What each card lies right under; 0 for the top of the stack.
    std::vector<StackedWindow> upper(group.size());
    for (size_t i = 0; i < group.size(); ++i) {
        if (withPeer && i == scene.in.cardsAbovePeer) upper[i] = scene.in.cardPeer;
        else if (i > 0) upper[i] = group[i - 1];
        else if (ceiling >= 0) upper[i] = scene.idAt(ceiling);
        else if (!scene.in.topTopFirst.empty()) upper[i] = scene.in.topTopFirst.back();
    }
    bool inPlace = true;
    for (size_t i = 0; i < group.size() && inPlace; ++i) {
        const long from = scene.at(group[i]);
        const long to = upper[i] ? scene.at(upper[i]) : scene.size();
        inPlace = from >= 0 && to > from;
        for (long j = from + 1; inPlace && j < to; ++j) inPlace = scene.clear(j) && !scene.in.ownFrames.count(scene.idAt(j));
    }
    if (inPlace) return;
    for (size_t i = 0; i < group.size(); ++i) out.push_back({group[i], upper[i], upper[i] == 0});
}

}  // namespace

std::vector<Restack> decideStacking(const StackingSnapshot& snapshot) {
    std::vector<Restack> out;
    if (snapshot.chromeTopFirst.empty() && snapshot.cardsTopFirst.empty() && snapshot.topTopFirst.empty()) return out;
    Scene scene(snapshot);
    scene.reference = findReference(scene);
    chromeRestacks(scene, out);
    switcherRestacks(scene, out);
    cardRestacks(scene, out);
    return out;
}

std::vector<Restack> decideChromeOrder(const std::vector<StackedWindow>& children,
                                       const std::vector<StackedWindow>& group) {
    if (group.size() < 2) return {};
    std::map<StackedWindow, long> position;
    for (size_t i = 0; i < children.size(); ++i) position[children[i]] = static_cast<long>(i);
    if (std::any_of(group.begin(), group.end(), [&](StackedWindow w) { return !position.count(w); })) return {};
    bool inPlace = true;
    for (size_t i = 0; i + 1 < group.size() && inPlace; ++i) inPlace = position[group[i]] > position[group[i + 1]];
    if (inPlace) return {};
    std::vector<Restack> out;
    for (size_t i = group.size() - 1; i > 0; --i) out.push_back({group[i - 1], group[i], true});
    return out;
}

}  // namespace tessane::qt_backend
