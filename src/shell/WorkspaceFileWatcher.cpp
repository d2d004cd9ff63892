#include "shell/WorkspaceFileWatcher.h"

#include "model/Log.h"
#include "model/WorkspaceManager.h"
#include "platform/Alerts.h"
#include "platform/FileWatch.h"
#include "platform/MainQueue.h"

#include <algorithm>

namespace tessane {

namespace {
// Editors write in steps (truncate, write, rename): look once they have settled.
constexpr double kSettleSeconds = 0.5;
}  // namespace

WorkspaceFileWatcher::WorkspaceFileWatcher(WorkspaceManager& manager, FileWatch* files, MainQueue& queue,
                                           Alerts& alerts)
    : manager_(manager), files_(files), queue_(queue), alerts_(alerts) {
    news_ = manager_.observeFileNews([this](const WorkspaceManager::FileNews& news) {
        using Kind = WorkspaceManager::FileNews::Kind;
        switch (news.kind) {
            case Kind::saved:
                toldOfFailure_ = false;
                lastFailure_.reset();
                if (!folderWatch_) watch();  // the first save made the folder
                break;
            case Kind::saveFailed:
                lastFailure_ = news.detail;
                if (std::exchange(toldOfFailure_, true)) break;
                tell(kSaveFailedTitle, news.detail + "\n\nYour changes are kept while Tessane runs, and it tries again "
                                                     "with your next change.");
                break;
            case Kind::outsideVersionKeptAside:
                tell(kOutsideKeptTitle, "Tessane had changes of its own that were not saved yet, so it kept its "
                                        "workspaces and put the other program's version beside them: " +
                                            news.detail);
                break;
            case Kind::unusableVersionKeptAside:
                tell(kOutsideKeptTitle, "The other program's version can't be read by Tessane, so Tessane kept its "
                                        "workspaces and put that version beside them: " +
                                            news.detail);
                break;
            case Kind::reloaded:
                break;
        }
    });
    watch();
}

WorkspaceFileWatcher::~WorkspaceFileWatcher() {
    if (check_) check_->cancel();
    if (folderWatch_) folderWatch_->cancel();
    if (fileWatch_) fileWatch_->cancel();
}

void WorkspaceFileWatcher::watch() {
    if (!files_) return;
    const auto& store = manager_.store();
    // The folder tells of a file renamed onto the name; the file of a write in place. The file
    // is watched anew whenever the folder changes, since a replaced file is another file.
    if (!folderWatch_)
        folderWatch_ = files_->watch(store.directoryURL(), FileEvent::write,
                                     lifetime_.guard([this](uint32_t) { changed(); }));
    if (fileWatch_) fileWatch_->cancel();
    fileWatch_ = files_->watch(store.fileURL(), FileEvent::write | FileEvent::extend | FileEvent::deleted,
                               lifetime_.guard([this](uint32_t) { changed(); }));
}

void WorkspaceFileWatcher::changed() {
    if (check_) check_->cancel();
    check_ = queue_.postAfter(kSettleSeconds, lifetime_.guard([this] {
        check_.reset();
        watch();
        manager_.checkForOutsideEdit();
    }));
}

void WorkspaceFileWatcher::tell(std::string title, std::string text) {
    // One alert at a time: news that comes while one is up (its loop runs queued work) waits,
    // and news of one kind waiting is told once, as it stands last.
    const auto same = std::find_if(waiting_.begin(), waiting_.end(), [&](const auto& w) { return w.first == title; });
    if (same != waiting_.end())
        same->second = std::move(text);
    else
        waiting_.emplace_back(std::move(title), std::move(text));
    showNextSoon();
}

void WorkspaceFileWatcher::showNextSoon() {
    if (alertUp_ || showPosted_ || waiting_.empty()) return;
    // Not from inside the manager's report: the alert runs a loop of its own.
    showPosted_ = true;
    queue_.post(lifetime_.guard([this] {
        showPosted_ = false;
        if (alertUp_ || waiting_.empty()) return;
        auto [title, text] = std::move(waiting_.front());
        waiting_.erase(waiting_.begin());
        runAlert(AlertSpec{.style = AlertSpec::Style::warning, .messageText = title, .informativeText = text,
                           .buttons = {"OK"}});
    }));
}

void WorkspaceFileWatcher::runAlert(const AlertSpec& alert) {
    const auto alive = lifetime_.liveness();
    alertUp_ = true;
    alerts_.runModal(alert);
    if (!alive) return;
    alertUp_ = false;
    showNextSoon();
}

void WorkspaceFileWatcher::atQuit(bool mayAsk) {
    manager_.flushSaves();
    if (!manager_.hasUnsavedChanges()) return;
    Log::line("[Tessane] Quitting with workspace changes that could not be saved.");
    if (!mayAsk) return;
    runAlert(AlertSpec{.style = AlertSpec::Style::warning,
                       .messageText = kUnsavedAtQuitTitle,
                       .informativeText = manager_.store().fileURL().string() +
                                          " still holds your workspaces as they were last saved." +
                                          (lastFailure_ ? " (" + *lastFailure_ + ")" : ""),
                       .buttons = {"OK"}});
}

}  // namespace tessane
