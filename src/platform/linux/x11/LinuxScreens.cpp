#include "platform/linux/x11/LinuxScreens.h"

#include "platform/linux/x11/DisplayIdentity.h"
#include "platform/linux/x11/X11DesktopModel.h"

#include <algorithm>
#include <string>
#include <utility>

namespace tessane::linux_backend {

LinuxScreens::LinuxScreens(X11Connection& x, MainQueue& queue, LogSink log)
    : x_(x), queue_(queue), log_(std::move(log)) {
    x_.selectScreenChanges();
    x_.selectInput(x_.root(), X11EventMask::properties);
    const XAtomId workArea = x_.atom("_NET_WORKAREA");
    const XAtomId currentDesktop = x_.atom("_NET_CURRENT_DESKTOP");
    const XAtomId clientList = x_.atom("_NET_CLIENT_LIST");
    events_ = x_.onEvent([this, workArea, currentDesktop, clientList](const X11Event& event) {
        if (event.kind == X11Event::Kind::screensChanged) {
            post(Notification::screenParametersChanged);
        } else if (event.kind == X11Event::Kind::property && event.window == x_.root()) {
            if (event.atom == workArea) post(Notification::screenParametersChanged);
            else if (event.atom == currentDesktop) post(Notification::activeSpaceDidChange);
            else if (event.atom == clientList) clientListStale();
        } else if (event.kind == X11Event::Kind::resync) {
            clientListStale();
        }
    });
    clientListChanged();
}

void LinuxScreens::clientListStale() {
    // Read once after a storm of changes (a manager restoring many windows rewrites the list for
    // each), not once per change.
    if (!std::exchange(clientListStale_, true))
        queue_.post(lifetime_.guard([this] {
            clientListStale_ = false;
            clientListChanged();
        }));
}

void LinuxScreens::clientListChanged() {
    const auto list = x_.windowList(x_.root(), "_NET_CLIENT_LIST").value_or(std::vector<XWindowId>{});
    clients_.update(list);
    clients_.takeInSlices(queue_, [this](const std::vector<XWindowId>& fresh) { checkNewClients(fresh); });
}

void LinuxScreens::checkNewClients(const std::vector<XWindowId>& fresh) {
    x_.desktop().prefetch(fresh, x_.atom("_NET_WM_STRUT_PARTIAL"));
    x_.desktop().prefetch(fresh, x_.atom("_NET_WM_STRUT"));
}

void LinuxScreens::post(Notification notification) {
    queue_.post(lifetime_.guard([this, notification] { deliver(notification); }));
}

Subscription LinuxScreens::observe(Notification notification, std::function<void()> handler) {
    auto call = [h = std::move(handler)] { h(); };
    switch (notification) {
    case Notification::screenParametersChanged: return parametersChanged_.subscribe(std::move(call));
    case Notification::activeSpaceDidChange: return spaceChanged_.subscribe(std::move(call));
    case Notification::didWake: return didWake_.subscribe(std::move(call));
    case Notification::screensDidWake: return screensDidWake_.subscribe(std::move(call));
    case Notification::sessionDidBecomeActive: return sessionDidBecomeActive_.subscribe(std::move(call));
    }
    return {};
}

void LinuxScreens::deliver(Notification notification) {
    switch (notification) {
    case Notification::screenParametersChanged: parametersChanged_.emit(); break;
    case Notification::activeSpaceDidChange: spaceChanged_.emit(); break;
    case Notification::didWake: didWake_.emit(); break;
    case Notification::screensDidWake: screensDidWake_.emit(); break;
    case Notification::sessionDidBecomeActive: sessionDidBecomeActive_.emit(); break;
    }
}

std::vector<LinuxScreens::Display> LinuxScreens::orderedDisplays() const {
    std::vector<Display> displays;
    for (auto& m : x_.monitors()) {
        Display d{m, std::nullopt};
        if (!m.outputs.empty()) d.outputId = static_cast<uint32_t>(m.outputs.front());
        displays.push_back(std::move(d));
    }
    // The primary first; then monitors driven by outputs in ascending output id; then virtual
    // monitors (no output) by name.
    std::stable_sort(displays.begin(), displays.end(), [](const Display& a, const Display& b) {
        if (a.monitor.primary != b.monitor.primary) return a.monitor.primary;
        if (a.outputId.has_value() != b.outputId.has_value()) return a.outputId.has_value();
        if (a.outputId && b.outputId && *a.outputId != *b.outputId) return *a.outputId < *b.outputId;
        return a.monitor.name < b.monitor.name;
    });
    return displays;
}

Point LinuxScreens::primaryRootOrigin() const {
    auto displays = orderedDisplays();
    if (displays.empty()) return {};
    return displays.front().monitor.rootRect.origin;
}

ScaledDisplay LinuxScreens::scaled(const Rect& displayPixels) const {
    const double scale = scaleSource_ ? scaleSource_(displayPixels) : 1;
    return {displayPixels, scale > 0 ? scale : 1};
}

PointSpace LinuxScreens::pointSpace() const {
    if (!scaleSource_) return {};
    std::vector<ScaledDisplay> displays;
    for (const auto& m : x_.monitors()) displays.push_back(scaled(m.rootRect));
    return PointSpace(std::move(displays));
}

std::optional<std::string> LinuxScreens::identityName(const Display& display) const {
    if (display.outputId) {
        if (auto edid = x_.outputEdid(*display.outputId))
            if (auto key = DisplayIdentity::edidKey(*edid)) return key;
        if (auto name = x_.outputName(*display.outputId)) return "connector:" + *name;
    }
    // A virtual monitor (no output): its name is all there is.
    if (!display.monitor.name.empty()) return "monitor:" + display.monitor.name;
    return std::nullopt;
}

uint64_t LinuxScreens::strutsVersion() const {
    return x_.desktop().version(
        {x_.atom("_NET_WM_STRUT_PARTIAL"), x_.atom("_NET_WM_STRUT"), x_.atom("_NET_CLIENT_LIST")});
}

std::optional<std::vector<LinuxScreens::StrutPartial>> LinuxScreens::struts() const {
    const Size root = x_.rootSize();
    if (keptStruts_.version != strutsVersion() || keptStruts_.rootSize != root) {
        keptStruts_.struts = gatherStruts();
        keptStruts_.rootSize = root;
        keptStruts_.version = strutsVersion();  // after the reads, which may have been news
    }
    return keptStruts_.struts;
}

std::optional<std::vector<LinuxScreens::StrutPartial>> LinuxScreens::gatherStruts() const {
    if (!x_.windowList(x_.root(), "_NET_CLIENT_LIST")) return std::nullopt;
    auto& desktop = x_.desktop();
    std::vector<StrutPartial> result;
    WindowIdSet partial;
    for (const auto& [window, p] : desktop.listedWith(x_.atom("_NET_WM_STRUT_PARTIAL"))) {
        if (p.format != 32 || p.items.size() < 12) continue;
        StrutPartial s{};
        std::copy_n(p.items.begin(), 12, s.begin());
        result.push_back(s);
        partial.insert(window);
    }
    // The older form reserves the whole length of each edge.
    const Size root = x_.rootSize();
    const long w = static_cast<long>(root.width) - 1, h = static_cast<long>(root.height) - 1;
    for (const auto& [window, p] : desktop.listedWith(x_.atom("_NET_WM_STRUT"))) {
        if (partial.contains(window) || p.format != 32 || p.items.size() < 4) continue;
        result.push_back({p.items[0], p.items[1], p.items[2], p.items[3], 0, h, 0, h, 0, w, 0, w});
    }
    return result;
}

std::optional<Rect> LinuxScreens::workArea() const {
    auto area = x_.cardinals(x_.root(), "_NET_WORKAREA");
    if (!area || area->size() < 4) return std::nullopt;
    size_t desktop = 0;
    if (auto current = x_.cardinals(x_.root(), "_NET_CURRENT_DESKTOP"); current && !current->empty())
        desktop = static_cast<size_t>(std::max(0L, (*current)[0]));
    if (area->size() < (desktop + 1) * 4) desktop = 0;
    const long* a = area->data() + desktop * 4;
    return Rect(a[0], a[1], a[2], a[3]);
}

Rect LinuxScreens::visibleArea(const Rect& monitor, Size rootSize, const std::vector<StrutPartial>& struts,
                               std::vector<StrutPartial>* ignored) {
    struct Edges {
        double left, right, top, bottom;
        // The same share the announced work area must leave to be trusted.
        bool sane(const Rect& m) const {
            return right - left >= m.width() / 2 && bottom - top >= m.height() / 2;
        }
    };
    const Edges whole{monitor.minX(), monitor.maxX(), monitor.minY(), monitor.maxY()};
    auto overlaps = [](double start, double end, double lo, double hi) {
        // Strut bands are inclusive pixel ranges; monitor ranges are half-open.
        return start < hi && end + 1 > lo;
    };
    auto cut = [&](Edges e, const StrutPartial& s) {
        if (s[0] > 0 && overlaps(s[4], s[5], monitor.minY(), monitor.maxY()) && s[0] > monitor.minX())
            e.left = std::max(e.left, static_cast<double>(s[0]));
        if (s[1] > 0 && overlaps(s[6], s[7], monitor.minY(), monitor.maxY()) &&
            rootSize.width - s[1] < monitor.maxX())
            e.right = std::min(e.right, rootSize.width - s[1]);
        if (s[2] > 0 && overlaps(s[8], s[9], monitor.minX(), monitor.maxX()) && s[2] > monitor.minY())
            e.top = std::max(e.top, static_cast<double>(s[2]));
        if (s[3] > 0 && overlaps(s[10], s[11], monitor.minX(), monitor.maxX()) &&
            rootSize.height - s[3] < monitor.maxY())
            e.bottom = std::min(e.bottom, rootSize.height - s[3]);
        return e;
    };
    Edges e = whole;
    std::vector<StrutPartial> applied;
    for (const auto& s : struts) {
        if (!cut(whole, s).sane(monitor)) {
            if (ignored) ignored->push_back(s);
            continue;
        }
        e = cut(e, s);
        applied.push_back(s);
    }
    if (!e.sane(monitor)) {
        if (ignored) ignored->insert(ignored->end(), applied.begin(), applied.end());
        return monitor;
    }
    return Rect(e.left, e.top, e.right - e.left, e.bottom - e.top);
}

void LinuxScreens::reportIgnored(const std::vector<StrutPartial>& ignored) const {
    for (const auto& s : ignored) {
        if (reported_.size() >= kMaxReported) return;
        if (std::find(reported_.begin(), reported_.end(), s) != reported_.end()) continue;
        reported_.push_back(s);
        if (!log_) continue;
        std::string values;
        for (long v : s) values += (values.empty() ? "" : " ") + std::to_string(v);
        log_("[Tessane] A strut (" + values +
             ") would leave a display less than half of itself (alone or with the others): it is ignored.");
    }
}

Rect LinuxScreens::clipToWorkArea(const Rect& visible, const Rect& monitor, const Rect& area) {
    // The announced area is one box over every monitor, and may be stale or made up: it cuts a
    // monitor only where it leaves the greater part of it, and never where the struts left
    // nothing to cut.
    const Rect share = visible.intersection(area);
    if (share.isEmpty() || share.width() < monitor.width() / 2 || share.height() < monitor.height() / 2)
        return visible;
    return share;
}

std::vector<ScreenInfo> LinuxScreens::screens() const {
    auto displays = orderedDisplays();
    if (displays.empty()) return {};
    const Rect primary = PointSpace::pointsFromPixels(displays.front().monitor.rootRect,
                                                      scaled(displays.front().monitor.rootRect));
    const Size root = x_.rootSize();
    const auto strutList = struts();
    const auto area = workArea();

    // Root pixels of a display (y down, origin at the root's corner) to screen coordinates
    // (points at the display's scale, y up, origin at the primary display's bottom-left corner).
    auto toScreen = [&](const Rect& pixels, const ScaledDisplay& on) {
        const Rect r = PointSpace::pointsFromPixels(pixels, on);
        const double ax = r.minX() - primary.minX();
        const double ay = r.minY() - primary.minY();
        return Rect(ax, primary.height() - ay - r.height(), r.width(), r.height());
    };

    std::vector<ScreenInfo> out;
    for (const auto& d : displays) {
        const Rect& m = d.monitor.rootRect;
        std::vector<StrutPartial> ignored;
        Rect visible = strutList ? visibleArea(m, root, *strutList, &ignored) : m;
        reportIgnored(ignored);
        if (area) visible = clipToWorkArea(visible, m, *area);
        ScreenInfo info;
        const ScaledDisplay on = scaled(m);
        info.frame = toScreen(m, on);
        info.visibleFrame = toScreen(visible, on);
        info.displayNumber = d.outputId;
        if (auto name = identityName(d)) info.displayUUID = DisplayIdentity::nameBasedUuid(*name);
        if (d.outputId)
            if (auto connector = x_.outputName(*d.outputId)) info.localizedName = *connector;
        if (info.localizedName.empty()) info.localizedName = d.monitor.name;
        out.push_back(std::move(info));
    }
    return out;
}

std::optional<ScreenInfo> LinuxScreens::mainScreen() const {
    auto all = screens();
    if (all.empty()) return std::nullopt;
    auto displays = orderedDisplays();  // same order as `all`
    auto indexHolding = [&](Point rootPoint) -> std::optional<size_t> {
        for (size_t i = 0; i < displays.size() && i < all.size(); ++i)
            if (displays[i].monitor.rootRect.contains(rootPoint)) return i;
        return std::nullopt;
    };
    if (auto active = x_.windowList(x_.root(), "_NET_ACTIVE_WINDOW"); active && !active->empty() && (*active)[0]) {
        if (auto g = x_.geometry((*active)[0]))
            if (auto i = indexHolding({g->rootRect.midX(), g->rootRect.midY()})) return all[*i];
    }
    if (auto p = x_.pointer())
        if (auto i = indexHolding(p->root)) return all[*i];
    return all.front();
}

}  // namespace tessane::linux_backend
