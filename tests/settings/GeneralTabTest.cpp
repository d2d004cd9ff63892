#include "settings/GeneralTab.h"

#include "model/Log.h"
#include "platform/sim/SimDefaults.h"
#include "platform/sim/SimEnvironment.h"
#include "platform/sim/SimLoginItems.h"
#include "platform/sim/SimMainQueue.h"
#include "settings/SettingsRouter.h"
#include "support/LoggedLines.h"

#include <gtest/gtest.h>

namespace tessane {
namespace {

using State = LoginItem::State;

class GeneralTabTest : public ::testing::Test {
protected:
    GeneralTabTest() {
        Log::resetForTesting();
        environment.setVersion("1.4.2", "87");
        snapshot.appVersion = "1.4.2";
        snapshot.osVersion = "Debian GNU/Linux 12";
        snapshot.hardwareModel = "ThinkPad X1";
        GeneralTab::Services services;
        services.defaults = &defaults;
        services.queue = &queue;
        services.environment = &environment;
        services.loginItem = &loginItem;
        services.captureDiagnostics = [this] {
            ++captures;
            return snapshot;
        };
        services.setClipboardText = [this](const std::string& text) { clipboard = text; };
        services.openURL = [this](const std::string& url) {
            opened.push_back(url);
            return true;
        };
        services.applyTheme = [this](AppTheme t) { applied.push_back(t); };
        services.revealInFiles = [this](const std::filesystem::path& p) { revealed.push_back(p); };
        tab = std::make_unique<GeneralTab>(services, router, [this] { ++welcomes; });
        sub = tab->observeChanges([this] { ++changes; });
    }

