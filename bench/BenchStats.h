#pragma once

#include <algorithm>
#include <chrono>
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

}  // namespace tessane::bench
