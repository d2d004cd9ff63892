#pragma once

#include "base/Lifetime.h"
#include "base/Signal.h"
#include "platform/MainQueue.h"
#include "platform/RunningApplications.h"
#include "platform/linux/windows/ManagerAnswers.h"
#include "platform/linux/x11/ClientListTracker.h"
#include "platform/linux/desktop/DesktopAppIndex.h"
#include "platform/linux/apps/ProcessExits.h"
#include "platform/linux/apps/X11AppEvidence.h"
#include "platform/linux/x11/WindowIdSet.h"
#include "platform/linux/x11/X11Connection.h"

#include <array>
#include <filesystem>
#include <set>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace tessane {
class LinuxAppCatalog;
}

namespace tessane::linux_backend {

class LinuxAccessibility;
class PacedIconifies;

// The running applications of an X11 session, in the terms of the RunningApplications port.
//
// - A running application is a process with client windows (_NET_CLIENT_LIST; the process as
//   LinuxAccessibility::windowPid names it), plus the processes we launched that have no
//   window yet (isFinishedLaunching false). A change of the list is read in linear time and its
//   new windows taken in slices (the first at once, the rest on the main queue), so that a list
//   any client may fill with made-up ids does not hold the main thread; at the start too, so
//   that with more than a slice of ids listed, some windows are known only a moment later.
// - An application's bundle identifier is the desktop-file id of its windows, decided once per
//   process by DesktopAppIndex::match from its first window and its process (the toolkit's app
//   id, the sandbox's, the startup id of our launch, StartupWMClass, WM_CLASS, the program), or
//   the entry we launched it from; its path is that entry and its name the entry's Name (else the
//   WM_CLASS class, else the process name). The order is the order in which we first saw each one.
// - Hidden means hidden by hide() and every one of its windows minimized or with its iconify
//   still to come (WindowLives::countsHidden): a show right after a hide unhides it.
// - Activation policy: regular with application windows; accessory when it only has docks or
//   desktop windows.
// - hide = iconify every window, a few at a time per application as the window manager gets
//   through them (PacedIconifies); unhide = WM_CHANGE_STATE to normal (no activation), with the
//   ICCCM map as the fallback for managers that ignore it, and activation of each window still
//   minimized after that (managers that keep minimized windows mapped: Mutter), the active
//   window then activated again (LinuxAccessibility::restoreWindows: each step's requests for
//   all the windows at once, one bound for all the unhides of a show, only the front few waited
//   for when the rest can come back after it; a request the manager was seen to ignore,
//   restoring nothing where a later one did, is not sent again); windows the manager left
//   minimized (its answers came and it changed none of them) are logged; activate = _NET_ACTIVE_WINDOW on the
//   front-most window (unhiding first), with a restack request only where the manager does not
//   raise what it activates (learnt from the first activation of a window not in front, looked
//   at once the manager answered two round trips after it; see ActivationRaise); terminate = WM_DELETE_WINDOW to each window that takes it
//   (never a kill).
// - A window that takes no keyboard input (WM_HINTS, WM_PROTOCOLS) is never activated by some
//   managers, and any manager may refuse an activation: then the window is raised with a restack
//   request instead (at once for the former, for the latter when the manager did not make it
//   active by its answer to the second round trip after the request) and didActivate is told for its application all the same,
//   which stays the active one until the active window moves to another process.
// - Launching runs the desktop entry's Exec line detached (ProcessLauncher), documents through
//   its field codes. An application that already runs with windows is answered without a new
//   process when no documents are given. Each launch has a startup id of its own whose time stamp
//   (0) asks window managers not to focus the new window; "without activating" also sets
//   _NET_WM_USER_TIME 0 on the launched process's new windows (or the user-time windows they
//   name) before the window manager sees them mapped, unless the toolkit set a time of its
//   own, and we never activate them ourselves. With
//   activating, the first window of the launch is activated when it appears.
// - Notifications, on the main queue: didLaunch when a process's first window appears after we
//   started; didActivate when the active window moves to another process; didTerminate when the
//   last window of an application went and its process is gone (a launched process that quits
//   before it ever showed a window is a launcher that handed over, and is not reported).
//   A process's exit is heard by pidfd (ProcessExits), never polled where the kernel has them.
// - openURL runs `xdg-open` detached (URLOpener); our help links open the pages in
//   `helpFolder`. A link that cannot be handed over is logged with the reason.
class LinuxRunningApplications final : public RunningApplications {
public:
    using LogSink = std::function<void(const std::string&)>;

