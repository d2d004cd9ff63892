#include "model/WorkspaceStore.h"

#include "base/AtomicFile.h"
#include "model/Log.h"
#include "model/WorkspaceCoding.h"
#include "platform/Environment.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace tessane {
namespace fs = std::filesystem;

namespace {

// The file's bytes, mapped rather than copied: the list can hold thousands of Base64 icons, and
// a copy into fresh memory costs more than decoding it. The file is only ever replaced by a
// rename, so the mapped (old) file stays whole while we read it.
class FileContents {
public:
    explicit FileContents(const fs::path& path) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            error_ = std::strerror(errno);
            return;
        }
        struct stat st {};
        if (::fstat(fd, &st) != 0) {
            error_ = std::strerror(errno);
            ::close(fd);
            return;
        }
        if (!S_ISREG(st.st_mode)) {
            error_ = "not a regular file";
            ::close(fd);
            return;
        }
        size_ = static_cast<size_t>(st.st_size);
        if (size_ > 0) {
            void* p = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
            if (p == MAP_FAILED) {
                error_ = std::strerror(errno);
                size_ = 0;
            } else {
                data_ = static_cast<const char*>(p);
            }
        }
        ::close(fd);
        ok_ = error_.empty();
    }
    ~FileContents() {
        if (data_) ::munmap(const_cast<char*>(data_), size_);
    }
    FileContents(const FileContents&) = delete;
    FileContents& operator=(const FileContents&) = delete;

    bool ok() const { return ok_; }
    const std::string& error() const { return error_; }
    std::string_view text() const { return data_ ? std::string_view(data_, size_) : std::string_view(); }

private:
    const char* data_ = nullptr;
    size_t size_ = 0;
    bool ok_ = false;
    std::string error_;
};

}  // namespace

WorkspaceStore::WorkspaceStore(fs::path directory)
    : directory_(std::move(directory)), file_(directory_ / kFileName) {}

WorkspaceStore WorkspaceStore::inDataFolder(const Environment& environment) {
    return WorkspaceStore(environment.dataFolder());
}

void WorkspaceStore::save(const std::vector<Workspace>& workspaces) const {
    std::error_code ec;
    fs::create_directories(directory_, ec);
    if (ec) {
        Log::line("[Tessane] Failed to save workspaces: " + ec.message() + " (" + directory_.string() + ")");
        return;
    }
    encodeWorkspaces(workspaces, buffer_);
    std::string error;
    if (!writeFileAtomically(file_, buffer_, &error)) Log::line("[Tessane] Failed to save workspaces: " + error);
    // Keep the memory for the next save unless the list was unusually large.
    if (buffer_.capacity() > kKeptBufferBytes) std::string().swap(buffer_);
}

std::vector<Workspace> WorkspaceStore::load() const {
    std::error_code ec;
    // Only a file that is really not there reads as an empty list; a failed lookup is a file we
    // could not read, and is reported as such below.
    if (!fs::exists(file_, ec) && !ec) return {};

    std::string error;
    {
        const FileContents contents(file_);
        if (!contents.ok()) {
            error = "the file could not be read: " + contents.error();
        } else {
            try {
                return decodeWorkspaces(contents.text());
            } catch (const DecodeFailure& failure) {
                error = failure.what();
            }
        }
    }
    Log::line("[Tessane] Failed to load workspaces (" + error + "); starting empty.");
    const fs::path aside = keepAside(file_);
    if (aside.empty())
        Log::line("[Tessane] Could not move the unreadable workspace file aside; it stays at " + file_.string() +
                  " until the next save replaces it.");
    else
        Log::line("[Tessane] Kept the unreadable workspace file as " + aside.string() + ".");
    return {};
}

}  // namespace tessane
