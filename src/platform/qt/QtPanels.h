#pragma once

#include "platform/Panels.h"
#include "platform/qt/PanelCover.h"
#include "platform/qt/PanelStacking.h"

#include <QAbstractNativeEventFilter>
#include <QObject>

#include <QColor>
#include <QPointer>
#include <QRect>
#include <QRegion>
#include <QTimer>
#include <QVariantAnimation>

#include <xcb/xcb.h>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tessane::linux_backend {
class X11ScreenSpace;
}

namespace tessane::qt_backend {

class QtPanels;
class QtPanelWidget;

// One panel: a top-level Qt window. It is mapped while it is ordered in, has a frame with area
// and, without a compositing manager, an alpha above 0.
class QtPanel final : public Panel {
public:
    QtPanel(QtPanels& owner, PanelOptions options);
    ~QtPanel() override;

    const PanelOptions& options() const override { return options_; }
    Rect frame() const override { return frame_; }
    void setFrame(const Rect& frame) override;
    void orderFront() override;
    void orderOut() override;
    bool isVisible() const override { return orderedIn_; }
    double alpha() const override { return alpha_; }
    void setAlpha(double alpha) override;
    bool hasShadow() const override { return shadow_; }
    void setHasShadow(bool hasShadow) override { shadow_ = hasShadow; }
    void setDrawing(PanelDrawing drawing) override;
    void setCursor(PanelCursor cursor) override;
    void setInputHandler(std::function<void(const PanelInput&)> handler) override;
    void setKeyHandler(std::function<void(PanelKey)> handler) override;

    QtPanelWidget& widget() const { return *widget_; }
    bool isMapped() const;
    // Shows a panel Qt shows (a mat), if it is still wanted.
    void showDeferred();
    unsigned long windowId() const;
    long frontSequence() const { return frontSequence_; }
    // The frame in root coordinates, X pixels.
    const QRect& rootFrame() const { return rootFrame_; }
    // The window that takes the pointer over all of a shaped panel (0 when there is none), kept
    // right above the panel's own; its pointer events go to the panel as if they were its own.
    unsigned long inputWindow() const { return inputWindow_; }
    void syncInputWindow();
    // Cuts the window again where windows of ours that belong above it now lie (see PanelCover).
    void recut();
    void forwardPointer(const xcb_generic_event_t* event);

    // The animator's bookkeeping: one animation at a time, its completion run when it ends or
    // is replaced, never after the panel is gone.
    void startAnimation(QVariantAnimation* animation, std::function<void()> completion);
    void finishAnimation();
    bool isCurrentAnimation(const QVariantAnimation* animation) const { return animation_ == animation; }

private:
    // Whether the panel should be on the screen now.
    bool wanted() const;
    void syncMapped();
    void afterShow();
    // A panel out of the window manager's hands that never takes the keyboard: once Qt has shown
    // its window, it is mapped and unmapped here, with no wait (see QtPanels::mapQueued()).
    bool mapsItself() const;
    // Puts the native window on `rootFrame_` to the X pixel where the toolkit may miss it (at a
    // scale other than 1), or `always`.
    void placeExactly(bool always = false);
    // Needs the native window. `newDrawing` is false when only the size changed.
    void applyShape(bool newDrawing = true);
    void applyShapes();
    // The input window takes no pointer where the panel is cut.
    void cutInputWindow();
    // What draws everywhere in its window is shown whole (a shaped window keeps a shape).
    void uncut(QSize pixels);
    // Chooses how the window shows its drawing: a single opaque fill is left to the X server
    // (the window's background colour, no backing store the size of the panel), anything else
    // is painted by Qt.
    void applySurface(bool newDrawing);

    QtPanels& owner_;
    PanelOptions options_;
    std::unique_ptr<QtPanelWidget> widget_;
    Rect frame_;
    QRect rootFrame_;  // the frame in root coordinates, X pixels
    bool shaped_ = false;  // a bounding shape is set on the window
    QSize wholeShape_;     // the size it covers, when that shape is the whole window
    bool widerInput_ = false;  // shaped, it takes the pointer beyond its shape: over its frame
    unsigned long inputWindow_ = 0;
    std::optional<QRegion> inputShape_;  // the input window's input shape, once one is set
    QRegion cut_;  // where the window is cut for windows of ours above it (its coordinates, X pixels)
    PanelCursor cursor_ = PanelCursor::arrow;
    unsigned lastPressTime_ = 0, lastPressButton_ = 0;  // for double clicks on the input window
    bool marked_ = false;  // the compositor's hints are on the window
    bool orderedIn_ = false;
    bool mapped_ = false;  // when it maps itself: whether its window is mapped (or about to be)
    double alpha_ = 1;
    bool shadow_;
    std::optional<QColor> serverFill_;  // the window's background colour, when the server fills it
    long frontSequence_ = 0;
    long peerSequence_ = 0;  // when the window sharing the cards' level was last focused
    std::function<void(const PanelInput&)> input_;
    QPointer<QVariantAnimation> animation_;
    std::function<void()> animationDone_;
};

// Makes Qt panels and keeps ours stacked (see PanelStacking): after the order-fronts of a turn of
// the event loop, and whenever the window manager restacks its windows while some panel is up,
// the mapped panels above ordinary windows are put in (level, order-front sequence) order, since
// X has no levels of its own. Needs a QApplication.
class QtPanels final : public Panels, private QAbstractNativeEventFilter {
public:
    explicit QtPanels(const linux_backend::X11ScreenSpace& space);
    ~QtPanels() override;

