#include "platform/linux/desktop/SchemeHandlerRegistration.h"

#include "base/AtomicFile.h"
#include "platform/linux/desktop/DesktopEntry.h"
#include "platform/linux/desktop/DesktopEntryText.h"
#include "platform/linux/desktop/ExecLine.h"
#include "platform/linux/desktop/InstalledLayout.h"
#include "platform/linux/processes/ProcessLauncher.h"

#include <cstdlib>
#include <optional>
#include <sstream>

namespace tessane::linux_backend {

namespace fs = std::filesystem;

namespace {

// The program an entry starts: the first word of its Exec line. None for an entry that is not a
// launchable application (a user hides one with Hidden=true) or whose Exec line cannot be read.
std::optional<fs::path> programOf(const fs::path& entryFile) {
    const auto entry = linux_desktop::DesktopEntry::read(entryFile);
    if (!entry || !entry->isApplication()) return std::nullopt;
    const auto exec = entry->value("Exec");
    if (!exec) return std::nullopt;
    const auto words = linux_desktop::ExecLine::split(*exec);
    if (!words || words->empty()) return std::nullopt;
    return fs::path(words->front());
}

// Another Tessane, named by its full path, that is no longer there (a package since removed, a
// build folder since deleted): links handed to it go nowhere. One that starts anything else (a
// wrapper of the user's, a program found on the PATH) is the user's choice.
bool startsAGoneTessane(const fs::path& before, const fs::path& program) {
    std::error_code ec;
    return before.is_absolute() && before != program && before.filename() == "tessane" &&
           fs::status(before, ec).type() == fs::file_type::not_found;
}

// An entry that an installed program takes over: it starts another Tessane, by its full path,
// that is gone or was never installed (a build folder).
bool startsABuildNotInstalled(const fs::path& before, const fs::path& program) {
    if (!before.is_absolute() || before == program || before.filename() != "tessane") return false;
    std::error_code ec;
    return !fs::is_regular_file(before, ec) || !isInstalledLayout(before);
}

}  // namespace

SchemeHandlerRegistration::Setup SchemeHandlerRegistration::forThisUser() {
    Setup setup;
    if (const char* v = std::getenv("XDG_DATA_HOME"); v && *v == '/') setup.applicationsFolder = fs::path(v) / "applications";
    else if (const char* home = std::getenv("HOME"); home && *home)
        setup.applicationsFolder = fs::path(home) / ".local" / "share" / "applications";
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    std::istringstream folders(dirs && *dirs ? dirs : "/usr/local/share/:/usr/share/");
    for (std::string folder; std::getline(folders, folder, ':');) {
        // The XDG rules ignore relative paths.
        if (!folder.empty() && folder.front() == '/') setup.installedFolders.push_back(fs::path(folder) / "applications");
    }
    std::error_code ec;
    const fs::path program = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        setup.program = program;
        setup.installed = isInstalledLayout(program);
    }
    setup.run = [](const std::vector<std::string>& argv) {
        return ProcessLauncher::launchDetached(argv, fs::path()).ok();
    };
    return setup;
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
    const bool present = fs::symlink_status(result.entryFile, ec).type() != fs::file_type::not_found;
    const auto before = present ? programOf(result.entryFile) : std::nullopt;
    if (!setup.installed) {
        for (const auto& folder : setup.installedFolders) {
            if (!fs::is_regular_file(folder / kEntryName, ec)) continue;
            // Links belong to the installed Tessane: an entry this build wrote before, or one of a
            // Tessane since gone, would hide the installed one of the same name.
            const bool ours = !setup.program.empty() && before == setup.program;
            if (ours || (before && startsAGoneTessane(*before, setup.program))) {
                if (!fs::remove(result.entryFile, ec)) return fail(ec ? ec.message() : "the entry was gone");
                result.outcome = Outcome::leftToInstalled;
                result.installedEntry = folder / kEntryName;
                if (!ours) result.replacedProgram = *before;
            }
            return result;
        }
    }
    if (present) {
        // Any other entry of that name counts as the user's: one they edited stays as they left it.
        // An installed program takes links from a build not installed; any program from one gone.
        if (!before) return result;
        const bool gone = startsAGoneTessane(*before, setup.program);
        if (setup.installed ? !startsABuildNotInstalled(*before, setup.program) : !gone) return result;
        result.replacedProgram = *before;
        result.replacedProgramGone = gone;
    }
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
        return "[Tessane][URL] Registered as the handler of tessane: links (" + entryFile.string() + ")" +
               (replacedProgram.empty() ? "" : ", in place of " + replacedProgram.string()) +
               (replacedProgramGone ? ", which is gone" : "");
    case Outcome::leftToInstalled:
        return "[Tessane][URL] Left tessane: links to the installed Tessane (" + installedEntry.string() + "): removed " +
               (replacedProgram.empty() ? "this build's entry"
                                        : "the entry of " + replacedProgram.string() + ", which is gone") +
               " (" + entryFile.string() + ")";
    case Outcome::failed:
        return "[Tessane][URL] Could not register as the handler of tessane: links (" + entryFile.string() +
               "): " + error;
    }
    return {};
}

}  // namespace tessane::linux_backend
