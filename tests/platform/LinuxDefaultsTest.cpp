#include "base/AtomicFile.h"
#include "platform/linux/LinuxDefaults.h"
#include "platform/sim/SimEnvironment.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace tessane;
using linux_backend::LinuxDefaults;
namespace fs = std::filesystem;

namespace {
struct LinuxDefaultsTest : ::testing::Test {
    sim::SimEnvironment env;
    fs::path file = env.root() / "config" / "preferences.json";
    std::vector<std::string> reports;
    LinuxDefaults::Reporter reporter() {
        return [this](const std::string& line) { reports.push_back(line); };
    }
};
}  // namespace

TEST_F(LinuxDefaultsTest, ValuesSurviveAReloadWithTheirTypes) {
    {
        LinuxDefaults d(file, reporter());
        d.set("TessaneLogToFile", true);
        d.set("count", 3LL);
        d.set("TessaneUnhideAskedAt", 1'800'000'000.25);
        d.set("appTheme", std::string("dark"));
        d.set("TessaneHiddenAppBundleIDs", std::vector<std::string>{"org.a", "org.b"});
        d.set("gone", true);
        d.remove("gone");
    }
    LinuxDefaults d(file, reporter());
    EXPECT_EQ(d.boolValue("TessaneLogToFile"), true);
    EXPECT_EQ(d.intValue("count"), 3);
    EXPECT_EQ(d.doubleValue("TessaneUnhideAskedAt"), 1'800'000'000.25);
    EXPECT_EQ(d.stringValue("appTheme"), "dark");
    EXPECT_EQ(d.stringArray("TessaneHiddenAppBundleIDs"), (std::vector<std::string>{"org.a", "org.b"}));
    EXPECT_FALSE(d.value("gone"));
    EXPECT_TRUE(reports.empty());
}

TEST_F(LinuxDefaultsTest, AValueOfAnotherTypeReadsAsAbsent) {
    LinuxDefaults d(file, reporter());
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
    LinuxDefaults d(file, reporter());
    EXPECT_FALSE(d.value("TessaneLogToFile"));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("kept it as"), std::string::npos) << reports[0];

    int asideCount = 0;
    for (auto& e : fs::directory_iterator(file.parent_path())) {
        if (e.path().filename().string().starts_with("preferences.json.unreadable-")) {
            ++asideCount;
            std::string kept;
            ASSERT_TRUE(readWholeFile(e.path(), kept));
            EXPECT_EQ(kept, "{\"TessaneLogToFile\": tru");
        }
    }
    EXPECT_EQ(asideCount, 1);
    d.set("appTheme", std::string("light"));  // the next save starts a fresh file
    EXPECT_EQ(LinuxDefaults(file, reporter()).stringValue("appTheme"), "light");
}

TEST(AtomicFile, ReplacesWholeFileAndLeavesNoTemporaries) {
    sim::SimEnvironment env;
    const fs::path path = env.root() / "a" / "b.json";
    ASSERT_TRUE(writeFileAtomically(path, "first, and longer"));
    ASSERT_TRUE(writeFileAtomically(path, "second"));
    std::string contents;
    ASSERT_TRUE(readWholeFile(path, contents));
    EXPECT_EQ(contents, "second");
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
