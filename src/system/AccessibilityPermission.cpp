#include "system/AccessibilityPermission.h"

#include "model/Log.h"

namespace tessane {

namespace {
const char* text(bool b) { return b ? "true" : "false"; }
}  // namespace

std::string AccessibilityPermission::Diagnostics::logLine() const {
    return std::string("trusted=") + text(isTrusted) + " id=" + bundleIdentifier +
           " pid=" + std::to_string(pid) + " systemInstall=" + text(isRunningFromApplications) +
           " asApplication=" + text(isRunningFromBundle) + " path=" + bundlePath;
}

AccessibilityPermission::AccessibilityPermission(Accessibility& accessibility,
                                                 std::function<Identity()> identity,
                                                 OpenURL openURL)
    : ax_(accessibility), identity_(std::move(identity)), openURL_(std::move(openURL)) {}

AccessibilityPermission::Diagnostics AccessibilityPermission::diagnostics() const {
    const Identity id = identity_ ? identity_() : Identity{};
    Diagnostics d;
    d.isTrusted = ax_.isProcessTrusted();
    d.bundleIdentifier = id.bundleIdentifier.value_or("(none)");
    d.bundlePath = id.bundlePath;
    d.executablePath = id.executablePath.value_or("(none)");
    d.processName = id.processName;
    d.pid = id.pid;
    d.isRunningFromBundle = id.runsAsInstalledApplication;
    d.isRunningFromApplications = id.installed;
    return d;
}

void AccessibilityPermission::logDiagnostics(std::string_view context) const {
    Log::line("[Tessane][AX] " + std::string(context) + ": " + diagnostics().logLine());
}

bool AccessibilityPermission::ensureTrusted() const {
    if (ax_.isProcessTrusted()) return true;
    ax_.isProcessTrustedWithPrompt(true);
    logDiagnostics("ensureTrusted (not trusted)");
    return false;
}

void AccessibilityPermission::openSystemSettings() const {
    if (!openURL_) return;
    const std::string url(kHelpURL);
    if (!openURL_(url)) Log::line("[Tessane][AX] could not open the window-control help (" + url + ")");
}

}  // namespace tessane
