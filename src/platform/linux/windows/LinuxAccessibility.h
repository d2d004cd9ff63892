#pragma once

#include "base/Signal.h"
#include "platform/Accessibility.h"
#include "platform/MainQueue.h"
#include "platform/linux/x11/ClientListTracker.h"
#include "platform/linux/windows/ManagerAnswers.h"
#include "platform/linux/windows/NewWindowAction.h"
#include "platform/linux/windows/WindowLives.h"
#include "platform/linux/desktop/WindowDocuments.h"
#include "platform/linux/x11/WindowIdSet.h"
#include "platform/linux/x11/X11Connection.h"
#include "platform/linux/x11/X11FrameGeometry.h"

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace tessane::linux_backend {

class LinuxScreens;

// Other applications' windows through an EWMH window manager, in the terms of the Accessibility
// port.
//
// - Elements: a process's application element, and one element per top-level client window
//   (the handle is the client window's XID). A window belongs to the process the X server names
//   for the client that made it (X-Resource); its own _NET_WM_PID, which it may set to any
//   number, counts only where the server cannot tell (a remote client, no extension).
// - Owners are cached per window, answers of "no process" and "not a window" too, for as long
//   as the window is listed in _NET_CLIENT_LIST or _NET_CLIENT_LIST_STACKING. Any client may
//   set those lists, to a quarter million made-up ids: a change is read in linear time, and the
//   new ids are looked at in slices (ClientListTracker::kSlice), each asked of the server in one
//   batch: the first at once, the rest on the main queue.
// - AXWindows lists an application's clients from _NET_CLIENT_LIST_STACKING, front to back, with
//   minimized ones; docks and desktop windows are not application windows and are left out.
// - Subroles: a normal window is "AXStandardWindow"; a dialog (by type, or a transient window
//   without a type) "AXDialog"; utility, toolbar, menu and splash windows "AXFloatingWindow".
// - AXPosition and AXSize are the frame the user sees, in Accessibility coordinates (points, through
//   the screens' point space, written as whole pixels there): the client
//   area plus the window manager's decorations (_NET_FRAME_EXTENTS), minus the shadow margin of a
//   client that draws its own frame (_GTK_FRAME_EXTENTS); see WindowFrame. Writes go to the
//   window manager (after taking a maximized window out of its maximized state): as
//   _NET_MOVERESIZE_WINDOW with north-west gravity, which places the frame itself and carries
//   only what changes, where the manager supports it, else as a ConfigureWindow request on the
//   client. They wait until the manager has handled them, bounded by the messaging time-out: a
//   manager that answers round trips (X11Connection::windowManagerRoundTrip) has once it
//   answered; one that does not has once each window is where it was asked, at the size its
//   WM_NORMAL_HINTS allow of the one asked (constrainedClientSize), or has been quiet for tens of
//   milliseconds after moving it. A manager that keeps a minimum size or resize increments
//   answers success and leaves the size it allows, as the port expects. AXResizeIncrements from
//   WM_NORMAL_HINTS.
// - AXMinimized from _NET_WM_STATE_HIDDEN or WM_STATE; AXFullScreen from
//   _NET_WM_STATE_FULLSCREEN; AXMain and the application's AXFocusedWindow / AXMainWindow: the
//   active window (_NET_ACTIVE_WINDOW) when it is the application's, else the application's
//   front-most window that is not minimized.
// - AXDocument: the file the window's title names, as its process's evidence tells it
//   (WindowDocuments); noValue when nothing tells it for sure.
// - AXIdentifier has no X11 source and answers noValue; neither has AXMenuBar,
//   except the one New Window item of an application whose desktop entry has a new-window
//   action (NewWindowMenu).
// - Observers hear ConfigureNotify / DestroyNotify of watched windows and root property changes
//   (_NET_ACTIVE_WINDOW, _NET_CLIENT_LIST), and deliver on the main queue. A watched window
//   that enters or leaves _NET_WM_STATE_FULLSCREEN (or is destroyed in it) is told through the
//   screens' activeSpaceDidChange, also on the main queue.
// - Trusted: an EWMH window manager answers _NET_SUPPORTING_WM_CHECK. Untrusted, the prompt
//   (setPrompt) tells the user why.
class LinuxAccessibility final : public Accessibility {
public:
    static constexpr double kDefaultMessagingTimeout = 1.0;

    LinuxAccessibility(X11Connection& x, LinuxScreens& screens, MainQueue& queue);
    ~LinuxAccessibility() override;
    LinuxAccessibility(const LinuxAccessibility&) = delete;
    LinuxAccessibility& operator=(const LinuxAccessibility&) = delete;

    AXElement applicationElement(Pid pid) override;
    std::optional<Pid> pid(const AXElement& element) override;
    AXAttributeResult copyAttribute(const AXElement& element, std::string_view attribute) override;
    void willReadWindowsOf(std::span<const Pid> pids) override;
    AXError setAttribute(const AXElement& element, std::string_view attribute,
                         const AXValue& value) override;
    AXError performAction(const AXElement& element, std::string_view action) override;
    FrameWrite setFrame(const AXElement& window, const Rect& frame) override;
    std::vector<FrameWrite> setFrames(std::span<const FrameRequest> requests) override;
    AXError setMessagingTimeout(const AXElement& element, float seconds) override;
    ObserverResult createObserver(Pid pid, ObserverCallback callback) override;
    // Window control is there while an EWMH window manager runs. Within a short grace of the last
    // one's leaving it is away, not gone: a successor is awaited by events (awaitWindowControl)
    // and nobody is prompted meanwhile. The grace is as long as a manager restarted by its
    // session takes to come up on a busy machine (KWin loading its plugins beside a build): an
    // alert that no manager runs, a moment before one does, would be a false one.
    bool isProcessTrusted() override;
    bool isProcessTrustedWithPrompt(bool prompt) override;
    bool awaitWindowControl(std::function<void()> settled) override;
    static constexpr double kReplacementGraceSeconds = 5.0;
    std::optional<uint32_t> windowNumber(const AXElement& window) override;

    // The client windows of every process, front to back (for the running-applications and
    // window-list backends).
    std::vector<XWindowId> clientsFrontToBack();
    // The same, back to front; none when the manager lists no clients.
    std::optional<std::vector<XWindowId>> stackingBottomToTop();
    std::optional<Pid> windowPid(XWindowId window);
    // The owners of many windows, asked of the server in one batch for those not cached.
    std::vector<std::optional<Pid>> windowPids(std::span<const XWindowId> windows);
    // Whether a client is an application's window (not a dock or the desktop).
    bool isApplicationWindow(XWindowId window);
    // The shown frames of other clients that lie over a client's frame (empty: it is in front),
    // from the root's order and children as the read model keeps them (no round trip once known);
    // none when its frame is not known.
    std::optional<std::vector<XWindowId>> framesOver(XWindowId window);
    // Whether a client is minimized (_NET_WM_STATE_HIDDEN or iconic WM_STATE); none when gone.
    std::optional<bool> isMinimized(XWindowId window);
    // The same for many windows, read as one snapshot (a window that is gone is not minimized).
    std::vector<bool> areMinimized(const std::vector<XWindowId>& windows);
    // Restores minimized windows of an application (LinuxWindowRestores.cpp), front to back, and
    // waits until the window manager has restored the front few (as many as a workspace has
    // panes), bounded: every restore asked in one turn of the event loop (a show that unhides
    // several applications) shares one bound, however many windows and applications. The rest
    // are asked for once the turn is over, when the manager brought the front ones back without
    // activation; otherwise they are waited for now as well. `report` hears how many of these
    // windows the manager left minimized (only when some are): told once it has handled the
    // requests and stopped changing their states (reportLateRestores).
    using RestoreReport = std::function<void(size_t stillMinimized)>;
    void restoreWindows(const std::vector<XWindowId>& windows, RestoreReport report);
    // Restores not asked for yet are dropped (the windows are being minimized again).
    void forgetRestores(const std::vector<XWindowId>& windows);
    // Windows about to be minimized: where each is now is where a restore brings it back.
    void noteMinimizing(const std::vector<XWindowId>& windows);
    // Asks the manager to activate a window: every activation this program asks for goes through
    // here, so that the window it last made active is known (WindowLives::active).
    void activate(XWindowId window);
    // The records of the application windows (made and ended by the running applications).
    WindowLives& lives() { return lives_; }
    // A client's frame as the user sees it (AXPosition, AXSize), in Accessibility coordinates
    // but X pixels; none when the window is gone. `fresh` reads it from the server rather than
    // the read model. A window taken as placed where its restore is bringing it back is read
    // there until it arrives or the grace for that is over.
    std::optional<Rect> visibleFrame(XWindowId window, bool fresh = false);
    // Accessibility coordinates in X pixels to points and back (whole pixels), per display.
    Rect axPoints(const Rect& axPixels);
    Rect axPixels(const Rect& axPoints);

    // What isProcessTrustedWithPrompt(true) does while untrusted: it is handed the name of the
    // window manager that ran earlier in this run and has exited, if any.
    using Prompt = std::function<void(const std::optional<std::string>& departedManager)>;
    void setPrompt(Prompt prompt) { prompt_ = std::move(prompt); }
    // Told, with the manager's name (empty when it has none), when window control has been away
    // for a while because the manager is not answering.
    using SilencePrompt = std::function<void(const std::string& manager)>;
    void setSilencePrompt(SilencePrompt prompt) { silencePrompt_ = std::move(prompt); }

    // The New Window menu item made from desktop entries; the backend tells it where a
    // process's entry is.
    NewWindowMenu& newWindowMenu() { return newWindowMenu_; }
    // Where windows' documents are read from; the backend tells it where an entry is.
    WindowDocuments& documents() { return documents_; }
    struct Registry;  // observers and their registrations, shared with the observer objects

private:
    enum class Kind { application, window };
    static bool isApplication(const AXElement& e);
    static Pid applicationPid(const AXElement& e);

    struct WindowState {
        bool minimized = false;
        bool fullScreen = false;
        bool maximized = false;
    };
    std::optional<WindowState> state(XWindowId window);
    std::optional<std::string> subrole(XWindowId window);
    std::vector<XWindowId> windowsOf(Pid pid);
    std::optional<XWindowId> mainWindowOf(Pid pid);
    std::optional<XWindowId> findMainWindow(Pid pid);
    std::optional<WindowFrame> windowFrame(XWindowId window, bool fresh = false);  // root coordinates
    FrameExtents decorations(XWindowId window, const Rect& client);
    FrameExtents unseenBorders(XWindowId liar, Size limit);
    // Answers derived from the read model, kept while what they were derived from stays as it
    // was: each process's windows while the lists and the windows' types do (a title or a state
    // changing does not walk every listed window again), its main window while nothing changes.
    struct Pass {
        uint64_t version = 0;
        uint64_t stackingVersion = 0;
        std::unordered_map<Pid, std::vector<XWindowId>> windows;  // application windows, front to back
        uint64_t mainWindowVersion = 0;
        std::unordered_map<Pid, std::optional<XWindowId>> mainWindow;
    };
    uint64_t passVersion();
    const Pass& pass();
    Point origin();
    double timeoutFor(const AXElement& element) const;
    // Moves the visible frame's top-left corner to `axOrigin` and / or sizes the visible frame to
    // `axSize`; what is left out stays. `frame` is the window's frame as just read.
    // The port's writes of frames, positions and sizes with every value in X pixels.
    AXError setAttributeInPixels(const AXElement& element, std::string_view attribute, const AXValue& value);
    FrameWrite setFrameInPixels(const AXElement& window, const Rect& frame);
    std::vector<FrameWrite> setFramesInPixels(std::span<const FrameRequest> requests);
    AXError moveResize(XWindowId window, WindowFrame frame, std::optional<Point> axOrigin,
                       std::optional<Size> axSize, double timeout);
    // One window's move in a batch of them (LinuxWindowMoves.cpp).
    struct FrameMove {
        size_t index;
        XWindowId window;
        Rect target;  // Accessibility coordinates
        bool maximized;
        Size taken{};  // the visible size it can take of the one asked
    };
    std::optional<FrameMove> frameMove(size_t index, const AXElement& element, const Rect& target, FrameWrite& written);
    void moveFrames(std::vector<FrameMove>& moves, double timeout, std::vector<FrameWrite>& written);
    bool unmaximize(const std::vector<XWindowId>& windows, double timeout);
    AXError restoreMinimized(XWindowId window, double timeout);  // LinuxWindowRestores.cpp
    AXAttributeResult applicationAttribute(Pid pid, std::string_view attribute);
    AXAttributeResult windowAttribute(XWindowId window, std::string_view attribute);
    void onEvent(const X11Event& event);

    // Observers (LinuxAXObserver.cpp).
    struct ObserverState;
    AXError addRegistration(const std::shared_ptr<ObserverState>& observer, const AXElement& element,
                            const std::string& notification);
    void watchWindow(XWindowId window);
    // After an observer's detach: the windows no observer listens to any more are not watched.
    void unwatchUnheard();
    bool heardByAnObserver(XWindowId window);
    // A watched window or its frame was configured: its observers hear whether it moved or
    // resized.
    void frameChanged(XWindowId window);
    void noteFullScreen(XWindowId window, bool fullScreen);
    void clientListChanged();
    // A change heard of what `read` reads (the client list, the stacking, the active window): read
    // once the storm it is part of has been heard, while `stale` says a read is on its way.
    void readAfterStorm(bool& stale, void (LinuxAccessibility::*read)());
    void takeNewClients(const std::vector<XWindowId>& fresh);
    void prefetchWindowFacts(const std::vector<XWindowId>& windows);
    void stackingChanged();
    void activeWindowChanged();
    void noteStacking(const std::vector<XWindowId>& stacking);
    bool listedAnywhere(XWindowId window) const;
    void windowGone(XWindowId window, bool destroyed);
    void deliver(XWindowId window, Pid pid, const char* notification);
    friend class LinuxAXObserver;

    X11Connection& x_;
    LinuxScreens& screens_;
    MainQueue& queue_;
    std::map<uint64_t, double> timeouts_;
    std::unordered_map<XWindowId, Pid> pidCache_;
    WindowIdSet noOwner_;  // listed ids that name no window, or none whose process we can name
    std::optional<Point> origin_;
    std::optional<bool> trusted_;
    bool moveResizeMessage_ = false;  // the window manager takes _NET_MOVERESIZE_WINDOW
    XWindowId wmCheckWindow_ = 0;  // the window manager's check window behind trusted_
    std::optional<std::string> lastManager_;  // the name of the last window manager seen
    // When the window manager behind trusted_ was last seen to leave.
    std::optional<std::chrono::steady_clock::time_point> managerLeftAt_;
    uint64_t clientListWrites_ = 0;  // changes of the root's client list heard
    uint64_t clientListWritesAtLeaving_ = 0;  // and how many when the manager left
    // What waits for the manager's successor, and the end of the grace it is given.
    std::vector<std::function<void()>> awaitingManager_;
    std::shared_ptr<WorkItem> replacementEnds_;
    bool replacementCheckPosted_ = false;
    // The seconds left of the grace for a successor, while one is awaited.
    std::optional<double> replacementLeft();
    void settleReplacement();
    void awaitReplacementUntil(double left);
    // While the manager is judged not answering, window control is away until it answers again.
    bool answerAwaited_ = false;
    void awaitManagerAnswer();
    Prompt prompt_;
    SilencePrompt silencePrompt_;
    ClientListTracker clients_;
    ClientListTracker stacked_;
    std::vector<XWindowId> stacking_;  // the stacking list as last read, and as a set
    WindowIdSet stackingSet_;
    bool stackingStale_ = false;  // a change of the stacking list is waiting to be read
    bool activeWindowStale_ = false;  // and of the active window
    bool clientListStale_ = false;    // and of the client list
    std::shared_ptr<Registry> registry_;
    Subscription events_;
    NewWindowMenu newWindowMenu_;
    WindowDocuments documents_;
    Pass pass_;
    // When the restores of this turn of the event loop stop being waited for.
    std::optional<std::chrono::steady_clock::time_point> restoresUntil_;
    // Windows whose restore goes out after this turn: whether the map is asked for too. What is
    // still owed when the backend goes is asked for then, so that a quit leaves nothing hidden.
    std::unordered_map<XWindowId, bool> deferredRestores_;
    void sendRestores(const std::vector<XWindowId>& windows, bool maps);
    class RestoreSteps;
    std::optional<bool> restore(RestoreSteps& steps, std::vector<XWindowId>& pending,
                                const std::unordered_set<XWindowId>& asked);
    void sendRestoresAfterTheTurn(const std::vector<XWindowId>& rest, std::vector<XWindowId> still, RestoreReport report);
    void sendDeferredRestores();
    // Windows still minimized once their restores were asked for, which the manager may still be
    // working through: told to the report once it has answered a round trip and the one after,
    // and changed none of their states in between (see LinuxWindowRestores.cpp).
    struct LateRestore;
    void reportLateRestores(std::vector<XWindowId> windows, RestoreReport report);
    void judgeLateRestores(std::shared_ptr<LateRestore> late);
    ManagerAnswers answers_;
    WindowLives lives_;
    // The restore requests the window manager of this run was seen to ignore (a restore that
    // needed a later request): not asked again until another manager is found.
    struct RestoreWays {
        bool ignoresNormalState = false;  // WM_CHANGE_STATE to normal (most managers: KWin, Mutter)
        bool ignoresMap = false;          // the ICCCM map of a minimized window it keeps mapped (Mutter)
    };
    RestoreWays restoreWays_;
    // Windows being restored, and where each is coming back to: the frame it had while minimized
    // (Accessibility coordinates, X pixels), since a restore leaves a window where it was. Some
    // managers (Openbox) animate the way back and put the frame in place only when the animation
    // ends; a move to that very frame is neither asked nor waited for then. Kept for
    // kRestoreArrivalSeconds from the restore's request.
    struct Restoring {
        Rect frame;
        std::chrono::steady_clock::time_point asked;
    };
    std::unordered_map<XWindowId, Restoring> restoring_;
    std::unordered_map<XWindowId, Rect> minimizedFrom_;  // noteMinimizing's frames, until restored or gone
    void forgetMinimizedFrame(XWindowId window);
    void noteRestoring(const std::vector<XWindowId>& windows);
    // The frame a window being restored is coming back to, if it is not there yet.
    std::optional<Rect> restoringTo(XWindowId window);
    bool restoredJustNow(XWindowId window) const;  // a restore was asked within the arrival grace
    // A window taken as placed at `frame` because its restore brings it there, or because the
    // wait for its move gave way to the user: watched until its frame is there, and moved there
    // (without waiting) if it is not within the grace.
    void awaitArrival(XWindowId window, Rect frame);
    void checkArrivals();
    struct Arrival {
        Rect frame;
        std::chrono::steady_clock::time_point until;  // when it is asked for, if not there
    };
    std::unordered_map<XWindowId, Arrival> arrivals_;
    Subscription arrivalEvents_;
    bool arrivalCheckPosted_ = false;
    // A move this program asks of a window supersedes the arrival it was waiting for.
    void forgetArrival(XWindowId window) { arrivals_.erase(window); }
};

}  // namespace tessane::linux_backend
