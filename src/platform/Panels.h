#pragma once

#include "base/Geometry.h"
#include "platform/PanelDrawing.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tessane {

// Where a panel sits among other windows. Higher levels stay above lower ones; within a level
// the panel ordered front last is on top. Ordinary application windows are level 0.
namespace PanelLevel {
inline constexpr int mat = -1;        // behind the tiled windows, above the desktop
inline constexpr int shield = 1;      // click shields, the divider-drag overlay, drop previews
inline constexpr int handle = 2;      // divider handles
inline constexpr int rail = 3;        // the move rail and the placement overlay
inline constexpr int card = 4;        // notice and tips cards
inline constexpr int switcher = 101;  // the workspace switcher
}  // namespace PanelLevel

// Fixed when a panel is made.
struct PanelOptions {
    int level = PanelLevel::shield;
    bool ignoresMouse = false;   // clicks pass through to whatever lies below
    bool canTakeFocus = false;   // takes the keyboard when clicked (never when shown); cards only
    bool hasShadow = false;      // initial shadow; see Panel::setHasShadow
    std::string name;            // for logs and diagnostics ("rail", "mat", "shield", ...)
};

// Input delivered to a panel's content. Locations are screen coordinates (y up).
struct PanelInput {
    enum class Kind {
        leftDown,           // `clickCount` 1, 2, ...; `control` when Control is held
        leftDragged,        // the pointer moved while the left button is held (the panel keeps
                            // receiving these wherever the pointer goes until leftUp)
        leftUp,
        rightDown,
        trackingCancelled,  // a press ended without its release reaching us (grab lost, panel
                            // ordered out or destroyed)
        entered,
        exited,
    };
    Kind kind = Kind::leftDown;
    Point location;
    int clickCount = 1;
    bool control = false;
    bool operator==(const PanelInput&) const = default;
};

enum class PanelCursor { arrow, openHand, resizeLeftRight, resizeUpDown };

// Keys a panel that has the keyboard passes on (only panels made with canTakeFocus get it, and
// only once clicked).
enum class PanelKey { returnKey };

// One borderless window of our own. It is made ordered out; destroying the object destroys the
// window. Every operation takes effect at once, on the main thread.
class Panel {
public:
    virtual ~Panel() = default;

    virtual const PanelOptions& options() const = 0;

    // Screen coordinates, y up. A panel with an empty frame stays unmapped even when ordered in.
    virtual Rect frame() const = 0;
    virtual void setFrame(const Rect& frame) = 0;

    // Ordered in: on screen in front of every other panel of its level. isVisible() answers
    // whether it is ordered in (an alpha of 0 or an empty frame does not change that).
    virtual void orderFront() = 0;
    virtual void orderOut() = 0;
    virtual bool isVisible() const = 0;

    // 0 transparent .. 1 opaque. Without a compositing manager the backend draws opaque and
    // shows or hides instantly; alpha() still answers the value set.
    virtual double alpha() const = 0;
    virtual void setAlpha(double alpha) = 0;

    virtual bool hasShadow() const = 0;
    virtual void setHasShadow(bool hasShadow) = 0;

    // Replaces what the panel shows and redraws it.
    virtual void setDrawing(PanelDrawing drawing) = 0;
    virtual void setCursor(PanelCursor cursor) = 0;
    // Receives every input of this panel (none when it ignores the mouse).
    virtual void setInputHandler(std::function<void(const PanelInput&)> handler) = 0;
    virtual void setKeyHandler(std::function<void(PanelKey)> handler) = 0;
    // Takes the pointer only inside `area` (the panel's own coordinates, as a drawing's), its
    // whole frame again with nullopt (as made); clicks elsewhere go to what lies below.
    virtual void setInputArea(std::optional<std::vector<Rect>> area) = 0;
};

// Makes panels.
//
// Linux (X11): levels >= 1 are override-redirect windows (exact positions, never decorated or
// focused by the window manager, on every desktop), stacked in (level, order-front sequence)
// order once per turn of the event loop after order-fronts and again whenever the window manager
// restacks: levels below cards directly above the topmost other program's window under them and
// below our own windows above that; cards above other programs' windows but below our builder,
// welcome panel and alerts, and below or above the active settings window by which was ordered
// front last; the switcher above everything. Level -1 is a
// managed window kept below others (_NET_WM_STATE_BELOW), sticky, skipping taskbar and pager,
// never taking focus. Panels that ignore the mouse get an empty input shape. A released panel's
// window is kept for the next panel made with the same options, and windows can be made ready
// ahead (prepare). Frames and drawings are in points; each panel is drawn at the scale of its
// display (Qt's for our own windows there), its window on whole X pixels.
class Panels {
public:
    virtual ~Panels() = default;
    virtual std::unique_ptr<Panel> makePanel(const PanelOptions& options) = 0;
    // Makes windows ready, out of sight, for panels about to be made with these options (one per
    // entry, less the windows there are already for such panels), so that the first panels made
    // with them show as fast as later ones, and keeps that many ready: windows panels take are
    // made again a while after, one at a time, so that a second set of panels made while the
    // first is up (the chrome of a second workspace shown) finds them too. Nothing is shown.
    // Nothing to do where panels cost nothing to make.
    virtual void prepare(const std::vector<PanelOptions>& panels) { (void)panels; }
    // Puts what this turn ordered front on the screen now, where a backend would otherwise wait
    // for the end of the turn, for a caller with more work left in the turn after showing panels.
    virtual void showOrderedNow() {}
    // The size `text` takes when laid out as a drawing's styledText op `maxWidth` points wide (its
    // widest line and the height of all its lines), so content can be fitted before a panel
    // shows it.
    virtual Size measureText(const PanelText& text, double maxWidth) const = 0;
};

}  // namespace tessane
