#include "base/AtomicFile.h"
#include "base/FileRead.h"
#include "platform/linux/session/LinuxDefaults.h"
#include "platform/linux/session/PreferencesFile.h"
#include "platform/sim/SimEnvironment.h"
#include "platform/sim/SimMainQueue.h"

#include <gtest/gtest.h>

#include <fstream>
#include <limits>
#include <thread>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tessane;
using linux_backend::LinuxDefaults;
namespace preferences_file = linux_backend::preferences_file;
namespace fs = std::filesystem;

namespace {
struct LinuxDefaultsTest : ::testing::Test {
    sim::SimEnvironment env;
    sim::SimMainQueue queue;
    fs::path file = env.root() / "config" / "preferences.json";
    std::vector<std::string> reports;
    LinuxDefaults::Reporter reporter() {
        return [this](const std::string& line) { reports.push_back(line); };
    }
};
}  // namespace

// The last changes, made just before the end with no turn of the loop after them, are written
// by the destructor.
TEST_F(LinuxDefaultsTest, ValuesSurviveAReloadWithTheirTypes) {
    {
        LinuxDefaults d(file, queue, reporter());
        d.set("TessaneLogToFile", true);
        d.set("count", 3LL);
        d.set("TessaneUnhideAskedAt", 1'800'000'000.25);
        d.set("appTheme", std::string("dark"));
        d.set("TessaneHiddenAppBundleIDs", std::vector<std::string>{"org.a", "org.b"});
        d.set("gone", true);
        d.remove("gone");
    }
    LinuxDefaults d(file, queue, reporter());
    EXPECT_EQ(d.boolValue("TessaneLogToFile"), true);
    EXPECT_EQ(d.intValue("count"), 3);
    EXPECT_EQ(d.doubleValue("TessaneUnhideAskedAt"), 1'800'000'000.25);
    EXPECT_EQ(d.stringValue("appTheme"), "dark");
    EXPECT_EQ(d.stringArray("TessaneHiddenAppBundleIDs"), (std::vector<std::string>{"org.a", "org.b"}));
    EXPECT_FALSE(d.value("gone"));
    EXPECT_TRUE(reports.empty());
}

// Each write makes a temporary file of its own beside the file: the folder's watch counts them.
TEST_F(LinuxDefaultsTest, TheChangesOfATurnAndThoseMadeDuringAWriteEachGiveOneWriteOffTheMainThread) {
    fs::create_directories(file.parent_path());
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, file.parent_path().c_str(), IN_CREATE), 0);
    const auto writes = [&] {
        alignas(inotify_event) char buffer[4096];
        const std::string temporary = "." + file.filename().string() + ".";
        int count = 0;
        for (ssize_t n; (n = ::read(watch, buffer, sizeof buffer)) > 0;) {
            for (char* at = buffer; at < buffer + n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                count += std::string(event->name).starts_with(temporary);
                at += sizeof(inotify_event) + event->len;
            }
        }
        return count;
    };

    LinuxDefaults d(file, queue, reporter());
    for (long long i = 0; i < 50; ++i) d.set("count", i);
    d.set("appTheme", std::string("dark"));
    EXPECT_EQ(d.intValue("count"), 49) << "reads see a change at once";
    EXPECT_FALSE(fs::exists(file)) << "nothing is written inside a change";
    queue.runPending();  // the turn ends: one write of the values as they are now starts
    d.set("count", 50LL);  // the write is still ours to collect: these wait for it
    d.remove("appTheme");
    d.set("TessaneHiddenAppBundleIDs", std::vector<std::string>{"org.a"});
    d.flush();
    queue.runPending();  // the worker's own word of its writes, told already by the flush
    EXPECT_EQ(writes(), 2);
    ::close(watch);

    const auto stored = preferences_file::parse(readRegularFile(file, 4096).contents());
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->values, (std::map<std::string, Defaults::Value>{
                                  {"count", 50LL}, {"TessaneHiddenAppBundleIDs", std::vector<std::string>{"org.a"}}}));
    EXPECT_TRUE(reports.empty());
}

