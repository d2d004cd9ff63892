#include "platform/linux/apps/LinuxAppCatalog.h"

#include "base/FileRead.h"
#include "platform/Environment.h"
#include "platform/linux/desktop/DesktopAppIndex.h"
#include "platform/linux/desktop/DesktopBookmark.h"
#include "platform/linux/desktop/DesktopEntry.h"
#include "platform/linux/apps/PickableApps.h"
#include "platform/linux/processes/ProcessLauncher.h"

#include <algorithm>
#include <set>
#include <string_view>
#include <sstream>
#include <sys/stat.h>

namespace tessane {
namespace fs = std::filesystem;
using linux_desktop::DesktopEntry;

namespace {

std::vector<fs::path> splitPaths(const std::string& list) {
    std::vector<fs::path> out;
    std::string item;
    std::istringstream in(list);
    while (std::getline(in, item, ':'))
        if (!item.empty() && fs::path(item).is_absolute()) out.emplace_back(item);
    return out;
}

bool isRegularFile(const fs::path& p) {
    std::error_code ec;
    return fs::is_regular_file(p, ec);
}

bool identity(const fs::path& p, unsigned long long& device, unsigned long long& inode) {
    struct stat st {};
    if (::stat(p.c_str(), &st) != 0) return false;
    device = static_cast<unsigned long long>(st.st_dev);
    inode = static_cast<unsigned long long>(st.st_ino);
    return true;
}

// GTK's icon theme setting ("gtk-icon-theme-name = Adwaita"), the best hint of the user's theme
// that needs no toolkit.
std::string gtkIconTheme(const fs::path& configHome) {
    for (const char* file : {"gtk-4.0/settings.ini", "gtk-3.0/settings.ini"}) {
        const FileRead settings = readRegularFile(configHome / file, file_limits::kSmallText);
        std::istringstream in{std::string(settings.contents())};
        std::string line;
        while (std::getline(in, line)) {
            const size_t eq = line.find('=');
            if (eq == std::string::npos) continue;
            std::string key = line.substr(0, eq), value = line.substr(eq + 1);
            auto trim = [](std::string& s) {
                while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.erase(0, 1);
                while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.pop_back();
            };
            trim(key);
            trim(value);
            if (key == "gtk-icon-theme-name" && !value.empty()) return value;
        }
    }
    return {};
}

}  // namespace

LinuxAppCatalog::Folders LinuxAppCatalog::foldersFor(const Environment& environment) {
    Folders f;
    f.home = environment.homeFolder();
    const auto dataHome = environment.variable("XDG_DATA_HOME");
    f.dataHome = dataHome && fs::path(*dataHome).is_absolute() ? fs::path(*dataHome) : f.home / ".local/share";
    const auto dataDirs = environment.variable("XDG_DATA_DIRS");
    f.dataDirs = dataDirs ? splitPaths(*dataDirs) : std::vector<fs::path>{};
    if (f.dataDirs.empty()) f.dataDirs = {"/usr/local/share", "/usr/share"};
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        if (auto v = environment.variable(name); v && !v->empty()) {
            f.locale = *v;
            break;
        }
    }
    if (auto desktops = environment.variable("XDG_CURRENT_DESKTOP")) {
        std::istringstream in(*desktops);
        std::string d;
        while (std::getline(in, d, ':'))
            if (!d.empty()) f.currentDesktops.push_back(d);
    }
    const auto configHome = environment.variable("XDG_CONFIG_HOME");
    f.iconTheme = gtkIconTheme(configHome && fs::path(*configHome).is_absolute() ? fs::path(*configHome)
                                                                                  : f.home / ".config");
    return f;
}

LinuxAppCatalog::LinuxAppCatalog(Folders folders, IconRenderer renderer, LogSink log)
    : folders_(std::move(folders)), renderer_(std::move(renderer)), log_(std::move(log)), icons_([&] {
          std::vector<fs::path> iconFolders = {folders_.home / ".icons", folders_.dataHome / "icons"};
          for (const auto& d : folders_.dataDirs) iconFolders.push_back(d / "icons");
          return iconFolders;
      }(),
                                                                          [&] {
                                                                              std::vector<fs::path> pixmaps;
                                                                              for (const auto& d : folders_.dataDirs)
                                                                                  pixmaps.push_back(d / "pixmaps");
                                                                              return pixmaps;
                                                                          }(),
                                                                          folders_.iconTheme) {}

