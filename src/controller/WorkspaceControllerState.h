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

// WorkspaceController's private state, one small struct per concern that keeps several fields
// together: the wait for window control. The controller holds one of each;
// nothing else does.
namespace tessane::workspace_controller {

// Earlier than any time the main queue reports ("never" for the last-happened times).
inline constexpr TimeInterval kDistantPast = -62135596800.0;  // year 1


// What waits for window control while the window manager is being replaced: the shows asked
// meanwhile (in order, each workspace once) and whether the shown workspaces are placed again.
struct WindowControlWait {
    bool awaited = false;  // the platform runs windowControlSettled once it is back
    std::vector<std::pair<Uuid, std::function<void()>>> shows;
    bool placeAgain = false;
};

}  // namespace tessane::workspace_controller
