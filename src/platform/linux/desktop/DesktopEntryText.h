#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace tessane::linux_desktop {

// Desktop entries that we write ourselves: our own application entry (the handler of tessane:
// links) and the autostart entry that launches us at login.
namespace DesktopEntryText {

// The program as the first argument of an Exec line: quoted when it holds a character that
// quoting must protect, with '"', '`', '$' and '\' escaped inside the quotes and '%' doubled;
// then written as a desktop-entry value (a backslash doubled again). None for a path that no
// Exec line can carry (a line break or another control character).
std::optional<std::string> execProgram(const std::filesystem::path& program);

// Both entries we write name the program in TryExec too, so that a desktop hides them, and a
// session starts nothing, once the program is gone (a removed package, a deleted build folder).

// [Desktop Entry] of Tessane taking tessane: links ("<program> %U").
std::optional<std::string> applicationEntry(const std::filesystem::path& program);
// The same with the program as it stands in Exec and in TryExec (both already desktop-entry values).
std::string applicationEntry(const std::string& execProgram, const std::string& tryExec);
// [Desktop Entry] that starts Tessane at login.
std::optional<std::string> autostartEntry(const std::filesystem::path& program);

}  // namespace DesktopEntryText

}  // namespace tessane::linux_desktop
