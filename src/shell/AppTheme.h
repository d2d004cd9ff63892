#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessane {

class Defaults;

// The appearance preference: follow the system, always light, always dark. Stored in the user
// defaults under `appTheme` as its raw value; any other text reads as system.
enum class AppTheme { system, light, dark };

inline constexpr const char* kAppThemeKey = "appTheme";

const std::vector<AppTheme>& allAppThemes();
std::string toString(AppTheme theme);  // the raw value: "system", "light", "dark"
// Exactly one of the raw values, else none ("Light" is not a theme).
std::optional<AppTheme> appThemeFromString(std::string_view raw);
std::string label(AppTheme theme);  // "System", "Light", "Dark"

// The stored preference; system when absent or not a raw value.
AppTheme storedAppTheme(const Defaults& defaults);

}  // namespace tessane
