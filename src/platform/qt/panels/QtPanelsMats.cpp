// Before any Qt header: Qt's `emit` keyword would break the signal class this pulls in.
#include "platform/linux/x11/X11Connection.h"
#include "platform/linux/x11/X11ManagerWatch.h"

#include "platform/qt/panels/PanelX11.h"
#include "platform/qt/panels/QtPanels.h"

#include <algorithm>
#include <memory>
#include <utility>

namespace tessane::qt_backend {

namespace {
// How long the chrome waits at most for the manager to be done framing a mat: past that it is
// shown anyway (a manager busy elsewhere, or one that never answers).
constexpr int kHoldBoundMs = 300;
}  // namespace

// Mapping the mats, then the chrome once the window manager has framed them, and withdrawing
// the mats once nothing of ours is up.

void QtPanels::watchHeldMaps() {
    holdBound_.setSingleShot(true);
    QObject::connect(&holdBound_, &QTimer::timeout, &context_, [this] { releaseMaps(); });
    // The echo's answer comes as an event, after those of what the manager did before it.
    echoes_ = std::make_unique<Subscription>(x_.onEvent([this](const linux_backend::X11Event&) {
        if (mapsHeldFor_ && x_.manager().echoed(mapsHeldFor_)) releaseMaps();
    }));
}

void QtPanels::mapQueued() {
    bool framing = false;
    for (auto* p : std::exchange(toShow_, {})) framing = p->showDeferred() || framing;
    if (framing) holdMaps();
    mapBatch();
}

void QtPanels::holdMaps() {
    if (!root_ || mapsHeldFor_ || x_.manager().silence().silent()) return;
    // The mat's map goes on Qt's connection, the echo on ours: the map reaches the server first.
    panel_x11::sync();
    mapsHeldFor_ = x_.manager().askEcho();
    holdBound_.start(kHoldBoundMs);
}

void QtPanels::releaseMaps() {
    if (!std::exchange(mapsHeldFor_, 0)) return;
    holdBound_.stop();
    // KWin may flag a mat it framed while another program's window had the focus only once it
    // has taken it in: the flag is declined again now that the manager is done with it.
    for (auto* p : panels_) {
        if (p->options().level >= 0 || !p->isMapped()) continue;
        p->reshapeMapped();
        panel_x11::declineAttention(p->windowId());
    }
    panel_x11::flush();
    // The manager's restacks while the maps waited are answered first: the chrome goes up in place.
    scheduleRestack();
    scheduleWithdraw();  // a mat ordered out again while they waited
}

void QtPanels::scheduleWithdraw() {
    if (std::exchange(withdrawPending_, true)) return;
    QTimer::singleShot(0, &context_, [this] {
        withdrawPending_ = false;
        withdrawIdleMats();
    });
}

void QtPanels::withdrawIdleMats() {
    if (mapsHeldFor_ || std::any_of(panels_.begin(), panels_.end(), [](const QtPanel* p) { return p->isMapped(); }))
        return;
    for (auto* p : panels_) p->withdraw();
    pool_.withdrawMats();
    panel_x11::flush();
}

}  // namespace tessane::qt_backend