std::optional<DesktopEntry> LinuxAppCatalog::readEntry(const fs::path& path) const {
    std::string why;
    auto entry = DesktopEntry::read(path, &why);
    // Once per file: the folders are read again at every scan.
    if (!entry && !why.empty() && log_ && reportedEntries_.insert(path.string()).second)
        log_("[Tessane] Ignoring the desktop entry " + path.string() + ": " + why + ".");
    return entry;
}

std::vector<fs::path> LinuxAppCatalog::applicationFolders() const {
    std::vector<fs::path> out = {folders_.dataHome / "applications"};
    for (const auto& d : folders_.dataDirs) out.push_back(d / "applications");
    return out;
}

std::string LinuxAppCatalog::desktopFileId(const fs::path& path) const {
    const fs::path normal = path.lexically_normal();
    for (const auto& folder : applicationFolders()) {
        const fs::path relative = normal.lexically_relative(folder.lexically_normal());
        if (relative.empty() || *relative.begin() == "..") continue;
        std::string id = relative.string();
        std::replace(id.begin(), id.end(), '/', '-');
        if (id.size() > 8 && id.compare(id.size() - 8, 8, ".desktop") == 0) id.resize(id.size() - 8);
        return id;
    }
    return normal.stem().string();
}

template <typename F>
std::optional<fs::path> LinuxAppCatalog::findEntry(F&& matches) const {
    for (const auto& folder : applicationFolders()) {
        std::error_code ec;
        if (!fs::is_directory(folder, ec)) continue;
        for (fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end;
             !ec && it != end; it.increment(ec)) {
            if (it->path().extension() != ".desktop" || !isRegularFile(it->path())) continue;
            if (matches(it->path())) return it->path();
        }
    }
    return std::nullopt;
}

std::optional<AppCatalog::BundleInfo> LinuxAppCatalog::bundleAt(const fs::path& path) const {
    if (path.extension() != ".desktop" || !isRegularFile(path)) return std::nullopt;
    const auto entry = readEntry(path);
    if (!entry || !entry->isApplication()) return std::nullopt;
    BundleInfo info;
    info.bundleIdentifier = desktopFileId(path);
    info.displayName = entry->localized("Name", folders_.locale);
    info.bundleName = entry->value("Name");
    return info;
}

bool LinuxAppCatalog::fileExists(const fs::path& path) const {
    std::error_code ec;
    return fs::exists(path, ec);
}

std::optional<fs::path> LinuxAppCatalog::urlForApplication(const std::string& identifier) const {
    // Users and tools name an application by its desktop file's name as often as by its id
    // ("debian-xterm.desktop" for "debian-xterm"): both find it.
    constexpr std::string_view suffix = ".desktop";
    std::string bundleIdentifier = identifier;
    if (bundleIdentifier.size() >= suffix.size() &&
        bundleIdentifier.compare(bundleIdentifier.size() - suffix.size(), suffix.size(), suffix) == 0)
        bundleIdentifier.resize(bundleIdentifier.size() - suffix.size());
    if (bundleIdentifier.empty()) return std::nullopt;
    // The first folder that has the id decides, even when its entry is hidden (that is how a
    // user's folder deletes a system entry).
    for (const auto& folder : applicationFolders()) {
        fs::path direct = folder / (bundleIdentifier + ".desktop");
        std::optional<fs::path> found;
        if (isRegularFile(direct)) {
            found = direct;
        } else {
            std::error_code ec;
            if (!fs::is_directory(folder, ec)) continue;
            for (fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end;
                 !ec && it != end; it.increment(ec)) {
                if (it->path().extension() == ".desktop" && desktopFileId(it->path()) == bundleIdentifier) {
                    found = it->path();
                    break;
                }
            }
        }
        if (!found) continue;
        const auto entry = readEntry(*found);
        if (!entry || !entry->isApplication()) return std::nullopt;
        return found;
    }
    return std::nullopt;
}

std::vector<std::pair<std::string, fs::path>> LinuxAppCatalog::applicationEntries() const {
    std::vector<std::pair<std::string, fs::path>> out;
    std::set<std::string> seen;
    for (const auto& folder : applicationFolders()) {
        std::error_code ec;
        if (!fs::is_directory(folder, ec)) continue;
        std::vector<fs::path> files;
        for (fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end;
             !ec && it != end; it.increment(ec)) {
            if (it->path().extension() == ".desktop" && isRegularFile(it->path())) files.push_back(it->path());
        }
        std::sort(files.begin(), files.end());
        for (const auto& file : files) {
            std::string id = desktopFileId(file);
            if (!seen.insert(id).second) continue;  // a more important folder has this id
            const auto entry = readEntry(file);
            if (entry && entry->isApplication()) out.emplace_back(std::move(id), file);
        }
    }
    return out;
}