    sim::SimMainQueue queue;
    sim::SimDefaults defaults;
    sim::SimEnvironment environment;
    sim::SimLoginItems items;
    LoginItem loginItem{items, queue};
    SettingsRouter router;
    Diagnostics::Snapshot snapshot;
    int captures = 0, welcomes = 0, changes = 0;
    std::string clipboard;
    std::vector<std::string> opened;
    std::vector<AppTheme> applied;
    std::vector<std::filesystem::path> revealed;
    std::unique_ptr<GeneralTab> tab;
    Subscription sub;
};

TEST_F(GeneralTabTest, TheLoginSwitchFollowsTheStateReadWhenTheTabAppearsAndAfterEachChange) {
    EXPECT_EQ(tab->loginItemState(), State::disabled);  // before the tab is first shown
    items.current = LoginItems::Status::requiresApproval;
    tab->appear();
    EXPECT_TRUE(tab->launchAtLoginIsOn());
    EXPECT_EQ(tab->startupCaption(),
              "Waiting for approval — allow Tessane in your desktop's startup applications settings.");
    tab->setLaunchAtLogin(false);  // switching off asks for the change
    EXPECT_EQ(tab->loginItemState(), State::disabled);
    EXPECT_EQ(tab->startupCaption(),
              "Start Tessane automatically when you log in, so your workspaces are a keystroke away.");

    items.registerError = "The autostart folder is read-only.";
    tab->setLaunchAtLogin(true);
    EXPECT_EQ(tab->loginItemError(), "The autostart folder is read-only.");
    EXPECT_FALSE(tab->launchAtLoginIsOn());  // snaps back: nothing changed
    items.registerError.reset();
    tab->setLaunchAtLogin(true);
    EXPECT_FALSE(tab->loginItemError());
    EXPECT_EQ(tab->startupCaption(), "Tessane starts automatically when you log in.");
    EXPECT_GE(changes, 4);

    items.current = LoginItems::Status::notRegistered;
    EXPECT_TRUE(tab->launchAtLoginIsOn());  // a change elsewhere shows only when the tab appears again
    tab->appear();
    EXPECT_FALSE(tab->launchAtLoginIsOn());
}

TEST_F(GeneralTabTest, AProgramThatCannotBeALoginItemShowsTheSwitchOffAndFixed) {
    items.bundled = false;
    tab->appear();
    EXPECT_EQ(tab->loginItemState(), State::unavailable);
    EXPECT_FALSE(tab->launchAtLoginIsOn());
    EXPECT_FALSE(tab->launchAtLoginCanChange());
    EXPECT_EQ(tab->startupCaption(), "Not available when running from a build folder — install Tessane to use this.");
}

TEST_F(GeneralTabTest, TheThemeIsStoredAndAppliedAtOnce) {
    EXPECT_EQ(tab->theme(), AppTheme::system);
    tab->setTheme(AppTheme::dark);
    tab->setTheme(AppTheme::system);
    EXPECT_EQ(defaults.stringValue("appTheme"), "system");
    EXPECT_EQ(applied, (std::vector<AppTheme>{AppTheme::dark, AppTheme::system}));
    defaults.set("appTheme", std::string("Dark"));  // not a raw value
    EXPECT_EQ(tab->theme(), AppTheme::system);
}

TEST_F(GeneralTabTest, ShowMeHowOpensTheAdvancedTabFromAnyTab) {
    router.setTab(SettingsRouter::Tab::general);
    tab->showMeHow();
    EXPECT_EQ(router.tab(), SettingsRouter::Tab::advanced);
    EXPECT_EQ(GeneralTab::shortcutRows().size(), 7u);
    EXPECT_EQ(GeneralTab::shortcutRows().front().id, "switch");
    tab->showWelcome();
    EXPECT_EQ(welcomes, 1);
}

TEST_F(GeneralTabTest, TheVersionLineMarksWhatIsMissing) {
    EXPECT_EQ(tab->versionString(), "1.4.2 (build 87)");
    environment.setVersion("1.4.2", std::nullopt);
    EXPECT_EQ(tab->versionString(), "1.4.2 (build —)");
    environment.setVersion(std::nullopt, std::nullopt);
    EXPECT_EQ(tab->versionString(), "— (build —)");
}

TEST_F(GeneralTabTest, CopiedStaysUntilThreeSecondsAfterTheLastPressAndTheClipboardHoldsTheLastText) {
    tab->copyDiagnostics();
    EXPECT_TRUE(tab->diagnosticsCopied());
    queue.advance(2);
    Log::line("[Tessane] between the presses");
    tab->copyDiagnostics();
    EXPECT_EQ(tab->diagnosticsCopyGeneration(), 2);
    queue.advance(1.5);  // the first press's reset finds a newer generation
    EXPECT_TRUE(tab->diagnosticsCopied());
    queue.advance(1.4);
    EXPECT_TRUE(tab->diagnosticsCopied());
    queue.advance(0.2);  // 5.1 s in all
    EXPECT_FALSE(tab->diagnosticsCopied());
    EXPECT_NE(clipboard.find("between the presses"), std::string::npos);
    EXPECT_EQ(captures, 2);
}

TEST_F(GeneralTabTest, TheCopiedTextCarriesAtMostTheLast200LogLinesOldestFirst) {
    for (int i = 1; i <= 150; ++i) Log::line("[Tessane] line " + std::to_string(i));
    tab->copyDiagnostics();
    EXPECT_NE(clipboard.find("Recent log (150 lines)"), std::string::npos);
    Log::resetForTesting();
    for (int i = 1; i <= 500; ++i) Log::line("[Tessane] line " + std::to_string(i));
    tab->copyDiagnostics();
    EXPECT_NE(clipboard.find("Recent log (200 lines)"), std::string::npos);
    EXPECT_EQ(clipboard.find("line 300\n"), std::string::npos);
    const auto first = clipboard.find("line 301\n");
    ASSERT_NE(first, std::string::npos);
    EXPECT_LT(first, clipboard.find("line 500"));
    EXPECT_EQ(clipboard.rfind(Diagnostics::render(snapshot), 0), 0u);
}

TEST_F(GeneralTabTest, TheMailsCarryTheirSubjectsAndBodiesAndAnUnbuildableLinkIsLogged) {
    tab->reportBug();
    tab->contactSupport();
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_NE(opened[0].find(Diagnostics::percentEncoded("Tessane 1.4.2 — bug report")), std::string::npos);
    EXPECT_NE(opened[0].find(Diagnostics::percentEncoded("What happened?\n\n\nWhat did you expect instead?")),
              std::string::npos);
    EXPECT_NE(opened[1].find(Diagnostics::percentEncoded("Tessane 1.4.2 — support")), std::string::npos);
    EXPECT_EQ(GeneralTab::supportBody(snapshot), "\n\n---\nTessane 1.4.2 · Debian GNU/Linux 12 · ThinkPad X1");
    EXPECT_EQ(GeneralTab::bugReportBody(snapshot).find("this Mac"), std::string::npos);

    snapshot.appVersion = std::string(3000, 'x');  // even the subject cannot fit
    tab->reportBug();
    EXPECT_EQ(opened.size(), 2u);
    EXPECT_EQ(testing::loggedMessages(),
              (std::vector<std::string>{"[Tessane] Settings: could not build the support mailto URL."}));
}

TEST_F(GeneralTabTest, TheLogFileSwitchIsStoredAndItsFileIsShownWhereItLives) {
    EXPECT_FALSE(tab->keepLogFile());
    tab->setKeepLogFile(true);
    EXPECT_EQ(defaults.boolValue("TessaneLogToFile"), true);
    EXPECT_TRUE(tab->keepLogFile());
    tab->showLogFile();
    EXPECT_EQ(revealed, (std::vector<std::filesystem::path>{environment.logsFolder() / "Tessane.log"}));
    tab->setKeepLogFile(false);
    EXPECT_EQ(defaults.boolValue("TessaneLogToFile"), false);
    EXPECT_NE(tab->logFileCaption().find("Tessane writes what it does to "), std::string::npos);
    EXPECT_EQ(tab->logFileCaption().find("Library"), std::string::npos);
}

TEST_F(GeneralTabTest, TheDelayedResetDoesNothingOnceTheTabIsGone) {
    tab->copyDiagnostics();
    sub.reset();
    tab.reset();
    queue.advance(4);
    SUCCEED();
}

}  // namespace
}  // namespace tessane
