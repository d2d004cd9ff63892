#include "platform/linux/LinuxDefaults.h"

#include "base/AtomicFile.h"
#include "base/FileRead.h"
#include "platform/MainQueue.h"
#include "platform/linux/PreferencesFile.h"

namespace tessane::linux_backend {

namespace fs = std::filesystem;

LinuxDefaults::LinuxDefaults(fs::path file, MainQueue& queue, Reporter report)
    : file_(std::move(file)), queue_(queue), report_(std::move(report)) {
    // A save cut short (a killed process) leaves its hidden temporary file beside ours; the
    // next saves never reuse it, so it would stay for good.
    if (const size_t removed = removeStaleTemporaries(file_); removed && report_)
        report_("[Tessane] Removed " + std::to_string(removed) +
                " temporary file(s) of a preferences save that was cut short in " + file_.parent_path().string() + ".");
    load();
}

LinuxDefaults::~LinuxDefaults() {
    flush();
    if (!worker_.joinable()) return;
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    worker_.join();
}

void LinuxDefaults::load() {
    const FileRead file = readRegularFile(file_, file_limits::kPreferences);
    if (file.status == FileRead::Status::missing) return;
    std::string why = file.error;
    std::optional<preferences_file::Contents> contents;
    if (file) contents = preferences_file::parse(file.contents(), &why);
    if (!contents) {
        const fs::path aside = keepAside(file_);
        if (report_) {
            report_("[Tessane] preferences file " + file_.string() + " is unreadable (" + why + "); " +
                    (aside.empty() ? std::string("could not move it aside, leaving it untouched")
                                   : "kept it as " + aside.string()) +
                    " and starting with default preferences");
        }
        // If it could not be moved, never overwrite it: remember that by forgetting the path.
        if (aside.empty()) file_.clear();
        return;
    }
    values_ = std::move(contents->values);
    if (report_)
        for (const auto& item : contents->ignored) report_("[Tessane] preferences: ignoring the value of " + item);
}

std::optional<Defaults::Value> LinuxDefaults::value(const std::string& key) const {
    auto it = values_.find(key);
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

void LinuxDefaults::set(const std::string& key, Value value) {
    values_[key] = std::move(value);
    request();
}

void LinuxDefaults::remove(const std::string& key) {
    if (values_.erase(key)) request();
}

void LinuxDefaults::request() {
    if (file_.empty()) return;
    requested_ = true;
    if (writing_ || startPosted_) return;  // the running write's outcome starts the next one
    startPosted_ = true;
    queue_.post(lifetime_.guard([this] {
        startPosted_ = false;
        start();
    }));
}

void LinuxDefaults::start() {
    if (!requested_ || writing_) return;
    requested_ = false;
    writing_ = true;
    {
        const std::lock_guard lock(mutex_);
        job_ = Job{file_, values_};
    }
    if (worker_.joinable())
        wake_.notify_all();
    else
        worker_ = std::thread([this] { run(); });
}

void LinuxDefaults::run() {
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return job_ || stopping_; });
            if (!job_) return;  // stopping with nothing to write
            job = std::move(*job_);
            job_.reset();
        }
        Outcome outcome;
        outcome.written = writeFileAtomically(job.file, preferences_file::encode(job.values), &outcome.error);
        {
            const std::lock_guard lock(mutex_);
            done_ = std::move(outcome);
        }
        wake_.notify_all();
        queue_.postFromAnyThread(lifetime_.guard([this] { collect(); }));
    }
}

void LinuxDefaults::collect() {
    std::optional<Outcome> outcome;
    {
        const std::lock_guard lock(mutex_);
        outcome = std::move(done_);
        done_.reset();
    }
    if (!outcome) return;  // flush() told it already
    writing_ = false;
    if (!outcome->written && report_) {
        const auto alive = lifetime_.liveness();
        report_("[Tessane] preferences could not be saved: " + outcome->error);
        if (!alive) return;
    }
    if (requested_) start();
}

void LinuxDefaults::flush() {
    while (requested_ || writing_) {
        start();  // a change still waiting for its turn goes now
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return done_.has_value(); });
        }
        collect();
    }
}

}  // namespace tessane::linux_backend
