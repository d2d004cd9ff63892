#include "builder/qt/BuilderWidgets.h"

#include "builder/BuilderState.h"
#include "platform/qt/panels/PanelPainter.h"
#include "platform/qt/panels/TextContrast.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>
#include <vector>

namespace tessane::builder_qt {

namespace {

constexpr QSizeF kThumbnail{52, 36};
constexpr double kThumbnailPadding = 5;

QFont sized(double points, bool bold = false) {
    QFont f = QApplication::font();
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

// The platform's "plus in a filled circle" symbol, drawn by us: the plus is cut out of the disc,
// so the panel's own background shows through it (never what lies behind the panel).
void paintPlusCircle(QPainter& p, const QRectF& r, const QColor& fill) {
    const double arm = r.width() * 0.27, thick = r.width() * 0.09;
    const QPointF c = r.center();
    QPainterPath across, down, disc;
    across.addRoundedRect(QRectF(c.x() - arm, c.y() - thick / 2, 2 * arm, thick), thick / 2, thick / 2);
    down.addRoundedRect(QRectF(c.x() - thick / 2, c.y() - arm, thick, 2 * arm), thick / 2, thick / 2);
    disc.addEllipse(r);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawPath(disc.subtracted(across.united(down)));
}

}  // namespace

QColor color(ColorRole role, bool dark, double alpha) {
    return qt_backend::resolveColor(PaintColor{role, alpha}, dark);
}
QFont captionFont() { return sized(8.5); }
QFont caption2Font() { return sized(7.5); }
QFont calloutFont() { return sized(10); }

void paintLayoutThumbnail(QPainter& painter, LayoutType type, const QRectF& area, bool dark) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color(ColorRole::secondaryLabel, dark, 0.55));
    for (const Rect& r : BuilderState::paneCells(type, {area.width(), area.height()}, BuilderState::kThumbnailGutter))
        painter.drawRoundedRect(QRectF(area.x() + r.minX(), area.y() + r.minY(), r.width(), r.height()), 2, 2);
    painter.restore();
}

// ------------------------------------------------------------------------------ keyboard tiles

namespace {

bool isPressKey(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }

// The nearest tile whose centre lies in the arrow's direction, the distance across the direction
// counting double so that a tile in line wins over a closer one off to the side.
KeyTile* neighbour(const QWidget* from, const std::vector<KeyTile*>& tiles, int key) {
    const QWidget* top = from->window();
    const QPointF origin = from->mapTo(top, QRectF(from->rect()).center().toPoint());
    KeyTile* best = nullptr;
    double bestScore = 0;
    for (KeyTile* tile : tiles) {
        if (tile == from) continue;
        const QPointF d = QPointF(tile->mapTo(top, QRectF(tile->rect()).center().toPoint())) - origin;
        double along = 0, across = 0;
        switch (key) {
        case Qt::Key_Left: along = -d.x(), across = d.y(); break;
        case Qt::Key_Right: along = d.x(), across = d.y(); break;
        case Qt::Key_Up: along = -d.y(), across = d.x(); break;
        case Qt::Key_Down: along = d.y(), across = d.x(); break;
        default: return nullptr;
        }
        if (along < 1) continue;
        const double score = along + 2 * std::abs(across);
        if (!best || score < bestScore) best = tile, bestScore = score;
    }
    return best;
}

}  // namespace

KeyTile::KeyTile(Group group, QWidget* parent) : QAbstractButton(parent), group_(group) {
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
}

bool KeyTile::event(QEvent* event) {
    // Return presses the focused tile rather than the panel's default button.
    if (event->type() == QEvent::ShortcutOverride && isPressKey(static_cast<QKeyEvent*>(event)->key())) {
        event->accept();
        return true;
    }
    return QAbstractButton::event(event);
}