std::vector<fs::path> LinuxAppCatalog::choosableApplications() const {
    const std::string searchPath = linux_backend::ProcessLauncher::searchPath();
    std::vector<linux_desktop::PickableApp> apps;
    for (const auto& [id, path] : applicationEntries()) {
        const auto entry = readEntry(path);
        if (!entry) continue;
        auto programs = linux_desktop::DesktopAppIndex::describe(id, path, *entry, folders_.locale, searchPath).programs;
        apps.push_back(linux_desktop::PickableApp::describe(id, path, *entry, std::move(programs)));
    }
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    const fs::path ownProgram = ec ? fs::path() : fs::weakly_canonical(self, ec);
    return linux_desktop::PickableApp::choosable(apps, folders_.currentDesktops, ec ? fs::path() : ownProgram);
}

std::optional<Bytes> LinuxAppCatalog::makeBookmark(const fs::path& path) const {
    unsigned long long device = 0, inode = 0;
    if (!path.is_absolute() || !identity(path, device, inode)) return std::nullopt;
    return linux_desktop::DesktopBookmark{path.lexically_normal(), desktopFileId(path), device, inode}.encode();
}

std::optional<fs::path> LinuxAppCatalog::resolveBookmark(const Bytes& bookmark) const {
    std::string why;
    const auto decoded = linux_desktop::DesktopBookmark::decode(bookmark, &why);
    if (!decoded) {
        // The stored record may still be found by its path or bundle identifier.
        if (log_) log_("[Tessane] Ignoring an app bookmark that can't be read: " + why + ".");
        return std::nullopt;
    }
    const fs::path& old = decoded->path;
    const unsigned long long device = decoded->device, inode = decoded->inode;
    auto sameFile = [&](const fs::path& p) {
        unsigned long long d = 0, i = 0;
        return identity(p, d, i) && d == device && i == inode;
    };

    if (sameFile(old)) return old;
    if (auto moved = findEntry(sameFile)) return moved;
    if (isRegularFile(old)) return old;
    const fs::path name = old.filename();
    if (auto elsewhere = findEntry([&](const fs::path& p) { return p.filename() == name; })) return elsewhere;
    return std::nullopt;
}

std::optional<Bytes> LinuxAppCatalog::iconPNG(const fs::path& path, int side) const {
    if (!renderer_ || side <= 0) return std::nullopt;
    std::error_code ec;
    const auto entryChanged = fs::last_write_time(path, ec);
    if (ec) return std::nullopt;
    const auto key = std::make_pair(path.string(), side);
    if (const auto made = madeIcons_.find(key); made != madeIcons_.end()) {
        const auto imageChanged = fs::last_write_time(made->second.image, ec);
        if (!ec && made->second.entryChanged == entryChanged && made->second.imageChanged == imageChanged)
            return made->second.png;
        madeIcons_.erase(made);
    }
    bool generic = false;
    const auto image = iconImage(path, side, &generic);
    if (!image) return std::nullopt;
    const auto imageChanged = fs::last_write_time(*image, ec);
    auto png = renderer_(*image, side);
    if (!png || ec || generic) return png;
    constexpr size_t kMadeIconsKept = 256;  // far more apps than a workspace list names
    if (madeIcons_.size() >= kMadeIconsKept) madeIcons_.clear();
    madeIcons_[key] = MadeIcon{entryChanged, *image, imageChanged, *png};
    return png;
}

std::optional<fs::path> LinuxAppCatalog::iconImage(const fs::path& path, int side, bool* generic) const {
    const auto entry = isRegularFile(path) ? readEntry(path) : std::nullopt;
    if (!entry) return std::nullopt;
    std::optional<fs::path> image;
    std::string icon = entry->value("Icon").value_or("");
    if (!icon.empty() && fs::path(icon).is_absolute()) {
        if (isRegularFile(icon)) image = fs::path(icon);
    } else if (!icon.empty()) {
        // Names should come without an extension, but some entries carry one.
        for (const char* ext : {".png", ".svg", ".xpm"}) {
            if (icon.size() > 4 && icon.compare(icon.size() - 4, 4, ext) == 0) icon.resize(icon.size() - 4);
        }
        image = icons_.find(icon, side);
    }
    // An entry without a usable icon gets the generic application icon, as a file manager shows.
    if (image) return image;
    *generic = true;
    return icons_.find("application-x-executable", side);
}

}  // namespace tessane
