#pragma once

#include "platform/BackgroundWrites.h"
#include "platform/Defaults.h"

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>

namespace tessane::linux_backend {

// The preferences as one JSON object in a file (~/.config/Tessane/preferences.json), read once
// and rewritten atomically after changes. Each value is read on its own: one of a kind or
// range a preference can't hold is left out and reported, the rest kept. A file that can't be
// read as such an object at all (malformed, not a regular file, over file_limits::kPreferences)
// is moved aside (never overwritten) and reported; the preferences then start empty. Temporary
// files that killed saves left beside it are removed when it is opened.
//
// A change is seen by reads at once; the file is written on a worker thread of its own, so that
// a slow disk (an fsync can take tens of milliseconds) never holds up the main thread. All
// changes of one turn of the loop, and any made while a write runs, give one more write of the
// values as they then are. The worker gets its own copy of the values and shares nothing else;
// a failed write is reported on the main thread. Main thread only, except the worker inside.
class LinuxDefaults final : public Defaults {
public:
    using Reporter = std::function<void(const std::string&)>;

    LinuxDefaults(std::filesystem::path file, MainQueue& queue, Reporter report);
    // Writes what is still to be written, then ends the worker.
    LinuxDefaults(const LinuxDefaults&) = delete;
    LinuxDefaults& operator=(const LinuxDefaults&) = delete;

    std::optional<Value> value(const std::string& key) const override;
    void set(const std::string& key, Value value) override;
    void remove(const std::string& key) override;
    // Blocks until every change is written (or its failure reported); why the values are not on
    // disk: the last write failed, or an unreadable file that could not be moved aside is never
    // written over.
    std::optional<std::string> flush() override;

    const std::filesystem::path& file() const { return file_; }

private:
    using Values = std::map<std::string, Value>;
    struct Job {
        std::filesystem::path file;
        Values values;
    };
    struct Outcome {
        bool written = false;
        std::string error;
    };

    void load();
    void request();

    std::filesystem::path file_;
    Reporter report_;
    Values values_;
    std::optional<std::string> unsaved_;  // why the values as they are now may not be on disk
    // Last: it writes what is still asked for, and ends the worker, before the rest goes.
    BackgroundWrites<Job, Outcome> writes_;
};

}  // namespace tessane::linux_backend
