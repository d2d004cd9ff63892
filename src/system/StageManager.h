#pragma once

#include <filesystem>
#include <optional>

namespace tessane {

class Preferences;

// Whether the desktop's Stage Manager is on: while it is, workspaces step aside.
namespace StageManager {

inline constexpr const char* kDomain = "com.apple.WindowManager";
inline constexpr const char* kEnabledKey = "GloballyEnabled";

// A fresh read of the setting: a number is taken by its truth value; absent or any other type
// reads as off. On Linux there is no Stage Manager and this is always false.
bool isEnabled(Preferences& preferences);

// The file that holds the setting, for StageManagerWatcher; none where there is no such file.
std::optional<std::filesystem::path> preferencesFile(const Preferences& preferences);

}  // namespace StageManager

}  // namespace tessane
