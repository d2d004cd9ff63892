#include "controller/GestureRules.h"

#include "system/AXWindowController.h"
#include "layout/LayoutEngine.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace tessane {

namespace {

constexpr double kGutter = 6;
constexpr double kHalfGutter = 3;
constexpr double kEdgeMoved = 6;        // an edge moved by this much or less stayed put
constexpr double kGutterReach = 8;      // how far from a gutter an edge may end and still face it
constexpr double kSameSize = 2;         // a size within this of the last one seen did not change
constexpr double kMinimumPane = 320;
constexpr double kSpillSlack = 24;      // a window may spill this far past its pane unnoticed
constexpr double kRatioChange = 0.005;  // a re-split by less is no change

using LayoutEngine::SplitAxis;

bool offBy(double a, double b, double tolerance) { return std::abs(a - b) > tolerance; }

// The extent and edges of a rectangle along a gutter's axis.
double extent(const Rect& r, SplitAxis axis) { return axis == SplitAxis::column ? r.width() : r.height(); }
double extent(const Size& s, SplitAxis axis) { return axis == SplitAxis::column ? s.width : s.height; }
double nearEdge(const Rect& r, SplitAxis axis) { return axis == SplitAxis::column ? r.minX() : r.minY(); }
double farEdge(const Rect& r, SplitAxis axis) { return axis == SplitAxis::column ? r.maxX() : r.maxY(); }

// A pane's sizing; a list too short knows nothing of the later panes.
GestureRules::WindowSizing sizingAt(const std::vector<GestureRules::WindowSizing>& sizings, size_t i) {
    return i < sizings.size() ? sizings[i] : GestureRules::WindowSizing{};
}

std::optional<std::vector<double>> ratiosOrNone(const std::vector<double>& ratios) {
    return ratios.empty() ? std::nullopt : std::optional<std::vector<double>>(ratios);
}

}  // namespace

// ------------------------------------------------------------------------- shared pieces

Rect GestureRules::innerRect(const Rect& container) {
    return {container.minX() + kHalfGutter, container.minY() + kHalfGutter,
            std::max(0.0, container.width() - kGutter), std::max(0.0, container.height() - kGutter)};
}

Rect GestureRules::pointerHitArea(const Rect& pane) {
    const double inset = std::min(0.25 * std::min(pane.width(), pane.height()), 32.0);
    return pane.insetBy(inset, inset);
}

// ------------------------------------------------------------------------- drops and zooms

std::optional<std::pair<int, int>> GestureRules::paneSwap(const std::vector<Rect>& paneRects,
                                                          const std::vector<std::optional<Rect>>& windowFrames,
                                                          const std::vector<GestureRules::WindowSizing>& sizings,
                                                          std::optional<Point> pointer, double moveTolerance,
                                                          double sizeTolerance) {
    const size_t n = paneRects.size();
    if (n < 2 || windowFrames.size() != n) return std::nullopt;
    std::optional<int> source;
    int moved = 0;
    for (size_t i = 0; i < n; ++i) {
        if (!windowFrames[i]) continue;
        const Rect& frame = *windowFrames[i];
        const Rect& pane = paneRects[i];
        if (GestureRules::windowResized(frame, pane, sizingAt(sizings, i), sizeTolerance))
            return std::nullopt;  // a resized window is no drop
        if (offBy(frame.minX(), pane.minX(), moveTolerance) || offBy(frame.minY(), pane.minY(), moveTolerance)) {
            ++moved;
            source = static_cast<int>(i);
        }
    }
    if (moved != 1) return std::nullopt;

    const Rect& frame = *windowFrames[*source];
    const Point drop = pointer.value_or(Point{frame.midX(), frame.midY()});
    for (size_t i = 0; i < n; ++i) {
        if (static_cast<int>(i) == *source) continue;
        const Rect& pane = paneRects[i];
        const double shorter = std::min(pane.width(), pane.height());
        const Rect hit = pointer ? GestureRules::pointerHitArea(pane) : pane.insetBy(0.15 * shorter, 0.15 * shorter);
        if (hit.contains(drop)) return std::pair{*source, static_cast<int>(i)};
    }
    return std::nullopt;
}

