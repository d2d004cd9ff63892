#include "base/FileRead.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessane {

namespace {

// Closes the descriptor on every way out.
struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

std::string overLimit(size_t limit) { return "larger than the limit of " + std::to_string(limit) + " bytes"; }

// Reads what is there, up to one byte past `limit`, appending to `out`; false (errno set) on a
// read error.
bool readAll(int fd, size_t limit, std::string& out) {
    // One byte past the limit is enough to know that the file is over it.
    const size_t stop = limit < SIZE_MAX ? limit + 1 : limit;
    while (out.size() < stop) {
        // Use the room already reserved; past it grow in steps, never beyond the stop.
        size_t room = out.capacity() - out.size();
        if (room == 0) room = std::max<size_t>(out.size(), 64 * 1024);
        room = std::min(room, stop - out.size());
        const size_t at = out.size();
        out.resize(at + room);
        ssize_t n;
        do {
            n = ::read(fd, out.data() + at, room);
        } while (n < 0 && errno == EINTR);
        out.resize(at + static_cast<size_t>(std::max<ssize_t>(n, 0)));
        if (n < 0) return false;
        if (n == 0) break;
    }
    return true;
}

}  // namespace

FileRead readRegularFile(const std::filesystem::path& path, size_t limit) {
    using Status = FileRead::Status;
    // Without O_NONBLOCK, opening a FIFO waits for a writer and opening some devices waits for
    // the device; with it, both return at once and the check below refuses them.
    const Descriptor file{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)};
    if (file.fd < 0) {
        const int e = errno;
        return {e == ENOENT || e == ENOTDIR ? Status::missing : Status::failed, std::strerror(e)};
    }
    struct stat st {};
    if (::fstat(file.fd, &st) != 0) return {Status::failed, std::strerror(errno)};
    if (!S_ISREG(st.st_mode)) return {Status::notRegular, "not a regular file"};
    const auto reported = static_cast<unsigned long long>(std::max<off_t>(st.st_size, 0));
    if (reported > limit) return {Status::tooLarge, overLimit(limit)};

    FileRead r(Status::ok, {});
    // Room for the reported size and one byte more, so that a file as large as it says ends
    // with a read of nothing rather than a reallocation.
    r.copied_.reserve(reported + 1);
    if (!readAll(file.fd, limit, r.copied_)) return {Status::failed, std::strerror(errno)};
    if (r.copied_.size() > limit) return {Status::tooLarge, overLimit(limit)};
    return r;
}

std::string_view withoutByteOrderMark(std::string_view text) {
    constexpr std::string_view kMark = "\xEF\xBB\xBF";
    if (text.substr(0, kMark.size()) == kMark) text.remove_prefix(kMark.size());
    return text;
}

}  // namespace tessane
