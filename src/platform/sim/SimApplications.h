#pragma once

#include "base/Geometry.h"
#include "base/Lifetime.h"
#include "platform/Applications.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tessane::sim {

class SimApp;
class SimMainQueue;
class SimWindowServer;

// The simulated desktop's applications.
class SimApplications : public Applications {
public:
    // ============================================================================ App catalogue
    //
    // Installed applications are files at paths ("/Applications/Notes.app"), each with a stable
    // file id, so a bookmark follows a moved app the way a real one does. Other files (a folder
    // named like an app but without bundle information, a document) can exist too.

    struct Bundle {
        std::string bundleIdentifier;  // empty: the bundle has no identifier
        std::optional<std::string> displayName;
        std::optional<std::string> bundleName;
        uint32_t iconColor = 0x3366CCFF;  // RGBA of its (one-colour) icon
        bool iconRenders = true;
    };

    void installApp(const std::filesystem::path& path, Bundle bundle);
    // A file or folder that is not an application.
    void addFile(const std::filesystem::path& path);
    // Moves a file (keeping its id); false when nothing is at `from` or something is at `to`.
    bool moveFile(const std::filesystem::path& from, const std::filesystem::path& to);
    void removeFile(const std::filesystem::path& path);
    // Re-publishes the app at `path` under another identifier (same file, same place).
    void setBundleIdentifier(const std::filesystem::path& path, const std::string& bundleIdentifier);
    void setIconRenders(const std::filesystem::path& path, bool renders);
    // Which app the system names for an identifier; by default the first installed one.
    void setSystemApplication(const std::string& bundleIdentifier, std::optional<std::filesystem::path> path);
    void setBookmarksFail(bool fail) { bookmarksFail_ = fail; }

    int iconRenderCount() const { return iconRenders_; }
    int bundleReadCount() const { return bundleReads_; }

    std::string applicationExtension() const override { return "app"; }
    std::optional<BundleInfo> bundleAt(const std::filesystem::path& path) const override;
    bool fileExists(const std::filesystem::path& path) const override;
    std::optional<std::filesystem::path> urlForApplication(const std::string& bundleIdentifier) const override;
    std::optional<Bytes> makeBookmark(const std::filesystem::path& path) const override;
    std::optional<std::filesystem::path> resolveBookmark(const Bytes& bookmark) const override;
    std::optional<Bytes> iconPNG(const std::filesystem::path& path, int side) const override;

    // ==================================================================== Running applications
    //
    // Processes of the simulated desktop. Each one is an application of the window server (its
    // windows and Accessibility elements) plus what the system knows of it here; applications a
    // test adds to the window server directly are listed too, without a bundle identifier.
    // Launches take time and may fail; a launched application puts up its windows once it has
    // finished launching, or later. Notifications are posted to the main queue. Needs the
    // window server: SimPlatform connects it.

    struct LaunchBehaviour {
        double launchTime = 0.5;   // from the request until it has finished launching
        double windowDelay = 0;    // from then until its windows appear
        int windows = 1;           // windows it opens by itself; each document opens one more
        std::optional<SystemError> failure;  // the launch fails with this error after launchTime
        bool failsWithoutReason = false;     // ... or is answered with neither app nor error
        bool answersAtOnce = false;          // the system answers before the request returns
        ActivationPolicy activationPolicy = ActivationPolicy::regular;
        bool ignoresHide = false;            // hide requests are taken but change nothing
        Rect windowFrame{100, 100, 800, 600};
    };
    struct RunningSpec {
        std::string bundleIdentifier;  // empty: none
        std::optional<std::filesystem::path> bundlePath;
        std::string name;
        ActivationPolicy activationPolicy = ActivationPolicy::regular;
        bool hidden = false;
        bool finishedLaunching = true;
        bool ignoresHide = false;
        bool ignoresUnhide = false;
    };
    struct OpenRequest {
        std::filesystem::path appPath;
        std::vector<std::filesystem::path> documents;
        bool activates = true;
    };

    SimApplications() = default;
    SimApplications(SimMainQueue& queue, SimWindowServer& windowServer) {
        connect(queue, windowServer);
    }
    void connect(SimMainQueue& queue, SimWindowServer& windowServer);
    // How launches of this bundle identifier go from now on.
    void setLaunchBehaviour(const std::string& bundleIdentifier, LaunchBehaviour behaviour);
    // An application that is already running; its window-server app takes the windows.
    SimApp& addRunningApp(const RunningSpec& setup);
    void setIgnoresHide(Pid pid, bool ignores);
    // Unhide requests are taken but change nothing (activation still shows the application).
    void setIgnoresUnhide(Pid pid, bool ignores);
    // How many unhide requests the application was sent.
    int unhideRequests(Pid pid) const;
    // Told of every hide request as it arrives, before it is carried out.
    std::function<void(Pid)> onHide;
    // An application added as still launching finishes now (didLaunch follows).
    void finishLaunching(Pid pid);
    // The application quits by itself: its windows close, didTerminate follows.
    void quit(Pid pid);
    const std::vector<OpenRequest>& openRequests() const { return openRequests_; }
    // Every activate() asked so far (each costs a real window manager a restack).
    int activationRequests() const { return activationRequests_; }
    // Every URL handed to openURL, in order (each one is taken).
    const std::vector<std::string>& openedURLs() const { return openedURLs_; }

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
    Subscription observe(RunningApplications::Notification notification,
                         std::function<void(const RunningApplication&)> handler) override;

private:
    struct Process {
        RunningApplication info;
        bool ignoresHide = false;
        bool ignoresUnhide = false;
        int unhideRequests = 0;
        uint64_t order = 0;
    };

    void open(const std::filesystem::path& appPath, const std::vector<std::filesystem::path>& documents,
              const OpenConfiguration& configuration, OpenCompletion completion);
    void openWindows(Pid pid, const LaunchBehaviour& behaviour, int ownWindows,
                     const std::vector<std::filesystem::path>& documents);
    Process* process(Pid pid);
    std::optional<RunningApplication> snapshot(Pid pid) const;
    Pid allocatePid();
    void notify(RunningApplications::Notification notification, Pid pid);
    void becomeFrontmost(Pid pid);
    void frontmostMayHaveChanged(std::optional<Pid> before);

    SimMainQueue* queue_ = nullptr;
    SimWindowServer* windowServer_ = nullptr;
    std::map<Pid, Process> processes_;
    std::map<std::string, LaunchBehaviour> behaviours_;
    std::vector<Pid> activationOrder_;  // most recent last
    int activationRequests_ = 0;
    std::vector<OpenRequest> openRequests_;
    std::vector<std::string> openedURLs_;
    std::array<Signal<RunningApplication>, 3> notifications_;
    Pid nextPid_ = 1000;
    uint64_t nextOrder_ = 1;
    LifetimeToken lifetime_;


private:
    struct File {
        uint64_t fileId = 0;
        uint64_t order = 0;  // installation order, for the system's choice
        std::optional<Bundle> bundle;
    };

    const File* find(const std::filesystem::path& path) const;

    std::map<std::string, File> files_;
    std::map<uint64_t, std::string> pathOfFileId_;
    std::map<std::string, std::optional<std::filesystem::path>> systemChoice_;
    uint64_t nextFileId_ = 1;
    bool bookmarksFail_ = false;
    mutable int iconRenders_ = 0;
    mutable int bundleReads_ = 0;
};

}  // namespace tessane::sim
