#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace tessane::linux_desktop {

// The [Desktop Entry] group of a .desktop file (the XDG Desktop Entry format): its keys with
// escapes resolved, localized keys ("Name[de]") kept under their full name.
class DesktopEntry {
public:
    // nullopt when the file can't be read or has no [Desktop Entry] group; `why` then says why,
    // or is empty when there is no file. Only regular files up to file_limits::kDesktopEntry
    // are read.
    static std::optional<DesktopEntry> read(const std::filesystem::path& path, std::string* why = nullptr);
    static std::optional<DesktopEntry> parse(std::string_view text);

    std::optional<std::string> value(const std::string& key) const;
    // The best value for the locale (e.g. "de_DE.UTF-8@euro"): lang_COUNTRY@MODIFIER,
    // lang_COUNTRY, lang@MODIFIER, lang, then the unlocalized key.
    std::optional<std::string> localized(const std::string& key, const std::string& locale) const;
    bool boolean(const std::string& key) const { return value(key) == "true"; }

    // A launchable application entry: Type=Application and not Hidden (a hidden entry is the
    // XDG way of deleting one).
    bool isApplication() const;

private:
    std::map<std::string, std::string> values_;
};

}  // namespace tessane::linux_desktop