void KeyTile::keyPressEvent(QKeyEvent* event) {
    if (isPressKey(event->key()) && !event->isAutoRepeat()) {
        click();
        return;
    }
    std::vector<KeyTile*> tiles;
    // Our tiles have no meta-object of their own: Qt's cast would take any button for one.
    for (auto* button : window()->findChildren<QAbstractButton*>())
        if (auto* tile = dynamic_cast<KeyTile*>(button);
            tile && tile->group_ == group_ && tile->isVisible() && tile->isEnabled())
            tiles.push_back(tile);
    if (KeyTile* next = neighbour(this, tiles, event->key())) {
        next->setFocus(Qt::TabFocusReason);
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void KeyTile::paintFocusRing(QPainter& painter, const QRectF& r, double radius, bool dark) const {
    if (!hasFocus()) return;
    painter.save();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(color(ColorRole::accent, dark, 0.7), 2));
    painter.drawRoundedRect(r.adjusted(1, 1, -1, -1), radius, radius);
    painter.restore();
}

// ------------------------------------------------------------------------------ gallery

namespace {
// Room around the tile for the focus ring.
constexpr double kRingMargin = 3;
}  // namespace

GalleryButton::GalleryButton(LayoutType type, bool dark, QWidget* parent)
    : KeyTile(Group::gallery, parent), type_(type), dark_(dark) {
    setText(QString::fromUtf8(label(type)));
    setAccessibleName(text());
}

void GalleryButton::setSelected(bool selected) {
    selected_ = selected;
    update();
}

QSize GalleryButton::sizeHint() const {
    const QFontMetrics fm(caption2Font());
    const int tileWidth = int(kThumbnail.width() + 2 * kThumbnailPadding);
    const int tileHeight = int(kThumbnail.height() + 2 * kThumbnailPadding);
    const int ring = int(2 * kRingMargin);
    return {std::max(tileWidth, fm.horizontalAdvance(text())) + 2 + ring, tileHeight + 4 + fm.height() + 2 + ring};
}

void GalleryButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QSizeF tile(kThumbnail.width() + 2 * kThumbnailPadding, kThumbnail.height() + 2 * kThumbnailPadding);
    const QRectF tileRect((width() - tile.width()) / 2, kRingMargin + 1, tile.width(), tile.height());
    p.setBrush(color(ColorRole::underPageBackground, dark_));
    const double line = selected_ ? 2 : 1;
    p.setPen(QPen(selected_ ? color(ColorRole::accent, dark_) : color(ColorRole::separator, dark_), line));
    // The border lies inside the tile.
    p.drawRoundedRect(tileRect.adjusted(line / 2, line / 2, -line / 2, -line / 2), 6, 6);
    paintLayoutThumbnail(p, type_, tileRect.adjusted(kThumbnailPadding, kThumbnailPadding, -kThumbnailPadding,
                                                     -kThumbnailPadding),
                         dark_);
    p.setFont(caption2Font());
    p.setPen(color(selected_ ? ColorRole::label : ColorRole::secondaryLabel, dark_));
    p.drawText(QRectF(0, tileRect.bottom() + 4, width(), height() - tileRect.bottom() - 4),
               Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, text());
    paintFocusRing(p, QRectF(rect()), 8, dark_);
}

// ------------------------------------------------------------------------------ pane cell

namespace {

// The empty cell's button: the whole cell takes the click.
class AddAppButton final : public KeyTile {
public:
    AddAppButton(bool dark, QWidget* parent) : KeyTile(Group::panes, parent), dark_(dark) { setText("Add App"); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QColor secondary = color(ColorRole::secondaryLabel, dark_);
        const QFontMetrics fm(captionFont());
        const double symbol = 30, spacing = 6;
        const double total = symbol + spacing + fm.height();
        const double top = (height() - total) / 2;
        paintPlusCircle(p, QRectF((width() - symbol) / 2, top, symbol, symbol), secondary);
        p.setPen(secondary);
        p.setFont(captionFont());
        p.drawText(QRectF(0, top + symbol + spacing, width(), fm.height()), Qt::AlignHCenter | Qt::TextSingleLine,
                   text());
        paintFocusRing(p, QRectF(rect()), 10, dark_);
    }

private:
    bool dark_;
};

}  // namespace

PaneCell::PaneCell(const Content& content, bool dark, std::function<void()> onAdd, std::function<void()> onRemove,
                   QWidget* parent)
    : QWidget(parent), dark_(dark) {
    auto* layout = new QVBoxLayout(this);
    if (!content.filled) {
        layout->setContentsMargins(0, 0, 0, 0);
        auto* add = new AddAppButton(dark, this);
        add->setObjectName("addApp");
        add->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
        connect(add, &QAbstractButton::clicked, this, [onAdd] { onAdd(); });
        layout->addWidget(add);
        return;
    }
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(6);
    layout->addStretch();
    auto* icon = new QLabel(this);
    icon->setFixedSize(44, 44);
    if (!content.icon.isNull())
        icon->setPixmap(content.icon.scaled(44, 44, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    layout->addWidget(icon, 0, Qt::AlignHCenter);
    auto* name = new QLabel(content.name, this);
    name->setFont(calloutFont());
    name->setObjectName("appName");
    QPalette namePalette = name->palette();
    namePalette.setColor(QPalette::WindowText, color(ColorRole::label, dark));
    name->setPalette(namePalette);
    layout->addWidget(name, 0, Qt::AlignHCenter);
    auto* remove = new QPushButton("Remove", this);
    remove->setObjectName("remove");
    remove->setFlat(true);
    remove->setFont(captionFont());
    remove->setCursor(Qt::PointingHandCursor);
    // Small accent text on the cell's face: deepened (lightened in dark) until it reads.
    const QColor link = qt_backend::readableOn(color(ColorRole::accent, dark), {color(ColorRole::underPageBackground, dark)});
    remove->setStyleSheet(QString("QPushButton { border: 1px solid transparent; border-radius: 3px; padding: 0 3px;"
                                  " color: %1; } QPushButton:focus { border-color: %1; }")
                              .arg(link.name()));
    connect(remove, &QPushButton::clicked, this, [onRemove] { onRemove(); });
    layout->addWidget(remove, 0, Qt::AlignHCenter);
    layout->addStretch();
}

void PaneCell::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(Qt::NoPen);
    p.setBrush(color(ColorRole::underPageBackground, dark_));
    p.drawRoundedRect(r, 10, 10);
    QPen dashed(color(ColorRole::separator, dark_), 1);
    dashed.setDashPattern({5, 5});
    p.setPen(dashed);
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(r, 10, 10);
}

}  // namespace tessane::builder_qt
