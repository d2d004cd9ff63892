#include "platform/linux/session/LinuxDefaults.h"

#include "base/AtomicFile.h"
#include "base/FileRead.h"
#include "platform/linux/session/PreferencesFile.h"

namespace tessane::linux_backend {

namespace fs = std::filesystem;

LinuxDefaults::LinuxDefaults(fs::path file, MainQueue& queue, Reporter report)
    : file_(std::move(file)),
      report_(std::move(report)),
      writes_(
          queue, [this] { return Job{file_, values_}; },
          [](Job& job) {
              Outcome outcome;
              outcome.written = writeFileAtomically(job.file, preferences_file::encode(job.values), &outcome.error);
              return outcome;
          },
          [this](Outcome& outcome) {
              if (outcome.written) {
                  unsaved_.reset();
                  return;
              }
              unsaved_ = "preferences could not be saved: " + outcome.error;
              if (report_) report_("[Tessane] " + *unsaved_);
          }) {
    // A save cut short (a killed process) leaves its hidden temporary file beside ours; the
    // next saves never reuse it, so it would stay for good.
    if (const size_t removed = removeStaleTemporaries(file_); removed && report_)
        report_("[Tessane] Removed " + std::to_string(removed) +
                " temporary file(s) of a preferences save that was cut short in " + file_.parent_path().string() + ".");
    load();
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
        if (aside.empty()) {
            unsaved_ = "preferences are not saved: " + file_.string() + " is unreadable and could not be moved aside";
            file_.clear();
        }
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
    if (!file_.empty()) writes_.request();
}

std::optional<std::string> LinuxDefaults::flush() {
    writes_.flush();
    return unsaved_;
}

}  // namespace tessane::linux_backend
