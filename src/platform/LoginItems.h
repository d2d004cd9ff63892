#pragma once

#include <optional>
#include <string>

namespace tessane {

// The operating system's registration of this program as a login item (linux: an XDG autostart
// entry). Statuses keep the numbers the launch-at-login log lines print.
class LoginItems {
public:
    enum class Status { notRegistered = 0, enabled = 1, requiresApproval = 2, notFound = 3 };

    virtual ~LoginItems() = default;

    // True when this program can be a login item at all (linux: it runs as an installed build,
    // so the entry can name a program that stays where it is).
    virtual bool isBundled() const = 0;
    // The folder the program runs from.
    virtual std::string bundlePath() const = 0;
    // Read afresh on every call.
    virtual Status status() const = 0;
    // None when the change took effect, else the error's description.
    virtual std::optional<std::string> registerItem() = 0;
    virtual std::optional<std::string> unregisterItem() = 0;
};

}  // namespace tessane
