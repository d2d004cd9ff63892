#include "model/Log.h"
#include "platform/Applications.h"
#include "platform/Defaults.h"
#include "platform/Environment.h"
#include "platform/linux/LinuxEnvironment.h"
#include "platform/linux/LinuxSystemLog.h"
#include "platform/qt/LinuxPlatform.h"
#include "system/AccessibilityPermission.h"

#include <QApplication>

#include <filesystem>
#include <string>
#include <unistd.h>

using namespace tessane;

namespace {

// Who we are, for the permission's log line: the program and the folder it runs from.
AccessibilityPermission::Identity identity(const Environment& environment) {
    AccessibilityPermission::Identity id;
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        id.executablePath = exe.string();
        id.bundlePath = exe.parent_path().string();
        id.processName = exe.filename().string();
    }
    id.pid = static_cast<int32_t>(::getpid());
    id.runsAsInstalledApplication = environment.runsAsInstalledApplication();
    return id;
}

}  // namespace

int main(int argc, char** argv) {
    qt_backend::LinuxPlatform backend;
    Log::configure(&backend.systemLog(), &backend.environment());
    std::string why;
    if (!backend.openDisplay(&why)) {
        Log::line("[Tessane] no X11 display: " + why);
        return 1;
    }
    QApplication application(argc, argv);
    backend.start([](const std::string& line) { Log::line(line); });
    const Platform platform = backend.platform();

    const auto& environment = backend.environment();
    Log::setFileLogging(platform.defaults->boolValue("TessaneLogToFile").value_or(false));
    Log::line("[Tessane] starting Tessane " + environment.shortVersion().value_or("?") + " (build " +
              environment.buildVersion().value_or("?") + ")");
    AccessibilityPermission permission(
        *platform.accessibility, [&] { return identity(environment); },
        [applications = platform.applications](const std::string& url) { return applications->openURL(url); });
    permission.logDiagnostics("launch");
    backend.stop();  // while the Qt application object still exists
    return 0;
}
