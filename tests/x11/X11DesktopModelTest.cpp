// The desktop read model on a private server with no window manager, where the test acts as one.
#include "platform/linux/x11/X11DesktopModel.h"
#include "x11/WithoutWindowManager.h"
#include "x11/X11TestBase.h"

#include <X11/Xatom.h>
#include <X11/Xlib-xcb.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <memory>

namespace tessane::x11test {
namespace {

using linux_backend::X11EventMask;
using linux_backend::X11Event;
using linux_backend::X11Status;
using linux_backend::XAtomId;
using linux_backend::XWindowId;

class X11DesktopModelTest : public WithoutWindowManager {
protected:
    // Another client of the bare server (the test playing a window manager, a toolkit or a
    // hostile program), closed when the case ends; none when it cannot connect.
    Display* openClient() {
        clients_.emplace_back(XOpenDisplay(bare_->display().c_str()), XCloseDisplay);
        return clients_.back().get();
    }
    // What the clients sent has reached the server, and the model has heard what it tells.
    void settle(Display* client, Display* another = nullptr) {
        XSync(client, False);
        if (another) XSync(another, False);
        x_->sync();
        x_->processEvents();
    }
    // The root's _NET_CLIENT_LIST set to `client` alone, as a manager that took it in does.
    static void listClient(Display* d, Window client) {
        const long list[] = {static_cast<long>(client)};
        XChangeProperty(d, DefaultRootWindow(d), XInternAtom(d, "_NET_CLIENT_LIST", False), XA_WINDOW, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(list), 1);
    }
    // The root's children as the server holds them, bottom to top.
    static std::vector<XWindowId> rootChildren(Display* d) {
        Window parent = 0, up = 0, *kids = nullptr;
        unsigned count = 0;
        XQueryTree(d, DefaultRootWindow(d), &up, &parent, &kids, &count);
        std::vector<XWindowId> out(kids, kids + count);
        if (kids) XFree(kids);
        return out;
    }

private:
    std::vector<std::unique_ptr<Display, int (*)(Display*)>> clients_;
};

// A window manager resizes a frame, then the client inside it in a request of its own; only the
// frame's change reaches the root. A client read between the two is not kept at its old size.
// Here the test is the window manager, on a server without one.
TEST_F(X11DesktopModelTest, AClientResizedInsideItsFrameAfterTheFrameIsSeenAgain) {
    Display* wm = openClient();
    ASSERT_NE(wm, nullptr);
    const Window root = DefaultRootWindow(wm);
    const Window frame = XCreateSimpleWindow(wm, root, 100, 100, 400, 300, 0, 0, 0);
    const Window client = XCreateSimpleWindow(wm, frame, 0, 20, 400, 280, 0, 0, 0);
    XMapWindow(wm, client);
    XMapWindow(wm, frame);
    listClient(wm, client);
    XSync(wm, False);
    settle(wm);
    ASSERT_TRUE(x_->geometry(client));
    EXPECT_EQ(x_->geometry(client)->rootRect, Rect(100, 120, 400, 280));

    XResizeWindow(wm, frame, 600, 300);
    settle(wm);
    ASSERT_TRUE(x_->geometry(client));
    EXPECT_EQ(x_->geometry(client)->rootRect.width(), 400) << "read between the frame and its client";
    XResizeWindow(wm, client, 600, 280);
    settle(wm);
    ASSERT_TRUE(x_->geometry(client));
    EXPECT_EQ(x_->geometry(client)->rootRect, Rect(100, 120, 600, 280));
}

// A watch of a window the model does not keep (it is not listed) holds what it asked for only
// while it is held: its end leaves the window hearing what was asked to last, and its frame is let
// go; a window destroyed under a watch is forgotten at once, and the watch's end asks nothing.
TEST_F(X11DesktopModelTest, AWatchsEndTakesBackItsInputAndTheFrameItKept) {
    Display* other = openClient();
    ASSERT_NE(other, nullptr);
    const Window frame = XCreateSimpleWindow(other, DefaultRootWindow(other), 0, 0, 100, 100, 0, 0, 0);
    const Window inner = XCreateSimpleWindow(other, frame, 0, 20, 100, 80, 0, 0, 0);
    XSync(other, False);
    const auto selected = [&](Window w) {
        XWindowAttributes attributes{};
        XGetWindowAttributes(x_->display(), w, &attributes);
        return attributes.your_event_mask;
    };
    auto& model = x_->desktop();
    const long both = X11EventMask::structure | X11EventMask::properties;
    Subscription watch = model.watch(inner, both);
    ASSERT_TRUE(watch);
    EXPECT_EQ(model.knownFrameOf(inner), frame);
    EXPECT_EQ(selected(inner), both);
    ASSERT_TRUE(x_->selectInput(inner, X11EventMask::properties).ok());
    watch.reset();
    EXPECT_EQ(selected(inner), X11EventMask::properties);
    EXPECT_FALSE(model.knownFrameOf(inner));
    EXPECT_TRUE(model.clientsIn(frame).empty());

    Subscription again = model.watch(inner, X11EventMask::structure);
    ASSERT_TRUE(again);
    XDestroyWindow(other, frame);
    settle(other);
    EXPECT_FALSE(model.knownFrameOf(inner));
    again.reset();
    EXPECT_EQ(x_->selectInput(inner, X11EventMask::structure).error, X11Status::badWindow);
}

// Answers derived from a few properties of every listed client (each process's windows by type,
// the struts) are kept while those properties stay: a title or a state changing on one window
// must not make them walk every listed window again.
TEST_F(X11DesktopModelTest, AVersionNarrowedToSomePropertiesIgnoresTheOthers) {
    Display* wm = openClient();
    ASSERT_NE(wm, nullptr);
    const Window root = DefaultRootWindow(wm);
    const Window client = XCreateSimpleWindow(wm, root, 100, 100, 400, 300, 0, 0, 0);
    listClient(wm, client);
    const auto set = [&](const char* name, Atom type, long value) {
        XChangeProperty(wm, client, XInternAtom(wm, name, False), type, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&value), 1);
        XSync(wm, False);
        x_->sync();
    };
    set("_NET_WM_WINDOW_TYPE", XA_ATOM, static_cast<long>(XInternAtom(wm, "_NET_WM_WINDOW_TYPE_NORMAL", False)));
    set("_NET_WM_PID", XA_CARDINAL, 1);
    auto& model = x_->desktop();
    const XAtomId type = x_->atom("_NET_WM_WINDOW_TYPE");
    ASSERT_TRUE(x_->atomList(client, "_NET_WM_WINDOW_TYPE"));
    ASSERT_EQ(x_->cardinals(client, "_NET_WM_PID"), (std::vector<long>{1}));
    const uint64_t all = model.version(), types = model.version({type});

