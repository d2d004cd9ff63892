#include "platform/qt/HeapRelease.h"

#include "platform/qt/QtMainQueue.h"

#include <malloc.h>

#include <utility>

namespace tessane::qt_backend {

using Clock = std::chrono::steady_clock;

HeapRelease::HeapRelease(QtMainQueue& queue, std::chrono::milliseconds quiet, std::function<void()> release)
    : queue_(queue), quiet_(quiet), release_(release ? std::move(release) : [] { malloc_trim(0); }) {
    hook_ = queue_.beforeWaiting([this] { turnEnded(); });
}

HeapRelease::~HeapRelease() {
    hook_.reset();
    if (pending_) pending_->cancel();
}

void HeapRelease::turnEnded() {
    if (std::exchange(ownTurn_, false)) return;
    lastWork_ = Clock::now();
    if (!pending_) pending_ = queue_.postAfter(std::chrono::duration<double>(quiet_).count(), [this] { due(); });
}

void HeapRelease::due() {
    ownTurn_ = true;
    // Work went on since this was armed: wait out the rest of the quiet from its last turn.
    const auto quietFor = Clock::now() - lastWork_;
    if (quietFor < quiet_) {
        pending_ = queue_.postAfter(std::chrono::duration<double>(quiet_ - quietFor).count(), [this] { due(); });
        return;
    }
    pending_.reset();
    release_();
}

}  // namespace tessane::qt_backend
