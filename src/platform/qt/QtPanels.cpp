// Before any Qt header: Qt's `emit` keyword would break the signal class this pulls in.
#include "platform/linux/X11ScreenSpace.h"

#include "platform/qt/QtPanels.h"
#include "platform/qt/DeviceSpace.h"
#include "platform/qt/PanelText.h"
#include "platform/qt/PanelX11.h"
#include "platform/qt/QtPanelWidget.h"
#include "platform/qt/WindowLevel.h"

#include <QBackingStore>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QStyleHints>
#include <QTimer>
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>
#include <cmath>
#include <utility>

namespace tessane::qt_backend {

namespace {
// How long after the last panel took a window the prepared ones are made again: a show makes its
// panels in one turn, and what follows it (the windows confirmed in place, the drift checks, the
// tips card, the activation's resurfacing) runs within its first half second; the refill comes
// after that, well before a user shows the next workspace.
constexpr int kRefillDelayMs = 700;

// What a panel's window carries from the start: some compositing managers read a window's type
// when they hear it was made.
void markNewWindow(unsigned long window, const PanelOptions& options) {
    panel_x11::markShadowless(window, options.level >= 1);
    if (options.level >= 1) panel_x11::markUnframed(window);
}

bool madeAlike(const PanelOptions& a, const PanelOptions& b) {
    return a.level == b.level && a.ignoresMouse == b.ignoresMouse && a.canTakeFocus == b.canTakeFocus &&
           a.name == b.name;
}

QRect wholePixels(const Rect& r) {
    return QRect(static_cast<int>(std::lround(r.minX())), static_cast<int>(std::lround(r.minY())),
                 static_cast<int>(std::lround(r.width())), static_cast<int>(std::lround(r.height())));
}
}  // namespace

QtPanel::QtPanel(QtPanels& owner, PanelOptions options)
    : owner_(owner), options_(std::move(options)), shadow_(options_.hasShadow) {
    if (auto kept = owner_.takeKeptWindow(options_)) {
        widget_ = std::move(kept->widget);
        shaped_ = kept->shaped;
        marked_ = kept->marked;
        serverFill_ = kept->serverFill;
        // Shown ahead, unseen, with nothing painted (see prepare()).
        if (!serverFill_ && !widget_->updatesEnabled()) widget_->setUpdatesEnabled(true);
        widget_->canvas().setDrawing({});
        widget_->canvas().unsetCursor();
        if (owner_.compositing()) widget_->setWindowOpacity(1);
    } else {
        widget_ = std::make_unique<QtPanelWidget>(options_, owner.compositing());
    }
    owner_.scheduleRefill();
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
        if (mapped_) panel_x11::unmapWindow(windowId());
    } else {
        widget_->hide();
    }
    widget_->canvas().setInputSink({});
    widget_->canvas().setAppearanceSink({});
    widget_->canvas().setKeySink({});
    owner_.keepWindow(options_, {std::move(widget_), shaped_, marked_, serverFill_});
    panel_x11::flush();
}

bool QtPanel::mapsItself() const { return owner_.root_ && options_.level >= 1 && !options_.canTakeFocus; }
bool QtPanel::isMapped() const { return mapsItself() ? mapped_ : widget_->isVisible(); }
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
        panel_x11::raise(windowId());
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
            widget_->canvas().cancelPress();  // the server ends a press's grab with the window
            if (widget_->isVisible()) panel_x11::unmapWindow(windowId());
            panel_x11::flush();
        } else {
            widget_->hide();
        }
        syncInputWindow();
        return;
    }
    const auto window = windowId();  // makes the native window
    if (!marked_) markNewWindow(window, options_);
    marked_ = true;
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
        // the server grabbed: after the turn's other panels are mapped, so they are not held.
        owner_.showAfterMaps(this);
        return;
    } else {
        widget_->show();
    }
    afterShow();
}

bool QtPanel::wanted() const {
    return orderedIn_ && !frame_.isEmpty() && (owner_.compositing() || alpha_ > 0) && !(mapsItself() && rootFrame_.isEmpty());
}

void QtPanel::showDeferred() {
    if (!wanted() || widget_->isVisible()) return;
    widget_->show();
    afterShow();
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
    if (options_.level < 0) panel_x11::requestKeptBelow(window);
    syncInputWindow();
}

