#include "platform/linux/desktop/WindowDocuments.h"

#include "base/FileRead.h"
#include "platform/linux/desktop/DocumentMatch.h"
#include "platform/linux/processes/URLOpener.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <sstream>

namespace tessane::linux_backend {
namespace fs = std::filesystem;
using linux_desktop::DocumentCandidate;
using linux_desktop::RecentFile;

namespace {

std::string mib(size_t bytes) { return std::to_string(bytes >> 20) + " MiB"; }

// Descriptors that name no document: devices, kernel views, sockets and files already deleted.
bool mayBeDocument(const std::string& target) {
    return target.starts_with("/") && !target.starts_with("/dev/") && !target.starts_with("/proc/") &&
           !target.starts_with("/sys/") && !target.ends_with(" (deleted)");
}

}  // namespace

void WindowDocuments::configure(Places places, EntryOf entryOf, LogSink log) {
    places_ = std::move(places);
    entryOf_ = std::move(entryOf);
    log_ = std::move(log);
    configured_ = true;
    xbel_ = {};
    kde_ = {};
}

void WindowDocuments::log(const std::string& line) const {
    if (log_) log_(line);
}

WindowDocuments::Stamp WindowDocuments::stampOf(const fs::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    return {true, int64_t{st.st_mtim.tv_sec} * 1'000'000'000 + st.st_mtim.tv_nsec, static_cast<uintmax_t>(st.st_size),
            static_cast<uintmax_t>(st.st_ino)};
}

void WindowDocuments::CachedList::index() {
    for (size_t i = 0; i < files.size(); ++i) {
        const std::string_view path = files[i].path;
        names.add(path.substr(path.rfind('/') + 1), i);
    }
}

const WindowDocuments::CachedList& WindowDocuments::recentlyUsed() {
    const fs::path path = places_.dataHome / "recently-used.xbel";
    const Stamp stamp = stampOf(path);
    if (xbel_.stamp == stamp) return xbel_;
    xbel_ = {stamp, {}, {}};
    if (!stamp.exists) return xbel_;
    const auto read = readRegularFile(path, kRecentListLimit);
    if (read.status == FileRead::Status::tooLarge) {
        log("[Tessane] " + path.string() + " is over " + mib(kRecentListLimit) +
            ": its recent files are not used to tell windows' documents.");
    } else if (!read) {
        log("[Tessane] " + path.string() + " cannot be read: " + read.error + ".");
    } else {
        auto list = linux_desktop::parseRecentlyUsed(read.contents());
        if (list.error)
            log("[Tessane] " + path.string() + " is malformed (" + *list.error + "): " +
                std::to_string(list.files.size()) + " files before that are used.");
        xbel_.files = std::move(list.files);
        xbel_.index();
    }
    return xbel_;
}

const WindowDocuments::CachedList& WindowDocuments::kdeRecent() {
    const fs::path folder = places_.dataHome / "RecentDocuments";
    const Stamp stamp = stampOf(folder);
    if (kde_.stamp == stamp) return kde_;
    kde_ = {stamp, {}, {}};
    if (!stamp.exists) return kde_;
    // The newest entries; the folder is read in full only for their times.
    std::vector<std::pair<int64_t, fs::path>> entries;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->path().extension() != ".desktop") continue;
        const Stamp s = stampOf(it->path());
        if (s.exists) entries.emplace_back(s.modified, it->path());
    }
    const size_t keep = std::min(entries.size(), kMaxKdeEntries);
    std::partial_sort(entries.begin(), entries.begin() + static_cast<std::ptrdiff_t>(keep), entries.end(),
                      [](const auto& a, const auto& b) { return a.first > b.first; });
    for (size_t i = 0; i < keep; ++i) {
        const auto read = readRegularFile(entries[i].second, kKdeEntryLimit);
        if (!read) continue;
        if (auto file = linux_desktop::parseKdeRecentDocument(read.contents(), static_cast<double>(entries[i].first) / 1e9,
                                                              places_.home.string()))
            kde_.files.push_back(std::move(*file));
    }
    kde_.index();
    return kde_;
}