std::optional<int> GestureRules::zoomedPane(const std::vector<Rect>& paneRects,
                                            const std::vector<std::optional<Rect>>& windowFrames,
                                            const std::vector<Uuid>& appIDs,
                                            const std::map<Uuid, Size>& previousSizes,
                                            const std::set<Uuid>& draggedAppIDs) {
    const size_t n = paneRects.size();
    if (n == 0 || windowFrames.size() != n || appIDs.size() != n) return std::nullopt;
    double total = 0;
    for (const auto& pane : paneRects) total += pane.width() * pane.height();
    if (!(total > 0)) return std::nullopt;
    for (size_t i = 0; i < n; ++i) {
        if (!windowFrames[i] || draggedAppIDs.count(appIDs[i])) continue;
        const Rect& frame = *windowFrames[i];
        if (const auto it = previousSizes.find(appIDs[i]); it != previousSizes.end() &&
                                                           !offBy(it->second.width, frame.width(), 2) &&
                                                           !offBy(it->second.height, frame.height(), 2))
            continue;  // unchanged since the last look
        const double area = frame.width() * frame.height();
        if (area > 0.85 * total && area > 1.5 * paneRects[i].width() * paneRects[i].height())
            return static_cast<int>(i);
    }
    return std::nullopt;
}

// ------------------------------------------------------------------------- reflow

bool GestureRules::windowResized(const Rect& frame, const Rect& tile, const WindowSizing& sizing, double tolerance) {
    if (AXWindowController::sizeTaken(frame.size, tile.size, sizing.increments, tolerance)) return false;
    const auto& seen = sizing.lastSeen;
    return !seen || offBy(seen->width, frame.width(), kSameSize) || offBy(seen->height, frame.height(), kSameSize);
}

namespace {

// What the resized windows' edges ask for: per ratio index the largest divider move, per side of
// the container the largest move of an edge lying on it.
struct ResizeMoves {
    struct Divider {
        double d;
        double divider;
        SplitAxis axis;
    };
    struct Side {
        double d;
        double edge;
    };
    enum SideIndex { left, right, top, bottom };
    std::map<int, Divider> dividers;
    std::optional<Side> sides[4];
};

// Adds what the edges of one resized window `f`, laid out in tile `t`, ask for.
void noteResizedEdges(const Rect& f, const Rect& t, const std::optional<Size>& steps, const Rect& inner,
                      const std::vector<LayoutEngine::SplitGutter>& gutters, ResizeMoves& moves) {
    using S = ResizeMoves::SideIndex;
    struct Edge {
        S side;
        double window, tile, innerEdge;
        SplitAxis axis;
        double sought, divider;
        double step;  // how far short of the tile this edge may rest (the far edges of a stepped size)
    };
    const Edge edges[4] = {
        {S::left, f.minX(), t.minX(), inner.minX(), SplitAxis::column, t.minX() - 3, f.minX() - 3, 0},
        {S::right, f.maxX(), t.maxX(), inner.maxX(), SplitAxis::column, t.maxX() + 3, f.maxX() + 3,
         steps ? steps->width : 0},
        {S::top, f.minY(), t.minY(), inner.minY(), SplitAxis::row, t.minY() - 3, f.minY() - 3, 0},
        {S::bottom, f.maxY(), t.maxY(), inner.maxY(), SplitAxis::row, t.maxY() + 3, f.maxY() + 3,
         steps ? steps->height : 0},
    };
    for (const Edge& e : edges) {
        const double d = std::abs(e.window - e.tile);
        if (d <= kEdgeMoved || (e.window < e.tile && d < e.step)) continue;
        if (std::abs(e.tile - e.innerEdge) >= kHalfGutter) {
            for (const auto& g : gutters) {
                if (g.axis != e.axis) continue;
                const bool column = g.axis == SplitAxis::column;
                const double centre = column ? g.rect.midX() : g.rect.midY();
                const double half = (column ? g.rect.width() : g.rect.height()) / 2;
                if (std::abs(centre - e.sought) > half + kGutterReach) continue;
                const auto it = moves.dividers.find(*g.ratioIndex);
                if (it == moves.dividers.end() || it->second.d < d)
                    moves.dividers[*g.ratioIndex] = {d, e.divider, e.axis};
                break;
            }
        } else if (!moves.sides[e.side] || d > moves.sides[e.side]->d) {
            moves.sides[e.side] = ResizeMoves::Side{d, e.window};
        }
    }
}

// The stored ratios (defaults where none is stored) with each moved divider's ratio where it went.
std::vector<double> ratiosAfterDividerMoves(LayoutType geometry, LayoutType storedType, const Rect& inner,
                                            const std::vector<double>& stored,
                                            const std::map<int, ResizeMoves::Divider>& dividers) {
    const int count = GestureRules::splitRatioCount(geometry);
    std::vector<double> ratios;
    for (int k = 0; k < count; ++k)
        ratios.push_back(k < static_cast<int>(stored.size()) ? stored[k]
                                                             : LayoutEngine::ratioValue(std::nullopt, k, storedType));
    for (const auto& [index, move] : dividers) {
        if (index >= count) continue;
        const bool column = move.axis == SplitAxis::column;
        const double length = (column ? inner.width() : inner.height()) - kGutter;
        if (length <= 0) continue;
        const double r = (move.divider - (column ? inner.minX() : inner.minY()) - kHalfGutter) / length;
        const double lo = kMinimumPane / length;
        const double hi = 1 - lo;
        ratios[index] = lo <= hi ? std::clamp(r, lo, hi) : 0.5;
    }
    return ratios;
}

}  // namespace

