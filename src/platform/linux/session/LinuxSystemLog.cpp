#include "platform/linux/session/LinuxSystemLog.h"

#include <cstdio>
#include <string>

namespace tessane::linux_backend {

void LinuxSystemLog::write(std::string_view message) {
    std::string line(message);
    line += '\n';
    std::lock_guard lock(mutex_);
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

}  // namespace tessane::linux_backend
