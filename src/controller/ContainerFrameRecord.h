#pragma once

#include "base/Geometry.h"
#include "model/RectModel.h"
#include "model/Workspace.h"

#include <algorithm>
#include <optional>
#include <string>

namespace tessane {

// The smallest container a show puts up, and its size on a screen with this visible frame
// (never larger than the frame).
inline constexpr Size kMinimumContainer{480, 320};
inline Size smallestContainer(const std::optional<Rect>& visible) {
    if (!visible) return kMinimumContainer;
    return {std::min(visible->width(), kMinimumContainer.width), std::min(visible->height(), kMinimumContainer.height)};
}

// A copy of `workspace` that remembers `frame` (Accessibility coordinates) as its last container
// frame and, when the display set is known, as its home on that set; the homes of other display
// sets stay.
inline Workspace rememberingContainerFrame(Workspace workspace, const Rect& frame,
                                           const std::optional<std::string>& topology) {
    const RectModel stored = RectModel::from(frame);
    workspace.lastContainerFrame = stored;
    if (topology) {
        if (!workspace.topologyFrames) workspace.topologyFrames.emplace();
        (*workspace.topologyFrames)[*topology] = stored;
    }
    return workspace;
}

}  // namespace tessane
