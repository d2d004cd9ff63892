#pragma once

#include "base/Geometry.h"
#include "platform/Accessibility.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tessane {

// The one reader and mover of other applications' windows. It holds no state of its own: every
// call goes to the Accessibility port and blocks while the other application answers, bounded
// only by that application's messaging time-out. Rectangles and points are in Accessibility
// coordinates (origin at the top-left of the primary display, y down).
class AXWindowController final {
public:
    // One window, read once.
    struct WindowInfo {
        AXElement element;
        std::optional<std::string> title;
        std::optional<std::string> role;
        std::optional<std::string> subrole;
        std::optional<Point> position;
        std::optional<Size> size;
        bool isMinimized = false;
        bool isMain = false;
        bool isFullScreen = false;
        std::optional<std::string> identifier;

        bool operator==(const WindowInfo&) const = default;
    };

    // The menu item that opens a new window; the caller presses `element`.
    struct NewWindowMenuItem {
        std::string title;
        std::string menuTitle;  // empty when the menu-bar menu has no readable title
        AXElement element;

        bool operator==(const NewWindowMenuItem&) const = default;
    };

    // What became of a placement.
    struct PlacementOutcome {
        enum class Kind {
            placed,   // within tolerance of the target (a window that sizes in steps: up to
                      // one step short), or the frame could not be read back
            refused,  // the application kept the window elsewhere; `actual` is where
            failed,   // the position could not be set at all
        };
        Kind kind = Kind::placed;
        Rect actual;  // meaningful for `refused` only

        static PlacementOutcome placed() { return {Kind::placed, {}}; }
        static PlacementOutcome refused(const Rect& actual) { return {Kind::refused, actual}; }
        static PlacementOutcome failed() { return {Kind::failed, {}}; }
        bool operator==(const PlacementOutcome&) const = default;
    };

    static constexpr double kPlacementTolerance = 8.0;
    static constexpr double kMinimumManageableSide = 50.0;
    static constexpr double kMinimumDialogArea = 2500.0;

    explicit AXWindowController(Accessibility& accessibility) : ax_(accessibility) {}

    Accessibility& accessibility() const { return ax_; }

    // Attribute readers. An error, a missing value or a value of another kind reads as missing;
    // boolean() wants a real Boolean (a number is false).
    std::optional<std::string> string(const AXElement& element, std::string_view attribute) const;
    std::optional<Point> point(const AXElement& element, std::string_view attribute) const;
    std::optional<Size> sizeValue(const AXElement& element, std::string_view attribute) const;
    bool boolean(const AXElement& element, std::string_view attribute) const;
    std::vector<AXElement> axChildren(const AXElement& element) const;

    // Window listing, in the application's order (front to back).
    std::vector<AXElement> windowElements(const AXElement& application) const;
    std::vector<WindowInfo> windowInfos(Pid pid) const;
    // The same with the application's messaging time-out set to `timeout` seconds for the reads
    // and put back to the default afterwards.
    std::vector<WindowInfo> windowInfos(Pid pid, float timeout) const;
    std::vector<WindowInfo> manageableWindows(Pid pid) const;
    std::optional<WindowInfo> mainWindow(Pid pid) const;
    std::optional<AXElement> focusedWindow(Pid pid) const;

    // The path of the window's document when it is a file ("AXDocument" holds a file URL).
    std::optional<std::string> documentPath(const AXElement& window) const;
    std::optional<NewWindowMenuItem> newWindowMenuItem(Pid pid) const;
    // "id=<identifier> subrole=<subrole>", "—" for a missing value; for log lines.
    std::string windowKind(const AXElement& window) const;
    // The window server's number of the window, when the desktop can tell.
    std::optional<uint32_t> windowNumber(const AXElement& window) const;

    // Choosing (pure).
    static bool isManageable(const WindowInfo& info);
    static std::optional<size_t> selectBindableIndex(const std::vector<bool>& isMain,
                                                     const std::set<size_t>& claimed);
    static std::optional<WindowInfo> selectPendingDialog(const std::vector<WindowInfo>& windows);
    static bool matches(const Rect& a, const Rect& b, double tolerance);
    // Whether a window that took `actual` when asked for `target` went along: each side within
    // `tolerance`, or, for a window that sizes in steps of `increments`, short of the target by
    // less than one step (the closest size its steps allow).
    static bool sizeTaken(Size actual, Size target, std::optional<Size> increments, double tolerance);

    // Moves and sizes the window to `target` and reports whether the application went along. A
    // window with resize increments that lands short of the target by less than one increment
    // has gone along as closely as it can (a terminal keeps to its character grid).
    PlacementOutcome place(const AXElement& window, const Rect& target) const;
    // The same for many windows, answered in the order asked: every window is written before any
    // is read back, so the applications and the window manager work on all of them at once.
    std::vector<PlacementOutcome> place(std::span<const Accessibility::FrameRequest> requests) const;

private:
    std::vector<WindowInfo> readWindowInfos(const AXElement& application) const;

    Accessibility& ax_;
};

}  // namespace tessane
