#include "model/Log.h"

#include "base/LogText.h"
#include "base/TimeFormat.h"
#include "platform/Environment.h"
#include "platform/SystemLog.h"

#include <chrono>
#include <cstdio>
#include <deque>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace tessane {

namespace fs = std::filesystem;

namespace {

// Everything below is guarded by `mutex` (the backend pointers are set while holding it too).
struct LogState {
    std::mutex mutex;
    SystemLog* systemLog = nullptr;
    Environment* environment = nullptr;
    std::deque<std::string> ring;
    std::FILE* file = nullptr;
    int linesSinceSizeCheck = 0;
    struct Burst {
        std::chrono::steady_clock::time_point started;
        size_t logged = 0;
        size_t heldBack = 0;
        std::string lastHeldBack;
    };
    std::map<std::string, Burst, std::less<>> bursts;  // by topic
    Log::Later later;
};

LogState& state() {
    static LogState s;
    return s;
}

fs::path logFilePath(const LogState& s) { return s.environment->logsFolder() / "Tessane.log"; }

void rotate(const fs::path& path) {
    std::error_code ec;
    const fs::path older = path.parent_path() / "Tessane.1.log";
    fs::remove(older, ec);
    fs::rename(path, older, ec);
}

void closeFile(LogState& s) {
    if (s.file) std::fclose(s.file);
    s.file = nullptr;
}

std::FILE* openFile(LogState& s) {
    s.linesSinceSizeCheck = 0;
    const fs::path path = logFilePath(s);
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    const auto size = fs::file_size(path, ec);
    if (!ec && size > Log::kMaxFileBytes) rotate(path);
    // Append mode creates the file when missing and keeps every write at the end. Only a regular
    // file is written: opening a FIFO put in its place would wait for a reader (with the log's
    // lock held), so the open never waits and the descriptor is checked before use.
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) return nullptr;
    struct stat st {};
    std::FILE* f = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? ::fdopen(fd, "a") : nullptr;
    if (!f) ::close(fd);
    return f;
}

void appendToFile(LogState& s, std::string_view message) {
    if (!s.file) return;
    std::string line = formatDateTime(WallClock::now());
    line += ' ';
    line += message;
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), s.file);
    std::fflush(s.file);
    if (++s.linesSinceSizeCheck < Log::kSizeCheckInterval) return;
    s.linesSinceSizeCheck = 0;
    const long offset = std::ftell(s.file);
    if (offset < 0) return;
    if (static_cast<unsigned long long>(offset) > Log::kMaxFileBytes) {
        closeFile(s);
        rotate(logFilePath(s));
        s.file = openFile(s);
    }
}

bool mayWriteFile(const LogState& s) {
    return s.environment && s.environment->runsAsInstalledApplication();
}

}  // namespace

void Log::configure(SystemLog* systemLog, Environment* environment) {
    auto& s = state();
    std::lock_guard lock(s.mutex);
    closeFile(s);
    s.systemLog = systemLog;
    s.environment = environment;
}

void Log::line(std::string_view message) {
    std::string escaped;
    if (!isLogSafe(message)) message = escaped = logSafe(message);
    auto& s = state();
    // The system log is told first and outside the lock; its own order may differ from the ring's.
    SystemLog* systemLog = nullptr;
    {
        std::lock_guard lock(s.mutex);
        systemLog = s.systemLog;
    }
    if (systemLog) systemLog->write(message);

    std::lock_guard lock(s.mutex);
    std::string entry = formatTimeOfDay(WallClock::now());
    entry += ' ';
    entry += message;
    s.ring.push_back(std::move(entry));
    while (s.ring.size() > kRingCapacity) s.ring.pop_front();
    appendToFile(s, message);
}

namespace {

// Each topic's count held back, with its last line held back: a burst's end, told once.
void tellHeldBack() {
    auto& s = state();
    std::vector<std::string> lines;
    {
        std::lock_guard lock(s.mutex);
        for (auto& [topic, burst] : s.bursts) {
            const size_t heldBack = std::exchange(burst.heldBack, 0);
            if (heldBack == 0) continue;
            lines.push_back(std::exchange(burst.lastHeldBack, {}) + " (the last of " + std::to_string(heldBack) +
                            (heldBack == 1 ? " such line" : " such lines") + " held back)");
        }
    }
    for (const auto& text : lines) Log::line(text);
}

}  // namespace

void Log::throttledLine(std::string_view topic, std::string_view message) {
    auto& s = state();
    size_t heldBack = 0;
    Later later;
    double burstLeft = 0;
    {
        std::lock_guard lock(s.mutex);
        const auto now = std::chrono::steady_clock::now();
        auto it = s.bursts.find(topic);
        if (it == s.bursts.end()) it = s.bursts.emplace(std::string(topic), LogState::Burst{now}).first;
        auto& burst = it->second;
        if (now - burst.started >= std::chrono::duration<double>(kBurstSeconds)) {
            burst.started = now;
            burst.logged = 0;
        }
        if (burst.logged == kBurstLines) {
            burst.lastHeldBack = message;
            // The first held back of a burst asks for its end: no later line may come to tell it.
            if (++burst.heldBack > 1 || !s.later) return;
            later = s.later;
            burstLeft = kBurstSeconds - std::chrono::duration<double>(now - burst.started).count();
        } else {
            ++burst.logged;
            heldBack = std::exchange(burst.heldBack, 0);
            burst.lastHeldBack.clear();
        }
    }
    if (later) return later(burstLeft, tellHeldBack);
    if (heldBack == 0) return line(message);
    line(std::string(message) + " (" + std::to_string(heldBack) + " more such lines held back before this one)");
}

void Log::setLater(Later after) {
    auto& s = state();
    std::lock_guard lock(s.mutex);
    s.later = std::move(after);
}

void Log::setFileLogging(bool enabled) {
    auto& s = state();
    std::lock_guard lock(s.mutex);
    if (!mayWriteFile(s)) return;
    if (s.file) {
        if (!enabled) closeFile(s);
        return;
    }
    if (!enabled) return;
    s.file = openFile(s);
    const auto version = s.environment->shortVersion().value_or("?");
    const auto build = s.environment->buildVersion().value_or("?");
    appendToFile(s, "[Tessane] ---- log file on \u2014 Tessane " + version + " (build " + build + ") ----");
}

std::vector<std::string> Log::recentLines(size_t limit) {
    auto& s = state();
    std::lock_guard lock(s.mutex);
    const size_t n = std::min(limit, s.ring.size());
    return {s.ring.end() - static_cast<std::ptrdiff_t>(n), s.ring.end()};
}

void Log::resetForTesting() {
    auto& s = state();
    std::lock_guard lock(s.mutex);
    closeFile(s);
    s.ring.clear();
    s.linesSinceSizeCheck = 0;
    s.bursts.clear();
    s.later = {};
}

}  // namespace tessane
