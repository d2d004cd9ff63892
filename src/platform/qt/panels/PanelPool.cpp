#include "platform/qt/panels/PanelPool.h"

#include "platform/qt/ToolkitWaits.h"
#include "platform/qt/panels/PanelX11.h"
#include "platform/qt/panels/QtPanelWidget.h"

#include <algorithm>
#include <utility>

namespace tessane::qt_backend {

namespace {

// How many windows are kept at most.
constexpr size_t kKeptWindows = 48;

// How long after the last panel took a window the prepared ones are made again: a show makes its
// panels in one turn, and what follows it (the windows confirmed in place, the drift checks, the
// tips card, the activation's resurfacing) runs within its first half second; the refill comes
// after that, well before a user shows the next workspace.
constexpr int kFillDelayMs = 700;

bool madeAlike(const PanelOptions& a, const PanelOptions& b) {
    return a.level == b.level && a.ignoresMouse == b.ignoresMouse && a.canTakeFocus == b.canTakeFocus &&
           a.name == b.name;
}

}  // namespace

void markNewPanelWindow(unsigned long window, const PanelOptions& options) {
    panel_x11::markShadowless(window, options.level >= 1);
    if (options.level >= 1) panel_x11::markUnframed(window);
}

PanelPool::PanelPool(bool compositing) : compositing_(compositing) {
    fillTimer_.setSingleShot(true);
    QObject::connect(&fillTimer_, &QTimer::timeout, &context_, [this] {
        if (fill({}, 1, false) == 0) return;
        panel_x11::flush();
        fillTimer_.start(0);  // the next in a turn of its own
    });
}

PanelPool::~PanelPool() = default;

std::optional<PanelPool::KeptWindow> PanelPool::take(const PanelOptions& options) {
    scheduleFill();
    const auto same =
        std::find_if(kept_.begin(), kept_.end(), [&](const auto& entry) { return madeAlike(entry.first, options); });
    if (same == kept_.end()) return std::nullopt;
    KeptWindow window = std::move(same->second);
    kept_.erase(same);
    return window;
}

void PanelPool::keep(const PanelOptions& options, KeptWindow window) {
    kept_.push_back({options, std::move(window)});
    prune();
}

void PanelPool::prepare(const std::vector<PanelOptions>& wanted, const std::vector<PanelOptions>& inUse) {
    prepared_ = wanted;
    fill(inUse, prepared_.size(), true);
    panel_x11::flush();
}

void PanelPool::setCompositing(bool compositing) {
    compositing_ = compositing;
    prune();
    scheduleFill();
}

void PanelPool::scheduleFill() {
    if (!prepared_.empty()) fillTimer_.start(kFillDelayMs);  // a later take puts it off again
}

size_t PanelPool::fill(std::vector<PanelOptions> standing, size_t atMost, bool firstShow) {
    for (const auto& entry : kept_) standing.push_back(entry.first);
    size_t made = 0;
    for (const auto& options : prepared_) {
        const auto same =
            std::find_if(standing.begin(), standing.end(), [&](const PanelOptions& o) { return madeAlike(o, options); });
        if (same != standing.end()) {
            standing.erase(same);
            continue;
        }
        // A mat's window is made ahead only before anything shows: the one a show took comes back
        // when its panel goes, and it is mapped only as a show asks (see QtPanels::holdMaps()).
        if (options.level < 0 && !firstShow) continue;
        if (made == atMost || kept_.size() >= kKeptWindows) break;
        make(options, firstShow && made == 0);
        ++made;
    }
    return made;
}

void PanelPool::make(const PanelOptions& options, bool first) {
    const WaitBounds::Timed waited(toolkit_waits::kWindowMade);
    KeptWindow window{std::make_unique<QtPanelWidget>(options, compositing_)};
    const auto id = window.widget->winId();  // made, never mapped
    markNewPanelWindow(id, options);
    window.marked = true;
    if (first) panel_x11::prepareFirstShow(id, compositing_);
    if (options.level >= 1 && !options.canTakeFocus) {
        // Qt's show of a window waits for the server and reads the window's state back: done
        // now, unseen (an empty shape, nothing painted, unmapped right after), so that a show
        // of the chrome maps its windows itself, in one batch.
        panel_x11::setBoundingShape(id, QRegion());
        window.shaped = true;
        window.widget->setUpdatesEnabled(false);
        // Sized, or Qt would size it to its empty drawing and, at zero, leave it unmapped.
        window.widget->setGeometry(0, 0, 1, 1);
        window.widget->show();
        panel_x11::unmapWindow(id);
    }
    kept_.push_back({options, std::move(window)});
}

void PanelPool::withdrawMats() {
    for (auto& [options, window] : kept_)
        if (options.level < 0 && window.widget->isVisible() && !std::exchange(window.withdrawn, true))
            panel_x11::withdrawWindow(window.widget->winId());
}

void PanelPool::prune() {
    std::erase_if(kept_, [this](const auto& entry) {
        return entry.second.widget->testAttribute(Qt::WA_TranslucentBackground) != compositing_;
    });
    if (kept_.size() > kKeptWindows) kept_.erase(kept_.begin() + kKeptWindows, kept_.end());  // the newest go
}

}  // namespace tessane::qt_backend
