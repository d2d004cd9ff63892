#include "platform/qt/panels/TextContrast.h"

#include "platform/qt/tray/StatusIconPainter.h"

#include <algorithm>

namespace tessane::qt_backend {

QColor readableOn(const QColor& text, std::initializer_list<QColor> grounds, double ratio) {
    const auto worst = [&](const QColor& c) {
        double least = 21;
        for (const QColor& g : grounds) least = std::min(least, contrastRatio(c, g));
        return least;
    };
    QColor opaque = text;
    opaque.setAlphaF(1);
    if (text.alphaF() < 1 && grounds.size() > 0) {
        const QColor& under = *grounds.begin();
        const float a = text.alphaF();
        opaque.setRgbF(text.redF() * a + under.redF() * (1 - a), text.greenF() * a + under.greenF() * (1 - a),
                       text.blueF() * a + under.blueF() * (1 - a));
    }
    if (grounds.size() == 0 || worst(opaque) >= ratio) return opaque;
    // Towards the end (black or white) that stands out more from the grounds, in small steps of
    // lightness, so the hue stays recognisable (green stays green).
    const bool darker = worst(Qt::black) >= worst(Qt::white);
    float h = 0, s = 0, l = 0, a = 0;
    opaque.getHslF(&h, &s, &l, &a);
    QColor best = darker ? QColor(Qt::black) : QColor(Qt::white);
    for (int step = 1; step <= 100; ++step) {
        const float lightness = darker ? l * (1 - step / 100.0f) : l + (1 - l) * (step / 100.0f);
        const QColor candidate = QColor::fromHslF(h, s, std::clamp(lightness, 0.0f, 1.0f));
        if (worst(candidate) >= ratio) {
            best = candidate;
            break;
        }
    }
    return best;
}

}  // namespace tessane::qt_backend
