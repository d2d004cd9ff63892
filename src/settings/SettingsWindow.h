#pragma once

#include "base/Geometry.h"

#include <string>

namespace tessane {

// The settings window itself, as its controller drives it: an ordinary titled, resizable
// window that closing hides. Frames are in screen coordinates (y up).
class SettingsWindow {
public:
    virtual ~SettingsWindow() = default;

    virtual Rect frame() const = 0;
    // Moves and resizes without drawing in between.
    virtual void setFrame(const Rect& frame) = 0;
    virtual bool isVisible() const = 0;
    // Above other applications' normal windows (_NET_WM_STATE_ABOVE), or at the normal level.
    virtual void setKeptAbove(bool above) = 0;
    virtual bool isKeptAbove() const = 0;
    // Restores the frame stored under `name` (when there is one) and stores every later change.
    virtual void setFrameAutosaveName(const std::string& name) = 0;
    // Centres the window on the display the user works on.
    virtual void center() = 0;
    // Maps it, raises it and gives it the keyboard focus.
    virtual void orderFrontAndFocus() = 0;
    // Hides it; the window and its views stay.
    virtual void orderOut() = 0;
};

}  // namespace tessane
