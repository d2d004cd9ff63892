#pragma once

namespace tessane {

// What the workspace controller asks of a chrome's pane mat: hide or show its click shields
// (while a document chooser is up, during solo, during a window drag).
class PaneMatChrome {
public:
    virtual ~PaneMatChrome() = default;
    // Does nothing when `hidden` equals shieldsHidden(); hiding orders every shield out, showing
    // orders the active shields front again, but only while the mat is visible.
    virtual void setShieldsHidden(bool hidden) = 0;
    virtual bool shieldsHidden() const = 0;
};

}  // namespace tessane
