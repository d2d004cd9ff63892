#pragma once

#include "system/AXWindowController.h"
#include "x11/LinuxBackendTest.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

// Last: Xlib's macros must not reach the headers above.
#include <X11/Xlib.h>

namespace tessane::x11test {

using Outcome = AXWindowController::PlacementOutcome;

// The backend on the Qt main loop, with the X connection pumped by it, as in the application.
class LinuxAccessibilityTest : public LinuxBackendTest {
protected:
    void SetUp() override {
        LinuxBackendTest::SetUp();
        if (!HasFatalFailure()) windows_ = std::make_unique<AXWindowController>(*ax_);
    }
    void TearDown() override {
        windows_.reset();
        LinuxBackendTest::TearDown();
    }
    // A client whose windows (a handful) its manager has taken in: shown in their frames (Mutter
    // and KWin show and place a window after its client has seen itself mapped, and drop a move
    // that comes first) and decorated (KWin decorates a moment later still): a frame read or
    // written before would change under the test. Full-screen windows and those that draw their
    // own frame get no decorations from some managers.
    Client& startClient(std::vector<std::string> args, bool waitReady = true) {
        const bool undecorated = std::any_of(args.begin(), args.end(), [](const std::string& a) {
            return a == "--fullscreen" || a == "--shadow";
        });
        Client& c = LinuxBackendTest::startClient(std::move(args), waitReady);
        if (!waitReady || c.windows.size() > 10) return c;
        for (const auto w : c.windows) {
            EXPECT_TRUE(waitFor([&] {
                XWindowAttributes a{};
                return XGetWindowAttributes(x_->display(), w, &a) && a.map_state == IsViewable &&
                       (undecorated || x_->cardinals(w, "_NET_FRAME_EXTENTS").has_value());
            })) << "window " << w << " not shown in its frame";
        }
        return c;
    }
    Pid pidOf(const Client& c) { return static_cast<Pid>(c.process->pid()); }
    AXElement element(linux_backend::XWindowId w) { return AXElement::fromHandle(w); }

    // What the user sees of a window, read with Xlib apart from the backend: the client widened by
    // the frame extents its manager announces (some managers' frame windows also hold invisible
    // resize borders), less the shadow margin the client asked for (the test screen's origin is
    // the root's).
    Rect seen(linux_backend::XWindowId w, const linux_backend::FrameExtents& shadow = {}) {
        auto f = visibleFrame(x_->display(), w);
        EXPECT_TRUE(f);
        if (!f) return {};
        return Rect(f->x + shadow.left, f->y + shadow.top, f->width - shadow.left - shadow.right,
                    f->height - shadow.top - shadow.bottom);
    }
    std::optional<Rect> read(linux_backend::XWindowId w) {
        auto p = windows_->point(element(w), ax::kPosition);
        auto s = windows_->sizeValue(element(w), ax::kSize);
        if (!p || !s) return std::nullopt;
        return Rect(*p, *s);
    }
    std::unique_ptr<AXWindowController> windows_;
};

}  // namespace tessane::x11test
