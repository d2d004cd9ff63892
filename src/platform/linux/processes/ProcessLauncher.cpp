#include "platform/linux/processes/ProcessLauncher.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tessane::linux_backend {
namespace {

// What the helper processes report through the pipe: the program's pid, or the errno of the
// step that failed.
struct Message {
    char kind;  // 'p' pid, 'e' exec failed, 'f' fork failed, 's' setsid failed
    int value;
};

void markDescriptorsCloseOnExec(int maxFd) {
#if defined(SYS_close_range) && defined(CLOSE_RANGE_CLOEXEC)
    if (::syscall(SYS_close_range, 3u, ~0u, CLOSE_RANGE_CLOEXEC) == 0) return;
#endif
    for (int fd = 3; fd < maxFd; ++fd) {
        int flags = ::fcntl(fd, F_GETFD);
        if (flags >= 0) ::fcntl(fd, F_SETFD, flags | FD_CLOEXEC);
    }
}

void writeMessage(int fd, char kind, int value) {
    Message m{kind, value};
    ssize_t ignored = ::write(fd, &m, sizeof m);
    (void)ignored;
}

// Everything the children need, made before fork: after it, only async-signal-safe calls.
// Not copied or moved: env points into startupVariable.
struct ChildPlan {
    std::vector<char*> args;
    std::vector<char*> env;
    std::string startupVariable;
    std::string directory;
    std::string path;
    int maxFd = 0;

    ChildPlan(const std::vector<std::string>& argv, const std::filesystem::path& program,
              const std::filesystem::path& workingDirectory, const std::string& startupId)
        : startupVariable("DESKTOP_STARTUP_ID=" + startupId),
          directory(workingDirectory.string()),
          path(program.string()),
          maxFd(static_cast<int>(std::min<long>(::sysconf(_SC_OPEN_MAX), 65536))) {
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        for (char** e = environ; e && *e; ++e) {
            if (std::strncmp(*e, "DESKTOP_STARTUP_ID=", 19) == 0) continue;
            if (std::strncmp(*e, "XDG_ACTIVATION_TOKEN=", 21) == 0) continue;
            env.push_back(*e);
        }
        if (!startupId.empty()) env.push_back(const_cast<char*>(startupVariable.c_str()));
        env.push_back(nullptr);
        struct stat st {};
        if (directory.empty() || ::stat(directory.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
            const char* home = std::getenv("HOME");
            directory = home && *home ? home : "/";
        }
    }
    ChildPlan(const ChildPlan&) = delete;
    ChildPlan& operator=(const ChildPlan&) = delete;
};

// The program's own process: default signals, its folder, no input, none of our descriptors.
[[noreturn]] void execProgram(const ChildPlan& plan, int devNull, int reportFd) {
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    for (int sig = 1; sig < NSIG; ++sig) {
        if (sig == SIGKILL || sig == SIGSTOP) continue;
        struct sigaction dfl {};
        dfl.sa_handler = SIG_DFL;
        ::sigaction(sig, &dfl, nullptr);
    }
    if (::chdir(plan.directory.c_str()) != 0) {
        int ignored = ::chdir("/");
        (void)ignored;
    }
    if (devNull >= 0) ::dup2(devNull, STDIN_FILENO);
    markDescriptorsCloseOnExec(plan.maxFd);
    ::execve(plan.path.c_str(), plan.args.data(), plan.env.data());
    writeMessage(reportFd, 'e', errno);
    ::_exit(127);
}

// The helper: leaves our session and process group, starts the program, and quits at once, so
// that the program is adopted by init (or the session's reaper), not by us.
[[noreturn]] void runHelper(const ChildPlan& plan, int devNull, int reportFd) {
    if (::setsid() < 0) {
        writeMessage(reportFd, 's', errno);
        ::_exit(1);
    }
    const pid_t child = ::fork();
    if (child < 0) {
        writeMessage(reportFd, 'f', errno);
        ::_exit(1);
    }
    if (child > 0) {
        writeMessage(reportFd, 'p', child);
        ::_exit(0);
    }
    execProgram(plan, devNull, reportFd);
}

// What the helper and the program reported, once both are done with the pipe.
struct Report {
    int pid = 0;
    int failure = 0;
    char failedStep = 0;
};

Report collectReport(pid_t helper, int readFd) {
    int status = 0;
    while (::waitpid(helper, &status, 0) < 0 && errno == EINTR) {
    }
    // Read until every writer is gone: the helper when it quit, the program when it executed
    // (the pipe closes on exec) or failed to.
    Report report;
    for (;;) {
        Message m{};
        const ssize_t n = ::read(readFd, &m, sizeof m);
        if (n < 0 && errno == EINTR) continue;
        if (n != static_cast<ssize_t>(sizeof m)) break;
        if (m.kind == 'p') {
            report.pid = m.value;
        } else {
            report.failure = m.value;
            report.failedStep = m.kind;
        }
    }
    return report;
}

ProcessLauncher::Result cannotStart(int error) {
    ProcessLauncher::Result result;
    result.error = error;
    result.description = std::string("Cannot start a process: ") + std::strerror(error) + ".";
    return result;
}

}  // namespace

std::string ProcessLauncher::searchPath() {
    const char* path = std::getenv("PATH");
    return path && *path ? path : "/usr/local/bin:/usr/bin:/bin";
}

std::optional<std::filesystem::path> ProcessLauncher::findProgram(const std::string& name,
                                                                  const std::string& path) {
    auto executable = [](const std::filesystem::path& p) {
        struct stat st {};
        return ::stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(p.c_str(), X_OK) == 0;
    };
    if (name.empty()) return std::nullopt;
    if (name.find('/') != std::string::npos) {
        if (executable(name)) return std::filesystem::path(name);
        return std::nullopt;
    }
    std::istringstream folders(path);
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        if (folder.empty()) continue;
        std::filesystem::path candidate = std::filesystem::path(folder) / name;
        if (executable(candidate)) return candidate;
    }
    return std::nullopt;
}

ProcessLauncher::Result ProcessLauncher::launchDetached(const std::vector<std::string>& argv,
                                                        const std::filesystem::path& workingDirectory,
                                                        const std::string& startupId) {
    Result result;
    if (argv.empty() || argv.front().empty()) {
        result.error = EINVAL;
        result.description = "There is no program to start.";
        return result;
    }
    const auto program = findProgram(argv.front(), searchPath());
    if (!program) {
        result.error = ENOENT;
        result.description = "The program “" + argv.front() + "” is not installed (not found in PATH).";
        return result;
    }
    const ChildPlan plan(argv, *program, workingDirectory, startupId);

    int devNull = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        result = cannotStart(errno);
        if (devNull >= 0) ::close(devNull);
        return result;
    }
    const pid_t helper = ::fork();
    if (helper < 0) {
        result = cannotStart(errno);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        if (devNull >= 0) ::close(devNull);
        return result;
    }
    if (helper == 0) runHelper(plan, devNull, pipeFds[1]);

    ::close(pipeFds[1]);
    if (devNull >= 0) ::close(devNull);
    const Report report = collectReport(helper, pipeFds[0]);
    ::close(pipeFds[0]);

    if (report.failure != 0 || report.pid <= 0) {
        result.error = report.failure != 0 ? report.failure : ECHILD;
        const std::string reason = std::strerror(result.error);
        if (report.failedStep == 'e')
            result.description = "“" + plan.path + "” could not be executed: " + reason + ".";
        else
            result.description = "Cannot start a process: " + reason + ".";
        return result;
    }
    result.pid = report.pid;
    return result;
}

}  // namespace tessane::linux_backend