void QtPanel::syncInputWindow() {
    // Only for panels out of the window manager's hands: it reparents the others into frames.
    const bool want = isMapped() && widerInput_ && options_.level >= 1;
    if (!want) {
        if (inputWindow_) panel_x11::destroyWindow(std::exchange(inputWindow_, 0));
        inputShape_.reset();
        return;
    }
    if (!inputWindow_) inputWindow_ = panel_x11::makeInputWindow(rootFrame_, cursor_);
    cutInputWindow();
    panel_x11::mapAbove(inputWindow_, windowId());
}

void QtPanel::forwardPointer(const xcb_generic_event_t* event) {
    // Press, release, motion, enter and leave share the layout that matters here.
    const auto* e = reinterpret_cast<const xcb_button_press_event_t*>(event);
    const int type = event->response_type & ~0x80;
    const double ratio = widget_->devicePixelRatioF();
    const QPointF local(e->event_x / ratio, e->event_y / ratio), global(e->root_x / ratio, e->root_y / ratio);
    auto& canvas = widget_->canvas();
    if (type == XCB_ENTER_NOTIFY) return QCoreApplication::postEvent(&canvas, new QEnterEvent(local, local, global));
    if (type == XCB_LEAVE_NOTIFY) return QCoreApplication::postEvent(&canvas, new QEvent(QEvent::Leave));
    Qt::MouseButtons held;
    if (e->state & XCB_BUTTON_MASK_1) held |= Qt::LeftButton;
    if (e->state & XCB_BUTTON_MASK_2) held |= Qt::MiddleButton;
    if (e->state & XCB_BUTTON_MASK_3) held |= Qt::RightButton;
    const Qt::KeyboardModifiers modifiers = (e->state & XCB_MOD_MASK_CONTROL) ? Qt::ControlModifier : Qt::NoModifier;
    const auto post = [&](QEvent::Type kind, Qt::MouseButton button, Qt::MouseButtons buttons) {
        QCoreApplication::postEvent(&canvas, new QMouseEvent(kind, local, local, global, button, buttons, modifiers));
    };
    if (type == XCB_MOTION_NOTIFY) return post(QEvent::MouseMove, Qt::NoButton, held);
    const Qt::MouseButton button = e->detail == 1   ? Qt::LeftButton
                                   : e->detail == 2 ? Qt::MiddleButton
                                   : e->detail == 3 ? Qt::RightButton
                                                    : Qt::NoButton;
    if (button == Qt::NoButton) return;  // the wheel: nothing on a panel takes it
    if (type == XCB_BUTTON_RELEASE) return post(QEvent::MouseButtonRelease, button, held & ~button);
    post(QEvent::MouseButtonPress, button, held | button);
    const auto interval = static_cast<unsigned>(QGuiApplication::styleHints()->mouseDoubleClickInterval());
    if (e->detail == lastPressButton_ && e->time - lastPressTime_ < interval) {
        post(QEvent::MouseButtonDblClick, button, held | button);
        lastPressButton_ = 0;
    } else {
        lastPressButton_ = e->detail;
        lastPressTime_ = e->time;
    }
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

void QtPanel::setCursor(PanelCursor cursor) {
    switch (cursor) {
    case PanelCursor::arrow: widget_->canvas().setCursor(Qt::ArrowCursor); break;
    case PanelCursor::openHand: widget_->canvas().setCursor(Qt::OpenHandCursor); break;
    case PanelCursor::resizeLeftRight: widget_->canvas().setCursor(Qt::SizeHorCursor); break;
    case PanelCursor::resizeUpDown: widget_->canvas().setCursor(Qt::SizeVerCursor); break;
    }
    cursor_ = cursor;
    panel_x11::setPointerCursor(inputWindow_, cursor);
}

void QtPanel::setInputHandler(std::function<void(const PanelInput&)> handler) { input_ = std::move(handler); }

void QtPanel::setKeyHandler(std::function<void(PanelKey)> handler) {
    widget_->canvas().setKeySink(std::move(handler));
}

void QtPanel::startAnimation(QVariantAnimation* animation, std::function<void()> completion) {
    if (animation_) {
        QPointer<QVariantAnimation> older = animation_;
        animation_ = nullptr;
        older->stop();
        older->deleteLater();
    }
    if (auto done = std::exchange(animationDone_, nullptr)) done();
    animation_ = animation;
    animationDone_ = std::move(completion);
}

void QtPanel::finishAnimation() {
    animation_ = nullptr;
    if (auto done = std::exchange(animationDone_, nullptr)) done();
}

QtPanels::QtPanels(const linux_backend::X11ScreenSpace& space)
    : space_(space), compositing_(panel_x11::compositing()) {
    if (!panel_x11::available()) return;
    root_ = panel_x11::rootWindow();
    panel_x11::internAtoms();
    refillTimer_.setSingleShot(true);
    QObject::connect(&refillTimer_, &QTimer::timeout, &context_, [this] { refill(); });
    stackingAtom_ = panel_x11::watchRootProperty("_NET_CLIENT_LIST_STACKING");
    compositingEvent_ = panel_x11::watchCompositing();
    qApp->installNativeEventFilter(this);
    // The settings window focused is ordered front at the cards' level; any change of our focus
    // may change whether it has that level, and so whether it cuts the chrome and cards under it.
    QObject::connect(qGuiApp, &QGuiApplication::focusWindowChanged, &context_, [this](QWindow* focused) {
        if (focused && sharesCardLevel(QWidget::find(focused->winId()))) peerSequence_ = ++frontSequence_;
        if (anyCutUp()) scheduleRestack();
    });
    // Our managed windows shown, hidden or moved: the panels under them are cut anew.
    coverWatch_ = std::make_unique<CoverWatch>([this] {
        if (anyCutUp()) scheduleRestack();
    });
}

QtPanels::~QtPanels() {
    if (root_ && qApp) qApp->removeNativeEventFilter(this);
}

bool QtPanels::anyCutUp() const {
    return std::any_of(panels_.begin(), panels_.end(), [](const QtPanel* p) {
        return p->options().level >= 1 && p->options().level <= PanelLevel::card && p->isMapped();
    });
}

QRegion QtPanels::coverOf(const QtPanel& panel) const {
    const int level = panel.options().level;
    if (level < 1 || level > PanelLevel::card || panel.rootFrame().isEmpty()) return {};
    // The window at the cards' level lies above the chrome and the cards ordered front before it.
    const bool underPeer = level < PanelLevel::card || panel.frontSequence() < peerSequence_;
    return coveredPart(panel.rootFrame(), underPeer ? coverAll_ + coverPeer_ : coverAll_);
}

std::unique_ptr<Panel> QtPanels::makePanel(const PanelOptions& options) {
    auto panel = std::make_unique<QtPanel>(*this, options);
    panels_.push_back(panel.get());
    return panel;
}

Size QtPanels::measureText(const PanelText& text, double maxWidth) const {
    const QSizeF size = measurePanelText(text, maxWidth);
    return {size.width(), size.height()};
}

std::vector<QtPanel*> QtPanels::overlayStack() const {
    std::vector<QtPanel*> out;
    for (auto* p : panels_)
        if (p->options().level >= 1 && p->isMapped()) out.push_back(p);
    std::sort(out.begin(), out.end(), [](const QtPanel* a, const QtPanel* b) {
        if (a->options().level != b->options().level) return a->options().level > b->options().level;
        return a->frontSequence() > b->frontSequence();
    });
    return out;
}

void QtPanels::keepWindow(const PanelOptions& options, KeptWindow window) {
    if (kept_.size() >= kKeptWindows) return;  // destroyed with `window`
    kept_.push_back({options, std::move(window)});
}

void QtPanels::prepare(const std::vector<PanelOptions>& panels) {
    if (!root_) return;
    prepared_ = panels;
    // The windows there are already, kept or in use: each stands for one entry.
    std::vector<PanelOptions> there;
    for (const auto& entry : kept_) there.push_back(entry.first);
    for (const auto* p : panels_) there.push_back(p->options());
    bool first = true;
    for (const auto& options : panels) {
        const auto same =
            std::find_if(there.begin(), there.end(), [&](const PanelOptions& o) { return madeAlike(o, options); });
        if (same != there.end()) {
            there.erase(same);
            continue;
        }
        if (kept_.size() >= kKeptWindows) break;
        makeReadyWindow(options, std::exchange(first, false));
    }
    stacking_.learnBystanders();
    panel_x11::flush();
}

void QtPanels::makeReadyWindow(const PanelOptions& options, bool first) {
    KeptWindow window{std::make_unique<QtPanelWidget>(options, compositing_)};
    const auto id = window.widget->winId();  // made, never mapped
    markNewWindow(id, options);
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

std::optional<PanelOptions> QtPanels::missingReadyWindow() const {
    // Only kept windows count here: those in use are a shown chrome's, not the next one's.
    std::vector<const PanelOptions*> kept;
    for (const auto& entry : kept_) kept.push_back(&entry.first);
    for (const auto& options : prepared_) {
        const auto same = std::find_if(kept.begin(), kept.end(), [&](const PanelOptions* o) { return madeAlike(*o, options); });
        if (same == kept.end()) return options;
        kept.erase(same);
    }
    return std::nullopt;
}

void QtPanels::scheduleRefill() {
    if (!prepared_.empty()) refillTimer_.start(kRefillDelayMs);  // a later take puts it off again
}

void QtPanels::refill() {
    if (kept_.size() >= kKeptWindows) return;
    const auto missing = missingReadyWindow();
    if (!missing) return;
    makeReadyWindow(*missing, false);
    panel_x11::flush();
    refillTimer_.start(0);  // the next in a turn of its own
}

std::optional<QtPanels::KeptWindow> QtPanels::takeKeptWindow(const PanelOptions& options) {
    const auto same =
        std::find_if(kept_.begin(), kept_.end(), [&](const auto& entry) { return madeAlike(entry.first, options); });
    if (same == kept_.end()) return std::nullopt;
    KeptWindow window = std::move(same->second);
    kept_.erase(same);
    return window;
}

void QtPanels::scheduleRestack() {
    if (restackPending_) return;
    restackPending_ = true;
    QTimer::singleShot(0, &context_, [this] {
        if (!std::exchange(restackPending_, false)) return;  // done already (showOrderedNow)
        restack();
        mapQueued();
    });
}

void QtPanels::showOrderedNow() {
    if (!std::exchange(restackPending_, false)) return;
    restack();
    mapQueued();
}

void QtPanels::scheduleOrderCheck() {
    if (orderCheckPending_ || restackPending_) return;
    orderCheckPending_ = true;
    QTimer::singleShot(0, &context_, [this] {
        if (!std::exchange(orderCheckPending_, false) || restackPending_) return;
        std::vector<unsigned long> chrome;
        for (auto* p : overlayStack())
            if (p->options().level < PanelLevel::card) chrome.push_back(p->windowId());
        if (stacking_.keepOrder(chrome) == 0) return;
        for (auto* p : panels_)
            if (p->inputWindow()) p->syncInputWindow();
    });
}

void QtPanels::mapLater(QtPanel* panel) {
    if (std::find(toMap_.begin(), toMap_.end(), panel) == toMap_.end()) toMap_.push_back(panel);
    scheduleRestack();  // a window mapped again is where it was left in the stack
}

void QtPanels::dropMap(QtPanel* panel) {
    std::erase(toMap_, panel);
    std::erase(toShow_, panel);
}

void QtPanels::showAfterMaps(QtPanel* panel) {
    if (std::find(toShow_.begin(), toShow_.end(), panel) == toShow_.end()) toShow_.push_back(panel);
    scheduleRestack();
}

void QtPanels::mapQueued() {
    mapBatch();
    for (auto* p : std::exchange(toShow_, {})) p->showDeferred();
}

void QtPanels::mapBatch() {
    if (toMap_.empty()) return;
    const auto mapped = std::exchange(toMap_, {});
    for (auto* p : mapped) panel_x11::mapWindow(p->windowId());
    // Each was stacked in place before it was mapped, but a compositing manager may paint a window
    // mapped again above all the others until it hears of a restack (KWin does): the chrome shown
    // again after a user's drag would cover the cards. Told of one where a panel lies above.
    const auto stack = overlayStack();
    if (std::any_of(mapped.begin(), mapped.end(), [&](const QtPanel* p) {
            const auto at = std::find(stack.begin(), stack.end(), p);
            return at != stack.end() && at != stack.begin();
        }))
        stacking_.announceRestack();
    panel_x11::flush();
}

void QtPanels::restack() {
    PanelStacking::Request request;
    std::set<unsigned long> panelWindows;
    for (auto* p : panels_) {
        if (!p->isMapped()) continue;
        panelWindows.insert(p->windowId());
        if (p->options().level < 0) request.mats.insert(p->windowId());
    }
    const auto stack = overlayStack();
    for (auto* p : stack) {
        if (p->options().level > PanelLevel::card)
            request.topTopFirst.push_back(p->windowId());
        else if (p->options().level == PanelLevel::card)
            request.cardsTopFirst.push_back(p->windowId());
        else
            request.chromeTopFirst.push_back({p->windowId(), p->rootFrame()});
    }
    if (request.chromeTopFirst.empty() && request.cardsTopFirst.empty() && request.topTopFirst.empty()) return;
    // Our other windows: the settings window, the builder, alerts, menus, ...
    std::vector<unsigned long> covering;  // those that cut the panels under them
    std::map<unsigned long, QRegion> masks;
    for (QWindow* w : QGuiApplication::topLevelWindows()) {
        if (!w->isVisible() || !w->handle() || panelWindows.count(w->winId())) continue;
        // Windows of panels shown by Qt and unmapped by us (kept, or ordered out) are no reference.
        if (dynamic_cast<QtPanelWidget*>(QWidget::find(w->winId()))) continue;
        request.ownWindows.insert(w->winId());
        const bool sharesLevel = sharesCardLevel(QWidget::find(w->winId()));
        if (coversPanels(*w) && (!sharesLevel || QGuiApplication::focusWindow())) {
            covering.push_back(w->winId());
            masks[w->winId()] = nativeMask(*w);
        }
        if (!sharesLevel) {
            request.aboveCards.insert(w->winId());
        } else if (QGuiApplication::focusWindow()) {
            // Ours is the active application: it is at the cards' level, above those ordered
            // front before it was.
            request.cardPeer = w->winId();
            request.cardsAbovePeer = static_cast<size_t>(std::count_if(stack.begin(), stack.end(), [this](const QtPanel* p) {
                return p->options().level == PanelLevel::card && p->frontSequence() > peerSequence_;
            }));
        }
    }
    if (clientFrames_)
        for (unsigned long frame : clientFrames_()) request.clientFrames.insert(frame);
    stacking_.apply(request);
    // The chrome and cards are cut where those of our windows lie (see PanelCover): the frames
    // the stacking just learnt, read in one batch.
    coverAll_ = coverPeer_ = QRegion();
    if (!covering.empty())
        for (const auto& [window, shown] : stacking_.shownFrames(covering))
            (window == request.cardPeer ? coverPeer_ : coverAll_) += windowCover(shown.frame, shown.client, masks[window]);
    for (auto* p : panels_) {
        if (p->isMapped()) p->recut();
        if (p->inputWindow()) p->syncInputWindow();
    }
}

bool QtPanels::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    switch (event->response_type & ~0x80) {
    case XCB_BUTTON_PRESS:
    case XCB_BUTTON_RELEASE:
    case XCB_MOTION_NOTIFY:
    case XCB_ENTER_NOTIFY:
    case XCB_LEAVE_NOTIFY: {
        const auto window = reinterpret_cast<const xcb_button_press_event_t*>(event)->event;
        for (auto* p : panels_)
            if (p->inputWindow() && p->inputWindow() == window) {
                p->forwardPointer(event);
                return true;
            }
        return false;
    }
    case XCB_CONFIGURE_NOTIFY: {
        // A panel of the chrome restacked by someone else: its order among the chrome is kept,
        // nothing more (Mutter lifts them all over its windows in their order, and answering that
        // lift with a restack would only go on in turns with it).
        const auto* change = reinterpret_cast<const xcb_configure_notify_event_t*>(event);
        if (change->event == change->window &&
            std::any_of(panels_.begin(), panels_.end(), [&](const QtPanel* p) {
                return p->windowId() == change->window && p->options().level >= 1 &&
                       p->options().level < PanelLevel::card && p->isMapped();
            }))
            scheduleOrderCheck();
        return false;
    }
    default: break;
    }
    if (compositingEvent_ && (event->response_type & ~0x80) == compositingEvent_) {
        // New panels get the kind of window that suits; kept windows of the other kind go.
        compositing_ = panel_x11::compositing();
        std::erase_if(kept_, [this](const auto& entry) {
            return entry.second.widget->testAttribute(Qt::WA_TranslucentBackground) != compositing_;
        });
        scheduleRefill();
        return false;
    }
    if ((event->response_type & ~0x80) != XCB_PROPERTY_NOTIFY) return false;
    const auto* change = static_cast<const xcb_property_notify_event_t*>(message);
    // The window manager restacked its windows: ours go back in place, if any is up.
    if (change->window == root_ && change->atom == stackingAtom_ &&
        std::any_of(panels_.begin(), panels_.end(), [](const QtPanel* p) { return p->options().level >= 1 && p->isMapped(); }))
        scheduleRestack();
    return false;
}

}  // namespace tessane::qt_backend
