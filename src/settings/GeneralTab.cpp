#include "settings/GeneralTab.h"

#include "model/Log.h"
#include "platform/Defaults.h"
#include "platform/Environment.h"
#include "platform/MainQueue.h"
#include "settings/SettingsRouter.h"

namespace tessane {

GeneralTab::GeneralTab(Services services, SettingsRouter& router, std::function<void()> onShowWelcome)
    : services_(std::move(services)), router_(router), onShowWelcome_(std::move(onShowWelcome)) {}

void GeneralTab::notify() { changed_.emit(); }

void GeneralTab::appear() {
    loginItemState_ = services_.loginItem->state();
    notify();
}

// --------------------------------------------------------------------------------- Startup

bool GeneralTab::launchAtLoginIsOn() const {
    return loginItemState_ == LoginItem::State::enabled || loginItemState_ == LoginItem::State::requiresApproval;
}

void GeneralTab::setLaunchAtLogin(bool on) {
    loginItemError_ = services_.loginItem->setEnabled(on);
    // Read afresh, so a change that did not take shows the switch back where it is.
    loginItemState_ = services_.loginItem->state();
    notify();
}

std::string GeneralTab::startupCaption() const {
    switch (loginItemState_) {
    case LoginItem::State::enabled: return "Tessane starts automatically when you log in.";
    case LoginItem::State::disabled:
        return "Start Tessane automatically when you log in, so your workspaces are a keystroke away.";
    case LoginItem::State::requiresApproval:
        return "Waiting for approval — allow Tessane in your desktop's startup applications settings.";
    case LoginItem::State::unavailable:
        return "Not available when running from a build folder — install Tessane to use this.";
    }
    return {};
}

// ------------------------------------------------------------------------------ Appearance

AppTheme GeneralTab::theme() const { return storedAppTheme(*services_.defaults); }

void GeneralTab::setTheme(AppTheme theme) {
    services_.defaults->set(kAppThemeKey, toString(theme));
    if (services_.applyTheme) services_.applyTheme(theme);
    notify();
}

// ------------------------------------------------------------------------------- Shortcuts

void GeneralTab::showMeHow() { router_.setTab(SettingsRouter::Tab::advanced); }

// ----------------------------------------------------------------------------------- About

std::string GeneralTab::versionString() const {
    const auto v = services_.environment->shortVersion();
    const auto b = services_.environment->buildVersion();
    return v.value_or("—") + " (build " + b.value_or("—") + ")";
}

void GeneralTab::showWelcome() {
    if (onShowWelcome_) onShowWelcome_();
}

std::string GeneralTab::bugReportSubject(const Diagnostics::Snapshot& snapshot) {
    return "Tessane " + snapshot.appVersion + " — bug report";
}

std::string GeneralTab::bugReportBody(const Diagnostics::Snapshot& snapshot) {
    return "What happened?\n\n\nWhat did you expect instead?\n\n\n---\nThe lines below describe this computer and "
           "this copy of Tessane. Delete anything you'd rather not send.\n\n" +
           Diagnostics::render(snapshot);
}

std::string GeneralTab::supportSubject(const Diagnostics::Snapshot& snapshot) {
    return "Tessane " + snapshot.appVersion + " — support";
}

std::string GeneralTab::supportBody(const Diagnostics::Snapshot& snapshot) {
    return "\n\n---\nTessane " + snapshot.appVersion + " · " + snapshot.osVersion + " · " + snapshot.hardwareModel;
}

void GeneralTab::openMail(const std::string& subject, const std::string& body) {
    const auto url = Diagnostics::mailtoURL(Diagnostics::supportAddress(), subject, body, kMailLimit);
    if (!url) {
        Log::line("[Tessane] Settings: could not build the support mailto URL.");
        return;
    }
    if (services_.openURL) services_.openURL(*url);
}

void GeneralTab::reportBug() {
    const auto snapshot = services_.captureDiagnostics();
    openMail(bugReportSubject(snapshot), bugReportBody(snapshot));
}

void GeneralTab::contactSupport() {
    const auto snapshot = services_.captureDiagnostics();
    openMail(supportSubject(snapshot), supportBody(snapshot));
}

void GeneralTab::copyDiagnostics() {
    const std::string summary = Diagnostics::render(services_.captureDiagnostics());
    const auto lines = Log::recentLines(kCopiedLogLines);
    services_.setClipboardText(Diagnostics::fullText(summary, lines));
    diagnosticsCopied_ = true;
    const int generation = ++diagnosticsCopyGeneration_;
    notify();
    // A later press schedules a reset of its own; only the last one clears the caption.
    services_.queue->postAfter(kCopiedSeconds, lifetime_.guard([this, generation] {
        if (diagnosticsCopyGeneration_ != generation) return;
        diagnosticsCopied_ = false;
        notify();
    }));
}

bool GeneralTab::keepLogFile() const { return services_.defaults->boolValue(kLogToFileKey).value_or(false); }

void GeneralTab::setKeepLogFile(bool on) {
    services_.defaults->set(kLogToFileKey, on);
    Log::setFileLogging(on);
    notify();
}

std::filesystem::path GeneralTab::logFilePath() const { return services_.environment->logsFolder() / "Tessane.log"; }

void GeneralTab::showLogFile() {
    if (services_.revealInFiles) services_.revealInFiles(logFilePath());
}

std::string GeneralTab::logFileCaption() const {
    // The path as users write it: the home folder as "~".
    std::string path = logFilePath().string();
    const std::string home = services_.environment->homeFolder().string();
    if (!home.empty() && path.rfind(home + "/", 0) == 0) path = "~" + path.substr(home.size());
    return "For a problem that comes and goes: Tessane writes what it does to " + path +
           ", so it can be looked at later. The file stays on this computer. Turn it off when you're done.";
}

}  // namespace tessane
