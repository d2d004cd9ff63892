#include "base/FileRead.h"

#include "base/Utf8.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <new>
#include <optional>
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

// Judges a text as it comes in, piece by piece: from the first bytes that are not text (a NUL
// byte, a byte outside UTF-8, a first character outside `opening`) it has the reason.
class TextJudge {
public:
    explicit TextJudge(std::string_view opening) : opening_(opening) {}

    // Looks at what was added to `text` since the last call; `atEnd`: nothing more will come.
    std::optional<std::string> judge(std::string_view text, bool atEnd) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
        const auto* end = bytes + text.size();
        if (checked_ == 0 && text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF") checked_ = 3;
        while (checked_ < text.size()) {
            // Eight bytes at a time while they are ASCII without a NUL (nearly all of a text).
            if (opened_) checked_ = asciiRunEnd(bytes, checked_, text.size());
            if (checked_ == text.size()) break;
            const unsigned char c = bytes[checked_];
            if (c == 0) return "a NUL byte at byte " + std::to_string(checked_);
            if (!opened_ && c != ' ' && c != '\t' && c != '\n' && c != '\r') {
                if (!opening_.empty() && opening_.find(static_cast<char>(c)) == std::string_view::npos)
                    return "its first character (byte " + std::to_string(checked_) + ") is not one of \u201C" +
                           std::string(opening_) + "\u201D";
                opened_ = true;
            }
            if (c < 0x80) {
                ++checked_;
                continue;
            }
            const size_t n = utf8SequenceLength(bytes + checked_, end);
            if (n == 0) {
                // A sequence cut by the end of what was read so far is judged with what follows.
                if (!atEnd && text.size() - checked_ < 4) break;
                return "no UTF-8 at byte " + std::to_string(checked_);
            }
            checked_ += n;
        }
        return std::nullopt;
    }

private:
    static size_t asciiRunEnd(const unsigned char* bytes, size_t from, size_t size) {
        constexpr uint64_t kOnes = 0x0101010101010101ULL, kHighs = 0x8080808080808080ULL;
        while (size - from >= 8) {
            uint64_t w;
            std::memcpy(&w, bytes + from, 8);
            if ((w & kHighs) != 0 || ((w - kOnes) & ~w & kHighs) != 0) break;
            from += 8;
        }
        return from;
    }

    std::string_view opening_;
    size_t checked_ = 0;
    bool opened_ = false;
};

}  // namespace

// Reads and judges; friends with FileRead to fill it in.
struct FileReader {
    static FileRead read(const std::filesystem::path& path, size_t limit, TextJudge* judge) {
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
        size_t capacity = 0;
        // One byte past the limit is enough to know that the file is over it.
        const size_t stop = limit < SIZE_MAX ? limit + 1 : limit;
        // Memory for at least `want` bytes, never past the stop.
        const auto reserve = [&](size_t want) {
            want = std::min(want, stop);
            if (want <= capacity) return;
            char* grown = static_cast<char*>(std::realloc(r.copied_.get(), want));
            if (!grown) throw std::bad_alloc();
            (void)r.copied_.release();
            r.copied_.reset(grown);
            capacity = want;
        };
        // Room for the reported size and one byte more, so that a file as large as it says ends
        // with a read of nothing rather than a reallocation. A text being judged is read in
        // pieces and given that room once its first piece is judged text.
        if (!judge) reserve(reported + 1);
        size_t piece = kFirstTextPiece;
        size_t& size = r.size_;
        while (size < stop) {
            // Use the room already reserved; past it grow in steps, never beyond the stop.
            const size_t need = size + (judge ? piece : 1);
            if (need > capacity) reserve(std::max({need, 2 * capacity, size_t{64} << 10}));
            const size_t room = std::min(capacity - size, judge ? piece : capacity - size);
            ssize_t n;
            do {
                n = ::read(file.fd, r.copied_.get() + size, room);
            } while (n < 0 && errno == EINTR);
            if (n > 0) size += static_cast<size_t>(n);
            r.bytesRead_ = size;
            if (n < 0) return failed(r, Status::failed, std::strerror(errno));
            if (judge) {
                if (auto why = judge->judge(r.contents(), n == 0)) return failed(r, Status::notText, "not text: " + *why);
                if (piece == kFirstTextPiece) reserve(std::min<unsigned long long>(reported, stop) + 1);
                piece = kTextPiece;
            }
            if (n == 0) break;
        }
        if (size > limit) return failed(r, Status::tooLarge, overLimit(limit));
        return r;
    }

private:
    // A text is read a small piece first, then in larger ones, each judged before the next.
    static constexpr size_t kFirstTextPiece = 64 * 1024;
    static constexpr size_t kTextPiece = 4 << 20;

    static FileRead failed(const FileRead& read, FileRead::Status status, std::string why) {
        FileRead out(status, std::move(why));
        out.bytesRead_ = read.bytesRead_;
        return out;
    }
};

FileRead readRegularFile(const std::filesystem::path& path, size_t limit) {
    return FileReader::read(path, limit, nullptr);
}

FileRead readRegularTextFile(const std::filesystem::path& path, size_t limit, std::string_view opening) {
    TextJudge judge(opening);
    return FileReader::read(path, limit, &judge);
}

std::string_view withoutByteOrderMark(std::string_view text) {
    constexpr std::string_view kMark = "\xEF\xBB\xBF";
    if (text.substr(0, kMark.size()) == kMark) text.remove_prefix(kMark.size());
    return text;
}

}  // namespace tessane
