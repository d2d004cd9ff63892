#pragma once

#include "platform/AccessibilityValue.h"

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tessane {

// Names of the attributes, actions and notifications that Tessane uses, with what a backend must
// answer for each. "Missing" means: answer AXError::noValue (or attributeUnsupported when the
// element has no such attribute at all); callers treat every error as a missing value.
//
// Application element (one per process, see Accessibility::applicationElement):
//   AXRole            string "AXApplication".
//   AXTitle           string, the application's name.
//   AXWindows         array of window elements, front to back, minimized windows included.
//   AXFocusedWindow   element of the window with keyboard focus; missing when none.
//   AXMainWindow      element of the main window; missing when none.
//   AXMenuBar         element of the menu bar; missing when the backend cannot see menus.
// Window element:
//   AXTitle           string; missing when the window has none.
//   AXRole            string, "AXWindow" for top-level windows.
//   AXSubrole         string: "AXStandardWindow" for ordinary document windows, "AXDialog",
//                     "AXFloatingWindow", ... for others.
//   AXPosition        point, top-left corner of the window's frame as the user sees it, in
//                     Accessibility coordinates (origin at the top-left of the primary display,
//                     y down). Writable; writing it never changes the size.
//   AXSize            size in points of that frame (title bar and borders included, invisible
//                     shadow margins not). Writable; writing it never moves the top-left corner.
//                     A window may keep another size (minimum size, resize increments) and still
//                     answer success.
//   AXResizeIncrements size: the steps in which the window's size changes (a terminal's
//                     character cell): a size write lands on the nearest step at or below the
//                     size asked (or on the minimum size). Missing for a window that takes any
//                     size.
//   AXMinimized       Boolean (never a number). Writable (false un-minimizes).
//   AXMain            Boolean.
//   AXFullScreen      Boolean: the window is in the desktop's own full-screen state.
//   AXIdentifier      string; the system's open and save panels answer "open-panel" and
//                     "save-panel"; missing for most windows.
//   AXDocument        string holding a URL ("file:///path/to/doc") of the window's document.
// Menu bar, its menus and items (read top-down through AXChildren):
//   AXChildren        array of elements: menu bar -> menu-bar items -> one menu -> menu items.
//   AXTitle           string, of menu-bar items and menu items.
//   AXMenuItemCmdChar string, the key equivalent's character; missing when there is none.
//   AXMenuItemCmdModifiers  integer, 0 for Command alone (bit 0 Shift, 1 Option, 2 Control,
//                     3 "no Command").
//   AXEnabled         Boolean.
namespace ax {
inline constexpr const char* kRole = "AXRole";
inline constexpr const char* kSubrole = "AXSubrole";
inline constexpr const char* kTitle = "AXTitle";
inline constexpr const char* kWindows = "AXWindows";
inline constexpr const char* kPosition = "AXPosition";
inline constexpr const char* kSize = "AXSize";
inline constexpr const char* kResizeIncrements = "AXResizeIncrements";
inline constexpr const char* kMinimized = "AXMinimized";
inline constexpr const char* kMain = "AXMain";
inline constexpr const char* kFullScreen = "AXFullScreen";
inline constexpr const char* kIdentifier = "AXIdentifier";
inline constexpr const char* kDocument = "AXDocument";
inline constexpr const char* kFocusedWindow = "AXFocusedWindow";
inline constexpr const char* kMainWindow = "AXMainWindow";
inline constexpr const char* kChildren = "AXChildren";
inline constexpr const char* kMenuBar = "AXMenuBar";
inline constexpr const char* kMenuItemCmdChar = "AXMenuItemCmdChar";
inline constexpr const char* kMenuItemCmdModifiers = "AXMenuItemCmdModifiers";
inline constexpr const char* kEnabled = "AXEnabled";

inline constexpr const char* kRoleApplication = "AXApplication";
inline constexpr const char* kRoleWindow = "AXWindow";
inline constexpr const char* kSubroleStandardWindow = "AXStandardWindow";
inline constexpr const char* kSubroleDialog = "AXDialog";
inline constexpr const char* kSubroleFloatingWindow = "AXFloatingWindow";
inline constexpr const char* kIdentifierOpenPanel = "open-panel";
inline constexpr const char* kIdentifierSavePanel = "save-panel";

// Actions: press a menu item; bring a window to the front of its application (it becomes main
// and focused); put a window above the others without focusing it or activating its application.
inline constexpr const char* kPress = "AXPress";
inline constexpr const char* kRaise = "AXRaise";
inline constexpr const char* kRaiseUnfocused = "AXRaiseUnfocused";

// Notifications. The element delivered is the window concerned (for the first three too, even
// though they are registered on the application element).
inline constexpr const char* kFocusedWindowChanged = "AXFocusedWindowChanged";
inline constexpr const char* kMainWindowChanged = "AXMainWindowChanged";
inline constexpr const char* kWindowCreated = "AXWindowCreated";
inline constexpr const char* kWindowMoved = "AXWindowMoved";
inline constexpr const char* kWindowResized = "AXWindowResized";
inline constexpr const char* kUIElementDestroyed = "AXUIElementDestroyed";
}  // namespace ax

// One registration point for notifications of one process. Destroying it, or detach(), ends
// every registration: no callback runs after that, not even one already on its way. It may be
// destroyed from inside its own callback.
class AXObserver {
public:
    virtual ~AXObserver() = default;

    // Registers `notification` on `element` (the application element, or one of its windows).
    // A registration on the application element also hears that notification for each of the
    // application's windows. Fails with cannotComplete when the application does not answer in
    // time, notificationUnsupported for an unknown name, notificationAlreadyRegistered for a
    // repeat, illegalArgument for an element of another process.
    virtual AXError addNotification(const AXElement& element, const std::string& notification) = 0;
    virtual void detach() = 0;
};

// The desktop's accessibility service: reading, changing and observing other applications'
// user-interface objects. Everything runs on the main thread; calls block while the other
// application answers, at most for the element's messaging time-out.
//
// Errors a backend answers: apiDisabled for every call while the process is not trusted;
// illegalArgument for a null element or a value of the wrong kind; invalidUIElement for an
// element whose object is gone (a closed window, a quit application's window); cannotComplete
// when the application does not answer in time, or for the application element of a process that
// is not running; attributeUnsupported for an attribute the element does not have or cannot
// change; noValue for an attribute that exists but has no value now.
class Accessibility {
public:
    using Element = AXElement;
    using Value = AXValue;
    // (element the notification is about, notification name); always called on the main queue,
    // asynchronously: also for changes Tessane itself made.
    using ObserverCallback = std::function<void(const AXElement&, const std::string&)>;

    struct ObserverResult {
        AXError error = AXError::failure;
        std::unique_ptr<AXObserver> observer;  // null on failure
    };

    virtual ~Accessibility() = default;

    // The application element of a process. Always made, even for a process that does not
    // exist (reads on it then fail); equal for equal pids.
    virtual AXElement applicationElement(Pid pid) = 0;
    // The process that owns an element; absent for a null or unknown element.
    virtual std::optional<Pid> pid(const AXElement& element) = 0;

    virtual AXAttributeResult copyAttribute(const AXElement& element, std::string_view attribute) = 0;
    // A hint: the windows of these applications, their frames and states, are read next (a show
    // asks about each of its apps in turn). A backend that asks a server for them can ask for all
    // of them in one exchange instead of one per application.
    virtual void willReadWindowsOf(std::span<const Pid> pids) { (void)pids; }
    virtual AXError setAttribute(const AXElement& element, std::string_view attribute,
                                 const AXValue& value) = 0;
    virtual AXError performAction(const AXElement& element, std::string_view action) = 0;

    // What became of a window's size and position writes.
    struct FrameWrite {
        bool sized = false;  // a size write was taken
        bool moved = false;  // the position write was taken
        // Where the window is now (AXPosition and AXSize), when the backend read it back anyway.
        std::optional<Rect> frame;
    };
    // Sizes and moves a window. The size is written, then the position, then the size again: an
    // application that clamps a window against the screen edge at its old size takes the position
    // only once the size fits, and the other way round. A backend that can ask for both at once,
    // and so wait for one answer instead of two, does that instead.
    virtual FrameWrite setFrame(const AXElement& window, const Rect& frame) {
        const bool firstSize = setAttribute(window, ax::kSize, AXValue::size(frame.size)) == AXError::success;
        const bool moved = setAttribute(window, ax::kPosition, AXValue::point(frame.origin)) == AXError::success;
        const bool secondSize = setAttribute(window, ax::kSize, AXValue::size(frame.size)) == AXError::success;
        return {firstSize || secondSize, moved};
    }
    // Sizes and moves many windows, each as setFrame does, answered in the order asked. A backend
    // that waits for answers sends every write before it waits, and waits once for all of them.
    struct FrameRequest {
        AXElement window;
        Rect frame;
    };
    virtual std::vector<FrameWrite> setFrames(std::span<const FrameRequest> requests) {
        std::vector<FrameWrite> written;
        written.reserve(requests.size());
        for (const auto& request : requests) written.push_back(setFrame(request.window, request.frame));
        return written;
    }

    // The longest a call on this element waits for its application, in seconds; 0 puts back the
    // default. A time-out set on an application element covers all of its elements that have
    // none of their own. A call that runs out answers cannotComplete.
    virtual AXError setMessagingTimeout(const AXElement& element, float seconds) = 0;

    virtual ObserverResult createObserver(Pid pid, ObserverCallback callback) = 0;

    // Whether Tessane may control other applications' windows. With `prompt`, an untrusted
    // process also asks the user to grant it (the answer is still the current state).
    virtual bool isProcessTrusted() = 0;
    virtual bool isProcessTrustedWithPrompt(bool prompt) = 0;
    // Window control can be away for a moment (the window manager is being replaced): meanwhile
    // isProcessTrusted() answers false without waiting, and nothing should be taken as an
    // application's doing. This answers whether it is away so and, when it is, runs `settled`
    // once, later, on the main queue, when window control is back or the wait for it is over
    // (isProcessTrusted() then tells which). When it is not, `settled` is dropped.
    virtual bool awaitWindowControl(std::function<void()> settled) {
        (void)settled;
        return false;
    }

    // The window server's number of a window element; absent when the backend cannot tell,
    // which callers take as a normal answer.
    virtual std::optional<uint32_t> windowNumber(const AXElement& window) = 0;
};

}  // namespace tessane
