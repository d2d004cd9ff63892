#include "platform/linux/desktop/SchemeHandlerRegistration.h"

#include "base/AtomicFile.h"
#include "platform/linux/desktop/DesktopEntryText.h"
#include "platform/linux/processes/ProcessLauncher.h"

#include <cstdlib>

namespace tessane::linux_backend {

namespace fs = std::filesystem;

SchemeHandlerRegistration::Setup SchemeHandlerRegistration::forThisUser() {
    fs::path data;
    if (const char* v = std::getenv("XDG_DATA_HOME"); v && *v == '/') data = v;
    else if (const char* home = std::getenv("HOME"); home && *home) data = fs::path(home) / ".local" / "share";
    std::error_code ec;
    const fs::path program = fs::read_symlink("/proc/self/exe", ec);
    return {data.empty() ? fs::path() : data / "applications", ec ? fs::path() : program,
            [](const std::vector<std::string>& argv) {
                return ProcessLauncher::launchDetached(argv, fs::path()).ok();
            }};
}

SchemeHandlerRegistration SchemeHandlerRegistration::ensure(const Setup& setup) {
    SchemeHandlerRegistration result;
    result.entryFile = setup.applicationsFolder / kEntryName;
    auto fail = [&](std::string why) {
        result.outcome = Outcome::failed;
        result.error = std::move(why);
        return result;
    };
    if (setup.applicationsFolder.empty()) return fail("no home folder to put a desktop entry in");
    std::error_code ec;
    // Any entry of that name counts as the user's: one they edited stays as they left it.
    if (fs::symlink_status(result.entryFile, ec).type() != fs::file_type::not_found) return result;
    if (setup.program.empty()) return fail("the running program's path is unknown");
    const auto text = linux_desktop::DesktopEntryText::applicationEntry(setup.program);
    if (!text) return fail("the program's path cannot be written in a desktop entry");
    fs::create_directories(setup.applicationsFolder, ec);
    if (ec) return fail(ec.message());
    std::string error;
    if (!writeFileAtomically(result.entryFile, *text, &error)) return fail(error);
    if (!setup.run || !setup.run({"xdg-mime", "default", kEntryName, kMimeType})) {
        // An entry left behind would make every later start take the handler for registered:
        // take it away, so the next start tries again (once xdg-mime is installed).
        fs::remove(result.entryFile, ec);
        return fail("xdg-mime could not be started");
    }
    result.outcome = Outcome::registered;
    return result;
}

std::string SchemeHandlerRegistration::logLine() const {
    switch (outcome) {
    case Outcome::alreadyPresent: return {};
    case Outcome::registered:
        return "[Tessane][URL] Registered as the handler of tessane: links (" + entryFile.string() + ")";
    case Outcome::failed:
        return "[Tessane][URL] Could not register as the handler of tessane: links (" + entryFile.string() +
               "): " + error;
    }
    return {};
}

}  // namespace tessane::linux_backend
