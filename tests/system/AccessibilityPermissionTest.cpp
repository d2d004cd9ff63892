#include "support/LoggedLines.h"
#include "system/AccessibilityPermission.h"

#include "model/Log.h"
#include "platform/sim/SimPlatform.h"

#include <gtest/gtest.h>

using tessane::testing::loggedMessages;

using namespace tessane;
using namespace tessane::sim;

namespace {

class AccessibilityPermissionTest : public ::testing::Test {
protected:
    void SetUp() override { Log::resetForTesting(); }
    void TearDown() override { Log::resetForTesting(); }

    SimPlatform sim;
    AccessibilityPermission::Identity identity{
        .bundleIdentifier = "tessane",
        .bundlePath = "/usr/bin",
        .executablePath = "/usr/bin/tessane",
        .processName = "tessane",
        .pid = 4321,
        .runsAsInstalledApplication = true,
        .installed = true,
    };
    AccessibilityPermission permission{sim.accessibility, [this] { return identity; },
                                       [this](const std::string& url) { return sim.applications.openURL(url); }};
};

TEST_F(AccessibilityPermissionTest, DiagnosticsLineStatesIdentityAndLocation) {
    EXPECT_EQ(permission.diagnostics().logLine(),
              "trusted=true id=tessane pid=4321 systemInstall=true asApplication=true path=/usr/bin");

    // A development build: installed-style run from a folder outside the system locations.
    identity.bundlePath = "/home/ana/src/tessane/build/app";
    identity.installed = false;
    EXPECT_EQ(permission.diagnostics().logLine(),
              "trusted=true id=tessane pid=4321 systemInstall=false asApplication=true "
              "path=/home/ana/src/tessane/build/app");

    // A bare executable from a test run, without a desktop-file id.
    identity.bundleIdentifier.reset();
    identity.executablePath.reset();
    identity.runsAsInstalledApplication = false;
    sim.accessibility.setTrusted(false);
    auto d = permission.diagnostics();
    EXPECT_EQ(d.executablePath, "(none)");
    EXPECT_EQ(d.logLine(),
              "trusted=false id=(none) pid=4321 systemInstall=false asApplication=false "
              "path=/home/ana/src/tessane/build/app");

    permission.logDiagnostics("launch");
    EXPECT_EQ(loggedMessages(), std::vector<std::string>{"[Tessane][AX] launch: " + d.logLine()});
}

TEST_F(AccessibilityPermissionTest, EnsureTrustedPromptsAndLogsOnlyWhenMissing) {
    EXPECT_TRUE(permission.ensureTrusted());
    EXPECT_EQ(sim.accessibility.promptCount(), 0);
    EXPECT_TRUE(loggedMessages().empty());

    sim.accessibility.setTrusted(false);
    EXPECT_FALSE(permission.ensureTrusted());
    EXPECT_FALSE(permission.ensureTrusted());
    EXPECT_EQ(sim.accessibility.promptCount(), 2);
    auto lines = loggedMessages();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].rfind("[Tessane][AX] ensureTrusted (not trusted): trusted=false id=tessane", 0), 0u);
}

TEST_F(AccessibilityPermissionTest, OpenSettingsHandsTheHelpToTheDesktop) {
    permission.openSystemSettings();
    EXPECT_EQ(sim.applications.openedURLs(), std::vector<std::string>{"help:tessane/window-control"});
    EXPECT_TRUE(loggedMessages().empty());

    AccessibilityPermission withoutOpener{sim.accessibility, [this] { return identity; }};
    withoutOpener.openSystemSettings();  // nothing to open it with: nothing happens
    EXPECT_EQ(sim.applications.openedURLs().size(), 1u);
    EXPECT_TRUE(loggedMessages().empty());

    // The desktop could not take it (no handler, no help page): one line says so.
    AccessibilityPermission refused{sim.accessibility, [this] { return identity; },
                                    [](const std::string&) { return false; }};
    refused.openSystemSettings();
    EXPECT_EQ(loggedMessages(), std::vector<std::string>{
                                    "[Tessane][AX] could not open the window-control help (help:tessane/window-control)"});
}

}  // namespace
