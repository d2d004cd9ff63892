#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace tessane::bench {

// The middle value of a set of timings (the upper middle for an even count); 0 for none.
inline double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// A monotonic clock in seconds.
inline double clockSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Seconds, as "lowest-highest ms", or "none".
inline std::string range(std::vector<double> v) {
    if (v.empty()) return "none";
    std::sort(v.begin(), v.end());
    char text[64];
    std::snprintf(text, sizeof text, "%.1f-%.1f ms", v.front() * 1e3, v.back() * 1e3);
    return text;
}

}  // namespace tessane::bench
