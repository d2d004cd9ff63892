#include "base/AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessane {

namespace fs = std::filesystem;

namespace {
bool fail(std::string* error, const std::string& what) {
    if (error) *error = what + ": " + std::strerror(errno);
    return false;
}

FileStamp stampOf(const struct stat& st) {
    return FileStamp{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino),
                     static_cast<int64_t>(st.st_size),
                     static_cast<int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
}
}  // namespace

std::optional<FileStamp> fileStamp(const fs::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return stampOf(st);
}

bool writeFileAtomically(const fs::path& path, std::string_view contents, std::string* error,
                         const std::function<void(const FileStamp&)>& beforeReplace) {
    std::error_code ec;
    if (path.has_parent_path()) fs::create_directories(path.parent_path(), ec);
    std::string temp = (path.parent_path() / ("." + path.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return fail(error, "cannot create a temporary file beside " + path.string());
    const char* p = contents.data();
    size_t left = contents.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            const bool r = fail(error, "cannot write " + temp);
            ::close(fd);
            ::unlink(temp.c_str());
            return r;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    // mkstemp makes the file 0600. The replaced file keeps its own permissions; a new one gets
    // what creating it would have given under the user's umask (never wider, e.g. 0644 for a
    // user who keeps their files private).
    struct stat replaced {};
    mode_t mode;
    if (::stat(path.c_str(), &replaced) == 0) {
        mode = replaced.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd, mode);
    // Close even when the flush failed, or every failed save would leak a descriptor.
    const bool flushed = ::fsync(fd) == 0;
    const int flushErrno = errno;
    struct stat written {};
    const bool stamped = ::fstat(fd, &written) == 0;
    const bool closed = ::close(fd) == 0;
    if (!flushed || !closed) {
        if (!flushed) errno = flushErrno;
        const bool r = fail(error, "cannot flush " + temp);
        ::unlink(temp.c_str());
        return r;
    }
    if (beforeReplace && stamped) beforeReplace(stampOf(written));
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const bool r = fail(error, "cannot replace " + path.string());
        ::unlink(temp.c_str());
        return r;
    }
    return true;
}

fs::path keepAside(const fs::path& path, const std::string& why) {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &parts);
    fs::path target = path;
    target += "." + why + "-" + stamp;
    std::error_code ec;
    // Two failures within one second must not overwrite the first copy. A folder that can't be
    // looked into ends the search; the rename below then reports the failure.
    for (int i = 2; fs::exists(target, ec) && !ec; ++i) {
        target = path;
        target += "." + why + "-" + stamp + "-" + std::to_string(i);
    }
    fs::rename(path, target, ec);
    return ec ? fs::path{} : target;
}

}  // namespace tessane
