#include "builder/qt/OnboardingIllustrations.h"

#include "builder/qt/OnboardingPainting.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace tessane::builder_qt {

namespace {

// A border lies inside its shape's edge, one pixel wide.
void strokeInside(QPainter& p, const QRectF& r, double radius, const QColor& c, bool dashed = false) {
    QPen pen(c, 1.0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    if (dashed) pen.setDashPattern({4, 4});
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), std::max(0.0, radius - 0.5), std::max(0.0, radius - 0.5));
}

void fill(QPainter& p, const QRectF& r, double radius, const QColor& c) {
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRoundedRect(r, radius, radius);
}

void capsule(QPainter& p, const QRectF& r, const QColor& c) {
    const double radius = std::min(r.width(), r.height()) / 2;
    fill(p, r, radius, c);
}

// A symbol drawn at a font size: its square is a little larger than the size.
QRectF symbolBox(QPointF centre, double fontSize) {
    const double side = fontSize * 1.05;
    return {centre.x() - side / 2, centre.y() - side / 2, side, side};
}

}  // namespace

WorkspaceIllustration::WorkspaceIllustration(bool showPlus, bool dark, QWidget* parent)
    : QWidget(parent), showPlus_(showPlus), dark_(dark) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void WorkspaceIllustration::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF all(rect());
    fill(p, all, 12, color(ColorRole::underPageBackground, dark_));
    const QRectF inner = all.adjusted(10, 10, -10, -10);
    const double spacing = 6;
    const double half = (inner.width() - spacing) / 2;
    const QRectF left(inner.x(), inner.y(), half, inner.height());
    const double rightX = inner.x() + half + spacing;
    const double rowHeight = (inner.height() - spacing) / 2;
    paintPane(p, left, 0);
    paintPane(p, QRectF(rightX, inner.y(), half, rowHeight), 1);
    paintPane(p, QRectF(rightX, inner.y() + rowHeight + spacing, half, rowHeight), 2);
}

void WorkspaceIllustration::paintPane(QPainter& p, const QRectF& r, int symbolIndex) const {
    fill(p, r, 7, color(ColorRole::controlBackground, dark_));
    strokeInside(p, r, 7, color(ColorRole::separator, dark_), showPlus_);
    if (showPlus_) {
        paintSymbol(p, Symbol::plus, symbolBox(r.center(), 18), color(ColorRole::tertiaryLabel, dark_), QFont::DemiBold);
        return;
    }
    static constexpr Symbol symbols[] = {Symbol::twoWindows, Symbol::document, Symbol::terminal};
    paintSymbol(p, symbols[symbolIndex], symbolBox(r.center(), 20), color(ColorRole::secondaryLabel, dark_));
}

GestureIllustration::GestureIllustration(bool dark, QWidget* parent) : QWidget(parent), dark_(dark) {
    setFixedSize(kWidth, kHeight);
}

void MoveIllustration::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF all(rect());
    fill(p, all, 8, color(ColorRole::controlBackground, dark_));
    strokeInside(p, all, 8, color(ColorRole::separator, dark_));
    capsule(p, QRectF((kWidth - 22) / 2.0, 2, 22, 3), color(ColorRole::label, dark_, 0.55));
    paintSymbol(p, Symbol::fourWayArrow, symbolBox(all.center(), 16), color(ColorRole::accent, dark_), QFont::DemiBold);
}

void ResizeIllustration::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const double spacing = 4, half = (kWidth - spacing) / 2;
    fill(p, QRectF(0, 0, half, kHeight), 6, color(ColorRole::controlBackground, dark_));
    fill(p, QRectF(half + spacing, 0, half, kHeight), 6, color(ColorRole::controlBackground, dark_));
    const QPointF centre(kWidth / 2.0, kHeight / 2.0);
    capsule(p, QRectF(centre.x() - 2, centre.y() - 17, 4, 34), color(ColorRole::accent, dark_));
    p.setPen(Qt::NoPen);
    p.setBrush(color(ColorRole::controlBackground, dark_));
    p.drawEllipse(centre, 11, 11);
    paintSymbol(p, Symbol::leftRightArrow, symbolBox(centre, 13), color(ColorRole::accent, dark_), QFont::Bold);
}

void MenuIllustration::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF all(rect());
    fill(p, all, 8, color(ColorRole::controlBackground, dark_));
    strokeInside(p, all, 8, color(ColorRole::separator, dark_));
    const double barTop = 4, barHeight = 3, spacing = 3;
    capsule(p, QRectF((kWidth - 22) / 2.0, barTop, 22, barHeight), color(ColorRole::label, dark_, 0.55));
    const QRectF menu((kWidth - 42) / 2.0, barTop + barHeight + spacing, 42, 30);
    fill(p, menu, 4, color(ColorRole::windowBackground, dark_));
    strokeInside(p, menu, 4, color(ColorRole::separator, dark_));
    const double item = 2.5, gap = 3, stack = 3 * item + 2 * gap;
    const double x = menu.center().x() - 15;
    for (int i = 0; i < 3; ++i)
        capsule(p, QRectF(x, menu.center().y() - stack / 2 + i * (item + gap), 30, item),
                color(ColorRole::secondaryLabel, dark_, 0.5));
}

GestureRow::GestureRow(QWidget* illustration, const QString& title, const QString& detail, bool dark,
                       QWidget* parent)
    : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(16);
    illustration->setParent(this);
    row->addWidget(illustration, 0, Qt::AlignVCenter);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(3);
    auto* titleLabel = new QLabel(title, this);
    titleLabel->setObjectName("gestureTitle");
    titleLabel->setFont(textFont(13, QFont::Bold));
    QPalette primary = titleLabel->palette();
    primary.setColor(QPalette::WindowText, color(ColorRole::label, dark));
    titleLabel->setPalette(primary);
    auto* detailLabel = new QLabel(detail, this);
    detailLabel->setObjectName("gestureDetail");
    detailLabel->setFont(textFont(12));
    detailLabel->setWordWrap(true);
    QPalette secondary = detailLabel->palette();
    secondary.setColor(QPalette::WindowText, color(ColorRole::secondaryLabel, dark));
    detailLabel->setPalette(secondary);
    texts->addWidget(titleLabel);
    texts->addWidget(detailLabel);
    row->addLayout(texts, 1);
}

}  // namespace tessane::builder_qt