// A write that fails is told on the main thread, and its values are not lost: the next write
// carries them.
TEST_F(LinuxDefaultsTest, AFailedWriteIsReportedOnTheMainThreadAndTheNextWriteCarriesItsValues) {
    std::vector<std::thread::id> reportedOn;
    LinuxDefaults d(file, queue, [&](const std::string& line) {
        reports.push_back(line);
        reportedOn.push_back(std::this_thread::get_id());
    });
    fs::create_directories(file / "inner");  // a folder where the file goes: the rename fails
    d.set("appTheme", std::string("dark"));
    queue.runPending();
    for (int turns = 0; reports.empty() && turns < 10'000; ++turns) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        queue.runPending();
    }
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].starts_with("[Tessane] preferences could not be saved: ")) << reports[0];
    EXPECT_EQ(reportedOn, std::vector<std::thread::id>{std::this_thread::get_id()});
    EXPECT_EQ(d.stringValue("appTheme"), "dark");

    fs::remove_all(file);
    d.set("count", 1LL);
    d.flush();
    const auto stored = preferences_file::parse(readRegularFile(file, 4096).contents());
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->values, (std::map<std::string, Defaults::Value>{{"appTheme", std::string("dark")}, {"count", 1LL}}));
    EXPECT_EQ(reports.size(), 1u);
}

TEST_F(LinuxDefaultsTest, AValueOfAnotherTypeReadsAsAbsent) {
    LinuxDefaults d(file, queue, reporter());
    d.set("flag", true);
    d.set("n", 1LL);
    EXPECT_FALSE(d.intValue("flag"));    // a Boolean is never a number
    EXPECT_FALSE(d.doubleValue("flag"));
    EXPECT_FALSE(d.boolValue("n"));
    EXPECT_EQ(d.doubleValue("n"), 1.0);  // but an integer is a number
    EXPECT_FALSE(d.stringValue("n"));
}

TEST_F(LinuxDefaultsTest, ACorruptFileIsKeptAsideAndReported) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << "{\"TessaneLogToFile\": tru";
    LinuxDefaults d(file, queue, reporter());
    EXPECT_FALSE(d.value("TessaneLogToFile"));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("is unreadable (The data is not valid JSON: unexpected character at offset 21.); "
                              "kept it as"),
              std::string::npos)
        << reports[0];

    int asideCount = 0;
    for (auto& e : fs::directory_iterator(file.parent_path())) {
        if (e.path().filename().string().starts_with("preferences.json.unreadable-")) {
            ++asideCount;
            EXPECT_EQ(readRegularFile(e.path(), 100).contents(), "{\"TessaneLogToFile\": tru");
        }
    }
    EXPECT_EQ(asideCount, 1);
    d.set("appTheme", std::string("light"));  // the next save starts a fresh file
    d.flush();
    EXPECT_EQ(LinuxDefaults(file, queue, reporter()).stringValue("appTheme"), "light");
}

TEST_F(LinuxDefaultsTest, AtStartAKilledSavesTemporaryGoesButARunningSavesAndOtherFilesStay) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << "{\"appTheme\": \"dark\"}";
    const fs::path killed = file.parent_path() / ".preferences.json.k1Ll3d";
    const fs::path running = file.parent_path() / ".preferences.json.Run9ng";
    const fs::path others = file.parent_path() / ".workspaces.json.Xy12ab";
    for (const auto& path : {killed, running, others}) std::ofstream(path) << "{\"half";
    // A save in progress (here or in another Tessane) holds its temporary file's lock.
    const int held = ::open(running.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);

    LinuxDefaults d(file, queue, reporter());
    ::close(held);
    EXPECT_FALSE(fs::exists(killed));
    EXPECT_TRUE(fs::exists(running));
    EXPECT_TRUE(fs::exists(others)) << "another file's temporaries are not ours to remove";
    EXPECT_EQ(d.stringValue("appTheme"), "dark");
    EXPECT_EQ(reports, (std::vector<std::string>{"[Tessane] Removed 1 temporary file(s) of a preferences save that was cut "
                                                 "short in " + file.parent_path().string() + "."}));
}

TEST(AtomicFile, ReplacesWholeFileAndLeavesNoTemporaries) {
    sim::SimEnvironment env;
    const fs::path path = env.root() / "a" / "b.json";
    ASSERT_TRUE(writeFileAtomically(path, "first, and longer"));
    ASSERT_TRUE(writeFileAtomically(path, "second"));
    EXPECT_EQ(readRegularFile(path, 100).contents(), "second");
    int files = 0;
    for ([[maybe_unused]] auto& e : fs::directory_iterator(path.parent_path())) ++files;
    EXPECT_EQ(files, 1);
}

