#include "model/ManagedApp.h"

namespace tessane {

const char* toString(AppRole role) { return role == AppRole::primary ? "primary" : "secondary"; }

template <>
std::optional<AppRole> fromString<AppRole>(std::string_view raw) {
    if (raw == "primary") return AppRole::primary;
    if (raw == "secondary") return AppRole::secondary;
    return std::nullopt;
}

}  // namespace tessane