GestureRules::ResizeReflow GestureRules::reflowFromResize(LayoutType geometry, LayoutType storedType, const Rect& inner,
                                                          const std::vector<Rect>& tiles,
                                                          const std::vector<std::optional<Rect>>& frames,
                                                          const std::vector<WindowSizing>& sizings,
                                                          const std::vector<double>& effective,
                                                          const std::vector<double>& stored) {
    using Kind = ResizeReflow::Kind;
    const size_t n = tiles.size();
    if (frames.size() != n) return {};

    // Only a resized window's edges say anything: one merely moved, or resting where its size
    // hints or its own will keep it, would read as moved sides.
    std::vector<bool> resized(n, false);
    for (size_t i = 0; i < n; ++i)
        resized[i] = frames[i] && windowResized(*frames[i], tiles[i], sizingAt(sizings, i), kEdgeMoved);
    if (std::find(resized.begin(), resized.end(), true) == resized.end()) return {};

    std::vector<LayoutEngine::SplitGutter> gutters;
    for (const auto& g : LayoutEngine::paneLayout(geometry, inner, static_cast<int>(n), ratiosOrNone(effective),
                                                  kGutter, 0, true)
                             .gutters)
        if (g.ratioIndex) gutters.push_back(g);

    ResizeMoves moves;
    for (size_t i = 0; i < n; ++i)
        if (resized[i]) noteResizedEdges(*frames[i], tiles[i], sizingAt(sizings, i).increments, inner, gutters, moves);

    double maxC = 0;
    for (const auto& side : moves.sides)
        if (side) maxC = std::max(maxC, side->d);
    std::optional<double> maxD;
    for (const auto& [index, move] : moves.dividers) maxD = std::max(maxD.value_or(move.d), move.d);

    if (maxC > kEdgeMoved && (!maxD || maxC >= *maxD)) {
        using S = ResizeMoves::SideIndex;
        const auto& sides = moves.sides;
        const double l = sides[S::left] ? sides[S::left]->edge : inner.minX();
        const double r = sides[S::right] ? sides[S::right]->edge : inner.maxX();
        const double t = sides[S::top] ? sides[S::top]->edge : inner.minY();
        const double b = sides[S::bottom] ? sides[S::bottom]->edge : inner.maxY();
        return {Kind::container, Rect{l - 3, t - 3, r - l + 6, b - t + 6}, {}};
    }
    if (!maxD || *maxD <= kEdgeMoved) return {Kind::unchanged, {}, {}};
    return {Kind::ratios, {}, ratiosAfterDividerMoves(geometry, storedType, inner, stored, moves.dividers)};
}

// ------------------------------------------------------------------------- divider reconcile

