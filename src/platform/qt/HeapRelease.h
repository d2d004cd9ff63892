#pragma once

#include "base/Signal.h"
#include "platform/MainQueue.h"

#include <chrono>
#include <functional>
#include <memory>

namespace tessane::qt_backend {

class QtMainQueue;

// Memory the program's work freed, given back to the system once the program has gone quiet.
// The allocator keeps what a show, a painted card or a closed window freed, in the middle of its
// heaps and in the arenas of Qt's painting threads, for reuse; a tray program then idles for hours
// holding it. Once no turn of the loop has run for `quiet`, `release` runs (by default: every heap
// trimmed). Only work arms it: an idle program is never woken for it, and its own turn is not work.
class HeapRelease {
public:
    HeapRelease(QtMainQueue& queue, std::chrono::milliseconds quiet, std::function<void()> release = {});
    ~HeapRelease();
    HeapRelease(const HeapRelease&) = delete;
    HeapRelease& operator=(const HeapRelease&) = delete;

private:
    void turnEnded();
    void due();

    QtMainQueue& queue_;
    std::chrono::steady_clock::duration quiet_;
    std::function<void()> release_;
    std::chrono::steady_clock::time_point lastWork_{};
    std::shared_ptr<WorkItem> pending_;
    bool ownTurn_ = false;
    Subscription hook_;
};

}  // namespace tessane::qt_backend
