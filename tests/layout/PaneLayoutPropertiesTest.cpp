// Properties every layout must keep, checked over all types, counts 0 to 5, row directions,
// ratios (in and out of range) and containers (offset, negative origin, odd sizes).
#include "layout/LayoutEngine.h"

#include "layout/LayoutPrinters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace tessane {
namespace {

using namespace LayoutEngine;

constexpr double kEps = 1e-6;

double area(const Rect& r) { return r.isNull() ? 0 : r.width() * r.height(); }
double overlap(const Rect& a, const Rect& b) { return area(a.intersection(b)); }

size_t expectedPanes(LayoutType type, int n) {
    if (n <= 0) return 0;
    switch (type) {
        case LayoutType::leftRightSplit:
        case LayoutType::topBottomSplit:
        case LayoutType::mainSidebar:
            return static_cast<size_t>(n);
        case LayoutType::grid2x2:
            return static_cast<size_t>(std::min(n, 4));
        default:
            return 3;
    }
}

size_t expectedHandles(LayoutType type, int n) {
    if (n <= 0) return 0;
    switch (type) {
        case LayoutType::leftRightSplit:
        case LayoutType::topBottomSplit:
            return n == 2 ? 1 : 0;
        case LayoutType::grid2x2:
            return n <= 1 ? 0 : n == 2 ? 1 : 2;
        case LayoutType::mainSidebar:
            return n >= 2 ? 1 : 0;
        default:
            return 2;
    }
}

// The vertical mirror image of r inside c.
Rect mirrored(const Rect& r, const Rect& c) {
    return Rect(r.minX(), c.minY() + c.maxY() - r.maxY(), r.width(), r.height());
}

bool near(const Rect& a, const Rect& b) {
    return std::fabs(a.minX() - b.minX()) < kEps && std::fabs(a.minY() - b.minY()) < kEps &&
           std::fabs(a.width() - b.width()) < kEps && std::fabs(a.height() - b.height()) < kEps;
}

struct Input {
    LayoutType type;
    Rect container;
    int count;
    std::optional<std::vector<double>> ratios;
    double gutter;
    bool firstRowAtMinY;
    double thickness;

