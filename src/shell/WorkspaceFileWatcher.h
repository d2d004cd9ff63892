#pragma once

#include "base/Lifetime.h"
#include "base/Signal.h"

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tessane {

class Alerts;
struct AlertSpec;
class FileWatch;
class FileWatchSource;
class MainQueue;
class WorkspaceManager;
class WorkItem;

// Keeps the user in the know about the stored workspace file while Tessane runs: watches it for
// another program's edits (the manager then reloads it or keeps that version aside), tells the
// user once when saving starts to fail (again after a save worked), tells of another program's
// version kept aside, and says at quit when changes could not be saved. One alert at a time:
// news that comes while one is up is told after it, once per kind.
class WorkspaceFileWatcher {
public:
    // `files` may be null: no watch then.
    WorkspaceFileWatcher(WorkspaceManager& manager, FileWatch* files, MainQueue& queue, Alerts& alerts);
    ~WorkspaceFileWatcher();
    WorkspaceFileWatcher(const WorkspaceFileWatcher&) = delete;
    WorkspaceFileWatcher& operator=(const WorkspaceFileWatcher&) = delete;

    // Writes what is not yet written and, when the last write failed, says so before the end:
    // in the log, and in an alert when `mayAsk` (the user quit; not a signal or a lost display).
    void atQuit(bool mayAsk);

    static constexpr const char* kSaveFailedTitle = "Tessane couldn’t save your workspaces";
    static constexpr const char* kUnsavedAtQuitTitle = "Your latest workspace changes couldn’t be saved";
    static constexpr const char* kOutsideKeptTitle = "Another program changed your workspaces";

private:
    void watch();
    void changed();
    void tell(std::string title, std::string text);
    void showNextSoon();
    void runAlert(const AlertSpec& alert);

    WorkspaceManager& manager_;
    FileWatch* files_;
    MainQueue& queue_;
    Alerts& alerts_;
    std::shared_ptr<FileWatchSource> folderWatch_;
    std::shared_ptr<FileWatchSource> fileWatch_;
    std::shared_ptr<WorkItem> check_;
    std::vector<std::pair<std::string, std::string>> waiting_;  // title and text, to tell in turn
    bool alertUp_ = false;
    bool showPosted_ = false;
    bool toldOfFailure_ = false;
    std::optional<std::string> lastFailure_;
    Subscription news_;
    LifetimeToken lifetime_;
};

}  // namespace tessane
