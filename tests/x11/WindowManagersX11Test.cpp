// The backend on window managers other than Openbox: the work area a manager announces for
// panels of its own, and moves confirmed where the manager does not answer the frame-extents
// request that Openbox answers.
#include "system/AXWindowController.h"
#include "platform/linux/x11/X11ManagerWatch.h"
#include "x11/LinuxBackendTest.h"

#include <cstdlib>

// Last: Xlib's macros must not reach the headers above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace tessane::x11test {
namespace {

// Each test its own server with the manager it names.
class WindowManagerTest : public LinuxBackendTest {
protected:
    static void SetUpTestSuite() {}
    void SetUp() override {}
    void start(const std::string& manager) {
        X11TestServer::Options options;
        options.windowManagerName = manager;
        startServer(options);
        LinuxBackendTest::SetUp();
    }
    void TearDown() override {
        client_.reset();
        LinuxBackendTest::TearDown();
        TearDownTestSuite();
    }

    // _NET_WORKAREA of the current desktop, read straight from the root (root coordinates).
    std::optional<Rect> announcedWorkArea() {
        Display* d = x_->display();
        auto cardinals = [&](const char* name) {
            std::vector<long> out;
            Atom type = 0;
            int format = 0;
            unsigned long count = 0, after = 0;
            unsigned char* data = nullptr;
            if (XGetWindowProperty(d, DefaultRootWindow(d), XInternAtom(d, name, False), 0, 1024, False,
                                   XA_CARDINAL, &type, &format, &count, &after, &data) == Success && data)
                out.assign(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + count);
            if (data) XFree(data);
            return out;
        };
        const auto area = cardinals("_NET_WORKAREA");
        const auto current = cardinals("_NET_CURRENT_DESKTOP");
        const size_t desktop = current.empty() ? 0 : static_cast<size_t>(current[0]);
        if (area.size() < (desktop + 1) * 4) return std::nullopt;
        const long* a = area.data() + desktop * 4;
        return Rect(a[0], a[1], a[2], a[3]);
    }

    // The main screen's visible frame in root coordinates (one 1920 x 1080 screen).
    Rect visibleRootFrame() {
        const Rect v = screens_->screens().at(0).visibleFrame;
        return Rect(v.minX(), 1080 - v.maxY(), v.width(), v.height());
    }

    std::unique_ptr<ChildProcess> client_;
};

bool near(const Rect& a, const Rect& b, double slack = 8) {
    return std::abs(a.minX() - b.minX()) <= slack && std::abs(a.minY() - b.minY()) <= slack &&
           std::abs(a.maxX() - b.maxX()) <= slack && std::abs(a.maxY() - b.maxY()) <= slack;
}

// IceWM's taskbar carries only the old strut, Fluxbox's toolbar none: the visible frame is the
// work area each announces.
TEST_F(WindowManagerTest, IceWMAndFluxboxPanelsAreLeftOutOfTheVisibleFrame) {
    for (const std::string manager : {"icewm", "fluxbox"}) {
        SCOPED_TRACE(manager);
        TearDown();
        start(manager);
        if (HasFatalFailure()) return;
        std::optional<Rect> area;
        ASSERT_TRUE(waitFor([&] {
            area = announcedWorkArea();
            return area && area->height() < 1080;
        })) << "the manager announced no work area smaller than the screen";
        EXPECT_TRUE(waitFor([&] { return near(visibleRootFrame(), *area); }))
            << "visible " << visibleRootFrame().minY() << "+" << visibleRootFrame().height() << ", announced "
            << area->minY() << "+" << area->height();
    }
}

// KWin neither lists nor answers _NET_REQUEST_FRAME_EXTENTS: a placement is confirmed by the
// move itself, judged after the round trip KWin does answer (it passes on a resize of a window of
// ours), and lands where it was asked.
TEST_F(WindowManagerTest, OnKWinAPlacementIsConfirmedWithoutTheFrameExtentsRequest) {
    start("kwin");
    if (HasFatalFailure()) return;
    ASSERT_TRUE(x_->manager().declinesPings());
    EXPECT_TRUE(x_->manager().echo(10));
    client_ = ChildProcess::start({TESSANE_X11_CLIENT, "--size", "400x300"}, server_->display(),
                                  server_->logFolder() + "/clients.log", true);
    ASSERT_NE(client_, nullptr);
    const auto line = client_->waitForLine("window ", kAnswer.limit);
    ASSERT_TRUE(line);
    const AXElement window = AXElement::fromHandle(std::strtoul(line->c_str() + 7, nullptr, 16));
    AXWindowController windows(*ax_);
    // KWin shows a window in its frame after the client has seen itself mapped, and decorates it
    // a moment later; until then its frame is the client, and a move may be dropped.
    ASSERT_TRUE(waitFor([&] {
        XWindowAttributes a{};
        return XGetWindowAttributes(x_->display(), window.handle(), &a) && a.map_state == IsViewable &&
               x_->cardinals(window.handle(), "_NET_FRAME_EXTENTS").has_value();
    }));

    for (const Rect target : {Rect(40, 60, 700, 500), Rect(960, 540, 800, 450)}) {
        EXPECT_EQ(windows.place(window, target), AXWindowController::PlacementOutcome::placed());
        const auto seen = outerFrame(x_->display(), static_cast<unsigned long>(window.handle()));
        ASSERT_TRUE(seen);
        EXPECT_TRUE(near(Rect(seen->x, seen->y, seen->width, seen->height), target))
            << seen->x << "," << seen->y << " " << seen->width << "x" << seen->height;
    }
}

}  // namespace
}  // namespace tessane::x11test
