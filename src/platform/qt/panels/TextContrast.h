#pragma once

#include <QColor>

#include <initializer_list>

namespace tessane::qt_backend {

// The minimum contrast of text with its background: 4.5:1, and 3:1 for large text (18 points, or
// 14 points bold).
inline constexpr double kTextContrast = 4.5;
inline constexpr double kLargeTextContrast = 3.0;
// A mark that is not text (a page dot, a control's outline) stands out at 3:1.
inline constexpr double kMarkContrast = 3.0;

// `text` where it reads at `ratio` or more on every one of `grounds` (all taken as opaque colours);
// otherwise the nearest colour of its hue that does, darker on light grounds and lighter on dark
// ones (black or white at the end). Translucent text (a field's hint) is taken as it shows on the
// first ground, and answered opaque: a hint stays fainter than the text typed beside it.
QColor readableOn(const QColor& text, std::initializer_list<QColor> grounds, double ratio = kTextContrast);

}  // namespace tessane::qt_backend
