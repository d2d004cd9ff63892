#include "shell/AppTheme.h"

#include "platform/Defaults.h"

namespace tessane {

const std::vector<AppTheme>& allAppThemes() {
    static const std::vector<AppTheme> all{AppTheme::system, AppTheme::light, AppTheme::dark};
    return all;
}

std::string toString(AppTheme theme) {
    switch (theme) {
    case AppTheme::light: return "light";
    case AppTheme::dark: return "dark";
    case AppTheme::system: break;
    }
    return "system";
}

std::optional<AppTheme> appThemeFromString(std::string_view raw) {
    for (AppTheme theme : allAppThemes())
        if (toString(theme) == raw) return theme;
    return std::nullopt;
}

std::string label(AppTheme theme) {
    switch (theme) {
    case AppTheme::light: return "Light";
    case AppTheme::dark: return "Dark";
    case AppTheme::system: break;
    }
    return "System";
}

AppTheme storedAppTheme(const Defaults& defaults) {
    const auto raw = defaults.stringValue(kAppThemeKey);
    return raw ? appThemeFromString(*raw).value_or(AppTheme::system) : AppTheme::system;
}

}  // namespace tessane
