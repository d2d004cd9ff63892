#pragma once

#include "model/Log.h"

#include <algorithm>
#include <initializer_list>
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

// The messages that begin with one of `prefixes`, oldest first.
inline std::vector<std::string> loggedMessagesStarting(std::initializer_list<std::string> prefixes) {
    std::vector<std::string> out;
    for (auto& line : loggedMessages())
        if (std::any_of(prefixes.begin(), prefixes.end(), [&](const auto& p) { return line.starts_with(p); }))
            out.push_back(line);
    return out;
}

}  // namespace tessane::testing
