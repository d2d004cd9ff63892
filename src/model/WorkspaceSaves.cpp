#include "model/WorkspaceSaves.h"

#include "platform/MainQueue.h"

namespace tessane {

WorkspaceSaves::WorkspaceSaves(const WorkspaceStore& store, MainQueue& queue,
                               std::function<Job(WorkspaceRecords&)> snapshot,
                               std::function<void(const WorkspaceStore::Written&)> onWritten)
    : store_(store), queue_(queue), snapshot_(std::move(snapshot)), onWritten_(std::move(onWritten)) {
    worker_ = std::thread([this] { run(); });
}

WorkspaceSaves::~WorkspaceSaves() {
    flush();
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    worker_.join();
}

void WorkspaceSaves::request() {
    requested_ = true;
    if (writing_ || startPosted_) return;  // the running write's outcome starts the next one
    startPosted_ = true;
    queue_.post(lifetime_.guard([this] {
        startPosted_ = false;
        start();
    }));
}

void WorkspaceSaves::start() {
    if (!requested_ || writing_) return;
    requested_ = false;
    writing_ = true;
    Job job = snapshot_(records_);
    {
        const std::lock_guard lock(mutex_);
        job_ = std::move(job);
    }
    wake_.notify_all();
}

void WorkspaceSaves::run() {
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return job_ || stopping_; });
            if (!job_) return;  // stopping with nothing to write
            job = std::move(*job_);
            job_.reset();
        }
        WorkspaceStore::Written written = store_.write(job.workspaces, job.expectedOnDisk, buffer_);
        job = {};  // records the list no longer holds go back before the main thread hears of it
        {
            const std::lock_guard lock(mutex_);
            done_ = std::move(written);
        }
        wake_.notify_all();
        queue_.postFromAnyThread(lifetime_.guard([this] { collect(); }));
    }
}

void WorkspaceSaves::collect() {
    std::optional<WorkspaceStore::Written> written;
    {
        const std::lock_guard lock(mutex_);
        written = std::move(done_);
        done_.reset();
    }
    if (!written) return;  // flush() told it already
    writing_ = false;
    onWritten_(*written);
    if (requested_) start();
}

void WorkspaceSaves::flush() {
    while (busy()) {
        start();  // a change still waiting for its turn goes now
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return done_.has_value(); });
        }
        collect();
    }
}

}  // namespace tessane
