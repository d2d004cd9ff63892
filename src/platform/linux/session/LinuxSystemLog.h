#pragma once

#include "platform/SystemLog.h"

#include <mutex>

namespace tessane::linux_backend {

// Standard error, one whole line per write; journald or the terminal picks it up.
class LinuxSystemLog final : public SystemLog {
public:
    void write(std::string_view message) override;

private:
    std::mutex mutex_;
};

}  // namespace tessane::linux_backend
