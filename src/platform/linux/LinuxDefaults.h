#pragma once

#include "platform/Defaults.h"

#include <filesystem>
#include <functional>
#include <map>

namespace tessane::linux_backend {

// The preferences as one JSON object in a file (~/.config/Tessane/preferences.json), read once
// and rewritten atomically after every change. Each value is read on its own: one of a kind or
// range a preference can't hold is left out and reported, the rest kept. A file that can't be
// read as such an object at all (malformed, not a regular file, over file_limits::kPreferences)
// is moved aside (never overwritten) and reported; the preferences then start empty. Temporary
// files that killed saves left beside it are removed when it is opened.
class LinuxDefaults final : public Defaults {
public:
    using Reporter = std::function<void(const std::string&)>;

    LinuxDefaults(std::filesystem::path file, Reporter report);

    std::optional<Value> value(const std::string& key) const override;
    void set(const std::string& key, Value value) override;
    void remove(const std::string& key) override;

    const std::filesystem::path& file() const { return file_; }

private:
    void load();
    void save();

    std::filesystem::path file_;
    Reporter report_;
    std::map<std::string, Value> values_;
};

}  // namespace tessane::linux_backend
