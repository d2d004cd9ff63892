#include "platform/sim/SimApplications.h"

#include "platform/sim/SimPng.h"

#include <limits>

namespace tessane::sim {
namespace fs = std::filesystem;

namespace {

// "/Applications/Notes.app/" and "/Applications/Notes.app" are one file.
std::string key(const fs::path& path) {
    std::string s = path.lexically_normal().string();
    while (s.size() > 1 && s.back() == '/') s.pop_back();
    return s;
}

constexpr std::string_view kBookmarkTag = "sim-bookmark\n";

}  // namespace

const SimApplications::File* SimApplications::find(const fs::path& path) const {
    auto it = files_.find(key(path));
    return it == files_.end() ? nullptr : &it->second;
}

void SimApplications::installApp(const fs::path& path, Bundle bundle) {
    File& f = files_[key(path)];
    pathOfFileId_.erase(f.fileId);
    f.fileId = nextFileId_++;
    pathOfFileId_[f.fileId] = key(path);
    f.order = f.fileId;
    f.bundle = std::move(bundle);
}

void SimApplications::addFile(const fs::path& path) {
    File& f = files_[key(path)];
    pathOfFileId_.erase(f.fileId);
    f.fileId = nextFileId_++;
    pathOfFileId_[f.fileId] = key(path);
    f.order = f.fileId;
    f.bundle.reset();
}

bool SimApplications::moveFile(const fs::path& from, const fs::path& to) {
    auto it = files_.find(key(from));
    if (it == files_.end() || files_.count(key(to))) return false;
    File f = std::move(it->second);
    files_.erase(it);
    pathOfFileId_[f.fileId] = key(to);
    files_[key(to)] = std::move(f);
    return true;
}

void SimApplications::removeFile(const fs::path& path) {
    auto it = files_.find(key(path));
    if (it == files_.end()) return;
    pathOfFileId_.erase(it->second.fileId);
    files_.erase(it);
}

void SimApplications::setBundleIdentifier(const fs::path& path, const std::string& bundleIdentifier) {
    auto it = files_.find(key(path));
    if (it != files_.end() && it->second.bundle) it->second.bundle->bundleIdentifier = bundleIdentifier;
}

void SimApplications::setIconRenders(const fs::path& path, bool renders) {
    auto it = files_.find(key(path));
    if (it != files_.end() && it->second.bundle) it->second.bundle->iconRenders = renders;
}

void SimApplications::setSystemApplication(const std::string& bundleIdentifier, std::optional<fs::path> path) {
    systemChoice_[bundleIdentifier] = std::move(path);
}

std::optional<AppCatalog::BundleInfo> SimApplications::bundleAt(const fs::path& path) const {
    ++bundleReads_;
    const File* f = find(path);
    if (!f || !f->bundle) return std::nullopt;
    return BundleInfo{f->bundle->bundleIdentifier, f->bundle->displayName, f->bundle->bundleName};
}

bool SimApplications::fileExists(const fs::path& path) const { return find(path) != nullptr; }

std::optional<fs::path> SimApplications::urlForApplication(const std::string& bundleIdentifier) const {
    if (auto it = systemChoice_.find(bundleIdentifier); it != systemChoice_.end()) return it->second;
    const std::pair<const std::string, File>* best = nullptr;
    for (const auto& entry : files_) {
        if (!entry.second.bundle || entry.second.bundle->bundleIdentifier != bundleIdentifier) continue;
        if (!best || entry.second.order < best->second.order) best = &entry;
    }
    if (!best) return std::nullopt;
    return fs::path(best->first);
}

std::optional<Bytes> SimApplications::makeBookmark(const fs::path& path) const {
    if (bookmarksFail_) return std::nullopt;
    const File* f = find(path);
    if (!f) return std::nullopt;
    const std::string text = std::string(kBookmarkTag) + std::to_string(f->fileId) + "\n" + key(path);
    return Bytes(text.begin(), text.end());
}

std::optional<fs::path> SimApplications::resolveBookmark(const Bytes& bookmark) const {
    const std::string text(bookmark.begin(), bookmark.end());
    if (text.rfind(kBookmarkTag, 0) != 0) return std::nullopt;
    const size_t idEnd = text.find('\n', kBookmarkTag.size());
    if (idEnd == std::string::npos) return std::nullopt;
    uint64_t fileId = 0;
    try {
        fileId = std::stoull(text.substr(kBookmarkTag.size(), idEnd - kBookmarkTag.size()));
    } catch (...) {
        return std::nullopt;
    }
    // The file itself, wherever it went; failing that, whatever now stands at the old path.
    if (auto it = pathOfFileId_.find(fileId); it != pathOfFileId_.end()) return fs::path(it->second);
    return fs::path(text.substr(idEnd + 1));
}

std::optional<Bytes> SimApplications::iconPNG(const fs::path& path, int side) const {
    const File* f = find(path);
    if (!f) return std::nullopt;
    if (f->bundle && !f->bundle->iconRenders) return std::nullopt;
    ++iconRenders_;
    // Files that are not applications get a grey generic icon, as a real desktop gives them.
    return solidPng(side, f->bundle ? f->bundle->iconColor : 0x999999FF);
}

}  // namespace tessane::sim
