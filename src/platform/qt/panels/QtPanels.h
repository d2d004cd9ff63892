#pragma once

#include "platform/Panels.h"
#include "platform/qt/panels/PanelCover.h"
#include "platform/qt/panels/PanelPool.h"
#include "platform/qt/panels/PanelStacking.h"
#include "platform/qt/panels/QtPanel.h"

#include <QAbstractNativeEventFilter>
#include <QObject>

#include <QColor>
#include <QPointer>
#include <QRect>
#include <QRegion>
#include <QTimer>
#include <QVariantAnimation>

#include <xcb/xcb.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tessane {
class Subscription;
}

namespace tessane::linux_backend {
class X11Connection;
class X11ScreenSpace;
}

namespace tessane::qt_backend {

// Makes Qt panels and keeps ours stacked (see PanelStacking): after the order-fronts of a turn of
// the event loop, and whenever the window manager restacks its windows while some panel is up,
// the mapped panels above ordinary windows are put in (level, order-front sequence) order, since
// X has no levels of its own. Needs a QApplication.
class QtPanels final : public Panels, private QAbstractNativeEventFilter {
public:
    // `x` is the backend's connection: its read model tells where the root's children stand.
    QtPanels(const linux_backend::X11ScreenSpace& space, linux_backend::X11Connection& x);
    ~QtPanels() override;

    std::unique_ptr<Panel> makePanel(const PanelOptions& options) override;
    // The windows are made (natively, unmapped, with the hints a new panel's window gets) and
    // kept as released panels' windows are.
    void prepare(const std::vector<PanelOptions>& panels) override;
    // The turn's restack and maps, at once.
    void showOrderedNow() override;
    Size measureText(const PanelText& text, double maxWidth) const override;

    // Whether a compositing manager blends our translucent windows (followed as managers start
    // and end; a panel keeps the kind of window it was made with).
    bool compositing() const { return compositing_; }
    const linux_backend::X11ScreenSpace& space() const { return space_; }
    // The mapped panels above ordinary windows, top first.
    std::vector<QtPanel*> overlayStack() const;
    // Where windows of ours that belong above `panel` lie over it (its coordinates, X pixels).
    QRegion coverOf(const QtPanel& panel) const;

private:
    friend class QtPanel;
    // Whether a panel that windows of ours may cut is up (the chrome or a card).
    bool anyCutUp() const;
    // Whether a mat other than `mat` is on the screen.
    bool anotherMatShown(const QtPanel* mat) const;
    // Once, at the end of this turn of the event loop.
    void scheduleRestack();
    // The chrome's own order checked at the end of this turn (see PanelStacking::keepOrder), when
    // no restack is due then.
    void scheduleOrderCheck();
    void restack();
    // The windows of panels that map themselves, mapped in one batch once this turn's panels are
    // stacked: no request waits for the server.
    void mapLater(QtPanel* panel);
    // A panel Qt shows (a mat), shown before the turn's others are mapped.
    void showBeforeMaps(QtPanel* panel);
    void dropMap(QtPanel* panel);
    // The panels Qt shows, then the turn's maps in one batch (held while the manager frames them).
    void mapQueued();
    void mapBatch();
    // A mat's window mapped anew is framed by the window manager, and some (Xfwm) then restack
    // every window they manage, one request each; with our chrome up among them each request
    // moves a window past it, seconds of the server's time on a crowded desktop. So the turn's
    // maps wait for the manager's echo, asked after the mat's map (which it handles first, chain
    // and all), for a bounded time, and not at all while it is judged not answering.
    void holdMaps();
    void releaseMaps();
    void watchHeldMaps();
    // Once nothing of ours is up, the mats' windows shaped to nothing are withdrawn, at the end of
    // the turn (the chrome goes down first, so no restack the unmap sets off passes it).
    void scheduleWithdraw();
    void withdrawIdleMats();
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

    const linux_backend::X11ScreenSpace& space_;
    linux_backend::X11Connection& x_;
    bool compositing_;
    long frontSequence_ = 0;
    long peerSequence_ = 0;  // when the window sharing the cards' level was last focused
    std::vector<QtPanel*> panels_;
    PanelPool pool_;
    PanelStacking stacking_;
    QObject context_;  // the deferred restack's; it dies with us
    bool restackPending_ = false;
    bool orderCheckPending_ = false;
    std::vector<QtPanel*> toMap_;
    std::vector<QtPanel*> toShow_;
    uint64_t mapsHeldFor_ = 0;  // the echo the turn's maps wait for; 0 when they don't
    QTimer holdBound_;
    std::unique_ptr<Subscription> echoes_;
    bool withdrawPending_ = false;
    // The frames of our managed windows that lie above every chrome panel and card, and of the
    // one at the cards' level (above the chrome and the cards ordered front before it).
    QRegion coverAll_, coverPeer_;
    std::unique_ptr<CoverWatch> coverWatch_;
    unsigned long root_ = 0;
    unsigned long stackingAtom_ = 0;  // _NET_CLIENT_LIST_STACKING
    int compositingEvent_ = 0;        // XFixes: the compositing manager's selection changed hands
};

}  // namespace tessane::qt_backend
