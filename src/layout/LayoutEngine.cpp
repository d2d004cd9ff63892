#include "layout/LayoutEngine.h"

#include "layout/AxisSplit.h"

#include <algorithm>

namespace tessane::LayoutEngine {

using detail::AxisSplit;
using detail::columnRect;
using detail::rowRect;
using detail::splitColumns;
using detail::splitRows;

namespace {

// How many panes and gutters a type gives for a count, so the result is allocated once.
struct Shape {
    size_t panes;
    size_t gutters;
};

Shape shapeOf(LayoutType type, int n) {
    const size_t count = static_cast<size_t>(n);
    switch (type) {
        case LayoutType::leftRightSplit:
        case LayoutType::topBottomSplit:
            return {count, count - 1};
        case LayoutType::grid2x2: {
            const size_t panes = std::min<size_t>(count, 4);
            return {panes, panes <= 1 ? 0u : panes == 2 ? 1u : 2u};
        }
        case LayoutType::mainSidebar:
            return {count, count - 1};
        default:
            return {3, 2};
    }
}

class Builder {
public:
    Builder(PaneLayout& out, double gutter, bool firstRowAtMinY)
        : out_(out), gutter_(gutter), firstRowAtMinY_(firstRowAtMinY) {}

    void pane(const Rect& r) { out_.paneFrames.push_back(r); }
    void gutter(SplitAxis axis, std::optional<int> index, const Rect& r) {
        out_.gutters.push_back(SplitGutter{axis, index, r});
    }

    // n columns of r, with every gutter carrying `index`.
    void columns(const Rect& r, int n, double ratio, std::optional<int> index) {
        const AxisSplit split(r.width(), n, gutter_, ratio);
        for (int k = 0; k < n; ++k) pane(columnRect(r, split.segment(k)));
        for (int k = 0; k + 1 < n; ++k)
            gutter(SplitAxis::column, index, columnRect(r, split.gap(k)));
    }
    void rows(const Rect& r, int n, double ratio, std::optional<int> index) {
        const AxisSplit split(r.height(), n, gutter_, ratio);
        for (int k = 0; k < n; ++k) pane(rowRect(r, split.segment(k), firstRowAtMinY_));
        for (int k = 0; k + 1 < n; ++k)
            gutter(SplitAxis::row, index, rowRect(r, split.gap(k), firstRowAtMinY_));
    }