    LinuxRunningApplications(X11Connection& x, LinuxAccessibility& ax, const LinuxAppCatalog& catalog,
                             MainQueue& queue, LogSink log = nullptr, std::filesystem::path helpFolder = {});
    ~LinuxRunningApplications() override;
    LinuxRunningApplications(const LinuxRunningApplications&) = delete;
    LinuxRunningApplications& operator=(const LinuxRunningApplications&) = delete;

    std::vector<RunningApplication> runningApplications() const override;
    std::optional<RunningApplication> frontmostApplication() const override;
    bool hide(Pid pid) override;
    bool unhide(Pid pid) override;
    bool activate(Pid pid) override;
    bool terminate(Pid pid) override;
    void openApplication(const std::filesystem::path& appPath, const OpenConfiguration& configuration,
                         OpenCompletion completion) override;
    void openDocuments(const std::vector<std::filesystem::path>& documents,
                       const std::filesystem::path& appPath, const OpenConfiguration& configuration,
                       OpenCompletion completion) override;
    bool openURL(const std::string& url) override;
    [[nodiscard]] Subscription observe(Notification notification,
                                       std::function<void(const RunningApplication&)> handler) override;

    // How long a launch waits for a window of its application from another process (a launcher
    // that hands over) before it is forgotten.
    static constexpr double kLaunchHandOverSeconds = 30;

private:
    struct Group {
        Pid pid = 0;
        uint64_t order = 0;
        std::optional<std::string> desktopId;
        std::optional<std::filesystem::path> entryPath;
        std::optional<std::string> name;
        std::vector<XWindowId> windows;  // application windows, in the order they came
        int otherWindows = 0;            // docks and desktop windows
        // The application windows that ask to be left out of taskbars (a tray app's popup): an
        // application whose windows all do is an accessory, not a regular application.
        std::set<XWindowId> skipsTaskbar;
        bool finishedLaunching = true;
        // Hidden by us: set by hide(), and, for windows we find, by the mark hide() leaves on
        // them, so that a later run of Tessane (after one that was killed) knows what it owes.
        bool hiddenByRequest = false;
    };
    // The mark hide() leaves on each window it iconifies, and unhide() removes.
    static constexpr const char* kHiddenMark = "_TESSANE_HIDDEN";
    struct Launch {
        Pid pid = 0;
        uint64_t order = 0;
        std::string desktopId;
        std::filesystem::path entryPath;
        std::string name;
        std::string startupId;
        bool activates = false;
        uint64_t activationRequest = 0;  // which of activationRequests_ asked for it
        double startedAt = 0;
        bool processGone = false;
    };

