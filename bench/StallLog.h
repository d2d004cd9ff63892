#pragma once
// The program's stall log (started with TESSANE_STALL_LOG_MS, it logs every tick of a timer on its
// main thread that came late), read back by the benches.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace tessane::bench {

// The program's stall lines, in seconds of the monotonic clock: when each ended, how long it was,
// and how much of it the main thread waited for a processor (the machine's share, not ours).
struct Stall {
    double end = 0, length = 0, waitingForProcessor = 0;
};
inline std::vector<Stall> stalls(const std::string& logFile) {
    std::vector<Stall> out;
    std::ifstream in(logFile);
    const std::string marker = "[Tessane][stall] main thread held ";
    for (std::string line; std::getline(in, line);) {
        const auto at = line.find(marker);
        if (at == std::string::npos) continue;
        double ms = 0, end = 0, running = 0, waiting = 0;
        const int n = std::sscanf(line.c_str() + at + marker.size(),
                                  "%lf ms until %lf (on a processor %lf ms, waiting for one %lf ms)", &ms, &end,
                                  &running, &waiting);
        if (n >= 2) out.push_back({end, ms / 1e3, n == 4 ? std::min(ms, waiting) / 1e3 : 0});
    }
    return out;
}

// The longest stall that overlaps [from, to], and the longest once the time it waited for a
// processor is taken out, in seconds.
inline std::pair<double, double> longestStall(const std::string& logFile, double from, double to) {
    double longest = 0, own = 0;
    for (const auto& s : stalls(logFile))
        if (s.end >= from && s.end - s.length <= to) {
            longest = std::max(longest, s.length);
            own = std::max(own, s.length - s.waitingForProcessor);
        }
    return {longest, own};
}

// Each figure the stall lines overlapping [from, to] give for waits on the X server's replies:
// its milliseconds, how many waits they were, and the line it is on.
template <typename Each>
void forEachReplyWait(const std::string& logFile, double from, double to, Each each) {
    std::ifstream in(logFile);
    const std::string marker = "[Tessane][stall] main thread held ", name = "; for the X server's ";
    for (std::string line; std::getline(in, line);) {
        const auto at = line.find(marker);
        double ms = 0, end = 0;
        if (at == std::string::npos || std::sscanf(line.c_str() + at + marker.size(), "%lf ms until %lf", &ms, &end) != 2 ||
            end < from || end - ms / 1e3 > to)
            continue;
        for (size_t wait = line.find(name); wait != std::string::npos; wait = line.find(name, wait + 1)) {
            const size_t figure = line.find(" ms in ", wait);
            const size_t start = figure == std::string::npos ? figure : line.rfind(' ', figure - 1);
            if (start != std::string::npos)
                each(std::strtod(line.c_str() + start + 1, nullptr), std::atoi(line.c_str() + figure + 7), line);
        }
    }
}

// What the stall lines overlapping [from, to] name as waits for the X server's replies, in
// seconds: the part of those stalls the program spent asking the server rather than working.
inline double waitedOnX(const std::string& logFile, double from, double to) {
    double total = 0;
    forEachReplyWait(logFile, from, to, [&](double ms, int, const std::string&) { total += ms / 1e3; });
    return total;
}

// The longest single figure of those (its milliseconds and how many waits they were: one, or an
// upper bound of the longest of several), and its line.
struct ReplyWait {
    double ms = 0;
    int waits = 0;
    std::string line;
};
inline ReplyWait longestReplyWait(const std::string& logFile, double from, double to) {
    ReplyWait out;
    forEachReplyWait(logFile, from, to, [&](double ms, int waits, const std::string& line) {
        if (ms > out.ms) out = {ms, waits, line};
    });
    return out;
}

}  // namespace tessane::bench