// When the process started, in seconds since the epoch: its start in clock ticks after boot
// (/proc/<pid>/stat, field 22) plus the boot time (/proc/stat).
std::optional<double> WindowDocuments::processStart(Pid pid) {
    if (!bootTime_) {
        const auto stat = readRegularFile(places_.proc / "stat", file_limits::kSmallText);
        std::istringstream lines{std::string(stat.contents())};
        for (std::string line; std::getline(lines, line);)
            if (line.starts_with("btime ")) bootTime_ = std::strtod(line.c_str() + 6, nullptr);
        if (!bootTime_) return std::nullopt;
    }
    const auto stat = readRegularFile(places_.proc / std::to_string(pid) / "stat", file_limits::kSmallText);
    const std::string_view text = stat.contents();
    const auto paren = text.rfind(')');  // the command name before it may hold anything
    if (paren == std::string_view::npos) return std::nullopt;
    std::istringstream fields{std::string(text.substr(paren + 1))};
    std::string field;
    for (int i = 3; i <= 22 && fields >> field; ++i)
        if (i == 22) return *bootTime_ + std::strtod(field.c_str(), nullptr) / static_cast<double>(::sysconf(_SC_CLK_TCK));
    return std::nullopt;
}

std::optional<std::string> WindowDocuments::documentURL(XWindowId window, Pid pid, const std::string& title) {
    if (!configured_ || title.empty() || pid <= 0) return std::nullopt;
    const fs::path process = places_.proc / std::to_string(pid);
    std::vector<DocumentCandidate> candidates;

    const auto entryPath = entryOf_ ? entryOf_(window, pid) : std::nullopt;
    const auto entry = entryPath ? linux_desktop::DesktopEntry::read(*entryPath) : std::nullopt;
    if (entry) {
        const auto cmdline = readRegularFile(process / "cmdline", file_limits::kSmallText);
        std::vector<std::string> argv;
        for (size_t start = 0, end; start < cmdline.contents().size(); start = end + 1) {
            end = cmdline.contents().find('\0', start);
            if (end == std::string_view::npos) end = cmdline.contents().size();
            argv.emplace_back(cmdline.contents().substr(start, end - start));
        }
        std::error_code ec;
        const fs::path cwd = fs::read_symlink(process / "cwd", ec);
        const linux_desktop::ExecLine::Context context{entry->value("Icon").value_or(""),
                                                       entry->value("Name").value_or(""), entryPath->string()};
        const double started = processStart(pid).value_or(0);
        for (auto& path : linux_desktop::commandLineDocuments(argv, entry->value("Exec").value_or(""), context, cwd))
            candidates.push_back({std::move(path), started});

        const auto names = linux_desktop::applicationNames(entryPath->stem().string(), *entry);
        // The title first: it is the cheap test, and few files pass it.
        for (const auto* list : {&recentlyUsed(), &kdeRecent()})
            for (size_t i : list->names.named(title)) {
                const RecentFile& file = list->files[i];
                for (const auto& use : file.uses)
                    if (linux_desktop::usedBy(use, names)) candidates.push_back({file.path, use.time});
            }
    }

    std::error_code ec;
    size_t seen = 0;
    for (fs::directory_iterator it(process / "fd", ec), end; !ec && it != end && seen < kMaxDescriptors;
         it.increment(ec), ++seen) {
        std::error_code linkError;
        const std::string target = fs::read_symlink(it->path(), linkError).string();
        if (!linkError && mayBeDocument(target)) candidates.push_back({target, DocumentCandidate::kHeldOpen});
    }

    const auto path = linux_desktop::pickDocument(title, candidates, [](const std::string& p) {
        std::error_code e;
        return fs::is_regular_file(p, e);
    });
    if (!path) return std::nullopt;
    return URLOpener::fileURL(*path);
}

}  // namespace tessane::linux_backend