    void onEvent(const X11Event& event);
    void refresh(bool initial);
    void takeNewClients(const std::vector<XWindowId>& fresh);
    void takeOutOfTurn(XWindowId window);
    void addWindow(XWindowId window, Pid pid, bool initial, const WindowAppEvidence* evidence);
    void windowCreated(XWindowId window);
    void keepQuiet(XWindowId window);
    void removeWindow(XWindowId window);
    void activeWindowChanged();
    bool giveFocusBack(XWindowId window);
    void identify(Group& group, const WindowAppEvidence& evidence);
    void processEnded(Pid pid);
    const linux_desktop::DesktopAppIndex& index(bool mayRebuild);
    std::optional<RunningApplication> snapshot(const Group& group) const;
    static RunningApplication snapshot(const Launch& launch);
    std::optional<RunningApplication> snapshot(Pid pid) const;
    void notify(Notification notification, const RunningApplication& app);
    std::optional<XWindowId> frontWindow(const Group& group) const;
    std::vector<XWindowId> frontToBack(const Group& group) const;
    // Logs the windows of `pid` a restore left minimized, unless it was hidden again since.
    std::function<void(size_t)> stayedMinimized(Pid pid);
    void requestActivation(Pid pid, XWindowId window);
    void activateByRaising(Pid pid, XWindowId window);
    Group* group(Pid pid);
    Launch* launch(Pid pid);
    void log(const std::string& line) const;

    // Launching (LinuxAppLaunching.cpp).
    // The desktop entry a launch starts from, as its launches are recorded.
    struct LaunchedEntry {
        std::string desktopId;
        std::filesystem::path path;
        std::string name;
        std::filesystem::path directory;  // the folder its processes start in
    };
    void open(const std::filesystem::path& appPath, const std::vector<std::filesystem::path>& documents,
              const OpenConfiguration& configuration, OpenCompletion completion);
    // Answers the completion with an instance of the application that already runs, if any.
    bool answeredByRunning(const std::string& desktopId, const OpenConfiguration& configuration,
                           OpenCompletion& completion);
    void startLaunches(const std::vector<std::vector<std::string>>& commands, const LaunchedEntry& entry,
                       bool activates, OpenCompletion completion);
    void answer(OpenCompletion completion, std::optional<RunningApplication> app,
                std::optional<SystemError> error);

    X11Connection& x_;
    LinuxAccessibility& ax_;
    const LinuxAppCatalog& catalog_;
    MainQueue& queue_;
    LogSink log_;
    std::filesystem::path helpFolder_;
    std::map<Pid, Group> groups_;
    std::vector<Launch> launches_;
    std::unordered_map<XWindowId, Pid> windowOwners_;
    ClientListTracker clients_;
    WindowIdSet listedAtStart_;  // while the windows there when we started are taken in
    Pid activePid_ = 0;
    uint64_t nextOrder_ = 1;
    std::optional<linux_desktop::DesktopAppIndex> index_;
    linux_desktop::DesktopAppIndex::Launches startupIds_;  // of every launch of this run
    uint64_t launchCount_ = 0;
    // New windows of launches that don't activate, until they are listed: their user time is
    // kept at 0 ("don't focus me") unless the toolkit sets one.
    std::set<XWindowId> quietWindows_;
    static constexpr size_t kMaxQuietWindows = 64;
    // Window managers that focus every new window whatever it asks (Openbox unless it saw the
    // user at work since) focus a launch's window as it maps: that first activation, within
    // this long of the map, is given back to the window that had the focus.
    struct MappedQuietly {
        double until = 0;
        bool givenBack = false;  // asked for; the window manager has not answered yet
    };
    std::map<XWindowId, MappedQuietly> mappedQuietly_;
    static constexpr double kFocusGiveBackSeconds = 1.5;
    bool activeWindowStale_ = false;  // a change of the active window is waiting to be read
    bool clientListStale_ = false;  // a change of the client list is waiting to be read
    uint64_t activationRequests_ = 0;  // activations asked of us, counted
    double indexBuiltAt_ = 0;
    std::array<Signal<RunningApplication>, 3> notifications_;
    std::unique_ptr<PacedIconifies> iconifies_;
    ManagerAnswers answers_{x_, queue_};
    LifetimeToken lifetime_;
    // Processes we launched, and applications whose last window went while they run.
    ProcessExits exits_{queue_, lifetime_.guard([this](Pid pid) { processEnded(pid); })};
    Subscription events_;
};

}  // namespace tessane::linux_backend