TEST(AtomicFile, FailureReportsAndKeepsTheOldFile) {
    sim::SimEnvironment env;
    const fs::path dir = env.root() / "target-is-a-folder";
    fs::create_directories(dir / "inner");
    std::string error;
    EXPECT_FALSE(writeFileAtomically(dir, "x", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(fs::is_directory(dir / "inner"));
}

TEST_F(LinuxDefaultsTest, EachValueIsReadOnItsOwnAndOneOutOfRangeCostsOnlyItself) {
    fs::create_directories(file.parent_path());
    const std::string text = R"({
        "big": 18446744073709551615,
        "justOver": 9223372036854775808,
        "min": -9223372036854775808,
        "max": 9223372036854775807,
        "huge": 1e400,
        "minusHuge": -1.5e999,
        "tiny": 1e-400,
        "ratio": 2.5,
        "whole": 3.0,
        "appTheme": "dark",
        "TessaneLogToFile": true,
        "nothing": null,
        "nested": {"a": [1, {"b": 2}]},
        "mixed": ["org.a", 1],
        "TessaneHiddenAppBundleIDs": ["org.a", "org.b"],
        "dup": 1, "dup": 1e999
    })";
    std::ofstream(file) << text;
    LinuxDefaults d(file, queue, reporter());

    for (const char* key : {"big", "justOver", "huge", "minusHuge", "nothing", "nested", "mixed", "dup"})
        EXPECT_FALSE(d.value(key)) << key;
    EXPECT_FALSE(d.intValue("big")) << "never -1";
    EXPECT_EQ(d.intValue("min"), std::numeric_limits<long long>::min());
    EXPECT_EQ(d.intValue("max"), std::numeric_limits<long long>::max());
    EXPECT_EQ(d.doubleValue("tiny"), 0.0) << "too small to tell from zero is zero, not out of range";
    EXPECT_EQ(d.doubleValue("ratio"), 2.5);
    EXPECT_EQ(d.doubleValue("whole"), 3.0);
    EXPECT_FALSE(d.intValue("whole")) << "written as a fraction, it is not an integer";
    EXPECT_EQ(d.stringValue("appTheme"), "dark");
    EXPECT_EQ(d.boolValue("TessaneLogToFile"), true);
    EXPECT_EQ(d.stringArray("TessaneHiddenAppBundleIDs"), (std::vector<std::string>{"org.a", "org.b"}));

    EXPECT_EQ(reports, (std::vector<std::string>{
                           "[Tessane] preferences: ignoring the value of big (out of range)",
                           "[Tessane] preferences: ignoring the value of justOver (out of range)",
                           "[Tessane] preferences: ignoring the value of huge (out of range)",
                           "[Tessane] preferences: ignoring the value of minusHuge (out of range)",
                           "[Tessane] preferences: ignoring the value of nothing (unsupported type)",
                           "[Tessane] preferences: ignoring the value of nested (unsupported type)",
                           "[Tessane] preferences: ignoring the value of mixed (unsupported type)",
                           "[Tessane] preferences: ignoring the value of dup (out of range)",
                       }));
    EXPECT_EQ(readRegularFile(file, 1 << 20).contents(), text) << "the file is kept, not moved aside";

    d.set("count", 7LL);  // the next save keeps what was read
    d.flush();
    LinuxDefaults again(file, queue, reporter());
    EXPECT_EQ(again.stringValue("appTheme"), "dark");
    EXPECT_EQ(again.intValue("min"), std::numeric_limits<long long>::min());
    EXPECT_EQ(again.intValue("count"), 7);
    EXPECT_FALSE(again.value("big"));
}

TEST_F(LinuxDefaultsTest, AByteOrderMarkIsDropped) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << "\xEF\xBB\xBF{\"appTheme\": \"light\"}\n";
    LinuxDefaults d(file, queue, reporter());
    EXPECT_EQ(d.stringValue("appTheme"), "light");
    EXPECT_TRUE(reports.empty());
}

TEST_F(LinuxDefaultsTest, AFileThatIsNoPlainFileOrTooLargeIsSetAsideWithoutWaitingOrReading) {
    fs::create_directories(file.parent_path());
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    {
        LinuxDefaults d(file, queue, reporter());  // would wait for a writer if it opened the FIFO to read
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_NE(reports[0].find("is unreadable (not a regular file); kept it as"), std::string::npos) << reports[0];
        d.set("appTheme", std::string("dark"));
    }
    EXPECT_TRUE(fs::is_regular_file(file)) << "the next save starts a fresh file";

    reports.clear();
    std::ofstream(file) << "{\"a\": \"" << std::string(size_t{1} << 20, 'x') << "\"}";
    LinuxDefaults big(file, queue, reporter());
    EXPECT_FALSE(big.value("a"));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("is unreadable (larger than the limit of 1048576 bytes); kept it as"), std::string::npos)
        << reports[0];
}