    std::string describe() const {
        std::ostringstream os;
        os << toString(type) << " n=" << count << " in " << container << " g=" << gutter
           << (firstRowAtMinY ? " minY-first" : " maxY-first") << " ratios=";
        if (!ratios) os << "nil";
        else for (double r : *ratios) os << r << ",";
        return os.str();
    }
};

std::vector<Input> allInputs() {
    const std::vector<Rect> containers = {
        {0, 0, 1006, 806}, {-1920, 25, 1913, 1055}, {137.5, -300.25, 641, 389}};
    const std::vector<std::optional<std::vector<double>>> ratioSets = {
        std::nullopt, std::vector<double>{}, std::vector<double>{0.3, 0.7},
        std::vector<double>{0.0, 1.2}, std::vector<double>{0.97, 0.02}};
    std::vector<Input> inputs;
    for (LayoutType type : layout_types::allCases())
        for (const Rect& c : containers)
            for (int n = 0; n <= 5; ++n)
                for (const auto& ratios : ratioSets)
                    for (bool minY : {false, true})
                        for (double g : {0.0, 6.0})
                            inputs.push_back({type, c, n, ratios, g, minY, 16});
    return inputs;
}

PaneLayout layOut(const Input& in, bool firstRowAtMinY) {
    return paneLayout(in.type, in.container, in.count, in.ratios, in.gutter, 3, firstRowAtMinY,
                      in.thickness);
}

TEST(PaneLayoutProperties, CountsFollowTheTypeAndAppFramesFollowThePanes) {
    for (const Input& in : allInputs()) {
        const PaneLayout l = layOut(in, in.firstRowAtMinY);
        SCOPED_TRACE(in.describe());
        ASSERT_EQ(l.paneFrames.size(), expectedPanes(in.type, in.count));
        ASSERT_EQ(l.appFrames.size(), l.paneFrames.size());
        EXPECT_EQ(l.handles.size(), expectedHandles(in.type, in.count));
        for (size_t i = 0; i < l.paneFrames.size(); ++i)
            EXPECT_EQ(l.appFrames[i], l.paneFrames[i].insetBy(3, 3));
    }
}

TEST(PaneLayoutProperties, PanesTileTheContainerWithTheGutters) {
    for (const Input& in : allInputs()) {
        const PaneLayout l = layOut(in, in.firstRowAtMinY);
        if (l.paneFrames.empty()) continue;
        SCOPED_TRACE(in.describe());
        const Rect& c = in.container;
        double covered = 0;
        for (size_t i = 0; i < l.paneFrames.size(); ++i) {
            const Rect& p = l.paneFrames[i];
            EXPECT_TRUE(c.insetBy(-kEps, -kEps).contains(p)) << "pane " << i << " " << p;
            covered += area(p);
            for (size_t j = i + 1; j < l.paneFrames.size(); ++j)
                EXPECT_LT(overlap(p, l.paneFrames[j]), kEps) << "panes " << i << ", " << j;
            for (const SplitGutter& g : l.gutters)
                EXPECT_LT(overlap(p, g.rect), kEps) << "pane " << i << " under a gutter";
        }
        for (size_t i = 0; i < l.gutters.size(); ++i) {
            const Rect& g = l.gutters[i].rect;
            EXPECT_TRUE(c.insetBy(-kEps, -kEps).contains(g)) << "gutter " << i << " " << g;
            covered += area(g);
            // Only the full-height column divider of a 2 x 2 grid may cross another gutter.
            for (size_t j = i + 1; j < l.gutters.size(); ++j)
                covered -= overlap(g, l.gutters[j].rect);
        }
        EXPECT_NEAR(covered, area(c), 1e-6 * area(c));
    }
}

TEST(PaneLayoutProperties, EveryHandleLiesOnItsGutter) {
    for (const Input& in : allInputs()) {
        const PaneLayout l = layOut(in, in.firstRowAtMinY);
        SCOPED_TRACE(in.describe());
        std::vector<const SplitGutter*> ratioGutters;
        for (const SplitGutter& g : l.gutters) {
            if (!g.ratioIndex) continue;
            EXPECT_TRUE(*g.ratioIndex == 0 || *g.ratioIndex == 1);
            ratioGutters.push_back(&g);
        }
        ASSERT_EQ(l.handles.size(), ratioGutters.size());
        for (size_t i = 0; i < l.handles.size(); ++i) {
            const SplitHandleSpec& h = l.handles[i];
            const SplitGutter& g = *ratioGutters[i];
            EXPECT_EQ(h.axis, g.axis);
            EXPECT_EQ(h.ratioIndex, *g.ratioIndex);
            EXPECT_TRUE(h.rect.insetBy(-kEps, -kEps).contains(g.rect)) << h.rect << " " << g.rect;
            if (h.axis == SplitAxis::column) {
                EXPECT_NEAR(h.rect.midX(), g.rect.midX(), kEps);
                EXPECT_NEAR(h.rect.width(), std::max(in.thickness, g.rect.width()), kEps);
                EXPECT_EQ(h.rect.minY(), g.rect.minY());
                EXPECT_EQ(h.rect.height(), g.rect.height());
            } else {
                EXPECT_NEAR(h.rect.midY(), g.rect.midY(), kEps);
                EXPECT_NEAR(h.rect.height(), std::max(in.thickness, g.rect.height()), kEps);
                EXPECT_EQ(h.rect.minX(), g.rect.minX());
                EXPECT_EQ(h.rect.width(), g.rect.width());
            }
        }
        // Two handles never drive the same ratio.
        if (l.handles.size() == 2) {
            EXPECT_NE(l.handles[0].ratioIndex, l.handles[1].ratioIndex);
        }
    }
}

TEST(PaneLayoutProperties, RowDirectionMirrorsRowsAndKeepsColumns) {
    for (const Input& in : allInputs()) {
        if (in.firstRowAtMinY) continue;
        SCOPED_TRACE(in.describe());
        const PaneLayout up = layOut(in, false);
        const PaneLayout down = layOut(in, true);
        ASSERT_EQ(up.paneFrames.size(), down.paneFrames.size());
        ASSERT_EQ(up.gutters.size(), down.gutters.size());
        for (size_t i = 0; i < up.paneFrames.size(); ++i)
            EXPECT_TRUE(near(mirrored(up.paneFrames[i], in.container), down.paneFrames[i]))
                << i << ": " << up.paneFrames[i] << " vs " << down.paneFrames[i];
        for (size_t i = 0; i < up.gutters.size(); ++i) {
            EXPECT_EQ(up.gutters[i].axis, down.gutters[i].axis);
            EXPECT_EQ(up.gutters[i].ratioIndex, down.gutters[i].ratioIndex);
            EXPECT_TRUE(near(mirrored(up.gutters[i].rect, in.container), down.gutters[i].rect));
        }
    }
}

// A divider moves along its drag axis when, and only when, its own ratio changes (the inner
// divider of three columns is placed within the rest, so it also follows the outer ratio).
TEST(PaneLayoutProperties, EachHandleFollowsItsOwnRatio) {
    const Rect c(0, 0, 1006, 806);
    const auto position = [](const SplitHandleSpec& h) {
        return h.axis == SplitAxis::column ? h.rect.midX() : h.rect.midY();
    };
    for (LayoutType type : layout_types::allCases()) {
        for (int n = 2; n <= 4; ++n) {
            const PaneLayout base =
                paneLayout(type, c, n, std::vector<double>{0.4, 0.4}, 6, 0, true);
            for (int moved = 0; moved < 2; ++moved) {
                std::vector<double> ratios{0.4, 0.4};
                ratios[moved] = 0.6;
                const PaneLayout l = paneLayout(type, c, n, ratios, 6, 0, true);
                ASSERT_EQ(l.handles.size(), base.handles.size());
                for (size_t i = 0; i < l.handles.size(); ++i) {
                    SCOPED_TRACE(std::string(toString(type)) + " n=" + std::to_string(n) +
                                 " ratio " + std::to_string(moved) + " handle " +
                                 std::to_string(i));
                    const bool changed = std::fabs(position(l.handles[i]) -
                                                   position(base.handles[i])) > kEps;
                    const bool rides = type == LayoutType::threeColumns &&
                                       l.handles[i].ratioIndex == 1 && moved == 0;
                    EXPECT_EQ(changed, l.handles[i].ratioIndex == moved || rides);
                }
            }
        }
    }
}

}  // namespace
}  // namespace tessane
