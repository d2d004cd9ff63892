#pragma once

#include "model/Log.h"

#include <string>
#include <vector>

namespace tessane::testing {

// The messages in the log ring, oldest first, without the time of day each entry starts with.
inline std::vector<std::string> loggedMessages() {
    std::vector<std::string> out;
    for (auto& line : Log::recentLines(Log::kRingCapacity)) {
        const auto tag = line.find("[Tessane]");
        out.push_back(tag == std::string::npos ? line : line.substr(tag));
    }
    return out;
}

}  // namespace tessane::testing
