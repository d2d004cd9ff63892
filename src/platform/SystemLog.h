#pragma once

#include <string_view>

namespace tessane {

// The operating system's log. Must be callable from any thread.
class SystemLog {
public:
    virtual ~SystemLog() = default;
    virtual void write(std::string_view message) = 0;
};

}  // namespace tessane
