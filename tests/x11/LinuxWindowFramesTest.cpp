// Frames as users see them: read and placed alike whether the window manager decorates a window,
// it has an X border, or it draws its own frame with a shadow margin.
#include "base/WaitBounds.h"

// Last: Xlib's macros must not reach the headers above.
#include "x11/LinuxAccessibilityTest.h"

#include <X11/Xatom.h>

namespace tessane::x11test {
namespace {

using linux_backend::FrameExtents;
using linux_backend::XWindowId;

bool within(const Rect& a, const Rect& b, double pixels) { return AXWindowController::matches(a, b, pixels); }

// One window of each kind the backend converts: decorated by the window manager, with an X
// border (as xterm, xclock and xcalc have), and drawing its own frame with a shadow margin (a
// GTK window on a compositing desktop).
struct WindowKind {
    const char* name;
    XWindowId window;
    FrameExtents shadow;
};

class LinuxWindowFramesTest : public LinuxAccessibilityTest {
protected:
    std::vector<WindowKind> startEachKind() {
        auto& decorated = startClient({"--pos", "100,100"});
        auto& bordered = startClient({"--border", "1", "--pos", "200,150"});
        auto& shadowed = startClient({"--shadow", "26,26,23,29", "--pos", "300,200"});
        return {{"decorated", decorated.windows[0], {}},
                {"bordered", bordered.windows[0], {}},
                {"shadowed", shadowed.windows[0], {26, 26, 23, 29}}};
    }

    // Where a kind's visible frame can go: the work area the manager announces (IceWM's
    // taskbar takes a strip), less a shadow margin, which IceWM and Marco keep on the screen.
    // Root coordinates are the test's Accessibility coordinates.
    Rect usable(const WindowKind& kind) {
        Rect area(0, 0, 1920, 1080);
        if (const auto a = x_->cardinals(x_->root(), "_NET_WORKAREA"); a && a->size() >= 4)
            area = Rect((*a)[0], (*a)[1], (*a)[2], (*a)[3]);
        const FrameExtents& s = kind.shadow;
        return Rect(area.minX() + s.left, area.minY() + s.top, area.width() - s.left - s.right,
                    area.height() - s.top - s.bottom);
    }

