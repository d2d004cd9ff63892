#include "support/ControllerScenario.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tessane::testing {
namespace {

using ::testing::ElementsAre;

std::vector<std::string> names(const std::vector<ManagedApp>& apps) {
    std::vector<std::string> out;
    for (auto& a : apps) out.push_back(a.displayName);
    return out;
}

// The later an application is launched, the further in front its windows are.
TEST(Seeding, TheFrontAppsInScanOrderUpToTheLimit) {
    ControllerScenario s;
    s.launchApp("Mail");
    s.launchApp("Notes", {.windows = 2});
    s.launchApp("Terminal");
    s.start();
    s.clearLog();

    auto seed = s.controller().seedAppsFromCurrentWindows(2);
    EXPECT_THAT(names(seed), ElementsAre("Terminal", "Notes"));
    EXPECT_EQ(seed[0].bundleIdentifier, "org.example.Terminal");
    EXPECT_EQ(seed[0].appPath, "/Applications/Terminal.app");
    EXPECT_NE(seed[0].id, seed[1].id);
    EXPECT_THAT(s.log(), ElementsAre("[Tessane] Builder seed from current windows: Terminal + Notes (0 ms)"));
}

TEST(Seeding, TwoWindowsOfOneAppGiveOneRecord) {
    ControllerScenario s;
    s.launchApp("Notes", {.windows = 2});
    s.start();
    s.clearLog();
    EXPECT_THAT(names(s.controller().seedAppsFromCurrentWindows(2)), ElementsAre("Notes"));
    EXPECT_THAT(s.log(), ElementsAre("[Tessane] Builder seed from current windows: Notes (0 ms)"));
}

TEST(Seeding, WithoutWindowControlTheSeedIsEmptyAndNothingIsLogged) {
    ControllerScenario s;
    s.launchApp("Notes");
    s.start();
    s.clearLog();
    s.sim.accessibility.setTrusted(false);
    EXPECT_TRUE(s.controller().seedAppsFromCurrentWindows(2).empty());
    EXPECT_TRUE(s.log().empty());
}

TEST(Seeding, AppsInAWorkspaceAndAppsThatCannotBeRecordsAreLeftOut) {
    ControllerScenario s;
    s.launchApp("Mail");
    s.launchApp("Notes");
    s.addWorkspace("Write", {"Mail"});
    // A regular application whose entry is gone from disk.
    sim::SimApplications::RunningSpec gone;
    gone.bundleIdentifier = "org.example.Gone";
    gone.bundlePath = "/Applications/Gone.app";
    gone.name = "Gone";
    s.sim.applications.addRunningApp(gone).addWindow();
    s.start();
    s.clearLog();
    EXPECT_THAT(names(s.controller().seedAppsFromCurrentWindows(2)), ElementsAre("Notes"));
    EXPECT_THAT(s.log(), ElementsAre("[Tessane] Builder seed from current windows: Notes (0 ms)"));
}

TEST(Seeding, NothingToSeedSaysNone) {
    ControllerScenario s;
    s.start();
    s.clearLog();
    EXPECT_TRUE(s.controller().seedAppsFromCurrentWindows(2).empty());
    EXPECT_THAT(s.log(), ElementsAre("[Tessane] Builder seed from current windows: none (0 ms)"));
}

}  // namespace
}  // namespace tessane::testing
