// Opening applications and documents from their desktop entries, and links.
#include "platform/linux/apps/LinuxRunningApplications.h"

#include "platform/linux/desktop/DesktopEntry.h"
#include "platform/linux/desktop/ExecLine.h"
#include "platform/linux/apps/LinuxAppCatalog.h"
#include "platform/linux/processes/ProcessLauncher.h"
#include "platform/linux/processes/URLOpener.h"

#include <cerrno>
#include <unistd.h>

namespace tessane::linux_backend {
namespace fs = std::filesystem;

namespace {

// What the system answers for a path that is not an application (the same code as elsewhere).
SystemError notAnApplication(const fs::path& path) {
    return {"NSOSStatusErrorDomain", -10814, "No application’s desktop entry is at " + path.string() + "."};
}

// A startup-notification id of our own for each launch. Its time stamp 0 stands for no user
// action: window managers that read it do not give the new window the focus.
std::string startupIdFor(const std::string& desktopId, uint64_t sequence) {
    char host[256] = {0};
    if (::gethostname(host, sizeof host - 1) != 0) host[0] = 0;
    std::string id = "tessane-" + std::to_string(::getpid()) + "-" + std::to_string(sequence) + "-" + host + "-" +
                     desktopId + "_TIME0";
    // The protocol's ids are printable ASCII without spaces.
    for (char& c : id)
        if (static_cast<unsigned char>(c) <= ' ' || static_cast<unsigned char>(c) >= 0x7F) c = '_';
    return id;
}

// An entry's TryExec names a program it needs: when that is not installed, it is not started.
std::optional<SystemError> missingProgram(const linux_desktop::DesktopEntry& entry, const std::string& name) {
    const auto tryExec = entry.value("TryExec");
    if (!tryExec || ProcessLauncher::findProgram(*tryExec, ProcessLauncher::searchPath())) return std::nullopt;
    return SystemError{"NSPOSIXErrorDomain", ENOENT,
                       "The program “" + *tryExec + "” that " + name + " needs is not installed."};
}

std::vector<std::string> documentArguments(const std::vector<fs::path>& documents) {
    // Relative names are taken from our working folder, whatever folder the application starts in.
    std::error_code ec;
    fs::path base = fs::current_path(ec);
    if (ec) base = "/";
    std::vector<std::string> arguments;
    for (const auto& d : documents)
        if (!d.empty()) arguments.push_back(linux_desktop::ExecLine::documentArgument(d.string(), base));
    return arguments;
}

}  // namespace

void LinuxRunningApplications::openApplication(const fs::path& appPath, const OpenConfiguration& configuration,
                                               OpenCompletion completion) {
    open(appPath, {}, configuration, std::move(completion));
}

void LinuxRunningApplications::openDocuments(const std::vector<fs::path>& documents, const fs::path& appPath,
                                             const OpenConfiguration& configuration, OpenCompletion completion) {
    open(appPath, documents, configuration, std::move(completion));
}

bool LinuxRunningApplications::openURL(const std::string& url) {
    std::string why;
    if (URLOpener::open(url, helpFolder_, &why)) return true;
    log("[Tessane] cannot open " + url + ": " + why);
    return false;
}

void LinuxRunningApplications::answer(OpenCompletion completion, std::optional<RunningApplication> app,
                                      std::optional<SystemError> error) {
    // Not guarded by our lifetime: a completion is owed even when we are gone by then.
    queue_.post([completion = std::move(completion), app = std::move(app), error = std::move(error)] {
        if (completion) completion(app, error);
    });
}

void LinuxRunningApplications::open(const fs::path& appPath, const std::vector<fs::path>& documents,
                                    const OpenConfiguration& configuration, OpenCompletion completion) {
    const auto entry = linux_desktop::DesktopEntry::read(appPath);
    if (!entry || !entry->isApplication()) {
        answer(std::move(completion), std::nullopt, notAnApplication(appPath));
        return;
    }
    const std::string id = catalog_.desktopFileId(appPath);
    const std::string name = entry->localized("Name", catalog_.folders().locale).value_or(id);

    // Opening an application that already runs, with nothing to hand it, asks no new process.
    if (documents.empty() && answeredByRunning(id, configuration, completion)) return;

    if (auto missing = missingProgram(*entry, name)) {
        answer(std::move(completion), std::nullopt, std::move(missing));
        return;
    }
    const std::string exec = entry->value("Exec").value_or("");
    const auto commands = linux_desktop::ExecLine::expand(
        exec, documentArguments(documents), {entry->value("Icon").value_or(""), name, appPath.string()});
    if (!commands) {
        const std::string why = linux_desktop::ExecLine::refusal(exec).value_or("it cannot be read");
        log("[Tessane] " + name + ": the Exec line of " + appPath.string() + " is refused: " + why + ".");
        answer(std::move(completion), std::nullopt,
               SystemError{"NSPOSIXErrorDomain", ENOEXEC,
                           "The desktop entry’s Exec line (“" + exec + "”) is refused: " + why + "."});
        return;
    }
    if (!documents.empty() && !linux_desktop::ExecLine::takesDocuments(exec))
        log("[Tessane] " + name + ": its desktop entry takes no documents; it is opened without them.");

    const fs::path directory = entry->value("Path").value_or(catalog_.folders().home.string());
    startLaunches(*commands, {id, appPath, name, directory}, configuration.activates, std::move(completion));
}

bool LinuxRunningApplications::answeredByRunning(const std::string& desktopId, const OpenConfiguration& configuration,
                                                 OpenCompletion& completion) {
    for (auto& l : launches_) {
        if (l.desktopId != desktopId || l.processGone) continue;
        if (configuration.activates) {
            l.activates = true;
            l.activationRequest = ++activationRequests_;
        }
        answer(std::move(completion), snapshot(l), std::nullopt);
        return true;
    }
    for (auto& [pid, g] : groups_) {
        if (g.desktopId != desktopId || g.windows.empty()) continue;
        // Activating may wait for the window manager and see the group go: look it up again.
        const Pid running = pid;
        if (configuration.activates) activate(running);
        answer(std::move(completion), snapshot(running), std::nullopt);
        return true;
    }
    return false;
}

void LinuxRunningApplications::startLaunches(const std::vector<std::vector<std::string>>& commands,
                                             const LaunchedEntry& entry, bool activates, OpenCompletion completion) {
    std::optional<RunningApplication> first;
    for (const auto& command : commands) {
        const std::string startupId = startupIdFor(entry.desktopId, ++launchCount_);
        const auto started = ProcessLauncher::launchDetached(command, entry.directory, startupId);
        if (!started.ok()) {
            if (first) {  // the earlier documents are open: say what the rest missed
                log("[Tessane] " + entry.name + ": a further document could not be opened — " + started.description);
                continue;
            }
            answer(std::move(completion), std::nullopt,
                   SystemError{"NSPOSIXErrorDomain", started.error, started.description});
            return;
        }
        Launch l;
        l.pid = started.pid;
        l.order = nextOrder_++;
        l.desktopId = entry.desktopId;
        l.entryPath = entry.path;
        l.name = entry.name;
        l.startupId = startupId;
        startupIds_[startupId] = entry.desktopId;
        l.activates = activates;
        if (l.activates) l.activationRequest = first ? activationRequests_ : ++activationRequests_;
        l.startedAt = queue_.now();
        launches_.push_back(l);
        exits_.watch(l.pid);
        if (!first) first = snapshot(l);
    }
    answer(std::move(completion), first, std::nullopt);
}

}  // namespace tessane::linux_backend
