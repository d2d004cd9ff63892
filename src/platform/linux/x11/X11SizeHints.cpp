#include "platform/linux/x11/X11SizeHints.h"

#include <algorithm>
#include <cmath>

namespace tessane::linux_backend {

namespace {

long whole(double v) { return std::lround(v); }

// One side: the wanted length between the minimum and the maximum (a maximum below the
// minimum is ignored, as managers do).
long clamped(long wanted, long least, std::optional<long> most) {
    long v = std::max(wanted, least);
    if (most && *most >= least) v = std::min(v, *most);
    return v;
}

// One side rounded down to whole increments from the base (integer division, as managers do it),
// then up again by whole increments while it is short of the minimum.
long stepped(long length, long base, long increment, long least) {
    if (increment < 1) return length;
    long v = base + (length - base) / increment * increment;
    if (v < least) v += (least - v + increment - 1) / increment * increment;
    return v;
}

}  // namespace

Size constrainedClientSize(const X11SizeHints& hints, Size wanted) {
    // ICCCM: without a base size the minimum serves as one, and the other way round.
    const Size base = hints.baseSize.value_or(hints.minSize.value_or(Size{0, 0}));
    const Size least = hints.minSize.value_or(hints.baseSize.value_or(Size{1, 1}));
    const long minW = std::max(1L, whole(least.width)), minH = std::max(1L, whole(least.height));
    const std::optional<long> maxW = hints.maxSize ? std::optional(whole(hints.maxSize->width)) : std::nullopt;
    const std::optional<long> maxH = hints.maxSize ? std::optional(whole(hints.maxSize->height)) : std::nullopt;
    long w = clamped(whole(wanted.width), minW, maxW);
    long h = clamped(whole(wanted.height), minH, maxH);

    // The ratio holds for the size beyond the base only when a base is given.
    const long aspectW = hints.baseSize ? whole(hints.baseSize->width) : 0;
    const long aspectH = hints.baseSize ? whole(hints.baseSize->height) : 0;
    long dw = w - aspectW, dh = h - aspectH;
    if (dw > 0 && dh > 0) {
        if (const auto& a = hints.minAspect; a && a->width >= 1 && a->height >= 1 && dw * a->height < dh * a->width)
            dh = static_cast<long>(std::floor(static_cast<double>(dw) * a->height / a->width));  // too narrow
        if (const auto& a = hints.maxAspect; a && a->width >= 1 && a->height >= 1 && dw * a->height > dh * a->width)
            dw = static_cast<long>(std::floor(static_cast<double>(dh) * a->width / a->height));  // too wide
        w = std::max(dw + aspectW, minW);
        h = std::max(dh + aspectH, minH);
    }

    if (const auto& inc = hints.resizeIncrements) {
        w = stepped(w, whole(base.width), whole(inc->width), minW);
        h = stepped(h, whole(base.height), whole(inc->height), minH);
    }
    return {static_cast<double>(std::max(1L, w)), static_cast<double>(std::max(1L, h))};
}

}  // namespace tessane::linux_backend
