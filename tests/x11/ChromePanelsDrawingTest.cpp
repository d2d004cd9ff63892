// What the chrome's real windows show on a private X server with a window manager: the mat's
// fill, the icons they hand the server, animations and translucency under a compositor.
#include "chrome/PaneViews.h"
#include "platform/qt/AppIcon.h"
#include "platform/qt/panels/QtAnimator.h"
#include "platform/qt/panels/QtPanelWidget.h"

#include <QApplication>
#include <QBackingStore>
#include <QIcon>
#include <QImage>
#include <QTemporaryDir>

#include <map>

// Last: Xlib's macros must not reach the headers above.
#include "x11/ChromePanelsTest.h"
#include <X11/Xatom.h>

namespace tessane::x11test {
namespace {

TEST_F(ChromePanelsTest, TheMatIsFilledByTheServerInTheThemesColourWithCornersShowingWhatLiesBelow) {
    // Made ahead, the mat's window is mapped only once a mat is shown.
    panels_->prepare({{.level = PanelLevel::mat, .name = "mat"}});
    auto mat = panels_->makePanel({.level = PanelLevel::mat, .name = "mat"});
    PaneMatView view(*mat);
    auto& widget = static_cast<qt_backend::QtPanel*>(mat.get())->widget();
    // Root coordinates of the mat's corners, the outermost pixel of each and one well inside.
    struct Corner {
        int x, y, inX, inY;
    };
    const auto cornersOf = [](int left, int top, int width, int height) {
        const int right = left + width - 1, bottom = top + height - 1;
        return std::vector<Corner>{{left, top, left + 6, top + 6},
                                   {right, top, right - 6, top + 6},
                                   {left, bottom, left + 6, bottom - 6},
                                   {right, bottom, right - 6, bottom - 6}};
    };
    std::vector<Corner> corners = cornersOf(300, 200, 400, 300);
    // What lies below: the bare desktop, sampled before the mat is there (at both sizes used), once
    // a compositing manager (Mutter) has painted it.
    if (panels_->compositing()) {
        ASSERT_TRUE(desktopRepainted({300, 200, 500, 350}));
    }
    std::map<std::pair<int, int>, Rgb> desktop;
    for (const auto& c : cornersOf(300, 200, 400, 300)) desktop[{c.x, c.y}] = pixel(c.x, c.y);
    for (const auto& c : cornersOf(300, 200, 500, 350)) desktop[{c.x, c.y}] = pixel(c.x, c.y);
    const auto cornersShowTheDesktop = [&](Rgb fill) {
        for (const auto& c : corners) {
            EXPECT_TRUE(pixelBecomes(c.inX, c.inY, fill)) << "inside the corner at " << c.x << "," << c.y;
            // Within a shade: a compositing manager's repaint of a picture may differ by one.
            EXPECT_TRUE(pixel(c.x, c.y).near(desktop.at({c.x, c.y})))
                << "the desktop shows at " << c.x << "," << c.y << ": " << pixel(c.x, c.y) << " for " << desktop.at({c.x, c.y});
        }
    };
    const Rgb dark = rgbOf(qt_backend::resolveColor({ColorRole::underPageBackground}, true));
    const Rgb bare = pixel(500, 350);
    const auto viewable = [&] { auto g = x_->freshGeometry(widget.winId()); return g && g->viewable; };

    view.setPanelFrame(screenFromRoot({300, 200, 400, 300}));
    mat->orderFront();
    ASSERT_TRUE(pixelBecomes(500, 350, underPage())) << pixel(500, 350);
    EXPECT_TRUE(viewable());
    cornersShowTheDesktop(underPage());

    qt_backend::setChromeAppearance(true);
    EXPECT_TRUE(pixelBecomes(500, 350, dark)) << "the mat follows the theme: " << pixel(500, 350);
    cornersShowTheDesktop(dark);

    // A new size: the fill and the corners follow.
    view.setPanelFrame(screenFromRoot({300, 200, 500, 350}));
    corners = cornersOf(300, 200, 500, 350);
    EXPECT_TRUE(pixelBecomes(780, 530, dark)) << "the grown part is filled: " << pixel(780, 530);
    cornersShowTheDesktop(dark);
    EXPECT_TRUE(widget.backingStore() == nullptr || widget.backingStore()->size().isEmpty())
        << "the program keeps no picture of the mat";

    // It still takes the clicks that would otherwise reach the desktop.
    std::vector<PanelInput::Kind> heard;
    mat->setInputHandler([&](const PanelInput& in) { heard.push_back(in.kind); });
    click(500, 350);
    EXPECT_TRUE(waitFor([&] { return std::count(heard.begin(), heard.end(), PanelInput::Kind::leftDown) == 1; }));

    // Ordered out with nothing else of ours up, it is withdrawn: no window list names it. Ordered
    // in, it shows again.
    mat->orderOut();
    EXPECT_TRUE(pixelBecomes(500, 350, bare)) << "the desktop shows again: " << pixel(500, 350);
    EXPECT_TRUE(waitFor([&] { return !viewable(); }));
    mat->orderFront();
    EXPECT_TRUE(pixelBecomes(500, 350, dark)) << pixel(500, 350);

    // A drawing that is more than one fill is painted by the program again, square corners and all.
    DrawOp mark = DrawOp::shape(DrawOp::Kind::fillRect, {0, 0, 50, 50}, {ColorRole::accent});
    mat->setDrawing({DrawOp::shape(DrawOp::Kind::fillRect, {0, 0, 500, 350}, {ColorRole::underPageBackground}), mark});
    const Rgb accent = rgbOf(qt_backend::resolveColor({ColorRole::accent}, true));
    EXPECT_TRUE(pixelBecomes(310, 540, accent)) << "the mark, bottom left: " << pixel(310, 540);
    EXPECT_TRUE(pixelBecomes(799, 200, dark)) << "a square corner: " << pixel(799, 200);
    EXPECT_TRUE(pixelBecomes(500, 350, dark));
    qt_backend::setChromeAppearance(false);
    EXPECT_TRUE(pixelBecomes(500, 350, underPage())) << "painted, it follows the theme too";
}

// Each window hands the server its icon at every size the icon has (the program's: a third of a
// megabyte): the chrome's panels, in no task list, carry the smallest only; other windows all,
// whether the program drew its icon itself or found one at a single size.
TEST_F(ChromePanelsTest, PanelsCarryTheProgramsIconAtOneSmallSizeAndItsOtherWindowsAtEverySize) {
    // Icon folders of the test's own, not the machine's (the program's package may be installed):
    // none, then one with the program's icon at one size only.
    const QStringList themes = QIcon::themeSearchPaths(), fallbacks = QIcon::fallbackSearchPaths();
    QTemporaryDir folder;
    QImage red(48, 48, QImage::Format_ARGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(folder.filePath("tessane.png")));
    QIcon::setThemeSearchPaths({folder.filePath("none")});
    QIcon::setFallbackSearchPaths({folder.filePath("none")});
    QApplication::setWindowIcon(qt_backend::applicationIcon());
    unsigned long cornerOfLargest = 0;
    const auto iconSizes = [&](XWindowId window) {
        const Atom icon = XInternAtom(x_->display(), "_NET_WM_ICON", False);
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        std::vector<std::pair<long, long>> sizes;
        if (XGetWindowProperty(x_->display(), window, icon, 0, 1L << 20, False, XA_CARDINAL, &type, &format, &count,
                               &after, &data) == Success && data) {
            const auto* values = reinterpret_cast<const long*>(data);
            for (unsigned long i = 0; i + 2 <= count; i += 2 + static_cast<unsigned long>(values[i] * values[i + 1])) {
                sizes.emplace_back(values[i], values[i + 1]);
                if (i + 2 < count) cornerOfLargest = static_cast<unsigned long>(values[i + 2]) & 0xFFFFFFFFu;
            }
        }
        if (data) XFree(data);
        return sizes;
    };
    auto shield = panels_->makePanel({.level = PanelLevel::shield, .name = "shield"});
    shield->setDrawing({DrawOp::shape(DrawOp::Kind::fillRect, {0, 0, 100, 100}, {ColorRole::accent})});
    shield->setFrame(screenFromRoot({100, 100, 100, 100}));
    shield->orderFront();
    QWidget window;
    window.resize(200, 100);
    window.show();
    const XWindowId shieldId = static_cast<qt_backend::QtPanel&>(*shield).windowId();
    const XWindowId windowId = static_cast<XWindowId>(window.winId());
    const std::vector<std::pair<long, long>> small{{16, 16}};
    EXPECT_TRUE(waitFor([&] { return iconSizes(shieldId) == small; })) << iconSizes(shieldId).size() << " sizes";
    const auto everySize = [&](unsigned long corner) {
        return waitFor([&] {
            const auto sizes = iconSizes(windowId);
            return sizes.size() == 8 && sizes.back() == std::pair<long, long>{256, 256} && cornerOfLargest == corner;
        });
    };
    EXPECT_TRUE(everySize(0)) << "drawn by the program (a rounded tile: its corner clear): "
                              << iconSizes(windowId).size() << " sizes";
    QIcon::setFallbackSearchPaths({folder.path()});
    QApplication::setWindowIcon(qt_backend::applicationIcon());
    EXPECT_TRUE(everySize(0xFFFF0000u)) << "found at 48 pixels only: " << iconSizes(windowId).size() << " sizes";
    QApplication::setWindowIcon(QIcon());
    QIcon::setThemeSearchPaths(themes);
    QIcon::setFallbackSearchPaths(fallbacks);
}

TEST_F(ChromePanelsTest, AnimationsLandOnTheirTargetsAndTellTheirCompletionsOnce) {
    qt_backend::QtAnimator animator(*panels_);
    auto card = panels_->makePanel({.level = PanelLevel::card, .name = "card"});
    DrawOp fill;
    fill.rect = {0, 0, 360, 72};
    fill.color = {ColorRole::windowBackground};
    card->setDrawing({fill});
    card->setFrame({100, 90, 360, 72});
    card->setAlpha(0);
    card->orderFront();
    std::vector<std::string> done;
    animator.animate(*card, {.duration = 0.22, .curve = PanelAnimation::Curve::easeOut, .alpha = 1.0,
                             .frame = Rect{100, 100, 360, 72}},
                     [&] { done.push_back("rise"); });
    EXPECT_TRUE(done.empty()) << "never told from inside animate()";
    ASSERT_TRUE(waitFor([&] { return !done.empty(); }));
    EXPECT_EQ(card->frame(), Rect(100, 100, 360, 72));
    EXPECT_EQ(card->alpha(), 1.0);
    const auto* qtCard = static_cast<qt_backend::QtPanel*>(card.get());
    EXPECT_TRUE(waitFor([&] {
        auto g = x_->geometry(qtCard->windowId());
        return g && g->viewable && g->rootRect == space_->rootFromScreen({100, 100, 360, 72});
    }));

    // A newer animation replaces a running one, whose completion is told at once.
    animator.animate(*card, {.duration = 5, .frame = Rect{400, 100, 360, 72}}, [&] { done.push_back("slow"); });
    animator.animate(*card, {.duration = 0.1, .alpha = 0.0}, [&] { done.push_back("fade"); });
    EXPECT_EQ(done, (std::vector<std::string>{"rise", "slow"}));
    ASSERT_TRUE(waitFor([&] { return done.size() == 3; }));
    EXPECT_EQ(card->alpha(), 0.0);
    if (panels_->compositing()) {
        EXPECT_TRUE(waitFor([&] {
            auto g = x_->geometry(qtCard->windowId());
            auto opacity = x_->cardinals(qtCard->windowId(), "_NET_WM_WINDOW_OPACITY");
            return g && g->viewable && opacity && opacity->size() == 1 && opacity->at(0) == 0;
        })) << "with a compositing manager (Metacity, Marco, Mutter, KWin), a panel at alpha 0 stays mapped, transparent";
    } else {
        EXPECT_TRUE(waitFor([&] { auto g = x_->geometry(qtCard->windowId()); return g && !g->viewable; }))
            << "without compositing, a panel at alpha 0 is taken off screen";
    }

    // A witness animated as long, started after: once it is told, the other would have been.
    auto witness = panels_->makePanel({.level = PanelLevel::card, .name = "witness"});
    witness->setFrame({100, 300, 50, 50});
    witness->orderFront();
    animator.animate(*card, {.duration = 0.2, .alpha = 1.0}, [&] { done.push_back("never"); });
    card.reset();
    animator.animate(*witness, {.duration = 0.2, .alpha = 0.5}, [&] { done.push_back("witness"); });
    ASSERT_TRUE(waitFor([&] { return std::count(done.begin(), done.end(), "witness") == 1; }));
    EXPECT_EQ(std::count(done.begin(), done.end(), "never"), 0) << "a destroyed panel tells no completion";
}

TEST_F(ChromePanelsTest, WithACompositingManagerAlphaIsBlendedInsteadOfHidingThePanel) {
    // Stand in for a compositing manager by holding its selection.
    Window owner = XCreateSimpleWindow(x_->display(), x_->root(), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(x_->display(), x_->atom("_NET_WM_CM_S0"), owner, CurrentTime);
    x_->sync();
    qt_backend::QtPanels composited(*space_, *x_);
    ASSERT_TRUE(composited.compositing());
    EXPECT_TRUE(waitFor([&] { return panels_->compositing(); })) << "a manager that starts later is followed";

    auto preview = composited.makePanel({.level = PanelLevel::shield, .ignoresMouse = true, .name = "preview"});
    preview->setFrame({100, 100, 200, 150});
    preview->setAlpha(0);
    preview->orderFront();
    const auto id = static_cast<qt_backend::QtPanel*>(preview.get())->windowId();
    EXPECT_TRUE(waitFor([&] {
        auto g = x_->geometry(id);
        auto opacity = x_->cardinals(id, "_NET_WM_WINDOW_OPACITY");
        return g && g->viewable && opacity && opacity->size() == 1 && opacity->at(0) == 0;
    })) << "mapped at alpha 0, for the compositing manager to fade in";

    // A translucent window filled by the server: its background carries an opaque alpha.
    auto mat = composited.makePanel({.level = PanelLevel::mat, .name = "mat"});
    PaneMatView view(*mat);
    view.setPanelFrame(screenFromRoot({400, 300, 200, 150}));
    mat->orderFront();
    EXPECT_TRUE(pixelBecomes(500, 375, underPage())) << pixel(500, 375);
    XDestroyWindow(x_->display(), owner);
    x_->sync();
    // Followed to its end, unless the window manager composites itself and took the selection
    // meanwhile (KWin under load starts its compositor late).
    EXPECT_TRUE(waitFor([&] {
        return composited.compositing() == (XGetSelectionOwner(x_->display(), x_->atom("_NET_WM_CM_S0")) != None);
    })) << "and one that ends";
}

}  // namespace
}  // namespace tessane::x11test
