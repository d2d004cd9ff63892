#include "model/Log.h"
#include "platform/Platform.h"
#include "platform/linux/LinuxDefaults.h"
#include "platform/linux/LinuxEnvironment.h"
#include "platform/linux/LinuxSystemLog.h"

#include <string>

using namespace tessane;

int main(int, char**) {
    linux_backend::LinuxSystemLog systemLog;
    linux_backend::LinuxEnvironment environment(/*isApplication=*/true);
    Log::configure(&systemLog, &environment);
    linux_backend::LinuxDefaults defaults(environment.configFolder() / "preferences.json",
                                          [](const std::string& line) { Log::line(line); });

    Platform platform;
    platform.systemLog = &systemLog;
    platform.environment = &environment;
    platform.defaults = &defaults;

    Log::setFileLogging(defaults.boolValue("TessaneLogToFile").value_or(false));
    Log::line("[Tessane] starting Tessane " + environment.shortVersion().value_or("?") + " (build " +
              environment.buildVersion().value_or("?") + ")");
    return 0;
}
