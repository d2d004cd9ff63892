// Before any Qt header: Qt's `emit` keyword would break the signal class this pulls in.
#include "platform/linux/x11/X11ScreenSpace.h"

#include "platform/qt/panels/QtPanel.h"
#include "platform/qt/DeviceSpace.h"
#include "platform/qt/ToolkitWaits.h"
#include "platform/qt/panels/PanelPool.h"
#include "platform/qt/panels/PanelX11.h"
#include "platform/qt/panels/QtPanelWidget.h"
#include "platform/qt/panels/QtPanels.h"

#include <QBackingStore>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>
#include <utility>

namespace tessane::qt_backend {

namespace {
QRect wholePixels(const Rect& r) {
    return QRect(static_cast<int>(std::lround(r.minX())), static_cast<int>(std::lround(r.minY())),
                 static_cast<int>(std::lround(r.width())), static_cast<int>(std::lround(r.height())));
}
}  // namespace

QtPanel::QtPanel(QtPanels& owner, PanelOptions options)
    : owner_(owner), options_(std::move(options)), shadow_(options_.hasShadow) {
    if (auto kept = owner_.pool_.take(options_)) {
        widget_ = std::move(kept->widget);
        shaped_ = kept->shaped;
        marked_ = kept->marked;
        serverFill_ = kept->serverFill;
        // Shown ahead, unseen, with nothing painted (see prepare()). A mat's window is mapped: it
        // paints nothing until its drawing says how it shows (see applySurface()).
        if (!serverFill_ && !widget_->updatesEnabled() && !keepsMapped()) widget_->setUpdatesEnabled(true);
        widget_->canvas().setDrawing({});
        widget_->canvas().unsetCursor();
        if (owner_.compositing()) widget_->setWindowOpacity(1);
        hiddenByShape_ = keepsMapped();  // a mat's window, mapped and shaped to nothing
        withdrawn_ = kept->withdrawn;     // or withdrawn since
    } else {
        widget_ = std::make_unique<QtPanelWidget>(options_, owner.compositing());
    }
    widget_->canvas().setInputSink([this](PanelInput::Kind kind, QPointF global, int clicks, bool control) {
        if (!input_ || options_.ignoresMouse) return;
        // From where the pointer was on the screen, never from where it was in the window: a
        // handle moves under a drag, and a motion queued before the move would land a step off.
        PanelInput in{kind, owner_.space().screenFromRoot(rootFromQt(global)), clicks, control};
        auto handler = input_;  // the handler may replace itself
        handler(in);
    });
    widget_->canvas().setAppearanceSink([this] {
        if (widget_->testAttribute(Qt::WA_WState_Created)) applyShape();
    });
}

QtPanel::~QtPanel() {
    animationDone_ = nullptr;  // a panel that is gone tells no completion
    input_ = nullptr;
    if (inputWindow_) panel_x11::destroyWindow(inputWindow_);
    auto& all = owner_.panels_;
    all.erase(std::remove(all.begin(), all.end(), this), all.end());
    // The window is kept, unmapped, for the next panel made like this one: a show then maps
    // windows that exist rather than making new ones.
    for (auto* animation : widget_->findChildren<QVariantAnimation*>(Qt::FindDirectChildrenOnly)) delete animation;
    owner_.dropMap(this);
    // Shown by Qt, its window stays so, unmapped by us.
    if (mapsItself() && widget_->isVisible()) {
        widget_->canvas().cancelPress();
        if (mapped_ || hiddenByShape_) panel_x11::unmapWindow(windowId());
        if (hiddenByShape_) shaped_ = true;  // the next panel made like it gets its shape back
    } else if (keepsMapped()) {
        hideByShape();
        owner_.scheduleWithdraw();
    } else {
        widget_->hide();
    }
    widget_->canvas().setInputSink({});
    widget_->canvas().setAppearanceSink({});
    widget_->canvas().setKeySink({});
    owner_.pool_.keep(options_, {std::move(widget_), shaped_, marked_, serverFill_, withdrawn_});
    panel_x11::flush();
}

bool QtPanel::mapsItself() const { return owner_.root_ && options_.level >= 1 && !options_.canTakeFocus; }
bool QtPanel::isMapped() const { return mapsItself() ? mapped_ : widget_->isVisible() && !hiddenByShape_ && !withdrawn_; }
bool QtPanel::keepsMapped() const { return options_.level < 0 && widget_->isVisible(); }
unsigned long QtPanel::windowId() const { return static_cast<unsigned long>(widget_->winId()); }

void QtPanel::setFrame(const Rect& frame) {
    const Size oldSize = frame_.size;
    const QSize oldPixels = rootFrame_.size();
    frame_ = frame;
    if (!frame.isEmpty()) {
        rootFrame_ = wholePixels(owner_.space().rootFromScreen(frame));
        widget_->canvas().setDrawingSize(QSize(static_cast<int>(std::lround(frame.width())),
                                               static_cast<int>(std::lround(frame.height()))));
        QRect qt = qtFromRoot(Rect(rootFrame_.x(), rootFrame_.y(), rootFrame_.width(), rootFrame_.height()));
        // Qt unmaps a window it shows when it is given no size, and maps it again itself when it
        // grows: a window that maps itself is never given none (nor mapped while it has none).
        if (mapsItself()) qt.setSize(qt.size().expandedTo(QSize(1, 1)));
        // The mat's size is the only one it says it can take (the toolkit writes that into its
        // size hints), so that no manager grows it to the work area: the old bounds go first, or
        // the toolkit would hold the window to them.
        const bool fixedSize = options_.level < 0;
        if (fixedSize && widget_->minimumSize() != qt.size()) {
            widget_->setMinimumSize(0, 0);
            widget_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        }
        widget_->setGeometry(qt);
        if (fixedSize) widget_->setFixedSize(qt.size());
        if (widget_->testAttribute(Qt::WA_WState_Created)) {
            // Moved onto a display of another scale at the same size in points, the window is only
            // moved by the toolkit, keeping the pixels of its old display: it is sized here.
            const bool rescaled = frame.size == oldSize && rootFrame_.size() != oldPixels;
            placeExactly(rescaled);
            // A shape is cut for one size, in pixels; and where windows of ours lie over it.
            if (frame.size != oldSize || rescaled) applyShape(/*newDrawing=*/false);
            else recut();
            // Its size unchanged in the toolkit's units, the toolkit keeps the store it paints
            // into at the old scale's pixels (when the display's scale changed under it): the
            // store is sized again and all of it drawn again.
            if (rescaled) {
                if (QBackingStore* store = widget_->backingStore()) store->resize(widget_->size());
                widget_->canvas().update();
            }
        }
        if (inputWindow_) panel_x11::setGeometry(inputWindow_, rootFrame_);
    }
    syncMapped();
}

void QtPanel::orderFront() {
    orderedIn_ = true;
    frontSequence_ = ++owner_.frontSequence_;
    syncMapped();
    if (!isMapped()) return;
    if (options_.level < 0) {
        // Mats are ordered among themselves only: a raise has some managers (Xfwm) restack every
        // window they manage, one request each, and with our chrome up over the windows each of
        // those requests moves a window past it, seconds of the server's time on a crowded
        // desktop. A mat that is the only one shown is where it belongs already.
        // Brought forward or not, it asks for no attention (KWin flags a mat shown while another
        // program's window has the focus).
        if (owner_.anotherMatShown(this)) panel_x11::raise(windowId());
        panel_x11::declineAttention(windowId());
        panel_x11::flush();
    } else {
        owner_.scheduleRestack();
    }
}

void QtPanel::orderOut() {
    orderedIn_ = false;
    syncMapped();
    panel_x11::flush();
}

void QtPanel::setAlpha(double alpha) {
    alpha_ = std::clamp(alpha, 0.0, 1.0);
    if (owner_.compositing()) widget_->setWindowOpacity(alpha_);
    syncMapped();
}

void QtPanel::syncMapped() {
    const bool want = wanted();
    if (want == isMapped()) return;
    if (!want) {
        if (mapsItself()) {
            mapped_ = false;
            owner_.dropMap(this);
            // The server ends a press's grab with the window; a window kept mapped lets it go.
            const bool pressed = widget_->canvas().cancelPress();
            if (widget_->isVisible() && owner_.compositing()) {
                hiddenByShape_ = true;
                applyShapes();
                if (pressed) panel_x11::ungrabPointer();
            } else if (widget_->isVisible()) {
                panel_x11::unmapWindow(windowId());
            }
            panel_x11::flush();
        } else if (keepsMapped()) {
            hideByShape();
            panel_x11::flush();
        } else {
            widget_->hide();
        }
        syncInputWindow();
        owner_.scheduleWithdraw();  // what went may have been the last panel up
        return;
    }
    const auto window = windowId();  // makes the native window
    if (!marked_) markNewPanelWindow(window, options_);
    marked_ = true;
    if (std::exchange(hiddenByShape_, false) && !withdrawn_) {
        // A mat's window stays mapped once shown (see hideByShape()): its shape back is all it
        // takes. Withdrawn, it is marked and mapped as a new one is (its manager forgot its state).
        placeExactly();
        applyShape();
        panel_x11::flush();
        return;
    }
    placeExactly();
    applyShape();
    if (options_.level < 0) {
        panel_x11::markNeverMaximized(window);
        panel_x11::markKeptBelow(window);
    }
    if (mapsItself()) mapped_ = true;
    if (mapsItself() && widget_->isVisible()) {
        // Qt has shown the window before: mapped with the others of this turn, once they are
        // stacked.
        owner_.mapLater(this);
    } else if (options_.level < 0) {
        // A mat Qt shows waits for the server, and the window manager then frames it, some with
        // a restack of every window it manages: before the turn's other panels are mapped, which
        // wait for the manager to be done with it (see QtPanels::holdMaps()).
        owner_.showBeforeMaps(this);
        return;
    } else {
        const WaitBounds::Timed waited(toolkit_waits::kWindowShown);
        widget_->show();
    }
    afterShow();
}

void QtPanel::hideByShape() {
    // The server ends a press's grab with the window; a window kept mapped lets it go.
    if (widget_->canvas().cancelPress()) panel_x11::ungrabPointer();
    if (std::exchange(hiddenByShape_, true)) return;
    applyShapes();
}

void QtPanel::reveal() {
    if (!std::exchange(hiddenByShape_, false)) return;
    applyShapes();
    syncInputWindow();
}

void QtPanel::mapAgain() {
    if (!mapsItself() || !mapped_ || !widget_->isVisible()) return;
    widget_->canvas().cancelPress();  // the server ends a press's grab with the window
    panel_x11::unmapWindow(windowId());
    panel_x11::mapWindow(windowId());
}

bool QtPanel::wanted() const {
    return orderedIn_ && !frame_.isEmpty() && (owner_.compositing() || alpha_ > 0) && !(mapsItself() && rootFrame_.isEmpty());
}

bool QtPanel::showDeferred() {
    if (!wanted()) return false;
    if (std::exchange(withdrawn_, false)) {
        panel_x11::mapWindow(windowId());
    } else if (!widget_->isVisible()) {
        const WaitBounds::Timed waited(toolkit_waits::kWindowShown);
        widget_->show();
    } else {
        return false;
    }
    afterShow();
    return true;
}

void QtPanel::withdraw() {
    if (!keepsMapped() || !hiddenByShape_ || withdrawn_) return;
    // By us, not by the toolkit: shown again, it is mapped by us too, with nothing of the
    // toolkit's own show in between.
    panel_x11::withdrawWindow(windowId());
    withdrawn_ = true;
}

void QtPanel::afterShow() {
    const auto window = windowId();
    // Qt puts a window made earlier (a kept one) back on its own whole-pixel geometry as it shows
    // it, when the server's geometry has reached Qt since. Sent at once: the toolkit, which would
    // send it along, may write nothing more for a while (and a flush in every show would cost).
    if (widget_->devicePixelRatioF() != 1) {
        placeExactly();
        panel_x11::flush();
    } else if (options_.level < 0) {
        // A manager still busy with the window's unmapping when it was moved (KWin) lets the
        // move go and maps it where it was: asked again, of the manager that has it now.
        panel_x11::setGeometry(window, rootFrame_);
    }
    if (options_.level < 0) {
        panel_x11::requestKeptBelow(window);
        // The mat is a backdrop, never something for the user to look at.
        panel_x11::declineAttention(window);
    }
    syncInputWindow();
}

void QtPanel::placeExactly(bool always) {
    // Qt places the window in whole device-independent pixels; scaled, that can miss the
    // frame's X pixels by one. The X pixels are the truth (Qt takes the window's geometry back
    // from the server).
    if (widget_->devicePixelRatioF() == 1 && !always) return;
    if (options_.level < 0) panel_x11::setFixedSizeHints(windowId(), rootFrame_);
    panel_x11::setGeometry(windowId(), rootFrame_);
}

void QtPanel::setDrawing(PanelDrawing drawing) {
    widget_->canvas().setDrawing(std::move(drawing));
    if (widget_->testAttribute(Qt::WA_WState_Created)) applyShape();
}

}  // namespace tessane::qt_backend
