#include "builder/qt/BuilderWidgets.h"

#include "builder/BuilderState.h"
#include "platform/qt/PanelPainter.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

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

// The platform's "plus in a filled circle" symbol, drawn by us.
void paintPlusCircle(QPainter& p, const QRectF& r, const QColor& fill) {
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawEllipse(r);
    const double arm = r.width() * 0.27, thick = r.width() * 0.09;
    const QPointF c = r.center();
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.drawRoundedRect(QRectF(c.x() - arm, c.y() - thick / 2, 2 * arm, thick), thick / 2, thick / 2);
    p.drawRoundedRect(QRectF(c.x() - thick / 2, c.y() - arm, thick, 2 * arm), thick / 2, thick / 2);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
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

// ------------------------------------------------------------------------------ gallery

GalleryButton::GalleryButton(LayoutType type, bool dark, QWidget* parent)
    : QAbstractButton(parent), type_(type), dark_(dark) {
    setText(QString::fromUtf8(label(type)));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
}

void GalleryButton::setSelected(bool selected) {
    selected_ = selected;
    update();
}

QSize GalleryButton::sizeHint() const {
    const QFontMetrics fm(caption2Font());
    const int tileWidth = int(kThumbnail.width() + 2 * kThumbnailPadding);
    const int tileHeight = int(kThumbnail.height() + 2 * kThumbnailPadding);
    return {std::max(tileWidth, fm.horizontalAdvance(text())) + 2, tileHeight + 4 + fm.height() + 2};
}

void GalleryButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QSizeF tile(kThumbnail.width() + 2 * kThumbnailPadding, kThumbnail.height() + 2 * kThumbnailPadding);
    const QRectF tileRect((width() - tile.width()) / 2, 1, tile.width(), tile.height());
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
}

// ------------------------------------------------------------------------------ pane cell

namespace {

// The empty cell's button: the whole cell takes the click.
class AddAppButton final : public QAbstractButton {
public:
    AddAppButton(bool dark, QWidget* parent) : QAbstractButton(parent), dark_(dark) {
        setText("Add App");
        setCursor(Qt::PointingHandCursor);
    }

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
    remove->setStyleSheet(QString("QPushButton { border: none; padding: 0; color: %1; }")
                              .arg(color(ColorRole::accent, dark).name()));
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
