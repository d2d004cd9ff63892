#include "base/AtomicFile.h"
#include "model/Log.h"
#include "platform/sim/SimEnvironment.h"
#include "platform/sim/SimSystemLog.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sys/stat.h>
#include <thread>

using namespace tessane;
namespace fs = std::filesystem;

namespace {

class LogTest : public ::testing::Test {
protected:
    void SetUp() override {
        Log::resetForTesting();
        env.setRunsAsInstalledApplication(true);
        Log::configure(&systemLog, &env);
    }
    void TearDown() override {
        Log::resetForTesting();
        Log::configure(nullptr, nullptr);
    }
    fs::path logFile() const { return env.logsFolder() / "Tessane.log"; }
    fs::path olderFile() const { return env.logsFolder() / "Tessane.1.log"; }
    std::vector<std::string> fileLines(const fs::path& p) const {
        std::ifstream in(p);
        std::vector<std::string> out;
        for (std::string l; std::getline(in, l);) out.push_back(l);
        return out;
    }
    void makeFileOfSize(const fs::path& p, size_t bytes) {
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << std::string(bytes, 'x');
    }
    // The message part of a ring entry or file line (after the time stamp and its blank).
    static std::string message(const std::string& entry, size_t stampLength) {
        return entry.substr(stampLength + 1);
    }

    sim::SimEnvironment env;
    sim::SimSystemLog systemLog;
};

constexpr size_t kRingStamp = 12;  // HH:mm:ss.SSS
constexpr size_t kFileStamp = 23;  // yyyy-MM-dd HH:mm:ss.SSS

}  // namespace

TEST_F(LogTest, RingKeepsTheNewest500) {
    for (int i = 1; i <= 501; ++i) Log::line("[Tessane] line " + std::to_string(i));
    const auto all = Log::recentLines(1000);
    ASSERT_EQ(all.size(), 500u);
    EXPECT_EQ(message(all.front(), kRingStamp), "[Tessane] line 2");
    EXPECT_EQ(message(all.back(), kRingStamp), "[Tessane] line 501");
    const auto last200 = Log::recentLines(200);
    ASSERT_EQ(last200.size(), 200u);
    EXPECT_EQ(message(last200.front(), kRingStamp), "[Tessane] line 302");
    EXPECT_EQ(systemLog.lines().size(), 501u);
    EXPECT_EQ(systemLog.lines().front(), "[Tessane] line 1");  // no stamp added for the system log
}

TEST_F(LogTest, FewerLinesThanTheLimitAreAllReturned) {
    for (int i = 0; i < 50; ++i) Log::line("[Tessane] x");
    EXPECT_EQ(Log::recentLines(200).size(), 50u);
}

TEST_F(LogTest, NoFileUnlessRunningAsTheInstalledApplication) {
    env.setRunsAsInstalledApplication(false);
    Log::setFileLogging(true);
    Log::line("[Tessane] hello");
    EXPECT_FALSE(fs::exists(logFile()));
}

TEST_F(LogTest, HeaderIsWrittenOnceAndCarriesTheVersion) {
    env.setVersion("2.3", "45");
    Log::setFileLogging(true);
    Log::setFileLogging(true);
    Log::line("[Tessane] hello");
    const auto lines = fileLines(logFile());
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(message(lines[0], kFileStamp), "[Tessane] ---- log file on \u2014 Tessane 2.3 (build 45) ----");
    EXPECT_EQ(message(lines[1], kFileStamp), "[Tessane] hello");
    // The header goes to the file only.
    EXPECT_EQ(Log::recentLines(10).size(), 1u);
    EXPECT_FALSE(systemLog.contains("log file on"));
}

TEST_F(LogTest, MissingVersionReadsAsQuestionMarks) {
    env.setVersion(std::nullopt, std::nullopt);
    Log::setFileLogging(true);
    EXPECT_EQ(message(fileLines(logFile()).at(0), kFileStamp), "[Tessane] ---- log file on \u2014 Tessane ? (build ?) ----");
}

