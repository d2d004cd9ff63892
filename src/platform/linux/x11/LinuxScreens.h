#pragma once

#include "base/Lifetime.h"
#include "base/Signal.h"
#include "platform/MainQueue.h"
#include "platform/Screens.h"
#include "platform/linux/x11/ClientListTracker.h"
#include "platform/linux/x11/PointSpace.h"
#include "platform/linux/x11/WindowIdSet.h"
#include "platform/linux/x11/X11Connection.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tessane::linux_backend {

// Displays from XRandR monitors. A display's visible frame is what the struts of docks and
// panels (_NET_WM_STRUT_PARTIAL, or the older _NET_WM_STRUT) leave of it, cut further by the
// work area the window manager announces for the current desktop (_NET_WORKAREA), which also
// counts panels of its own that carry no strut. Struts are other clients' say, trusted as far as
// the work area is: one that would leave a monitor less than half of itself either way is
// ignored (with one log line per such strut). The struts of all listed clients come from the
// read model, read in one batch and kept until they change; new ids are looked at when the list
// changes, in slices on the main queue, so that the next screens() after a long list is not the
// one to pay for it.
// See Screens.h for the contract. Frames are reported in points: each display at the scale our own
// windows have there (setScaleSource), converted through pointSpace(), which the other ports of
// the backend share. The coordinate origin (the primary monitor's top-left corner on the root
// window, where points and pixels meet) is shared with them through primaryRootOrigin().
class LinuxScreens final : public Screens {
public:
    // Notifications that X reports are told on `queue`, never from inside the X event handling
    // that a window request may run while it waits for the window manager.
    using LogSink = std::function<void(const std::string&)>;
    LinuxScreens(X11Connection& x, MainQueue& queue, LogSink log = nullptr);

    std::vector<ScreenInfo> screens() const override;
    std::optional<ScreenInfo> mainScreen() const override;

    // Where the primary display's top-left corner lies on the root window, in pixels and in
    // points alike. Accessibility coordinates are root coordinates (points) minus this point.
    Point primaryRootOrigin() const;

    // The scale of a display (given in X pixels on the root), as the toolkit draws our own
    // windows there; without a source every display is at scale 1.
    using ScaleSource = std::function<double(const Rect& displayPixels)>;
    void setScaleSource(ScaleSource source) { scaleSource_ = std::move(source); }
    // The displays as they are now, each at its scale: the one conversion between X pixels and
    // points for every port of the backend.
    PointSpace pointSpace() const;
    ScaledDisplay scaled(const Rect& displayPixels) const;

    // screenParametersChanged for every RandR change event (a burst of them for one change) and
    // for every change of _NET_WORKAREA (struts come and go); activeSpaceDidChange when
    // _NET_CURRENT_DESKTOP changes. Wake and session notifications come from the login manager,
    // not from X: its watcher hands them in through deliver().
    [[nodiscard]] Subscription observe(Notification notification, std::function<void()> handler) override;

    // Tells the observers of `notification` now (on the main thread, like every notification).
    void deliver(Notification notification);
    // Tells them from the main queue, out of whatever runs now.
    void post(Notification notification);

    // _NET_WM_STRUT_PARTIAL's twelve values (left, right, top, bottom, then the start and end of
    // each band), as reserved against the root window's edges.
    using StrutPartial = std::array<long, 12>;
    // The part of a monitor (root coordinates) that the struts leave free. A strut cuts a
    // monitor only where its band overlaps it, from the side it is reserved on. A strut that on
    // its own would leave the monitor less than half of its width or height (a dock reserving
    // nearly all of it, a reservation past the root's far edge) is ignored, as are all of them
    // where together they would; those ignored are added to `ignored` when given.
    static Rect visibleArea(const Rect& monitor, Size rootSize, const std::vector<StrutPartial>& struts,
                            std::vector<StrutPartial>* ignored = nullptr);
    // `visible` (a monitor's part the struts leave) cut by the announced work area (one box over
    // every monitor), where that leaves at least half of the monitor each way.
    static Rect clipToWorkArea(const Rect& visible, const Rect& monitor, const Rect& area);

private:
    struct Display {
        X11Monitor monitor;
        std::optional<uint32_t> outputId;
    };
    std::vector<Display> orderedDisplays() const;
    std::optional<std::vector<StrutPartial>> struts() const;
    std::optional<Rect> workArea() const;
    std::optional<std::string> identityName(const Display& display) const;
    void clientListChanged();
    void clientListStale();
    void checkNewClients(const std::vector<XWindowId>& fresh);
    void reportIgnored(const std::vector<StrutPartial>& ignored) const;

    X11Connection& x_;
    MainQueue& queue_;
    Signal<> parametersChanged_;
    Signal<> spaceChanged_;
    Signal<> didWake_;
    Signal<> screensDidWake_;
    Signal<> sessionDidBecomeActive_;
    Subscription events_;
    LifetimeToken lifetime_;
    ClientListTracker clients_;
    bool clientListStale_ = false;  // a change of the client list is waiting to be read
    LogSink log_;
    ScaleSource scaleSource_;
    // Struts already logged as ignored: each is told once, and past kMaxReported no more are.
    static constexpr size_t kMaxReported = 64;
    mutable std::vector<StrutPartial> reported_;
    // The struts as last gathered from every listed client, kept while no client's struts, the
    // list and the root's size change: a show asks for the screens many times.
    struct KeptStruts {
        uint64_t version = 0;
        Size rootSize;
        std::optional<std::vector<StrutPartial>> struts;
    };
    mutable KeptStruts keptStruts_;
    uint64_t strutsVersion() const;
    std::optional<std::vector<StrutPartial>> gatherStruts() const;
};

}  // namespace tessane::linux_backend