    // The decorations a manager announces for a window, once it has (KWin decorates late).
    FrameExtents decorationsOf(XWindowId w) {
        std::optional<FrameExtents> e;
        EXPECT_TRUE(waitFor([&] {
            e = FrameExtents::fromCardinals(x_->cardinals(w, "_NET_FRAME_EXTENTS"), x_->rootSize());
            return e.has_value();
        }));
        return e.value_or(FrameExtents{});
    }
};

TEST_F(LinuxWindowFramesTest, FramesAreReadAsTheUserSeesThemByTheWindowAndTheWindowList) {
    const auto kinds = startEachKind();
    linux_backend::LinuxWindowList list(*x_, *ax_);
    // KWin lists a window a moment after it shows it: read once all three are listed.
    std::optional<std::vector<WindowListEntry>> entries;
    ASSERT_TRUE(waitFor([&] {
        entries = list.windows(WindowList::Option::allWindows);
        return entries && std::all_of(kinds.begin(), kinds.end(), [&](const WindowKind& c) {
            return std::any_of(entries->begin(), entries->end(),
                               [&](auto& e) { return e.number == static_cast<uint32_t>(c.window); });
        });
    }));
    for (const auto& c : kinds) {
        const Rect expected = seen(c.window, c.shadow);
        EXPECT_EQ(read(c.window), expected) << c.name;
        auto entry = std::find_if(entries->begin(), entries->end(),
                                  [&](auto& e) { return e.number == static_cast<uint32_t>(c.window); });
        ASSERT_NE(entry, entries->end()) << c.name;
        EXPECT_EQ(entry->bounds, expected) << c.name;
    }
    // The title bar and borders count; the shadow margin does not.
    EXPECT_GT(read(kinds[0].window)->height(), 300);
    EXPECT_EQ(read(kinds[2].window)->size, (Size{400 - 52, 300 - 52}));
    // A shadow margin wider than the window it would be inside is nobody's: read as none (and
    // so are the decorations some managers make of it, negative or absurd).
    const XWindowId absurd = startClient({"--shadow", "2147483647,2147483647,2147483647,2147483647"}).windows[0];
    // (KWin places it a moment after it maps.)
    EXPECT_TRUE(waitFor([&] {
        return read(absurd) == x_->freshGeometry(absurd).value_or(linux_backend::X11WindowGeometry{}).rootRect;
    }));
    // Decorations a client wrote on itself that no frame has (half the screen): the manager's own
    // frame around it stands in (less the resize borders Metacity's family makes wider than what
    // is seen), the frame is read as it was, and a move of it is seen done, not waited for to its
    // bound.
    const XWindowId liar = kinds[0].window;
    decorationsOf(liar);
    const auto seen = read(liar);
    const long lie[] = {960, 960, 540, 540};
    XChangeProperty(x_->display(), liar, XInternAtom(x_->display(), "_NET_FRAME_EXTENTS", False), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(lie), 4);
    x_->flush();
    EXPECT_TRUE(waitFor([&] { return x_->cardinals(liar, "_NET_FRAME_EXTENTS").value_or(std::vector<long>{0})[0] == 960; }));
    EXPECT_EQ(read(liar), seen);
    WaitBounds::resetForTesting();
    EXPECT_EQ(windows_->place(element(liar), Rect(123, 45, 678, 456)), Outcome::placed());
    for (const auto& tally : WaitBounds::take()) EXPECT_EQ(tally.ranOut, 0) << tally.name;
}

TEST_F(LinuxWindowFramesTest, APlacedWindowShowsItsFrameAtTheTargetWhetherDecoratedShadowedOrBordered) {
    for (const auto& c : startEachKind()) {
        // The left half, and the bottom-right quarter at odd sizes, of where the window can go.
        const Rect u = usable(c);
        const Rect targets[] = {{u.minX(), u.minY(), u.width() / 2, u.height()},
                                {u.minX() + u.width() / 2 + 6, u.minY() + u.height() / 2 + 3, u.width() / 2 - 6,
                                 u.height() / 2 - 3},
                                {123, 45, 678, 456}};
        for (const Rect& target : targets) {
            EXPECT_EQ(windows_->place(element(c.window), target), Outcome::placed()) << c.name;
            const Rect shown = seen(c.window, c.shadow);
            EXPECT_TRUE(within(shown, target, 1)) << c.name << ": " << shown.minX() << "," << shown.minY() << " "
                                                  << shown.width() << "x" << shown.height();
        }
    }
}

TEST_F(LinuxWindowFramesTest, WithoutTheMoveResizeMessageConfigureRequestsLandTheFramesAlike) {
    const auto kinds = startEachKind();
    // A window manager that does not offer _NET_MOVERESIZE_WINDOW (it still answers
    // configure requests, as every manager must).
    Display* d = x_->display();
    const Atom moveResize = XInternAtom(d, "_NET_MOVERESIZE_WINDOW", False);
    auto supported = x_->atomList(x_->root(), "_NET_SUPPORTED");
    ASSERT_TRUE(supported);
    std::vector<long> without;
    for (auto a : *supported)
        if (a != moveResize) without.push_back(static_cast<long>(a));
    ASSERT_LT(without.size(), supported->size());
    XChangeProperty(d, x_->root(), XInternAtom(d, "_NET_SUPPORTED", False), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(without.data()), static_cast<int>(without.size()));
    XSync(d, False);

    for (const auto& c : kinds) {
        const Rect u = usable(c);
        for (const Rect& target : {Rect(u.minX(), u.minY(), u.width() / 2, u.height()), Rect(300, 200, 640, 480)}) {
            EXPECT_EQ(windows_->place(element(c.window), target), Outcome::placed()) << c.name;
            EXPECT_TRUE(within(seen(c.window, c.shadow), target, 1)) << c.name;
        }
        ax_->setAttribute(element(c.window), ax::kSize, AXValue::size({500, 400}));
        EXPECT_EQ(seen(c.window, c.shadow), Rect(300, 200, 500, 400)) << c.name;
    }
}

TEST_F(LinuxWindowFramesTest, SizeWritesNeverMoveAWindowAndPositionWritesNeverResizeIt) {
    for (const auto& c : startEachKind()) {
        const XWindowId w = c.window;
        const Point origin = seen(w, c.shadow).origin;
        for (double width : {600.0, 700.0, 650.0, 650.0, 500.0}) {
            EXPECT_EQ(ax_->setAttribute(element(w), ax::kSize, AXValue::size({width, 400})), AXError::success);
            EXPECT_EQ(seen(w, c.shadow), Rect(origin, Size{width, 400})) << c.name;
        }
        const Point corner = usable(c).origin;
        for (Point p : {Point{corner.x + 10, corner.y + 20}, Point{400, 300}, Point{400, 300}, corner}) {
            EXPECT_EQ(ax_->setAttribute(element(w), ax::kPosition, AXValue::point(p)), AXError::success);
            EXPECT_EQ(seen(w, c.shadow), Rect(p, Size{500, 400})) << c.name;
        }
    }
}

TEST_F(LinuxWindowFramesTest, ATerminalShortOfItsTargetByLessThanOneCellIsPlacedButOneHeldByItsMinimumIsNot) {
    // Cells of 6 x 13 over 4 px of padding; the target asks for a 604 x 534 client inside the
    // manager's decorations: 100 cells across, 40.77 down, and the window keeps 40 rows, 10 px
    // short.
    const std::vector<std::string> terminal = {"--increments", "6x13", "--base", "4x4", "--size", "484x316"};
    auto& shell = startClient(terminal);
    const XWindowId w = shell.windows[0];
    const FrameExtents d = decorationsOf(w);
    const Rect target(50, 40, 604 + d.left + d.right, 534 + d.top + d.bottom);
    EXPECT_EQ(windows_->sizeValue(element(w), ax::kResizeIncrements), (Size{6, 13}));
    EXPECT_EQ(windows_->place(element(w), target), Outcome::placed());
    EXPECT_EQ(seen(w), Rect(target.origin, Size{target.width(), target.height() - 10}));

    // A window without increments has none to show.
    auto& plain = startClient({});
    EXPECT_EQ(ax_->copyAttribute(element(plain.windows[0]), ax::kResizeIncrements).error, AXError::noValue);

    // A terminal whose minimum size (its base: the increments count from there) keeps it 10 px
    // taller than asked.
    auto& held = startClient({"--increments", "6x13", "--min", "604x544", "--size", "604x544"});
    decorationsOf(held.windows[0]);
    const auto outcome = windows_->place(element(held.windows[0]), target);
    const Rect kept(target.origin, Size{target.width(), target.height() + 10});
    EXPECT_EQ(outcome, Outcome::refused(kept));
    EXPECT_EQ(seen(held.windows[0]), kept);
}

}  // namespace
}  // namespace tessane::x11test