// A document's name, a title, anything another program chose may hold a line feed or a terminal's
// escape sequence: every line stays one line, in the ring, the file and the system log alike.
TEST_F(LogTest, OutsideTextNeverSplitsALineNorReachesTheTerminal) {
    Log::setFileLogging(true);
    Log::line("[Tessane] found \u201Cnotes\n[Tessane] forged\x1B]0;pwned\x07\xC2\x9B\xFF.txt\u201D.");
    const std::string expected = "[Tessane] found \u201Cnotes\\n[Tessane] forged\\u{1B}]0;pwned\\u{7}\\u{9B}\\x{FF}.txt\u201D.";
    EXPECT_EQ(message(Log::recentLines(1).at(0), kRingStamp), expected);
    const auto lines = fileLines(logFile());
    ASSERT_EQ(lines.size(), 2u);  // the header and the line
    EXPECT_EQ(message(lines[1], kFileStamp), expected);
    EXPECT_EQ(systemLog.lines().back(), expected);
}

TEST_F(LogTest, SwitchingOffStopsFileLines) {
    Log::setFileLogging(true);
    Log::line("[Tessane] one");
    Log::setFileLogging(false);
    Log::line("[Tessane] two");
    EXPECT_EQ(fileLines(logFile()).size(), 2u);
}

TEST_F(LogTest, AFifoWhereTheFileBelongsIsNotWrittenAndNeverWaitedOn) {
    fs::create_directories(logFile().parent_path());
    ASSERT_EQ(::mkfifo(logFile().c_str(), 0600), 0);
    Log::setFileLogging(true);  // opening the FIFO to write would wait for a reader
    Log::line("[Tessane] still logging");
    EXPECT_EQ(message(Log::recentLines(1).at(0), kRingStamp), "[Tessane] still logging");
    EXPECT_TRUE(fs::is_fifo(logFile()));
}

TEST_F(LogTest, RotationOnOpenHappensOnlyAboveTheBound) {
    makeFileOfSize(logFile(), Log::kMaxFileBytes);
    Log::setFileLogging(true);
    EXPECT_FALSE(fs::exists(olderFile()));
    Log::setFileLogging(false);

    makeFileOfSize(olderFile(), 3);  // an older generation that must be replaced
    makeFileOfSize(logFile(), Log::kMaxFileBytes + 1);
    Log::setFileLogging(true);
    EXPECT_EQ(fs::file_size(olderFile()), Log::kMaxFileBytes + 1);
    EXPECT_EQ(fileLines(logFile()).size(), 1u);  // a fresh file with just the header
}

TEST_F(LogTest, SizeIsCheckedOnEveryThousandthLineAfterOpening) {
    makeFileOfSize(logFile(), Log::kMaxFileBytes - 100);
    Log::setFileLogging(true);  // header is line 1 of 1000
    for (int i = 0; i < 998; ++i) Log::line("[Tessane] filler");
    EXPECT_FALSE(fs::exists(olderFile()));
    Log::line("[Tessane] the thousandth");  // checked now: over the bound, so rotated
    EXPECT_TRUE(fs::exists(olderFile()));
    Log::line("[Tessane] after");
    const auto fresh = fileLines(logFile());
    ASSERT_EQ(fresh.size(), 1u);
    EXPECT_EQ(message(fresh[0], kFileStamp), "[Tessane] after");
}

TEST_F(LogTest, LinesFromSeveralThreadsNeverInterleave) {
    Log::setFileLogging(true);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 200; ++i)
                Log::line("[Tessane] thread " + std::to_string(t) + " line " + std::to_string(i) + " " +
                          std::string(50, static_cast<char>('a' + t)));
        });
    for (auto& th : threads) th.join();
    const auto lines = fileLines(logFile());
    ASSERT_EQ(lines.size(), 801u);
    std::set<std::string> ring;
    for (auto& e : Log::recentLines(500)) ring.insert(message(e, kRingStamp));
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::string m = message(lines[i], kFileStamp);
        const char tag = m[std::string("[Tessane] thread ").size()];
        EXPECT_EQ(m.substr(m.size() - 50), std::string(50, static_cast<char>('a' + (tag - '0')))) << m;
    }
    EXPECT_EQ(ring.size(), 500u);
}