std::map<int, double> GestureRules::dividerFixes(LayoutType storedType, LayoutType geometry, const Rect& inner,
                                                 const std::vector<double>& effective,
                                                 const std::vector<Size>& windowSizes) {
    std::map<int, double> fixes;
    const int n = static_cast<int>(windowSizes.size());
    if (n < 2 || storedType == LayoutType::mainSidebar || geometry == LayoutType::threeColumns) return fixes;
    for (const auto& size : windowSizes)
        if (size.width <= 0 || size.height <= 0) return fixes;

    std::set<int> indices;
    for (const auto& g : LayoutEngine::paneLayout(geometry, inner, n, ratiosOrNone(effective), kGutter, 0, true).gutters)
        if (g.ratioIndex) indices.insert(*g.ratioIndex);

    std::vector<double> working = effective;
    for (const int k : indices) {
        const auto layout = LayoutEngine::paneLayout(geometry, inner, n, ratiosOrNone(working), kGutter, 0, true);
        if (static_cast<int>(layout.paneFrames.size()) != n) continue;
        const auto gutter = std::find_if(layout.gutters.begin(), layout.gutters.end(),
                                         [k](const auto& g) { return g.ratioIndex == k; });
        if (gutter == layout.gutters.end()) continue;
        const SplitAxis axis = gutter->axis;

        // The pane on one side of the gutter whose window spills furthest past it.
        const auto spill = [&](bool before) -> std::optional<std::pair<int, double>> {
            std::optional<std::pair<int, double>> best;
            for (int i = 0; i < n; ++i) {
                const Rect& pane = layout.paneFrames[i];
                const double gap = before ? std::abs(farEdge(pane, axis) - nearEdge(gutter->rect, axis))
                                          : std::abs(nearEdge(pane, axis) - farEdge(gutter->rect, axis));
                if (gap >= kHalfGutter) continue;
                const double excess = extent(windowSizes[i], axis) - extent(pane, axis);
                if (!best || excess > best->second) best = std::pair{i, excess};
            }
            return best;
        };
        const auto before = spill(true);
        const auto after = spill(false);
        if (!before || !after) continue;

        double p = 0;
        if (after->second > kSpillSlack && after->second >= before->second) {
            const int i = after->first;
            p = farEdge(layout.paneFrames[i], axis) - extent(windowSizes[i], axis) - kHalfGutter;
        } else if (before->second > kSpillSlack) {
            const int i = before->first;
            p = nearEdge(layout.paneFrames[i], axis) + extent(windowSizes[i], axis) + kHalfGutter;
        } else {
            continue;
        }

        const double available = extent(inner, axis) - kGutter;
        if (available <= 0) continue;
        const double r = LayoutEngine::clampSplitRatio((p - nearEdge(inner, axis) - kHalfGutter) / available, available,
                                                       kMinimumPane);
        fixes[k] = r;
        while (static_cast<int>(working.size()) <= k)
            working.push_back(working.empty() && geometry == LayoutType::threeColumns ? 1.0 / 3 : 0.5);
        working[k] = r;
    }
    return fixes;
}

std::vector<double> GestureRules::ratiosWithFixes(LayoutType storedType, const std::optional<std::vector<double>>& stored,
                                                  const std::map<int, double>& fixes) {
    const int count = splitRatioCount(storedType);
    std::vector<double> ratios{LayoutEngine::ratioValue(stored, 0, storedType)};
    for (int k = 1; k < count; ++k) ratios.push_back(stored && k < static_cast<int>(stored->size()) ? (*stored)[k] : 0.5);
    for (const auto& [k, r] : fixes)
        if (k >= 0 && k < count) ratios[k] = r;
    return ratios;
}

// ------------------------------------------------------------------------- learning minimums

bool GestureRules::isObservableMinSample(const Rect& f, const Rect& s, double slack) {
    if (f.width() <= 0 || f.height() <= 0 || s.width() <= 0 || s.height() <= 0) return false;
    if (f.width() > s.width() || f.height() > s.height()) return false;
    if (s.width() - slack <= f.width() && s.height() - slack <= f.height()) return false;  // fills its screen
    return f.intersects(s);
}

