#pragma once

#include "base/Geometry.h"

#include <functional>
#include <optional>

namespace tessane {

class Panel;

// A change of a panel's alpha and/or frame spread over time.
struct PanelAnimation {
    enum class Curve { linear, easeOut };
    double duration = 0.2;  // seconds
    Curve curve = Curve::linear;
    std::optional<double> alpha;  // the value to reach, when it changes
    std::optional<Rect> frame;    // the frame to reach, when it changes

    bool operator==(const PanelAnimation&) const = default;
};

// Runs panel animations on the main thread. When an animation ends the panel holds the target
// values and `completion` runs. A newer animation of the same panel stops the older one where
// it is, and the older completion runs at once. When the panel is destroyed first, the
// completion never runs. Without a compositing manager, alpha changes land at once (the
// completion still comes from the main loop, never from inside animate()).
class Animator {
public:
    virtual ~Animator() = default;
    virtual void animate(Panel& panel, const PanelAnimation& animation,
                         std::function<void()> completion = nullptr) = 0;
};

}  // namespace tessane
