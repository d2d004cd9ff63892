// Before any Qt header: Qt's `emit` keyword would break the signal class this pulls in.
#include "platform/linux/x11/X11ScreenSpace.h"

#include "platform/qt/panels/QtPanels.h"
#include "platform/qt/panels/PanelText.h"
#include "platform/qt/panels/PanelX11.h"
#include "platform/qt/panels/QtPanelWidget.h"
#include "platform/qt/panels/WindowLevel.h"

#include <QGuiApplication>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <utility>

namespace tessane::qt_backend {

QtPanels::QtPanels(const linux_backend::X11ScreenSpace& space, linux_backend::X11Connection& x)
    : space_(space), x_(x), compositing_(panel_x11::compositing()), pool_(compositing_), stacking_(x) {
    if (!panel_x11::available()) return;
    root_ = panel_x11::rootWindow();
    panel_x11::internAtoms();
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
    watchHeldMaps();
}

QtPanels::~QtPanels() {
    if (root_ && qApp) qApp->removeNativeEventFilter(this);
}

bool QtPanels::anyCutUp() const {
    return std::any_of(panels_.begin(), panels_.end(), [](const QtPanel* p) {
        return p->options().level >= 1 && p->options().level <= PanelLevel::card && p->isMapped();
    });
}

bool QtPanels::anotherMatShown(const QtPanel* mat) const {
    return std::any_of(panels_.begin(), panels_.end(),
                       [mat](const QtPanel* p) { return p != mat && p->options().level < 0 && p->isMapped(); });
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

void QtPanels::prepare(const std::vector<PanelOptions>& panels) {
    if (!root_) return;
    // The windows of the panels in use stand for entries too.
    std::vector<PanelOptions> inUse;
    for (const auto* p : panels_) inUse.push_back(p->options());
    pool_.prepare(panels, inUse);
    stacking_.prime();
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

void QtPanels::showBeforeMaps(QtPanel* panel) {
    if (std::find(toShow_.begin(), toShow_.end(), panel) == toShow_.end()) toShow_.push_back(panel);
    scheduleRestack();
}

void QtPanels::mapBatch() {
    if (toMap_.empty() || mapsHeldFor_) return;
    const auto fresh = std::exchange(toMap_, {});
    // Each was stacked in place before it was mapped, but a compositing manager may paint a window
    // mapped again above all the others (Mutter until the order of the windows it manages changes,
    // KWin until it hears of a restack): the chrome shown again after a user's drag would cover
    // the cards. So the panels go up bottom first, and each mapped panel of ours that lies over one
    // of them is mapped again after it, as the stack has them. Without a compositing manager the
    // server paints by the stack alone.
    const auto stack = overlayStack();
    std::vector<QRect> below;
    for (auto it = stack.rbegin(); it != stack.rend(); ++it) {
        QtPanel* p = *it;
        const bool isFresh = std::find(fresh.begin(), fresh.end(), p) != fresh.end();
        if (isFresh && p->hiddenByShape()) {
            p->reveal();  // never unmapped: where the stack has it, on the screen too
            continue;
        }
        if (!isFresh && (!compositing_ || !p->mapsItself() || std::none_of(below.begin(), below.end(), [&](const QRect& r) {
                             return r.intersects(p->rootFrame());
                         })))
            continue;
        if (!isFresh) p->mapAgain();
        else panel_x11::mapWindow(p->windowId());
        below.push_back(p->rootFrame());
    }
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

}  // namespace tessane::qt_backend