bool GestureRules::withinMinimumCap(LayoutType type, const Size& window, const Size& visible, int appCount) {
    const double n = std::max(1, appCount);
    const double w = window.width, h = window.height, W = visible.width, H = visible.height;
    switch (type) {
        case LayoutType::leftRightSplit:
            return w <= W / n * 1.25 + 1;
        case LayoutType::topBottomSplit:
            return h <= H / n * 1.25 + 1;
        case LayoutType::mainSidebar:
            return w <= W + 1 && h <= H + 1;
        case LayoutType::threeColumns:
            return w <= W * 0.5 * 1.25 + 1 && h <= H * 1.25 + 1;
        default:
            return w <= W * 0.5 * 1.25 + 1 && h <= H * 0.5 * 1.25 + 1;
    }
}

GestureRules::BouncePlan GestureRules::planBounce(LayoutType type, int appCount, const std::vector<Size>& samples,
                                                  const Rect& container, const std::optional<Rect>& visible,
                                                  const std::optional<std::vector<double>>& storedRatios) {
    BouncePlan plan;
    if (samples.empty()) return plan;
    const bool split = type != LayoutType::mainSidebar && appCount >= 2;
    const double gutter = split ? 6 : 8;
    const double margin = split ? 6 : 0;

    Size needed = LayoutEngine::contentToFitApps(type, samples, gutter);
    needed.width += margin;
    needed.height += margin;
    if (visible) {
        needed.width = std::min(needed.width, visible->width());
        needed.height = std::min(needed.height, visible->height());
    }

    if (split && appCount == 2 && samples.size() >= 2) {
        const bool vertical = type == LayoutType::topBottomSplit;
        const double along = (vertical ? needed.height : needed.width) - margin - gutter;
        const double a = vertical ? samples[0].height : samples[0].width;
        const double b = vertical ? samples[1].height : samples[1].width;
        if (along > 0 && a + b > 0) {
            double r;
            if (a + b <= along + 0.5) {
                r = a / (a + b);
            } else {
                // Both cannot fit: the smaller keeps its size as far as the other keeps 320 pt.
                double s = std::min(a, b);
                if (along - kMinimumPane >= kMinimumPane)
                    s = std::min(s, along - kMinimumPane);
                else
                    s = std::min(s, kMinimumPane);
                r = a <= b ? s / along : 1 - s / along;
            }
            r = std::clamp(r, 0.05, 0.95);
            if (std::abs(r - LayoutEngine::ratioValue(storedRatios, 0, type)) > kRatioChange) plan.ratio = r;
        }
    }

    double width = std::max(container.width(), needed.width);
    double height = std::max(container.height(), needed.height);
    if (visible) {
        width = std::min(width, visible->width());
        height = std::min(height, visible->height());
    }
    if (!offBy(width, container.width(), 1) && !offBy(height, container.height(), 1)) return plan;

    Rect frame{container.minX(), container.minY(), width, height};
    if (visible) {
        // Keep the grown container on its screen rather than hanging past its edge.
        frame.origin.x = std::max(visible->minX(), std::min(frame.minX(), visible->maxX() - width));
        frame.origin.y = std::max(visible->minY(), std::min(frame.minY(), visible->maxY() - height));
    }
    plan.frame = frame;
    return plan;
}

// ------------------------------------------------------------------------- on screen

std::optional<Point> GestureRules::onScreenOrigin(const Rect& window, const std::vector<Rect>& visibleFrames,
                                                  const Rect& target) {
    const double area = std::max(1.0, window.width() * window.height());
    double visible = 0;
    for (const auto& frame : visibleFrames) {
        const Rect part = window.intersection(frame);
        if (!part.isNull()) visible += part.width() * part.height();
    }
    if (visible / area >= 0.5) return std::nullopt;

    double x = window.minX();
    double y = window.minY();
    if (window.maxX() > target.maxX()) x = target.maxX() - window.width();
    if (window.maxY() > target.maxY()) y = target.maxY() - window.height();
    x = std::max(x, target.minX());
    y = std::max(y, target.minY());
    if (!offBy(x, window.minX(), 1) && !offBy(y, window.minY(), 1)) return std::nullopt;
    return Point{x, y};
}

}  // namespace tessane