    set("_NET_WM_PID", XA_CARDINAL, 2);
    EXPECT_EQ(x_->cardinals(client, "_NET_WM_PID"), (std::vector<long>{2}));
    EXPECT_NE(model.version(), all);
    EXPECT_EQ(model.version({type}), types);

    set("_NET_WM_WINDOW_TYPE", XA_ATOM, static_cast<long>(XInternAtom(wm, "_NET_WM_WINDOW_TYPE_DOCK", False)));
    EXPECT_NE(model.version({type}), types);
}

// IceWM and Fluxbox make their frames override-redirect: such a frame carries the client it
// holds when the manager moves it (a title-bar drag tells the client nothing), while our own
// override-redirect panels carry nothing. Here the test is the window manager.
TEST_F(X11DesktopModelTest, AnOverrideRedirectFrameCarriesItsClientAndOurPanelsNothing) {
    Display* wm = openClient();
    Display* toolkit = openClient();
    ASSERT_TRUE(wm && toolkit);
    x_->addOwnClient(xcb_get_setup(XGetXCBConnection(toolkit))->resource_id_base);
    const Window root = DefaultRootWindow(wm);
    XSetWindowAttributes bypass{};
    bypass.override_redirect = True;
    const auto overrideRedirect = [&](Display* d, Window parent, int x0, int y0, unsigned w, unsigned h) {
        const Window made = XCreateWindow(d, parent, x0, y0, w, h, 0, CopyFromParent, InputOutput, CopyFromParent,
                                          CWOverrideRedirect, &bypass);
        XMapWindow(d, made);
        return made;
    };
    // The client two levels down, as IceWM nests it.
    const Window frame = overrideRedirect(wm, root, 100, 100, 404, 300);
    const Window inner = XCreateSimpleWindow(wm, frame, 2, 20, 400, 280, 0, 0, 0);
    const Window client = XCreateSimpleWindow(wm, inner, 0, 0, 400, 280, 0, 0, 0);
    XMapWindow(wm, client);
    XMapWindow(wm, inner);
    listClient(wm, client);
    const Window panel = overrideRedirect(toolkit, root, 90, 90, 30, 30);
    settle(wm, toolkit);
    ASSERT_TRUE(x_->geometry(client));
    EXPECT_EQ(x_->geometry(client)->rootRect, Rect(102, 120, 400, 280));
    EXPECT_EQ(x_->desktop().frameOf(client), frame);
    EXPECT_EQ(x_->desktop().clientFrames(), std::vector<XWindowId>{frame});

    XMoveWindow(wm, frame, 300, 200);
    settle(wm, toolkit);
    ASSERT_TRUE(x_->geometry(client));
    EXPECT_EQ(x_->geometry(client)->rootRect.origin, (Point{302, 220})) << "a drag of the frame";

    XMoveWindow(toolkit, panel, 400, 220);
    XUnmapWindow(toolkit, panel);
    XMapWindow(toolkit, panel);
    settle(wm, toolkit);
    const uint64_t trips = x_->roundTrips();
    EXPECT_EQ(x_->geometry(client)->rootRect.origin, (Point{302, 220}));
    EXPECT_EQ(x_->roundTrips(), trips) << "our panel going up and down took what was kept";

    // Into a new frame, the old one gone: the client goes with the new one only.
    const Window next = overrideRedirect(wm, root, 500, 400, 400, 300);
    XReparentWindow(wm, client, next, 0, 20);
    XDestroyWindow(wm, frame);
    settle(wm, toolkit);
    EXPECT_EQ(x_->desktop().frameOf(client), next);
    XMoveWindow(wm, next, 600, 450);
    settle(wm, toolkit);
    ASSERT_TRUE(x_->geometry(client));
    EXPECT_EQ(x_->geometry(client)->rootRect.origin, (Point{600, 470}));
    EXPECT_EQ(x_->desktop().clientFrames(), std::vector<XWindowId>{next});
}

// A client that puts window after window of its own into one of its top-level windows and
// destroys each there: nothing tells the root of those ends, so none of them is kept; a window
// whose own events are heard is kept in the same place until it goes, and is heard going after
// the memory the flood's backlog took was given back. A flood larger than the events held in hand
// is dropped over that bound, and what the model keeps is read again: it still tells what the
// server holds.
TEST_F(X11DesktopModelTest, WindowsPutAwayFromTheRootAreKeptOnlyWhileTheirGoingIsHeard) {
    Display* hostile = openClient();
    ASSERT_NE(hostile, nullptr);
    const Window root = DefaultRootWindow(hostile);
    auto& model = x_->desktop();
    model.rootStacking();  // the root's children are followed from here on
    const Window holder = XCreateSimpleWindow(hostile, root, 0, 0, 100, 100, 0, 0, 0);
    const Window watched = XCreateSimpleWindow(hostile, root, 0, 0, 10, 10, 0, 0, 0);
    settle(hostile);
    const auto watch = model.watch(watched, X11EventMask::structure);
    ASSERT_TRUE(watch);
    XReparentWindow(hostile, watched, holder, 5, 5);
    for (int i = 0; i < 3000; ++i) {
        const Window w = XCreateSimpleWindow(hostile, root, 0, 0, 10, 10, 0, 0, 0);
        XReparentWindow(hostile, w, holder, 0, 0);
        XDestroyWindow(hostile, w);
    }
    settle(hostile);
    EXPECT_EQ(model.clientsIn(holder), std::vector<XWindowId>{watched});
    settle(hostile);  // a call that finds little in hand after the backlog: what it took is given back
    EXPECT_EQ(x_->backlogReleases(), 1u);
    XDestroyWindow(hostile, watched);
    settle(hostile);
    EXPECT_TRUE(model.clientsIn(holder).empty());

    const Window moving = XCreateSimpleWindow(hostile, root, 0, 0, 10, 10, 0, 0, 0);
    settle(hostile);
    ASSERT_TRUE(model.rootChildStates({moving}).front());  // kept from the root's events from here on
    const auto before = x_->eventCounts();
    size_t resyncs = 0;
    const Subscription told = x_->onEvent([&](const X11Event& e) { resyncs += e.kind == X11Event::Kind::resync; });
    const int flood = static_cast<int>(linux_backend::X11EventBacklog::kBound);
    for (int i = 0; i < flood; ++i) {
        const Window w = XCreateSimpleWindow(hostile, root, 0, 0, 10, 10, 0, 0, 0);
        XReparentWindow(hostile, w, holder, 0, 0);
        XDestroyWindow(hostile, w);
        XMoveWindow(hostile, moving, i % 500, 7);
    }
    const Window last = XCreateSimpleWindow(hostile, root, 0, 0, 10, 10, 0, 0, 0);
    settle(hostile);
    const auto counts = x_->eventCounts();
    EXPECT_GE(counts.read - before.read, 3u * flood);
    EXPECT_LT(counts.kept - before.kept, linux_backend::X11EventBacklog::kBound + 100) << "held beyond the bound";
    EXPECT_GT(counts.dropped, before.dropped);
    EXPECT_GE(resyncs, 1u);
    const std::vector<XWindowId> server = rootChildren(hostile);
    EXPECT_EQ(model.rootStacking(), server);
    EXPECT_EQ(server.back(), last);
    const auto state = model.rootChildStates({moving}).front();
    ASSERT_TRUE(state);
    EXPECT_EQ(state->rootRect.origin, (Point{(flood - 1) % 500, 7}));
    EXPECT_EQ(model.frameOf(last), last);
}

// The chrome's stacking rule asks for the root's children at every restack: they are read once
// and followed from what the root hears (raised, lowered, restacked beside a sibling, made,
// reparented in and out, destroyed), in the server's own order, with no second read.
TEST_F(X11DesktopModelTest, TheRootsChildrenAreFollowedInTheServersOrderWithoutAskingAgain) {
    Display* wm = openClient();
    ASSERT_NE(wm, nullptr);
    const Window root = DefaultRootWindow(wm);
    const auto make = [&](Window parent) {
        const Window w = XCreateSimpleWindow(wm, parent, 10, 10, 50, 50, 0, 0, 0);
        XMapWindow(wm, w);
        return w;
    };
    const Window a = make(root), b = make(root), c = make(root);
    const auto server = [&] { return rootChildren(wm); };
    settle(wm);
    auto& model = x_->desktop();
    ASSERT_EQ(model.rootStacking(), server());
    // There before the model watched, each is asked once what it holds, all of them together:
    // a manager's restack tells of each on its own. (One more round trip: the settling's own.)
    uint64_t trips = x_->roundTrips();
    for (Window w : {a, b, c}) XMoveWindow(wm, w, 15, 15);
    settle(wm);
    EXPECT_EQ(x_->roundTrips() - trips, 2u);

    const Window d = make(root);
    XRaiseWindow(wm, a);
    XLowerWindow(wm, c);
    XWindowChanges below{};
    below.sibling = b;
    below.stack_mode = Below;
    XConfigureWindow(wm, d, CWSibling | CWStackMode, &below);
    XReparentWindow(wm, b, c, 0, 0);  // out of the root
    const Window e = make(d);
    XReparentWindow(wm, e, root, 5, 5);  // into it, on top
    XDestroyWindow(wm, a);
    XMoveResizeWindow(wm, d, 20, 20, 60, 60);  // a configure that leaves the order
    settle(wm);
    trips = x_->roundTrips();
    EXPECT_EQ(model.rootStacking(), server());
    EXPECT_EQ(x_->roundTrips(), trips);

    // The order's version: the same for children moved, sized, unmapped or mapped in their places
    // (a show's moves do not have the applications' windows walked again) and for a raise of one
    // that bypasses the manager and holds nothing known (another program raising its own without
    // pause), new for any other raise.
    XSetWindowAttributes bypass{};
    bypass.override_redirect = True;
    const Window popup = XCreateWindow(wm, root, 0, 0, 10, 10, 0, CopyFromParent, InputOutput, CopyFromParent,
                                       CWOverrideRedirect, &bypass);
    XMapWindow(wm, popup);
    XLowerWindow(wm, popup);
    settle(wm);
    const uint64_t version = model.stackingVersion();
    XMoveResizeWindow(wm, d, 30, 30, 70, 70);
    XMoveWindow(wm, c, 40, 40);
    XUnmapWindow(wm, e);
    XMapWindow(wm, e);
    XRaiseWindow(wm, popup);
    settle(wm);
    EXPECT_EQ(model.stackingVersion(), version);
    XRaiseWindow(wm, c);
    settle(wm);
    EXPECT_GT(model.stackingVersion(), version);
    EXPECT_EQ(model.rootStacking(), server());
}

TEST_F(X11DesktopModelTest, TheRootsChildrenAreKeptAsTheyStandFromTheRootsEvents) {
    Display* wm = openClient();
    ASSERT_NE(wm, nullptr);
    const Window root = DefaultRootWindow(wm);
    XSetWindowAttributes bypass{};
    bypass.override_redirect = True;
    const Window shown = XCreateSimpleWindow(wm, root, 10, 10, 50, 50, 2, 0, 0);
    XMapWindow(wm, shown);
    const Window popup = XCreateWindow(wm, root, 0, 0, 20, 20, 0, CopyFromParent, InputOutput, CopyFromParent,
                                       CWOverrideRedirect, &bypass);
    const Window input = XCreateWindow(wm, root, 5, 5, 30, 30, 0, 0, InputOnly, CopyFromParent, 0, nullptr);
    XMapWindow(wm, input);
    settle(wm);
    auto& model = x_->desktop();
    const std::vector<XWindowId> windows{shown, popup, input};
    const auto fresh = [&] {
        auto answers = x_->geometries(windows);
        answers[2].reset();  // moved out of the root below
        return answers;
    };
    const auto first = model.rootChildStates(windows);
    ASSERT_TRUE(first[0] && first[1] && first[2]);
    EXPECT_EQ(first[0]->rootRect, Rect(12, 12, 50, 50));
    EXPECT_TRUE(first[0]->viewable && first[1]->overrideRedirect && !first[1]->viewable && first[2]->inputOnly);

    // What a show and a manager do to frames, and a child taken out of the root: none of it asked.
    XMoveResizeWindow(wm, shown, 100, 40, 300, 200);
    XSetWindowBorderWidth(wm, shown, 0);
    XMapRaised(wm, popup);
    XUnmapWindow(wm, shown);
    XMapWindow(wm, shown);
    XMoveWindow(wm, popup, 7, 9);
    XReparentWindow(wm, input, popup, 0, 0);
    settle(wm);
    const uint64_t trips = x_->roundTrips();
    const auto kept = model.rootChildStates(windows);
    EXPECT_EQ(x_->roundTrips(), trips);
    const auto server = fresh();
    for (size_t i = 0; i < windows.size(); ++i) {
        ASSERT_EQ(kept[i].has_value(), server[i].has_value()) << i;
        if (!kept[i]) continue;
        EXPECT_EQ(kept[i]->rootRect, server[i]->rootRect) << i;
        EXPECT_EQ(kept[i]->borderWidth, server[i]->borderWidth) << i;
        EXPECT_EQ(kept[i]->viewable, server[i]->viewable) << i;
        EXPECT_EQ(kept[i]->overrideRedirect, server[i]->overrideRedirect) << i;
    }
}

}  // namespace
}  // namespace tessane::x11test
