#include "platform/sim/SimDefaults.h"
#include "platform/sim/SimLoginItems.h"
#include "platform/sim/SimMainQueue.h"
#include "platform/sim/SimUpdater.h"
#include "shell/AppTheme.h"
#include "shell/LoginItem.h"
#include "shell/UpdateManager.h"
#include "support/LoggedLines.h"

#include <gtest/gtest.h>

#include <memory>

namespace tessane::testing {
namespace {

using Lines = std::vector<std::string>;

TEST(AppTheme, OnlyTheExactRawValuesAreThemes) {
    for (AppTheme theme : allAppThemes()) EXPECT_EQ(appThemeFromString(toString(theme)), theme);
    EXPECT_EQ(label(AppTheme::dark), "Dark");
    for (const char* raw : {"Light", "DARK", " dark", "dark ", "", "auto"}) EXPECT_EQ(appThemeFromString(raw), std::nullopt) << raw;

    sim::SimDefaults defaults;
    EXPECT_EQ(storedAppTheme(defaults), AppTheme::system);
    defaults.set("appTheme", std::string("dark"));
    EXPECT_EQ(storedAppTheme(defaults), AppTheme::dark);
    defaults.set("appTheme", std::string("Light"));
    EXPECT_EQ(storedAppTheme(defaults), AppTheme::system);
    defaults.set("appTheme", true);  // a value of another type reads as absent
    EXPECT_EQ(storedAppTheme(defaults), AppTheme::system);
}

class LoginItemTest : public ::testing::Test {
protected:
    void SetUp() override { Log::resetForTesting(); }
    void TearDown() override { Log::resetForTesting(); }

    sim::SimLoginItems items;
    sim::SimMainQueue queue;
    LoginItem loginItem{items, queue};
};

TEST_F(LoginItemTest, StateFollowsTheRegistrationAndSkipsItWhenNotInstalled) {
    EXPECT_EQ(loginItem.state(), LoginItem::State::disabled);
    items.current = LoginItems::Status::enabled;
    EXPECT_EQ(loginItem.state(), LoginItem::State::enabled);
    items.current = LoginItems::Status::requiresApproval;
    EXPECT_EQ(loginItem.state(), LoginItem::State::requiresApproval);
    items.current = LoginItems::Status::notFound;
    EXPECT_EQ(loginItem.state(), LoginItem::State::disabled);

    items.bundled = false;
    items.statusReads = 0;
    EXPECT_EQ(loginItem.state(), LoginItem::State::unavailable);
    EXPECT_EQ(items.statusReads, 0);
}

TEST_F(LoginItemTest, EveryOutcomeHasItsLine) {
    EXPECT_EQ(loginItem.setEnabled(true), std::nullopt);
    EXPECT_EQ(loginItem.setEnabled(false), std::nullopt);

    items.registerError = "Permission denied";
    EXPECT_EQ(loginItem.setEnabled(true), "Permission denied");

    // Switching off what is already off: the failure counts as done.
    items.unregisterError = "No such file or directory";
    EXPECT_EQ(loginItem.setEnabled(false), std::nullopt);

    items.current = LoginItems::Status::enabled;
    items.unregisterError = "Read-only file system";
    EXPECT_EQ(loginItem.setEnabled(false), "Read-only file system");

    EXPECT_EQ(loggedMessages(),
              (Lines{"[Tessane] Launch at Login: registered (status=1)",
                     "[Tessane] Launch at Login: unregistered",
                     "[Tessane] Launch at Login: register failed — Permission denied",
                     "[Tessane] Launch at Login: unregister reported No such file or directory, but it is no longer "
                     "enabled — treating as success.",
                     "[Tessane] Launch at Login: unregister failed — Read-only file system"}));
}

TEST_F(LoginItemTest, DiagnosticsLineComesOnALaterTurn) {
    items.current = LoginItems::Status::enabled;
    loginItem.logDiagnostics();
    EXPECT_TRUE(loggedMessages().empty());
    items.bundled = false;
    items.path = "/home/me/src/tessane/build/app";
    loginItem.logDiagnostics();
    queue.runPending();
    // Each line reads the registration when it runs.
    EXPECT_EQ(loggedMessages(),
              (Lines{"[Tessane][LoginItem] state=unavailable rawStatus=n/a installed=false path=/home/me/src/tessane/build/app",
                     "[Tessane][LoginItem] state=unavailable rawStatus=n/a installed=false path=/home/me/src/tessane/build/app"}));
    Log::resetForTesting();
    items.bundled = true;
    items.current = LoginItems::Status::requiresApproval;
    loginItem.logDiagnostics();
    queue.runPending();
    EXPECT_EQ(loggedMessages(),
              (Lines{"[Tessane][LoginItem] state=requiresApproval rawStatus=2 installed=true path=/home/me/src/tessane/build/app"}));
}

TEST(UpdateManager, PublishesTheReadyVersionOnALaterTurn) {
    sim::SimUpdater updater;
    sim::SimMainQueue queue;
    auto manager = std::make_unique<UpdateManager>(updater, queue);
    EXPECT_EQ(updater.starts, 1);
    std::vector<std::optional<std::string>> seen;
    auto subscription = manager->observeAvailableUpdateVersion([&](const auto& v) { seen.push_back(v); });

    updater.callbacks.didFindValidUpdate("1.2");
    EXPECT_EQ(manager->availableUpdateVersion().get(), std::nullopt);  // not yet
    queue.runPending();
    EXPECT_EQ(manager->availableUpdateVersion().get(), "1.2");
    updater.callbacks.didFindValidUpdate("1.3");  // a later find replaces it
    queue.runPending();
    EXPECT_EQ(manager->availableUpdateVersion().get(), "1.3");
    updater.callbacks.didNotFindUpdate();
    queue.runPending();
    EXPECT_EQ(manager->availableUpdateVersion().get(), std::nullopt);
    updater.callbacks.didFindValidUpdate("2.0");
    updater.callbacks.willInstallUpdate();
    queue.runPending();
    EXPECT_EQ(manager->availableUpdateVersion().get(), std::nullopt);
    EXPECT_EQ(seen, (std::vector<std::optional<std::string>>{"1.2", "1.3", std::nullopt, "2.0", std::nullopt}));

    manager->checkForUpdates();
    EXPECT_EQ(updater.checks, 1);

    // A callback that lands while the manager goes away, or after, does nothing.
    updater.callbacks.didFindValidUpdate("3.0");
    subscription.reset();
    manager.reset();
    updater.callbacks.didNotFindUpdate();
    queue.runPending();
}

}  // namespace
}  // namespace tessane::testing