    double gutterWidth() const { return gutter_; }
    bool firstRowAtMinY() const { return firstRowAtMinY_; }

private:
    PaneLayout& out_;
    double gutter_;
    bool firstRowAtMinY_;
};

void layOutGrid(Builder& b, const Rect& c, int n, double r0, double r1) {
    const double g = b.gutterWidth();
    if (n <= 1) {
        b.pane(c);
        return;
    }
    if (n == 2) {
        b.columns(c, 2, r0, 0);
        return;
    }
    const auto rows = splitRows(c, r1, g, b.firstRowAtMinY());
    const auto top = splitColumns(rows.first, r0, g);
    b.pane(top.first);
    b.pane(top.second);
    if (n == 3) {
        b.pane(rows.second);
        b.gutter(SplitAxis::row, 1, rows.gutter);
        b.gutter(SplitAxis::column, 0, top.gutter);
        return;
    }
    // Both rows split by the same ratio, so the columns line up and one divider spans both.
    const auto bottom = splitColumns(rows.second, r0, g);
    b.pane(bottom.first);
    b.pane(bottom.second);
    b.gutter(SplitAxis::row, 1, rows.gutter);
    b.gutter(SplitAxis::column, 0, Rect(top.first.maxX(), c.minY(), g, c.height()));
}

void layOutMainSidebar(Builder& b, const Rect& c, int n, double r0) {
    if (n == 1) {
        b.pane(c);
        return;
    }
    const auto split = splitColumns(c, r0, b.gutterWidth());
    b.pane(split.first);
    b.gutter(SplitAxis::column, 0, split.gutter);
    b.rows(split.second, n - 1, 0.5, std::nullopt);
}

// The four three-pane types: an outer two-way split by r0, one side split again by r1.
void layOutThree(Builder& b, LayoutType type, const Rect& c, double r0, double r1) {
    const double g = b.gutterWidth();
    const bool minY = b.firstRowAtMinY();
    switch (type) {
        case LayoutType::threeTopTwoBottomOne: {
            const auto rows = splitRows(c, r0, g, minY);
            const auto top = splitColumns(rows.first, r1, g);
            b.pane(top.first);
            b.pane(top.second);
            b.pane(rows.second);
            b.gutter(SplitAxis::row, 0, rows.gutter);
            b.gutter(SplitAxis::column, 1, top.gutter);
            return;
        }
        case LayoutType::threeTopOneBottomTwo: {
            const auto rows = splitRows(c, r0, g, minY);
            const auto bottom = splitColumns(rows.second, r1, g);
            b.pane(rows.first);
            b.pane(bottom.first);
            b.pane(bottom.second);
            b.gutter(SplitAxis::row, 0, rows.gutter);
            b.gutter(SplitAxis::column, 1, bottom.gutter);
            return;
        }
        case LayoutType::threeLeftTwoRightOne: {
            const auto cols = splitColumns(c, r0, g);
            const auto left = splitRows(cols.first, r1, g, minY);
            b.pane(left.first);
            b.pane(left.second);
            b.pane(cols.second);
            b.gutter(SplitAxis::column, 0, cols.gutter);
            b.gutter(SplitAxis::row, 1, left.gutter);
            return;
        }
        case LayoutType::threeLeftOneRightTwo: {
            const auto cols = splitColumns(c, r0, g);
            const auto right = splitRows(cols.second, r1, g, minY);
            b.pane(cols.first);
            b.pane(right.first);
            b.pane(right.second);
            b.gutter(SplitAxis::column, 0, cols.gutter);
            b.gutter(SplitAxis::row, 1, right.gutter);
            return;
        }
        case LayoutType::threeColumns:
        default: {
            const auto outer = splitColumns(c, r0, g);
            const auto inner = splitColumns(outer.second, r1, g);
            b.pane(outer.first);
            b.pane(inner.first);
            b.pane(inner.second);
            b.gutter(SplitAxis::column, 0, outer.gutter);
            b.gutter(SplitAxis::column, 1, inner.gutter);
            return;
        }
    }
}

// The last step of every type: app frames inset from the panes, and a handle over every gutter
// that a ratio controls, centred on it and at least `thickness` across.
void assemble(PaneLayout& out, double appInset, double thickness) {
    for (const Rect& f : out.paneFrames) out.appFrames.push_back(f.insetBy(appInset, appInset));
    for (const SplitGutter& g : out.gutters) {
        if (!g.ratioIndex) continue;
        Rect r;
        if (g.axis == SplitAxis::column) {
            const double w = std::max(thickness, g.rect.width());
            r = Rect(g.rect.midX() - w / 2, g.rect.minY(), w, g.rect.height());
        } else {
            const double h = std::max(thickness, g.rect.height());
            r = Rect(g.rect.minX(), g.rect.midY() - h / 2, g.rect.width(), h);
        }
        out.handles.push_back(SplitHandleSpec{g.axis, *g.ratioIndex, r});
    }
}

}  // namespace

PaneLayout paneLayout(LayoutType type, const Rect& container, int count,
                      const std::optional<std::vector<double>>& ratios, double gutter,
                      double appInset, bool firstRowAtMinY,
                      std::optional<double> handleThickness) {
    PaneLayout out;
    if (count <= 0 || !(container.width() > 0) || !(container.height() > 0)) return out;

    const Shape shape = shapeOf(type, count);
    out.paneFrames.reserve(shape.panes);
    out.appFrames.reserve(shape.panes);
    out.gutters.reserve(shape.gutters);
    out.handles.reserve(std::min<size_t>(shape.gutters, 2));

    const double r0 = ratioValue(ratios, 0, type);
    const double r1 = ratioValue(ratios, 1, type);
    Builder b(out, gutter, firstRowAtMinY);
    switch (type) {
        case LayoutType::leftRightSplit:
            b.columns(container, count, r0, count == 2 ? std::optional<int>(0) : std::nullopt);
            break;
        case LayoutType::topBottomSplit:
            b.rows(container, count, r0, count == 2 ? std::optional<int>(0) : std::nullopt);
            break;
        case LayoutType::grid2x2:
            layOutGrid(b, container, count, r0, r1);
            break;
        case LayoutType::mainSidebar:
            layOutMainSidebar(b, container, count, r0);
            break;
        default:
            layOutThree(b, type, container, r0, r1);
            break;
    }
    assemble(out, appInset, handleThickness.value_or(gutter));
    return out;
}

Size contentToFitApps(LayoutType type, const std::vector<Size>& appSizes, double gutter) {
    if (appSizes.empty()) return Size{};
    const double gutters = gutter * static_cast<double>(appSizes.size() - 1);
    Size result;
    if (type == LayoutType::topBottomSplit) {
        for (const Size& s : appSizes) {
            result.width = std::max(result.width, s.width);
            result.height += s.height;
        }
        result.height += gutters;
    } else {
        for (const Size& s : appSizes) {
            result.width += s.width;
            result.height = std::max(result.height, s.height);
        }
        result.width += gutters;
    }
    return result;
}

}  // namespace tessane::LayoutEngine
