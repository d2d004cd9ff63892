#pragma once

#include <cstddef>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

namespace tessane {

// The most we read of each kind of file that comes from outside. Real files stay far below; the
// limits exist so that a file that is not what its name says (a sparse 4 GB file, a link to
// /dev/zero, a text that grows while we read it) costs a log line instead of the memory.
namespace file_limits {
// A desktop entry with every translation of its name and comment is some tens of kilobytes.
inline constexpr size_t kDesktopEntry = size_t{1} << 20;
// Our own preferences: a few dozen short values.
inline constexpr size_t kPreferences = size_t{1} << 20;
// The workspace list stores a 128 px PNG icon per app as Base64 (5 to 30 KB each): a thousand
// workspaces of four apps, far beyond real use, are about 110 MB.
inline constexpr size_t kWorkspaceList = size_t{512} << 20;
// Small text files of other programs: a toolkit's settings.ini, a theme's index, /proc entries.
inline constexpr size_t kSmallText = size_t{1} << 20;
// An icon image (PNG, SVG, XPM) handed to the renderer.
inline constexpr size_t kIconImage = size_t{16} << 20;
}  // namespace file_limits

// The outcome of reading a file: its bytes, or why there are none. The bytes are always a copy of
// our own, never a mapping of the file: any other program may truncate or rewrite a file in place
// while we read it (`cat copy > file`, an editor that saves in place), and a mapping would then
// fault the reader with SIGBUS instead of giving it a short or mixed text that the parser refuses.
class FileRead {
public:
    enum class Status {
        ok,
        missing,     // nothing at the path (or a folder on the way is missing)
        notRegular,  // a folder, FIFO, socket or device
        tooLarge,    // more than the limit (by its size or by what reading it gave)
        notText,     // not the text asked for (readRegularTextFile): refused from the first bytes that show it
        failed,      // any other error of opening or reading
    };
    FileRead() = default;
    FileRead(Status status, std::string error) : status(status), error(std::move(error)) {}

    Status status = Status::failed;
    std::string error;  // why, in words fit for a log line ("not a regular file", ...)

    explicit operator bool() const { return status == Status::ok; }
    // The bytes (empty unless ok); valid while this object lives.
    std::string_view contents() const { return {copied_.get(), size_}; }
    // How many bytes were read from the file, whatever the outcome.
    size_t bytesRead() const { return bytesRead_; }

private:
    friend struct FileReader;

    struct Free {
        void operator()(char* bytes) const { std::free(bytes); }
    };
    // Grown with realloc, which moves a large block's pages instead of copying them: a file
    // read up to the limit never costs twice the limit on the way.
    std::unique_ptr<char, Free> copied_;
    size_t size_ = 0;
    size_t bytesRead_ = 0;
};

// Reads a whole regular file of at most `limit` bytes without ever blocking on what the path
// names: it opens without waiting (a FIFO with no writer opens at once), checks on the open
// descriptor that it is a regular file (so a swap between a check and the open can't fool it),
// takes memory for the size the file reports, and then reads until the end of the data, since
// files such as /proc entries report no size at all and a file may grow while it is read; the
// limit holds while reading, for what is read and for the memory it takes.
FileRead readRegularFile(const std::filesystem::path& path, size_t limit);

// The same for a text file, judged as it is read: UTF-8 throughout, without a NUL byte, and its
// first character past a byte-order mark and white space one of `opening` (when not empty). A
// file that is not (a sparse file of zeros, a picture saved under the name) is refused with
// Status::notText by the first bytes that show it, without reading the rest.
FileRead readRegularTextFile(const std::filesystem::path& path, size_t limit, std::string_view opening);

// A UTF-8 byte-order mark at the start of a text file (some editors write one) says nothing
// in UTF-8: the text without it.
std::string_view withoutByteOrderMark(std::string_view text);

}  // namespace tessane
