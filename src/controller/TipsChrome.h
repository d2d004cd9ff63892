#pragma once

#include "base/Geometry.h"

namespace tessane {

// The one-time quick-tips card (`WorkspaceTipsController`).
class TipsChrome {
public:
    virtual ~TipsChrome() = default;

    virtual void show(const Rect& nearContainerCocoaRect) = 0;
    // Whether the card's panel exists.
    virtual bool hasPanel() const = 0;
    // Orders the panel out and drops it; nothing without one.
    virtual void close() = 0;
};

}  // namespace tessane
