#include "platform/qt/panels/PanelText.h"

#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <QTextLayout>

#include <cmath>
#include <limits>

namespace tessane::qt_backend {

namespace {

QFont::Weight qtWeight(FontWeight weight) {
    switch (weight) {
    case FontWeight::regular: return QFont::Normal;
    case FontWeight::medium: return QFont::Medium;
    case FontWeight::semibold: return QFont::DemiBold;
    case FontWeight::bold: return QFont::Bold;
    }
    return QFont::Normal;
}

// Lays the text out in `layout`; returns its size (widest line, all lines' height).
QSizeF layOut(QTextLayout& layout, const PanelText& text, double maxWidth) {
    QString whole;
    QList<QTextLayout::FormatRange> formats;
    for (const TextRun& run : text.runs) {
        const QString part = QString::fromStdString(run.text);
        if (run.bold) {
            QTextCharFormat bold;
            bold.setFontWeight(QFont::Bold);
            formats.append({static_cast<int>(whole.size()), static_cast<int>(part.size()), bold});
        }
        whole += part;
    }
    QFont font = QGuiApplication::font();
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(text.size))));
    font.setWeight(qtWeight(text.weight));
    layout.setText(whole);
    layout.setFont(font);
    layout.setFormats(formats);
    QTextOption option;
    option.setWrapMode(text.wraps ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    layout.setTextOption(option);
    const double lineWidth = text.wraps ? std::max(1.0, maxWidth) : std::numeric_limits<float>::max() / 4;
    double y = 0, widest = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(lineWidth);
        line.setPosition({0, y});
        y += line.height();
        widest = std::max(widest, line.naturalTextWidth());
    }
    layout.endLayout();
    return {std::ceil(widest), std::ceil(y)};
}

}  // namespace

QSizeF measurePanelText(const PanelText& text, double maxWidth) {
    QTextLayout layout;
    return layOut(layout, text, maxWidth);
}

void paintPanelText(QPainter& painter, const PanelText& text, const QRectF& box, const QColor& color) {
    QTextLayout layout;
    layOut(layout, text, box.width());
    painter.save();
    painter.setPen(color);
    layout.draw(&painter, box.topLeft());
    painter.restore();
}

}  // namespace tessane::qt_backend
