#pragma once

#include "base/Lifetime.h"
#include "base/Signal.h"
#include "shell/AppTheme.h"
#include "shell/Diagnostics.h"
#include "shell/LoginItem.h"
#include "system/ShortcutHelp.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tessane {

class Defaults;
class Environment;
class MainQueue;
class SettingsRouter;

// The General tab: launch at login, the theme, the shortcut summary and the About section with
// the version, the welcome panel, the bug-report and support mails, copying the diagnostics and
// the log file. The theme and the log-file switch live in the user defaults, so what start-up
// reads is what the tab shows; the rest is the tab's own state for as long as the window lives.
// Main thread only.
class GeneralTab {
public:
    struct Services {
        Defaults* defaults = nullptr;
        MainQueue* queue = nullptr;
        const Environment* environment = nullptr;
        LoginItem* loginItem = nullptr;
        std::function<Diagnostics::Snapshot()> captureDiagnostics;
        std::function<void(const std::string&)> setClipboardText;
        // Hands a link to the desktop (the mail program takes mailto: links).
        std::function<bool(const std::string&)> openURL;
        std::function<void(AppTheme)> applyTheme;
        // Opens the file manager with the file selected (or its folder when it can't select).
        std::function<void(const std::filesystem::path&)> revealInFiles;
    };

    static constexpr const char* kLogToFileKey = "TessaneLogToFile";
    static constexpr double kCopiedSeconds = 3.0;
    static constexpr size_t kCopiedLogLines = 200;
    static constexpr int kMailLimit = 1800;

    static constexpr const char* kStartupTitle = "Startup";
    static constexpr const char* kLaunchAtLogin = "Launch Tessane at login";
    static constexpr const char* kAppearanceTitle = "Appearance";
    static constexpr const char* kThemeLabel = "Theme";
    static constexpr const char* kThemeCaption = "Overrides the system light / dark setting for Tessane's windows.";
    static constexpr const char* kShortcutsTitle = "Keyboard Shortcuts";
    static constexpr const char* kOwnKeysCaption = "Prefer different keys? You can bind your own.";
    static constexpr const char* kShowMeHow = "Show me how";
    static constexpr const char* kAboutTitle = "About";
    static constexpr const char* kVersionRow = "Version";
    static constexpr const char* kIntroductionRow = "Introduction";
    static constexpr const char* kShowWelcome = "Show Welcome…";
    static constexpr const char* kHelpRow = "Help";
    static constexpr const char* kReportBug = "Report a Bug…";
    static constexpr const char* kContactSupport = "Contact Support…";
    static constexpr const char* kDiagnosticsRow = "Diagnostics";
    static constexpr const char* kCopyDiagnostics = "Copy Diagnostics";
    static constexpr const char* kCopied = "Copied ✓";
    static constexpr const char* kDiagnosticsCaption =
        "Diagnostics describe this computer, your displays, your workspace and app names, file paths, and "
        "Tessane's recent log. Everything is plain text you can read and edit before sending.";
    static constexpr const char* kLogFileRow = "Log File";
    static constexpr const char* kKeepLogFile = "Keep a log file";
    static constexpr const char* kShowInFiles = "Show in Files";

    GeneralTab(Services services, SettingsRouter& router, std::function<void()> onShowWelcome);

    // Told after every change of what the tab shows.
    [[nodiscard]] Subscription observeChanges(std::function<void()> observer) {
        return changed_.subscribe(std::move(observer));
    }

    // Each time the tab is shown: the launch-at-login state is read afresh.
    void appear();

    // ------------------------------------------------------------------ Startup
    LoginItem::State loginItemState() const { return loginItemState_; }
    bool launchAtLoginIsOn() const;
    bool launchAtLoginCanChange() const { return loginItemState_ != LoginItem::State::unavailable; }
    void setLaunchAtLogin(bool on);
    std::string startupCaption() const;
    const std::optional<std::string>& loginItemError() const { return loginItemError_; }

    // ------------------------------------------------------------------ Appearance
    AppTheme theme() const;
    void setTheme(AppTheme theme);

    // ------------------------------------------------------------------ Keyboard Shortcuts
    static std::vector<ShortcutHelp> shortcutRows() { return ShortcutHelp::all(); }
    void showMeHow();  // to the Advanced tab

    // ------------------------------------------------------------------ About
    std::string versionString() const;
    void showWelcome();
    void reportBug();
    void contactSupport();
    void copyDiagnostics();
    bool diagnosticsCopied() const { return diagnosticsCopied_; }
    int diagnosticsCopyGeneration() const { return diagnosticsCopyGeneration_; }
    bool keepLogFile() const;
    void setKeepLogFile(bool on);
    void showLogFile();
    std::filesystem::path logFilePath() const;
    std::string logFileCaption() const;

    // The mails' subjects and bodies.
    static std::string bugReportSubject(const Diagnostics::Snapshot& snapshot);
    static std::string bugReportBody(const Diagnostics::Snapshot& snapshot);
    static std::string supportSubject(const Diagnostics::Snapshot& snapshot);
    static std::string supportBody(const Diagnostics::Snapshot& snapshot);

private:
    void openMail(const std::string& subject, const std::string& body);
    void notify();

    Services services_;
    SettingsRouter& router_;
    std::function<void()> onShowWelcome_;
    LoginItem::State loginItemState_ = LoginItem::State::disabled;
    std::optional<std::string> loginItemError_;
    bool diagnosticsCopied_ = false;
    int diagnosticsCopyGeneration_ = 0;
    Signal<> changed_;
    LifetimeToken lifetime_;  // last: the delayed reset of "Copied ✓" checks it
};

}  // namespace tessane
