#include "platform/linux/ProcessLauncher.h"

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

    // Everything the children need is made before fork: after it, only async-signal-safe calls.
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    std::vector<char*> env;
    for (char** e = environ; e && *e; ++e) {
        if (std::strncmp(*e, "DESKTOP_STARTUP_ID=", 19) == 0) continue;
        if (std::strncmp(*e, "XDG_ACTIVATION_TOKEN=", 21) == 0) continue;
        env.push_back(*e);
    }
    const std::string startupVariable = "DESKTOP_STARTUP_ID=" + startupId;
    if (!startupId.empty()) env.push_back(const_cast<char*>(startupVariable.c_str()));
    env.push_back(nullptr);
    std::string directory = workingDirectory.string();
    struct stat st {};
    if (directory.empty() || ::stat(directory.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        const char* home = std::getenv("HOME");
        directory = home && *home ? home : "/";
    }
    const std::string path = program->string();
    const int maxFd = static_cast<int>(std::min<long>(::sysconf(_SC_OPEN_MAX), 65536));

    int devNull = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        result.error = errno;
        result.description = std::string("Cannot start a process: ") + std::strerror(errno) + ".";
        if (devNull >= 0) ::close(devNull);
        return result;
    }

    const pid_t helper = ::fork();
    if (helper < 0) {
        result.error = errno;
        result.description = std::string("Cannot start a process: ") + std::strerror(errno) + ".";
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        if (devNull >= 0) ::close(devNull);
        return result;
    }
    if (helper == 0) {
        // The helper: leaves our session and process group, starts the program, and quits at
        // once, so that the program is adopted by init (or the session's reaper), not by us.
        if (::setsid() < 0) {
            writeMessage(pipeFds[1], 's', errno);
            ::_exit(1);
        }
        const pid_t child = ::fork();
        if (child < 0) {
            writeMessage(pipeFds[1], 'f', errno);
            ::_exit(1);
        }
        if (child > 0) {
            writeMessage(pipeFds[1], 'p', child);
            ::_exit(0);
        }
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        for (int sig = 1; sig < NSIG; ++sig) {
            if (sig == SIGKILL || sig == SIGSTOP) continue;
            struct sigaction dfl {};
            dfl.sa_handler = SIG_DFL;
            ::sigaction(sig, &dfl, nullptr);
        }
        if (::chdir(directory.c_str()) != 0) {
            int ignored = ::chdir("/");
            (void)ignored;
        }
        if (devNull >= 0) ::dup2(devNull, STDIN_FILENO);
        markDescriptorsCloseOnExec(maxFd);
        ::execve(path.c_str(), args.data(), env.data());
        writeMessage(pipeFds[1], 'e', errno);
        ::_exit(127);
    }

    ::close(pipeFds[1]);
    if (devNull >= 0) ::close(devNull);
    int status = 0;
    while (::waitpid(helper, &status, 0) < 0 && errno == EINTR) {
    }
    // Read until every writer is gone: the helper when it quit, the program when it executed
    // (the pipe closes on exec) or failed to.
    int pid = 0, failure = 0;
    char failedStep = 0;
    for (;;) {
        Message m{};
        const ssize_t n = ::read(pipeFds[0], &m, sizeof m);
        if (n < 0 && errno == EINTR) continue;
        if (n != static_cast<ssize_t>(sizeof m)) break;
        if (m.kind == 'p') {
            pid = m.value;
        } else {
            failure = m.value;
            failedStep = m.kind;
        }
    }
    ::close(pipeFds[0]);

    if (failure != 0 || pid <= 0) {
        result.error = failure != 0 ? failure : ECHILD;
        const std::string reason = std::strerror(result.error);
        if (failedStep == 'e')
            result.description = "“" + path + "” could not be executed: " + reason + ".";
        else
            result.description = "Cannot start a process: " + reason + ".";
        return result;
    }
    result.pid = pid;
    return result;
}

}  // namespace tessane::linux_backend
