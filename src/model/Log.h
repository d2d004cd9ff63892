#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tessane {

class SystemLog;
class Environment;

// The one logging facility. Each line goes to the system log, to an in-memory ring of the
// last 500 lines and, while switched on, to "Tessane.log" in the logs folder (rotated into
// "Tessane.1.log" past 10 MiB). Callable from any thread; its mutex is the only lock we have.
class Log {
public:
    static constexpr size_t kRingCapacity = 500;
    static constexpr unsigned long long kMaxFileBytes = 10'485'760;
    static constexpr int kSizeCheckInterval = 1000;

    // Installs the backend. Until called, lines reach only the ring. Closes an open log file.
    static void configure(SystemLog* systemLog, Environment* environment);

    // Anything a message carries that could end a log line or drive a terminal (a file name with
    // a line feed, a title with escape sequences) is written escaped (see LogText.h).
    static void line(std::string_view message);

    // For lines that other programs can set off at any rate (links, connections to the instance
    // socket): of each `topic`, at most kBurstLines in any kBurstSeconds are logged; those held
    // back are counted. The count is told with the last line held back once the burst's time is
    // over (through `setLater`), or else with the next line of the topic that is logged.
    static constexpr size_t kBurstLines = 20;
    static constexpr double kBurstSeconds = 10;
    static void throttledLine(std::string_view topic, std::string_view message);
    // How the end of a burst is waited for: `after(seconds, work)` runs `work` that much later on
    // the main thread. Called on the thread that logs the line held back; empty to stop.
    using Later = std::function<void(double seconds, std::function<void()> work)>;
    static void setLater(Later after);

    static void setFileLogging(bool enabled);
    static std::vector<std::string> recentLines(size_t limit);

    // For tests: empties the ring, closes the file and forgets what was held back.
    static void resetForTesting();

    Log() = delete;
};

}  // namespace tessane
