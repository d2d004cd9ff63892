// How a panel's window shows its drawing: filled by the server or painted by Qt, shaped to what it
// draws, and cut where windows of ours that belong above it lie.
#include "platform/qt/panels/PanelPainter.h"
#include "platform/qt/panels/PanelX11.h"
#include "platform/qt/panels/QtPanelWidget.h"
#include "platform/qt/panels/QtPanels.h"

#include <algorithm>
#include <cmath>

namespace tessane::qt_backend {

void QtPanel::applySurface(bool newDrawing) {
    const auto fill = solidFill(widget_->canvas().drawing(), widget_->canvas().drawingSize(), chromeIsDark());
    // Resized ahead of the drawing for its new size: the server goes on filling it until that
    // drawing comes, rather than Qt painting it once in between.
    if (!fill && serverFill_ && !newDrawing) return;
    // The window keeps its background between showings. A mat's, kept mapped with nothing painted,
    // is painted once it has a drawing that is more than a fill.
    if (fill == serverFill_ && (fill || widget_->updatesEnabled() || widget_->canvas().drawing().empty())) return;
    if (fill) {
        // Before the window is first shown, so that Qt never paints it (nor makes its store).
        widget_->setUpdatesEnabled(false);
        panel_x11::setBackgroundColor(windowId(), *fill, widget_->testAttribute(Qt::WA_TranslucentBackground));
    } else {
        panel_x11::clearBackground(windowId());
        widget_->setUpdatesEnabled(true);  // repaints it all
    }
    serverFill_ = fill;
}

void QtPanel::applyShape(bool newDrawing) {
    applySurface(newDrawing);
    applyShapes();
    syncInputWindow();
}

void QtPanel::applyShapes() {
    if (hiddenByShape_) {
        // Nothing shown is said with a pixel past the window's edge (see below).
        panel_x11::setBoundingShape(windowId(), QRegion(-1, -1, 1, 1));
        shaped_ = true;
        wholeShape_ = QSize();
        return;
    }
    cut_ = owner_.coverOf(*this);
    if (options_.ignoresMouse) panel_x11::setEmptyInputShape(windowId());
    // Shapes are cut in X pixels, straight on the window: Qt would cut them in its own units.
    const QSize points = widget_->canvas().drawingSize();
    const QSize pixels = rootFrame_.isEmpty() ? points : rootFrame_.size();
    const QRegion whole(QRect(QPoint(0, 0), pixels));
    const double scale = widget_->devicePixelRatioF();
    // A shadow painted around the content is no place to click: clicks there fall through.
    const auto& drawing = widget_->canvas().drawing();
    const bool shadowed =
        std::any_of(drawing.begin(), drawing.end(), [](const DrawOp& op) { return op.kind == DrawOp::Kind::shadow; });
    // A window made without a compositing manager has no transparent background to blend: it
    // takes the shape of what it draws instead. Nor is anything blended in a window the server
    // fills.
    const bool shapedToDrawing = !widget_->testAttribute(Qt::WA_TranslucentBackground) || serverFill_;
    QRegion drawn;
    if (shapedToDrawing) {
        drawn = drawingRegion(drawing, points, scale);
        // Scaled, a drawing's edges round outwards: what lies past the window is no part of it.
        if (scale != 1) drawn &= whole;
    }
    const bool toDrawing = !drawn.isEmpty() && drawn != whole;
    // A bounding shape also bounds input: nothing of the panel shows or takes the pointer where a
    // window of ours that belongs above it lies.
    const QRegion shown = (toDrawing ? drawn : whole) - cut_;
    if (shown != whole) {
        // Nothing shown is said with a pixel past the window's edge, which the server clips
        // away: Mutter reads a shape of no rectangles as no shape at all, and shows it whole.
        panel_x11::setBoundingShape(windowId(), shown.isEmpty() ? QRegion(-1, -1, 1, 1) : shown);
        shaped_ = true;
        wholeShape_ = QSize();
    } else {
        uncut(pixels);  // cut while the server filled it, or for a window above it
    }
    if (shapedToDrawing) {
        // A panel that takes clicks takes them all over its input area but in its shadow (through
        // an input window where it draws less than that).
        if (!options_.ignoresMouse && !drawn.isEmpty()) panel_x11::setInputShape(windowId(), inputRegion(pixels));
        widerInput_ = toDrawing && !shadowed && !options_.ignoresMouse;
        return;
    }
    widerInput_ = false;
    if (options_.ignoresMouse) return;
    const QRegion input = inputRegion(pixels);
    panel_x11::setInputShape(windowId(), shadowed ? drawingRegion(drawing, points, scale) & input : input);
}

void QtPanel::setInputArea(std::optional<std::vector<Rect>> area) {
    if (area == inputArea_) return;
    inputArea_ = std::move(area);
    if (!widget_->testAttribute(Qt::WA_WState_Created)) return;
    applyShapes();
    syncInputWindow();
}

QRegion QtPanel::inputRegion(QSize pixels) const {
    const QRect whole(QPoint(0, 0), pixels);
    if (!inputArea_) return whole;
    // Rounded as the edges of the windows around it are, to whole pixels of its display.
    const double scale = widget_->devicePixelRatioF();
    const auto px = [scale](double v) { return static_cast<int>(std::lround(v * scale)); };
    QRegion area;
    for (const Rect& r : *inputArea_) {
        const int top = px(frame_.height() - r.maxY()), left = px(r.minX());
        area += QRect(left, top, px(r.maxX()) - left, px(frame_.height() - r.minY()) - top);
    }
    return area & whole;
}

void QtPanel::uncut(QSize pixels) {
    // A shape once cut is widened to the whole window, never taken away: Mutter masks a window
    // without a frame by the last shape it read, and builds that mask afresh only while the
    // window has a shape, so a window unshaped kept its old corners cut on the screen.
    if (!shaped_ || wholeShape_ == pixels) return;
    panel_x11::setBoundingShape(windowId(), QRegion(QRect(QPoint(0, 0), pixels)));
    wholeShape_ = pixels;
}

void QtPanel::recut() {
    if (!widget_->testAttribute(Qt::WA_WState_Created)) return;
    if (owner_.coverOf(*this) != cut_) {
        applyShapes();
        syncInputWindow();
    } else if (inputWindow_) {
        cutInputWindow();
    }
}

void QtPanel::cutInputWindow() {
    if (!inputWindow_ || (!inputShape_ && cut_.isEmpty() && !inputArea_)) return;
    const QRegion want = inputRegion(rootFrame_.size()) - cut_;
    if (inputShape_ == want) return;
    panel_x11::setInputShape(inputWindow_, want);
    inputShape_ = want;
}

}  // namespace tessane::qt_backend
