#pragma once

#include "platform/Defaults.h"

#include <filesystem>
#include <optional>
#include <string>

namespace tessane {

// Other applications' preference domains, read only (ours are in Defaults). Used to learn the
// desktop's own settings, such as whether Stage Manager is on.
//
// What a backend must do: value() re-reads the domain's stored state before answering (another
// process may just have written it) and answers none for an absent key, an unknown domain, or a
// value it cannot express. storageFile() names the file that holds the domain, for watching, or
// none when the domain has no file. Linux has no such domains: every read is none.
class Preferences {
public:
    using Value = Defaults::Value;

    virtual ~Preferences() = default;

    virtual std::optional<Value> value(const std::string& domain, const std::string& key) = 0;
    virtual std::optional<std::filesystem::path> storageFile(const std::string& domain) const = 0;
};

}  // namespace tessane
