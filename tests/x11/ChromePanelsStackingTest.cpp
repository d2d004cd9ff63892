// Where the chrome's real windows stack among real client windows on a private X server with a
// window manager, and how its windows are made and mapped again.
#include "platform/qt/ToolkitWaits.h"
#include "platform/qt/panels/QtPanelWidget.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPalette>
#include <QWidget>

#include <algorithm>
#include <set>

#include <unistd.h>

// Last: Xlib's macros must not reach the headers above.
#include "x11/ChromePanelsTest.h"

namespace tessane::x11test {
namespace {

TEST_F(ChromePanelsTest, MatLiesBelowTheClientAndShieldsHandleAndRailAboveIt) {
    XWindowId client = 0;
    const Rect c = showChromeOverClient(&client);
    const int midY = static_cast<int>(c.midY()) + 100;
    const Rect inner = c.insetBy(3, 3);
    const int gutterLeft = static_cast<int>(inner.minX() + (inner.width() - 6) / 2);

    EXPECT_TRUE(pixelBecomes(static_cast<int>(c.maxX()) - 15, midY, underPage()))
        << "the mat covers the desktop where no window is: " << pixel(static_cast<int>(c.maxX()) - 15, midY);
    EXPECT_TRUE(pixelBecomes(static_cast<int>(c.minX()) + 100, midY, kWhite)) << "the client is above the mat";
    EXPECT_TRUE(pixelBecomes(gutterLeft, midY, underPage())) << "a shield over the gutter is above the client";
    EXPECT_TRUE(pixelBecomes(static_cast<int>(c.minX()) + 1, midY, underPage())) << "and over the margin";
    const Rgb bar = over(qt_backend::resolveColor({ColorRole::separator, 0.5}, false),
                         qt_backend::resolveColor({ColorRole::underPageBackground}, false));
    EXPECT_TRUE(pixelBecomes(gutterLeft + 3, midY, bar)) << "the handle's bar: " << pixel(gutterLeft + 3, midY);
    const Rgb pill = over(qt_backend::resolveColor({ColorRole::secondaryLabel}, false),
                          qt_backend::resolveColor({ColorRole::underPageBackground}, false));
    const int pillX = static_cast<int>(c.midX()) - 15;  // on the pill, clear of the handle below
    EXPECT_TRUE(pixelBecomes(pillX, static_cast<int>(c.minY()) + 1, pill))
        << "the rail: " << pixel(pillX, static_cast<int>(c.minY()) + 1);
    EXPECT_TRUE(pixelBecomes(pillX, static_cast<int>(c.minY()) + 6, kWhite))
        << "only the pill of the rail panel is drawn: " << pixel(pillX, static_cast<int>(c.minY()) + 6);

    const long clientAt = stackIndex(client);
    const auto* rail = static_cast<qt_backend::QtPanel*>(chrome_->headerPanel.get());
    const auto* handle = static_cast<qt_backend::QtPanel*>(chrome_->dividerPanels.at(0).get());
    const auto* shield = static_cast<qt_backend::QtPanel*>(chrome_->paneMat.shieldPanels().at(0).get());
    const auto* mat = static_cast<qt_backend::QtPanel*>(chrome_->paneMat.matPanel());
    EXPECT_LT(stackIndex(mat->windowId()), clientAt);
    EXPECT_TRUE(waitFor([&] {
        const auto states = x_->atomList(mat->windowId(), "_NET_WM_STATE");
        const auto desktop = x_->cardinals(mat->windowId(), "_NET_WM_DESKTOP");
        return states && std::count(states->begin(), states->end(), x_->atom("_NET_WM_STATE_BELOW")) &&
               desktop && desktop->size() == 1 && static_cast<uint32_t>(desktop->at(0)) == 0xFFFFFFFFu;
    })) << "the mat is kept below, on every desktop";
    EXPECT_GT(stackIndex(shield->windowId()), clientAt);
    EXPECT_GT(stackIndex(handle->windowId()), stackIndex(shield->windowId()));
    EXPECT_GT(stackIndex(rail->windowId()), stackIndex(handle->windowId()));

    // A client raised over our windows goes under them again with the next orderFront.
    x_->requestActivate(client);
    ASSERT_TRUE(x_->windowManagerRoundTrip(2));
    chrome_->orderFront();
    ASSERT_TRUE(waitFor([&] { return stackIndex(shield->windowId()) > stackIndex(client); }));
    EXPECT_LT(stackIndex(mat->windowId()), stackIndex(client));

    // Our windows are ours in the window list, never someone else's.
    const auto ours = ourWindows();
    const auto entries = list_->windows(WindowList::Option::allWindows);
    ASSERT_TRUE(entries);
    bool matListed = false;
    for (const auto& e : *entries) {
        if (std::find(ours.begin(), ours.end(), e.number) != ours.end()) {
            EXPECT_EQ(e.ownerPid, static_cast<Pid>(getpid())) << "window " << e.number;
        }
        matListed = matListed || e.number == mat->windowId();
    }
    EXPECT_TRUE(matListed) << "the mat is a managed window: listed, as ours";
}

// A click into an app raises its frame; the chrome goes back above it. IceWM and Fluxbox make
// their frames override-redirect, as menus are: the chrome lies on them all the same.
TEST_F(ChromePanelsTest, AfterAClickIntoTheClientTheChromeIsBackAboveItsFrame) {
    XWindowId client = 0;
    const Rect c = showChromeOverClient(&client);
    const auto id = [](const std::unique_ptr<Panel>& p) { return static_cast<qt_backend::QtPanel*>(p.get())->windowId(); };
    const XWindowId rail = id(chrome_->headerPanel), shield = id(chrome_->paneMat.shieldPanels().at(0));
    const auto chromeAbove = [&] {
        const long at = stackIndex(client);
        return stackIndex(shield) > at && stackIndex(rail) > at;
    };
    ASSERT_TRUE(waitFor(chromeAbove));
    // Another window takes the focus, so that the click raises the first one.
    auto& other = startClient({"--pos", "1300,700", "--size", "200x150"});
    x_->requestActivate(other.windows.at(0));
    ASSERT_TRUE(waitFor([&] { return stackIndex(other.windows.at(0)) > stackIndex(client); }));
    // Heard from the root as a third program would: the frame going to the top.
    Display* watcher = XOpenDisplay(server_->display().c_str());
    ASSERT_NE(watcher, nullptr);
    XSelectInput(watcher, DefaultRootWindow(watcher), SubstructureNotifyMask);
    XSync(watcher, False);
    const XWindowId frame = topLevelOf(client);
    click(static_cast<int>(c.minX()) + 100, static_cast<int>(c.midY()) + 100);
    bool raised = false;
    EXPECT_TRUE(waitFor([&] {
        while (XPending(watcher)) {
            XEvent e;
            XNextEvent(watcher, &e);
            raised = raised || (e.type == ConfigureNotify && e.xconfigure.window == frame && e.xconfigure.above != None);
        }
        return raised;
    })) << "the manager never raised the frame";
    EXPECT_TRUE(waitFor(chromeAbove)) << "client " << stackIndex(client) << ", shield " << stackIndex(shield) << ", rail "
                                      << stackIndex(rail);
    XCloseDisplay(watcher);
}

// A window of ours over the rail keeps that spot on every manager, even with the chrome lifted over
// it as Mutter lifts every override-redirect window after a click into an app: the chrome is cut
// there, shows nothing and takes no click there, and the cut follows the window when it moves.
TEST_F(ChromePanelsTest, OurWindowOverTheChromeKeepsItsPixelsAndClicksWithTheChromeLiftedOverIt) {
    XWindowId client = 0;
    const Rect c = showChromeOverClient(&client);
    const int pillX = static_cast<int>(c.midX()) - 15, pillY = static_cast<int>(c.minY()) + 1;
    const Rgb pill = over(qt_backend::resolveColor({ColorRole::secondaryLabel}, false),
                          qt_backend::resolveColor({ColorRole::underPageBackground}, false));
    ASSERT_TRUE(pixelBecomes(pillX, pillY, pill)) << pixel(pillX, pillY);

    struct Ours : QWidget {
        int presses = 0;
        void mousePressEvent(QMouseEvent*) override { ++presses; }
    } ours;
    const Rgb green{40, 160, 90};
    QPalette palette = ours.palette();
    palette.setColor(QPalette::Window, QColor(green.r, green.g, green.b));
    ours.setPalette(palette);
    ours.setAutoFillBackground(true);
    const QRect first(pillX - 120, pillY - 60, 240, 160);
    ours.setGeometry(first);
    // A notch its own shape leaves out, as a panel's rounded corners do: not ours to keep.
    const Rect inner = c.insetBy(3, 3);
    const int barX = static_cast<int>(inner.minX() + (inner.width() - 6) / 2) + 3;
    const QRect notch(barX - first.x() - 10, 120, 20, 20);
    ours.setMask(QRegion(ours.rect()) - notch);
    ours.show();
    // Where the manager shows it (asked again if it placed it elsewhere).
    const auto placed = [&](const QRect& at) {
        const auto g = x_->freshGeometry(ours.winId());
        const bool there = g && g->viewable && g->rootRect.minX() == at.x() && g->rootRect.minY() == at.y();
        if (!there && g && g->viewable) ours.setGeometry(at);
        return there;
    };
    ASSERT_TRUE(waitFor([&] { return placed(first); })) << "the manager never showed our window there";
    ASSERT_TRUE(pixelBecomes(pillX, pillY, green)) << pixel(pillX, pillY);

    // Lifted over it by someone else, as Mutter does, with nothing for us to hear of it.
    const auto lift = [&] {
        std::vector<XWindowId> chrome;
        for (auto& p : chrome_->paneMat.shieldPanels()) chrome.push_back(static_cast<qt_backend::QtPanel*>(p.get())->windowId());
        for (auto& p : chrome_->dividerPanels) chrome.push_back(static_cast<qt_backend::QtPanel*>(p.get())->windowId());
        const auto* rail = static_cast<qt_backend::QtPanel*>(chrome_->headerPanel.get());
        chrome.push_back(rail->windowId());
        if (rail->inputWindow()) chrome.push_back(rail->inputWindow());
        for (XWindowId w : chrome) XRaiseWindow(x_->display(), w);
        x_->sync();
        return stackIndex(rail->windowId()) > stackIndex(ours.winId());
    };
    ASSERT_TRUE(lift());
    EXPECT_TRUE(pixelBecomes(pillX, pillY, green)) << "the rail is drawn over our window: " << pixel(pillX, pillY);
    click(pillX, pillY);
    EXPECT_TRUE(waitFor([&] { return ours.presses == 1; })) << "the click never reached our window";
    // The pointer off the rail, which would show it hovered.
    EXPECT_EQ(server_->run({"xdotool", "mousemove", "5", "5"}), 0);

    // Moved off the pill, the window takes the cut with it: the pill shows again (the rail still
    // over the margin's strip, which Metacity restacks as the window moves), and the chrome lifted
    // again is cut where the window lies now, but for its notch.
    const QRect moved = first.translated(0, 120);
    ASSERT_TRUE(waitFor([&] { return placed(moved); })) << "our window never moved";
    EXPECT_TRUE(pixelBecomes(pillX, pillY, pill)) << "the rail stays cut where our window was: " << pixel(pillX, pillY);
    const int barY = moved.center().y();
    ASSERT_TRUE(moved.contains(barX, barY));
    ASSERT_TRUE(lift());
    EXPECT_TRUE(pixelBecomes(barX, barY, green)) << "the handle is drawn over our window: " << pixel(barX, barY);
    const Rgb bar = over(qt_backend::resolveColor({ColorRole::separator, 0.5}, false),
                         qt_backend::resolveColor({ColorRole::underPageBackground}, false));
    EXPECT_TRUE(pixelBecomes(barX, moved.y() + notch.center().y(), bar))
        << "the handle is cut in our window's notch: " << pixel(barX, moved.y() + notch.center().y());
}

// A mat nearly the work area's size is what managers that maximize large windows as they map them
// (Mutter) would maximize: it stays exactly the container, as first shown and when shown again (kept
// mapped, shaped to nothing meanwhile) at another size, and says it cannot be maximized. Nor does KWin flag it
// as wanting the user's attention, as it does a window it was told not to activate or refused to
// raise. (The Metacity family flags any window it maps unfocused and covered, as a mat always is;
// Marco takes no pager's restack either.)
TEST_F(ChromePanelsTest, AMatNearlyTheWorkAreasSizeIsExactlyTheContainerOnEveryManager) {
    auto mat = panels_->makePanel({.level = PanelLevel::mat, .name = "mat"});
    PaneMatView view(*mat);
    const XWindowId id = static_cast<qt_backend::QtPanel*>(mat.get())->windowId();
    const Rect visible = screens_->screens().at(0).visibleFrame;
    // Another program's window, which the user clicked last, is active: a manager that guards the
    // focus weighs our windows against it.
    const XWindowId other = startClient({"--pos", "40,40", "--size", "200x150"}).windows.at(0);
    const auto clickOther = [&] {
        ASSERT_EQ(server_->run({"xdotool", "mousemove", "140", "115", "click", "1"}), 0);
        EXPECT_TRUE(waitFor([&] { return x_->windowList(x_->root(), "_NET_ACTIVE_WINDOW").value_or(std::vector<XWindowId>{0}) ==
                                         std::vector<XWindowId>{other}; }));
    };
    clickOther();
    const auto hasState = [&](const char* name) {
        const auto states = x_->atomList(id, "_NET_WM_STATE").value_or(std::vector<linux_backend::XAtomId>{});
        return std::count(states.begin(), states.end(), x_->atom(name)) > 0;
    };
    const auto maximized = [&] {
        return hasState("_NET_WM_STATE_MAXIMIZED_HORZ") || hasState("_NET_WM_STATE_MAXIMIZED_VERT");
    };
    for (const double inset : {12.0, 40.0}) {
        SCOPED_TRACE(inset);
        const Rect container = visible.insetBy(inset, inset);
        const Rect root = space_->rootFromScreen(container);
        view.setPanelFrame(container);
        mat->orderFront();
        // Taken by the manager (ICCCM WM_STATE normal), and everything it does on taking the
        // window done once it has answered a round trip (a manager that lists the request but never
        // answers it, Fluxbox, has had time enough when the wait ends).
        ASSERT_TRUE(waitFor([&] {
            const auto state = x_->cardinals(id, "WM_STATE");
            auto g = x_->freshGeometry(id);
            return state && !state->empty() && state->at(0) == 1 && g && g->viewable;
        }));
        x_->windowManagerRoundTrip(5);
        EXPECT_TRUE(waitFor([&] { return x_->freshGeometry(id)->rootRect == root; }))
            << "the mat at " << x_->freshGeometry(id)->rootRect.minX() << "," << x_->freshGeometry(id)->rootRect.minY()
            << " " << x_->freshGeometry(id)->rootRect.width() << "x" << x_->freshGeometry(id)->rootRect.height()
            << ", the container at " << root.minX() << "," << root.minY() << " " << root.width() << "x" << root.height();
        EXPECT_FALSE(maximized()) << "the manager maximized the mat";
        const bool kwin = server_->windowManagerName() == "kwin";
        // Flagged by KWin as it takes the mat in, the flag is declined once the manager is done.
        EXPECT_TRUE(waitFor([&] { return !(kwin && hasState("_NET_WM_STATE_DEMANDS_ATTENTION")); }));
        // Brought forward again while shown, after the user has been at the other window.
        clickOther();
        mat->orderFront();
        x_->windowManagerRoundTrip(5);
        EXPECT_FALSE(kwin && hasState("_NET_WM_STATE_DEMANDS_ATTENTION")) << "when raised again";
        mat->orderOut();
        EXPECT_TRUE(x_->freshGeometry(id)->viewable);
    }
}

// A show makes no new window: a released panel's window serves the next panel made like it, at
// that panel's place and with its drawing.
TEST_F(ChromePanelsTest, AReleasedPanelsWindowIsMappedAgainForTheNextPanelMadeLikeIt) {
    const auto show = [&](Panel& panel, ColorRole role, const Rect& root) {
        panel.setDrawing({DrawOp::shape(DrawOp::Kind::fillRect, {0, 0, root.width(), root.height()}, {role})});
        panel.setFrame(screenFromRoot(root));
        panel.orderFront();
        return static_cast<qt_backend::QtPanel&>(panel).windowId();
    };
    auto first = panels_->makePanel({.level = PanelLevel::shield, .name = "shield"});
    const XWindowId id = show(*first, ColorRole::accent, {100, 100, 100, 100});
    ASSERT_TRUE(pixelBecomes(150, 150, rgbOf(qt_backend::resolveColor({ColorRole::accent}, false))));
    first.reset();
    EXPECT_TRUE(waitFor([&] { auto g = x_->geometry(id); return g && !g->viewable; })) << "released, it is unmapped";

    auto handle = panels_->makePanel({.level = PanelLevel::handle, .name = "handle"});
    auto second = panels_->makePanel({.level = PanelLevel::shield, .name = "shield"});
    EXPECT_EQ(show(*second, ColorRole::green, {300, 200, 80, 60}), id);
    EXPECT_NE(show(*handle, ColorRole::label, {500, 200, 20, 20}), id) << "a panel made otherwise gets a window of its own";
    EXPECT_TRUE(waitFor([&] {
        auto g = x_->geometry(id);
        return g && g->viewable && g->rootRect == Rect(300, 200, 80, 60);
    }));
    EXPECT_TRUE(pixelBecomes(340, 230, rgbOf(qt_backend::resolveColor({ColorRole::green}, false))));

    // A window made ready ahead (shown by Qt out of sight, then unmapped) stays unseen until a panel
    // takes it, which maps it at its frame and has Qt paint a drawing no single fill makes. What
    // Qt waited for meanwhile is named for the stall log.
    WaitBounds::take();
    panels_->prepare({{.level = PanelLevel::rail, .name = "rail"}});
    const auto named = WaitBounds::take();
    EXPECT_TRUE(std::any_of(named.begin(), named.end(),
                            [](const auto& t) { return t.name == qt_backend::toolkit_waits::kWindowMade.name; }));
    auto rail = panels_->makePanel({.level = PanelLevel::rail, .name = "rail"});
    const XWindowId railId = static_cast<qt_backend::QtPanel&>(*rail).windowId();
    x_->sync();
    const auto early = x_->geometry(railId);
    ASSERT_TRUE(early);
    EXPECT_FALSE(early->viewable) << "made ready unseen";
    rail->setDrawing({DrawOp::shape(DrawOp::Kind::fillRect, {0, 0, 120, 40}, {ColorRole::accent}),
                      DrawOp::shape(DrawOp::Kind::fillRect, {60, 0, 60, 40}, {ColorRole::green})});
    rail->setFrame(screenFromRoot({600, 400, 120, 40}));
    rail->orderFront();
    EXPECT_TRUE(waitFor([&] {
        auto g = x_->geometry(railId);
        return g && g->viewable && g->rootRect == Rect(600, 400, 120, 40);
    }));
    EXPECT_TRUE(pixelBecomes(620, 420, rgbOf(qt_backend::resolveColor({ColorRole::accent}, false))));
    EXPECT_TRUE(pixelBecomes(700, 420, rgbOf(qt_backend::resolveColor({ColorRole::green}, false))));
}

// The chrome of a second workspace, made while the first's is up, finds its windows made ready as
// the first did: what panels took of the prepared windows is made again once they are done taking.
TEST_F(ChromePanelsTest, PreparedWindowsThatPanelsTookAreMadeReadyAgain) {
    const PanelOptions rail{.level = PanelLevel::rail, .name = "rail"};
    const auto panelWindows = [] {
        std::set<QWidget*> out;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (dynamic_cast<qt_backend::QtPanelWidget*>(w) && w->testAttribute(Qt::WA_WState_Created)) out.insert(w);
        return out;
    };
    panels_->prepare({rail});
    const auto prepared = panelWindows();
    ASSERT_EQ(prepared.size(), 1u);
    auto first = panels_->makePanel(rail);
    EXPECT_EQ(&static_cast<qt_backend::QtPanel&>(*first).widget(), *prepared.begin());
    std::set<QWidget*> ready;
    EXPECT_TRUE(waitFor([&] {
        ready = panelWindows();
        ready.erase(*prepared.begin());
        return !ready.empty();
    })) << "made ready again";
    auto second = panels_->makePanel(rail);
    EXPECT_EQ(ready, std::set<QWidget*>{&static_cast<qt_backend::QtPanel&>(*second).widget()})
        << "the second panel takes the window made ready, none of its own";
}

// A show has more to do after it puts its chrome up: the panels it ordered front are mapped when
// it asks, not once the turn of the loop ends, and the turn's end then restacks nothing more.
// A new mat, which the window manager frames (Xfwm restacking every window it manages), is
// mapped before them, and they wait for the manager to be done with it.
TEST_F(ChromePanelsTest, PanelsOrderedFrontAreMappedWhenAskedBeforeTheTurnEndsAndAfterANewMatIsFramed) {
    // A window made ready is mapped by us, in one batch per turn (a new one by Qt's own show).
    panels_->prepare({{.level = PanelLevel::rail, .name = "rail"}, {.level = PanelLevel::rail, .name = "rail"}});
    auto mat = panels_->makePanel({.level = PanelLevel::mat, .name = "mat"});
    mat->setDrawing({DrawOp::shape(DrawOp::Kind::fillRect, {0, 0, 400, 300}, {ColorRole::accent})});
    mat->setFrame(screenFromRoot({400, 300, 400, 300}));
    std::unique_ptr<Panel> rails[2];
    for (int i = 0; i < 2; ++i) {
        rails[i] = panels_->makePanel({.level = PanelLevel::rail, .name = "rail"});
        rails[i]->setDrawing({DrawOp::shape(DrawOp::Kind::fillRect, {0, 0, 120, 40}, {ColorRole::accent})});
        rails[i]->setFrame(screenFromRoot({600.0 + 130 * i, 400, 120, 40}));
    }
    const XWindowId id = static_cast<qt_backend::QtPanel&>(*rails[0]).windowId();
    const XWindowId second = static_cast<qt_backend::QtPanel&>(*rails[1]).windowId();
    const XWindowId matId = static_cast<qt_backend::QtPanel&>(*mat).windowId();
    Display* watcher = XOpenDisplay(server_->display().c_str());
    ASSERT_NE(watcher, nullptr);
    XSelectInput(watcher, DefaultRootWindow(watcher), SubstructureNotifyMask);
    XSelectInput(watcher, matId, StructureNotifyMask);
    XSync(watcher, False);
    rails[0]->orderFront();
    panels_->showOrderedNow();
    // Only the server is asked: the loop does not turn meanwhile.
    EXPECT_TRUE(waitFor([&] {
        XWindowAttributes a{};
        return XGetWindowAttributes(x_->display(), id, &a) && a.map_state == IsViewable;
    }, kAnswer, testing::Turning::nothing));
    const long sent = qt_backend::PanelStacking::requestsSent();
    QCoreApplication::processEvents();
    EXPECT_EQ(qt_backend::PanelStacking::requestsSent(), sent);
    mat->orderFront();
    rails[1]->orderFront();
    panels_->showOrderedNow();
    std::vector<XWindowId> mapped;
    EXPECT_TRUE(waitFor([&] {
        while (XPending(watcher)) {
            XEvent e;
            XNextEvent(watcher, &e);
            if (e.type == MapNotify && (e.xmap.window == second || e.xmap.window == matId) &&
                std::find(mapped.begin(), mapped.end(), e.xmap.window) == mapped.end())
                mapped.push_back(e.xmap.window);
        }
        return mapped.size() == 2;
    }));
    // Mutter maps a window it took in at a moment of its own, after answering what came later.
    if (server_->windowManagerName() != "mutter") {
        EXPECT_EQ(mapped, (std::vector<XWindowId>{matId, second})) << "the mat first, then the rail";
    }
    XCloseDisplay(watcher);
}

}  // namespace
}  // namespace tessane::x11test
