#pragma once

#include "base/Lifetime.h"
#include "platform/FileWatch.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

namespace tessane {

class MainQueue;
class WorkItem;

// Watches the file that holds the Stage Manager setting and calls back on the main queue when
// the file appeared, disappeared or its modification time changed. A hint, not the truth: the
// owner reads StageManager::isEnabled again on every callback.
//
// While the file is missing its folder is watched, so that its creation is seen; once it exists
// the watch moves onto the file. A file replaced by an atomic write (deleted or renamed) is
// watched again 0.1 s later. More than ten re-arms in a row without a change are taken as a file
// that keeps vanishing, and the watcher stays on what it has.
class StageManagerWatcher {
public:
    StageManagerWatcher(FileWatch& files, MainQueue& queue, std::filesystem::path fileURL,
                        std::function<void()> onChange);
    ~StageManagerWatcher();
    StageManagerWatcher(const StageManagerWatcher&) = delete;
    StageManagerWatcher& operator=(const StageManagerWatcher&) = delete;

    // Begins watching; does nothing while a watch is active.
    void start();
    // Ends watching, including a re-arm still waiting; may be called any number of times.
    void stop();

    const std::filesystem::path& fileURL() const { return fileURL_; }
    bool isArmed() const { return source_ != nullptr; }
    bool isWatchingFile() const { return watchingFile_; }
    int rearmAttempts() const { return rearmAttempts_; }

private:
    FileStatus snapshot() const { return files_.status(fileURL_); }
    void arm();
    void handleEvents(uint32_t events);
    void reportIfChanged();
    void rearm();

    FileWatch& files_;
    MainQueue& queue_;
    const std::filesystem::path fileURL_;
    const std::function<void()> onChange_;
    std::shared_ptr<FileWatchSource> source_;
    std::optional<FileStatus> lastSeen_;
    int rearmAttempts_ = 0;
    bool watchingFile_ = false;
    std::shared_ptr<WorkItem> pendingRearm_;
    LifetimeToken lifetime_;
};

}  // namespace tessane