    std::unique_ptr<Panel> makePanel(const PanelOptions& options) override;
    // The windows are made (natively, unmapped, with the hints a new panel's window gets) and
    // kept as released panels' windows are.
    void prepare(const std::vector<PanelOptions>& panels) override;
    // The turn's restack and maps, at once.
    void showOrderedNow() override;
    Size measureText(const PanelText& text, double maxWidth) const override;

    // Where the frames of the listed clients are asked (the backend's read model knows them):
    // without it, only the windows that do not bypass the window manager count as frames.
    void setClientFrames(std::function<std::vector<unsigned long>()> frames) { clientFrames_ = std::move(frames); }
    // Where the stacking rule finds the root's children and our windows' frames (see
    // PanelStacking::Desktop).
    void setDesktop(PanelStacking::Desktop desktop) { stacking_.setDesktop(std::move(desktop)); }

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
    // A released panel's window and what is set on it natively.
    struct KeptWindow {
        std::unique_ptr<QtPanelWidget> widget;
        bool shaped = false;
        bool marked = false;
        std::optional<QColor> serverFill;
    };
    static constexpr size_t kKeptWindows = 48;
    void keepWindow(const PanelOptions& options, KeptWindow window);
    std::optional<KeptWindow> takeKeptWindow(const PanelOptions& options);
    // Whether a panel that windows of ours may cut is up (the chrome or a card).
    bool anyCutUp() const;
    // Makes one window ready for panels made like `options` and keeps it.
    void makeReadyWindow(const PanelOptions& options, bool first);
    // The first prepared entry no kept window stands for, if any.
    std::optional<PanelOptions> missingReadyWindow() const;
    // After a panel took a window (or had to make one): the prepared windows are made again once
    // the show that took them is over, one per turn of the event loop (each a wait for the server).
    void scheduleRefill();
    void refill();
    // Once, at the end of this turn of the event loop.
    void scheduleRestack();
    // The chrome's own order checked at the end of this turn (see PanelStacking::keepOrder), when
    // no restack is due then.
    void scheduleOrderCheck();
    void restack();
    // The windows of panels that map themselves, mapped in one batch once this turn's panels are
    // stacked: no request waits for the server.
    void mapLater(QtPanel* panel);
    // A panel Qt shows (a mat), shown once the turn's others are mapped.
    void showAfterMaps(QtPanel* panel);
    void dropMap(QtPanel* panel);
    // The turn's maps in one batch, then the panels Qt shows.
    void mapQueued();
    void mapBatch();
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

    const linux_backend::X11ScreenSpace& space_;
    bool compositing_;
    long frontSequence_ = 0;
    long peerSequence_ = 0;  // when the window sharing the cards' level was last focused
    std::vector<QtPanel*> panels_;
    std::vector<std::pair<PanelOptions, KeptWindow>> kept_;
    std::vector<PanelOptions> prepared_;  // what prepare() was asked to keep ready
    QTimer refillTimer_;
    PanelStacking stacking_;
    std::function<std::vector<unsigned long>()> clientFrames_;
    QObject context_;  // the deferred restack's; it dies with us
    bool restackPending_ = false;
    bool orderCheckPending_ = false;
    std::vector<QtPanel*> toMap_;
    std::vector<QtPanel*> toShow_;
    // The frames of our managed windows that lie above every chrome panel and card, and of the
    // one at the cards' level (above the chrome and the cards ordered front before it).
    QRegion coverAll_, coverPeer_;
    std::unique_ptr<CoverWatch> coverWatch_;
    unsigned long root_ = 0;
    unsigned long stackingAtom_ = 0;  // _NET_CLIENT_LIST_STACKING
    int compositingEvent_ = 0;        // XFixes: the compositing manager's selection changed hands
};

}  // namespace tessane::qt_backend
