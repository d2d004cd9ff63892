#include "system/StageManagerWatcher.h"

#include "model/Log.h"
#include "platform/MainQueue.h"

namespace tessane {

namespace {
constexpr int kMaxRearmAttempts = 9;  // re-arms beyond this count in a row give up
constexpr double kRearmDelay = 0.1;
}  // namespace

StageManagerWatcher::StageManagerWatcher(FileWatch& files, MainQueue& queue,
                                         std::filesystem::path fileURL,
                                         std::function<void()> onChange)
    : files_(files), queue_(queue), fileURL_(std::move(fileURL)), onChange_(std::move(onChange)) {}

StageManagerWatcher::~StageManagerWatcher() { stop(); }

void StageManagerWatcher::start() {
    if (source_) return;
    lastSeen_ = snapshot();
    arm();
}

void StageManagerWatcher::arm() {
    watchingFile_ = files_.status(fileURL_).exists;
    // Watching the folder catches the file being created.
    const auto path = watchingFile_ ? fileURL_ : fileURL_.parent_path();
    auto source = files_.watch(path, FileEvent::all,
                               lifetime_.guard([this](uint32_t events) { handleEvents(events); }));
    if (!source) {
        Log::line("[Tessane] Stage Manager watcher: couldn't watch " + path.string() +
                  " — relying on the pointer / activation backstop instead.");
        return;
    }
    source_ = std::move(source);
}

void StageManagerWatcher::handleEvents(uint32_t events) {
    // The owner may stop or even destroy us from inside its callback (hiding the last workspace
    // ends the watch): then there is nothing left to re-arm.
    const auto alive = lifetime_.liveness();
    reportIfChanged();
    if (!alive || !source_) return;
    if (events & (FileEvent::deleted | FileEvent::renamed)) {
        rearm();
    } else if (!watchingFile_ && files_.status(fileURL_).exists) {
        rearm();  // the file appeared in the watched folder: move the watch onto it
    }
}

void StageManagerWatcher::reportIfChanged() {
    const auto now = snapshot();
    if (lastSeen_ && *lastSeen_ == now) return;
    lastSeen_ = now;
    rearmAttempts_ = 0;
    // A copy: the callback may destroy us, and with us the function it runs in.
    if (const auto onChange = onChange_) onChange();
}

void StageManagerWatcher::rearm() {
    if (rearmAttempts_ > kMaxRearmAttempts) {
        Log::line("[Tessane] Stage Manager watcher: giving up re-arming — pointer / activation "
                  "backstop only.");
        return;
    }
    ++rearmAttempts_;
    if (source_) source_->cancel();
    source_.reset();
    if (pendingRearm_) pendingRearm_->cancel();
    pendingRearm_ = queue_.postAfter(kRearmDelay, lifetime_.guard([this] {
        pendingRearm_.reset();
        if (!source_) arm();
    }));
}

void StageManagerWatcher::stop() {
    // A re-arm still waiting must not bring the watch back after stop.
    if (pendingRearm_) pendingRearm_->cancel();
    pendingRearm_.reset();
    if (source_) source_->cancel();
    source_.reset();
    lastSeen_.reset();
    rearmAttempts_ = 0;
}

}  // namespace tessane
