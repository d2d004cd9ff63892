#pragma once

#include "base/Geometry.h"
#include "base/Uuid.h"
#include "controller/GlobalInput.h"
#include "platform/AccessibilityValue.h"
#include "platform/MainQueue.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <vector>

// The controller's constants its parts share.
namespace tessane::workspace_controller {

// Earlier than any time the main queue reports ("never" for the last-happened times).
inline constexpr TimeInterval kDistantPast = -62135596800.0;  // year 1

}  // namespace tessane::workspace_controller
