#include "base/AtomicFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tessane {

namespace fs = std::filesystem;

namespace {

bool fail(std::string* error, const std::string& what, int number = errno) {
    if (error) *error = what + ": " + std::strerror(number);
    return false;
}

FileStamp stampOf(const struct stat& st) {
    return FileStamp{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino),
                     static_cast<int64_t>(st.st_size),
                     static_cast<int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
}

bool sameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Temporary files are ".<name>." and six letters or digits, beside the file they replace.
constexpr size_t kRandomLength = 6;

std::string temporaryPrefix(const fs::path& path) { return "." + path.filename().string() + "."; }

bool isTemporaryName(std::string_view name, std::string_view prefix) {
    if (name.size() != prefix.size() + kRandomLength || !name.starts_with(prefix)) return false;
    return std::all_of(name.begin() + static_cast<long>(prefix.size()), name.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
}

std::string randomLetters() {
    static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937_64 random{std::random_device{}()};
    std::string out;
    for (size_t i = 0; i < kRandomLength; ++i) out += kLetters[random() % (sizeof kLetters - 1)];
    return out;
}

// A temporary file written whole and flushed, still open: its lock (held until it is closed)
// tells a clean-up at start-up, in this process or another, that a write is using it.
struct Temporary {
    int fd = -1;
    std::string path;
    FileStamp stamp;
};

std::optional<Temporary> writeTemporary(const fs::path& path, std::string_view contents, std::string* error) {
    std::error_code ec;
    if (path.has_parent_path()) fs::create_directories(path.parent_path(), ec);
    // The replaced file keeps its own permissions; a new one gets what creating it gives under
    // the user's umask (never wider, e.g. 0644 for a user who keeps their files private). The
    // umask itself is left alone: changing it, even for a moment, changes it for every thread.
    // Created no wider than it ends up, so the contents are never open to more readers meanwhile.
    struct stat replaced {};
    const bool replacing = ::stat(path.c_str(), &replaced) == 0;
    const mode_t mode = replacing ? replaced.st_mode & 07777 : 0666;
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    Temporary temp;
    for (int attempt = 0; temp.fd < 0; ++attempt) {
        if (attempt == 100) {
            fail(error, "cannot create a temporary file beside " + path.string(), EEXIST);
            return std::nullopt;
        }
        temp.path = (folder / (temporaryPrefix(path) + randomLetters())).string();
        const int fd = ::open(temp.path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode & 0777);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            fail(error, "cannot create a temporary file beside " + path.string());
            return std::nullopt;
        }
        // A clean-up may have taken the fresh file for a stale one between its creation and the
        // lock: it then removes it, so look for the name again and start over when it is gone.
        struct stat opened {}, named {};
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &opened) == 0 && ::lstat(temp.path.c_str(), &named) == 0 &&
            sameFile(opened, named)) {
            temp.fd = fd;
        } else {
            ::close(fd);
        }
    }
    const auto discard = [&](const std::string& what) {
        fail(error, what + " " + temp.path);
        ::close(temp.fd);
        ::unlink(temp.path.c_str());
        return std::nullopt;
    };
    const char* p = contents.data();
    size_t left = contents.size();
    while (left > 0) {
        const ssize_t n = ::write(temp.fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return discard("cannot write");
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    if (replacing && ::fchmod(temp.fd, mode) != 0) return discard("cannot set the permissions of");
    // Flushed before it takes the file's place, so that a crash leaves the old file or the new
    // one. The descriptor stays open (and locked) until then; with the data on disk, closing it
    // afterwards has nothing left to report.
    struct stat written {};
    if (::fsync(temp.fd) != 0) return discard("cannot flush");
    if (::fstat(temp.fd, &written) != 0) return discard("cannot look at");
    temp.stamp = stampOf(written);
    return temp;
}

bool unsupported(int number) { return number == EINVAL || number == ENOSYS || number == EOPNOTSUPP; }

// --- copies kept aside

// Where a copy stands among the others of its kind: its time stamp, then its number within
// that second (none is the first).
using CopyOrder = std::pair<std::string, long>;

std::optional<CopyOrder> copyOrder(std::string_view name, std::string_view prefix) {
    if (!name.starts_with(prefix)) return std::nullopt;
    const std::string_view rest = name.substr(prefix.size());
    constexpr size_t kStampLength = 15;  // yyyyMMdd-HHmmss
    if (rest.size() < kStampLength) return std::nullopt;
    for (size_t i = 0; i < kStampLength; ++i)
        if (i == 8 ? rest[i] != '-' : !std::isdigit(static_cast<unsigned char>(rest[i]))) return std::nullopt;
    if (rest.size() == kStampLength) return CopyOrder{std::string(rest.substr(0, kStampLength)), 1};
    const std::string_view number = rest.substr(kStampLength + 1);
    if (rest[kStampLength] != '-' || number.empty() || number.size() > 9 ||
        !std::all_of(number.begin(), number.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
        return std::nullopt;
    return CopyOrder{std::string(rest.substr(0, kStampLength)), std::stol(std::string(number))};
}

// The copies of one kind, newest first.
std::vector<fs::path> copiesOf(const fs::path& folder, const std::string& prefix) {
    std::vector<std::pair<CopyOrder, fs::path>> found;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (const auto order = copyOrder(name, prefix)) found.emplace_back(*order, it->path());
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<fs::path> out;
    for (auto& [order, path] : found) out.push_back(std::move(path));
    return out;
}

bool sameContents(const fs::path& a, const fs::path& b) {
    const int fa = ::open(a.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    const int fb = fa < 0 ? -1 : ::open(b.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    bool same = false;
    struct stat sa {}, sb {};
    if (fb >= 0 && ::fstat(fa, &sa) == 0 && ::fstat(fb, &sb) == 0 && S_ISREG(sa.st_mode) && S_ISREG(sb.st_mode) &&
        sa.st_size == sb.st_size) {
        std::vector<char> ba(size_t{64} << 10), bb(ba.size());
        for (;;) {
            const ssize_t na = ::read(fa, ba.data(), ba.size());
            if (na <= 0) {
                same = na == 0 && ::read(fb, bb.data(), 1) == 0;
                break;
            }
            ssize_t got = 0;
            while (got < na) {
                const ssize_t nb = ::read(fb, bb.data() + got, static_cast<size_t>(na - got));
                if (nb <= 0) break;
                got += nb;
            }
            if (got != na || std::memcmp(ba.data(), bb.data(), static_cast<size_t>(na)) != 0) break;
        }
    }
    if (fb >= 0) ::close(fb);
    if (fa >= 0) ::close(fa);
    return same;
}

// Moves `source` aside under the name of a copy of `path`.
fs::path keepAsideAs(const fs::path& source, const fs::path& path, const std::string& why) {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &parts);
    const std::string prefix = path.filename().string() + "." + why + "-";
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    // Two copies within one second must not overwrite one another, and the later one is
    // numbered after every other of that second (some of which may have gone since).
    const auto copies = copiesOf(folder, prefix);
    long number = 1;
    for (const auto& copy : copies)
        if (const auto order = copyOrder(copy.filename().string(), prefix); order && order->first == stamp)
            number = std::max(number, order->second + 1);
    const auto named = [&] { return folder / (prefix + stamp + (number == 1 ? "" : "-" + std::to_string(number))); };
    fs::path target = named();
    std::error_code ec;
    // A folder that can't be looked into ends the search; the rename below then reports it.
    while (fs::exists(target, ec) && !ec) {
        ++number;
        target = named();
    }
    // Each copy says something the others don't: an older one with the same bytes goes, so
    // that a version put in place again and again is kept once, as the newest.
    for (const auto& copy : copies)
        if (sameContents(source, copy)) fs::remove(copy, ec);
    fs::rename(source, target, ec);
    if (ec) {
        errno = ec.value();
        return {};
    }
    // Versions put in place without end (another program in a loop) keep a few, the newest.
    size_t kept = 1;
    for (const auto& copy : copiesOf(folder, prefix)) {
        if (copy == target) continue;
        if (kept < kKeptAsideCopies)
            ++kept;
        else
            fs::remove(copy, ec);
    }
    return target;
}

}  // namespace

std::optional<FileStamp> fileStamp(const fs::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return stampOf(st);
}

bool writeFileAtomically(const fs::path& path, std::string_view contents, std::string* error) {
    const auto temp = writeTemporary(path, contents, error);
    if (!temp) return false;
    const bool renamed = ::rename(temp->path.c_str(), path.c_str()) == 0;
    if (!renamed) {
        fail(error, "cannot replace " + path.string());
        ::unlink(temp->path.c_str());
    }
    ::close(temp->fd);
    return renamed;
}

std::optional<KeptReplace> writeFileKeepingOthers(const fs::path& path, std::string_view contents,
                                                  const std::optional<FileStamp>& expected, const std::string& why,
                                                  std::string* error, const std::function<void()>& beforeReplace) {
    const auto temp = writeTemporary(path, contents, error);
    if (!temp) return std::nullopt;
    if (beforeReplace) beforeReplace();
    const char* from = temp->path.c_str();
    KeptReplace out{temp->stamp, {}};
    const auto finish = [&](bool ok, const std::string& what = {}) -> std::optional<KeptReplace> {
        if (!ok) {
            fail(error, what);
            ::unlink(from);
        }
        ::close(temp->fd);
        if (!ok) return std::nullopt;
        return out;
    };

    // Another program may put a file in place at any moment: ours goes in by exchanging the two
    // names, so what it replaced is in our hands afterwards, never destroyed unseen.
    for (int attempt = 0; attempt < 8; ++attempt) {
        if (::renameat2(AT_FDCWD, from, AT_FDCWD, path.c_str(), RENAME_EXCHANGE) == 0) {
            // Looked at as fileStamp() looks (through a link, such as a dotfile manager makes).
            struct stat old {};
            const bool looked = ::stat(from, &old) == 0;
            if (looked && expected && stampOf(old) == *expected) {
                ::unlink(from);  // our own last version
                return finish(true);
            }
            out.keptAside = keepAsideAs(from, path, why);
            if (!out.keptAside.empty()) return finish(true);
            // It can't be kept: it goes back, and ours waits for the next save.
            const int number = errno;
            if (::renameat2(AT_FDCWD, from, AT_FDCWD, path.c_str(), RENAME_EXCHANGE) != 0) {
                ::close(temp->fd);
                fail(error, "cannot keep another program's version of " + path.string() + " aside; it is at " +
                                temp->path, number);
                return std::nullopt;
            }
            return finish(false, "cannot keep another program's version of " + path.string() + " aside");
        }
        if (errno == ENOENT) {  // nothing at the path yet (or our temporary went)
            if (::renameat2(AT_FDCWD, from, AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0) return finish(true);
            if (errno == EEXIST) continue;  // one arrived meanwhile: exchange with it
        }
        if (!unsupported(errno)) return finish(false, "cannot replace " + path.string());
        break;  // a file system without an exchange
    }

    const auto onDisk = fileStamp(path);
    if (onDisk && onDisk != expected) {
        out.keptAside = keepAsideAs(path, path, why);
        if (out.keptAside.empty()) return finish(false, "cannot keep another program's version of " + path.string() + " aside");
    }
    if (::rename(from, path.c_str()) != 0) return finish(false, "cannot replace " + path.string());
    return finish(true);
}

size_t removeStaleTemporaries(const fs::path& path) {
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    const std::string prefix = temporaryPrefix(path);
    size_t removed = 0;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path file = it->path();
        if (!isTemporaryName(file.filename().string(), prefix)) continue;
        const int fd = ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
        if (fd < 0) continue;
        // A write in progress holds its lock until its file has taken the real one's place.
        struct stat opened {}, named {};
        if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            ::lstat(file.c_str(), &named) == 0 && sameFile(opened, named) && ::unlink(file.c_str()) == 0)
            ++removed;
        ::close(fd);
    }
    return removed;
}

fs::path keepAside(const fs::path& path, const std::string& why) { return keepAsideAs(path, path, why); }

}  // namespace tessane
