#pragma once

#include "base/Lifetime.h"
#include "platform/AccessibilityValue.h"
#include "platform/MainQueue.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tessane::sim {

class SimMainQueue;
class SimWindowServer;
class SimApp;

// A scenario reads like this (SimPlatform owns the server and the Accessibility port over it):
//
//   auto& notes = sim.windowServer.addApp(100, "Notes");
//   auto& doc = notes.addWindow({.title = "Plan", .frame = {0, 25, 800, 600}});
//   doc.setMinimumSize({500, 400}).landOffBy({20, 0}, 1);   // how it takes our writes
//   notes.addWindow().setResizeIncrements({6, 13}, {4, 4});  // sizes in a terminal's cells
//   notes.addWindowAfter(1.3, {.title = "Second"});         // a window that comes late
//   notes.addMenu("File").addItem({.title = "New Window", .cmdChar = "n"});
//   notes.setResponseDelay(8);                             // hangs past the time-out
//   doc.moveTo({40, 40});                                   // the user drags it
//   sim.accessibility.setTrusted(false);                    // permission withdrawn
//   sim.mainQueue.advance(2);                               // observers hear what happened

// How a new window looks. Defaults make an ordinary document window.
struct SimWindowSpec {
    std::optional<std::string> title = "Untitled";
    Rect frame{100, 100, 800, 600};  // Accessibility coordinates (top-left origin, y down)
    std::optional<std::string> role = "AXWindow";
    std::optional<std::string> subrole = "AXStandardWindow";
    std::optional<std::string> identifier = std::nullopt;
    std::optional<std::string> document = std::nullopt;  // a URL string, "file:///..."
    bool minimized = false;
    bool fullScreen = false;
    // A new window normally comes to the front of its application and becomes main and focused.
    bool becomesMain = true;
};

// One window of a simulated application. Scenario setters change state quietly; frame changes
// (by the user, by the application or through the Accessibility port) tell observers.
class SimWindow {
public:
    SimWindow(const SimWindow&) = delete;
    SimWindow& operator=(const SimWindow&) = delete;

    AXElement element() const { return element_; }
    Pid pid() const;
    SimApp& app() const { return *app_; }
    uint32_t number() const { return number_; }

    const std::optional<std::string>& title() const { return title_; }
    const std::optional<std::string>& role() const { return role_; }
    const std::optional<std::string>& subrole() const { return subrole_; }
    const std::optional<std::string>& identifier() const { return identifier_; }
    const std::optional<std::string>& document() const { return document_; }
    Rect frame() const { return frame_; }
    Point position() const { return frame_.origin; }
    Size size() const { return frame_.size; }
    bool isMinimized() const { return minimized_; }
    bool isFullScreen() const { return fullScreen_; }
    bool isMain() const;
    bool isFocused() const;
    bool isClosed() const { return closed_; }

    void setSubrole(std::optional<std::string> s) { subrole_ = std::move(s); }
    void setDocument(std::optional<std::string> url) { document_ = std::move(url); }
    void setMinimized(bool m) { minimized_ = m; }
    void setFullScreen(bool f) { fullScreen_ = f; }

    // The user (or the application itself) moves or resizes the window: no behaviour applies,
    // observers hear about it.
    void moveTo(Point p);
    void resizeTo(Size s);
    void setFrame(const Rect& r);
    // Brings the window to the front of its application; it becomes main and focused.
    void raise();
    // Puts the window above every other window; the focus stays where it was.
    void raiseUnfocused();
    // Closes the window: observers hear it destroyed; its element stops answering.
    void close();

    // --- Behaviours, all for writes that come through the Accessibility port ---
    // Size writes are clamped to this minimum and still answer success.
    SimWindow& setMinimumSize(Size s);
    // A terminal-like window: its size changes in steps of `increments` counted from `base`
    // (a character cell over the padding around the grid). A size write lands on the largest
    // step at or below the size asked (then held to the minimum size) and answers success;
    // AXResizeIncrements answers `increments`.
    SimWindow& setResizeIncrements(Size increments, Size base = {});
    const std::optional<Size>& resizeIncrements() const { return increments_; }
    // Position writes answer `error`; with success the window simply stays where it is.
    SimWindow& refuseMoves(AXError error = AXError::success);
    // Size writes answer `error`; with success the window simply keeps its size.
    SimWindow& refuseSizes(AXError error = AXError::success);
    // The next `times` position writes (every one when negative) land off by `delta`.
    SimWindow& landOffBy(Point delta, int times = -1);
    // `seconds` after the last write, the window goes back to the frame it had before the
    // writes began (an application that restores its own frame).
    SimWindow& driftBack(double seconds);
    // Back to a window that takes every write as asked.
    SimWindow& acceptWrites();

    // Used by the Accessibility port: a write of AXPosition / AXSize with the behaviours above.
    AXError writePosition(Point p);
    AXError writeSize(Size s);

private:
    friend class SimApp;
    SimWindow(SimApp* app, AXElement element, uint32_t number, const SimWindowSpec& setup);
    void applyFrame(const Rect& r);
    void noteWrite();

    SimApp* app_;
    AXElement element_;
    uint32_t number_;
    std::optional<std::string> title_, role_, subrole_, identifier_, document_;
    Rect frame_;
    bool minimized_ = false;
    bool fullScreen_ = false;
    bool closed_ = false;

    std::optional<Size> minimumSize_;
    std::optional<Size> increments_;
    Size incrementBase_;
    std::optional<AXError> refuseMoves_, refuseSizes_;
    Point landingOffset_;
    int landingTimes_ = 0;
    std::optional<double> driftDelay_;
    std::optional<Rect> driftTarget_;
    std::shared_ptr<WorkItem> driftItem_;
};

struct SimMenuItemSpec {
    std::string title;
    std::optional<std::string> cmdChar = std::nullopt;  // the key equivalent, e.g. "n"
    int64_t modifiers = 0;                              // 0 = Command alone
    bool enabled = true;
    std::function<void()> onPress = nullptr;
};

class SimMenuItem {
public:
    AXElement element() const { return element_; }
    const SimMenuItemSpec& setup() const { return setup_; }
    int pressCount() const { return presses_; }
    void setEnabled(bool e) { setup_.enabled = e; }

    // Pressing runs the item's action (disabled items refuse).
    AXError press();

private:
    friend class SimMenu;
    SimMenuItem(AXElement e, SimMenuItemSpec setup) : element_(e), setup_(std::move(setup)) {}
    AXElement element_;
    SimMenuItemSpec setup_;
    int presses_ = 0;
};

// A menu-bar menu: the menu-bar item (with the title) and the menu below it.
class SimMenu {
public:
    AXElement barItemElement() const { return barItem_; }
    AXElement menuElement() const { return menu_; }
    const std::optional<std::string>& title() const { return title_; }
    const std::vector<std::unique_ptr<SimMenuItem>>& items() const { return items_; }

    SimMenuItem& addItem(SimMenuItemSpec setup);

private:
    friend class SimApp;
    SimMenu(SimWindowServer* server, AXElement barItem, AXElement menu, std::optional<std::string> title)
        : server_(server), barItem_(barItem), menu_(menu), title_(std::move(title)) {}
    SimWindowServer* server_;
    AXElement barItem_, menu_;
    std::optional<std::string> title_;
    std::vector<std::unique_ptr<SimMenuItem>> items_;
};

// A running application with its windows (front to back) and its menu bar.
class SimApp {
public:
    SimApp(const SimApp&) = delete;
    SimApp& operator=(const SimApp&) = delete;

    Pid pid() const { return pid_; }
    const std::string& name() const { return name_; }
    AXElement element() const;
    SimWindowServer& server() const { return *server_; }
    bool isRunning() const { return running_; }

    SimWindow& addWindow(const SimWindowSpec& setup = {});
    // The system's open / save panel of this application.
    SimWindow& addOpenPanel(Rect frame = {200, 150, 700, 450});
    SimWindow& addSavePanel(Rect frame = {200, 150, 700, 450});
    // A window that appears `seconds` from now on the main queue (an application still busy).
    void addWindowAfter(double seconds, SimWindowSpec setup = {});

    // Open windows, front to back (the order of AXWindows).
    std::vector<SimWindow*> windows() const;
    SimWindow* window(size_t index) const;
    SimWindow* mainWindow() const { return main_; }
    SimWindow* focusedWindow() const { return focused_; }

    SimMenu& addMenu(std::optional<std::string> title);
    const std::vector<std::unique_ptr<SimMenu>>& menus() const { return menus_; }
    AXElement menuBarElement() const { return menuBar_; }
    // An application whose menu bar cannot be read (AXMenuBar missing).
    void setHasMenuBar(bool has) { hasMenuBar_ = has; }
    bool hasMenuBar() const { return hasMenuBar_; }

    // Every call into this application takes `seconds` to answer; past the caller's messaging
    // time-out it fails with cannotComplete after the time-out has passed.
    void setResponseDelay(double seconds) { responseDelay_ = seconds; }
    double responseDelay() const { return responseDelay_; }

    // The application quits: its windows close and its elements stop answering.
    void terminate();

private:
    friend class SimWindowServer;
    friend class SimWindow;
    SimApp(SimWindowServer* server, Pid pid, std::string name);
    void bringToFront(SimWindow* w);
    void setMainAndFocus(SimWindow* w);
    void windowClosed(SimWindow* w);

    SimWindowServer* server_;
    Pid pid_;
    std::string name_;
    bool running_ = true;
    std::vector<std::unique_ptr<SimWindow>> allWindows_;  // closed ones stay, so references hold
    std::vector<SimWindow*> order_;                       // open windows, front to back
    SimWindow* main_ = nullptr;
    SimWindow* focused_ = nullptr;
    AXElement menuBar_;
    bool hasMenuBar_ = true;
    std::vector<std::unique_ptr<SimMenu>> menus_;
    double responseDelay_ = 0;
};

// The simulated desktop's applications and windows. Elements are handles it hands out; every
// object keeps its handle for the life of the server (closed windows answer as invalid).
class SimWindowServer {
public:
    enum class NodeKind { application, window, menuBar, menuBarItem, menu, menuItem };
    struct Node {
        NodeKind kind;
        Pid pid;
        SimApp* owner = nullptr;        // every kind but the application element
        SimWindow* window = nullptr;
        SimMenu* menu = nullptr;        // menu-bar items and menus
        SimMenuItem* menuItem = nullptr;
    };
    // (process, element concerned, notification name)
    using Listener = std::function<void(Pid, const AXElement&, const std::string&)>;

    explicit SimWindowServer(SimMainQueue& queue);
    ~SimWindowServer();
    SimWindowServer(const SimWindowServer&) = delete;
    SimWindowServer& operator=(const SimWindowServer&) = delete;

    // A new running application. A pid whose application terminated may be used again.
    SimApp& addApp(Pid pid, std::string name);
    SimApp* app(Pid pid) const;  // running applications only
    std::vector<SimApp*> apps() const;
    SimWindow* window(const AXElement& e) const;

    // The element of a process's application object; stable per pid, made on first request.
    AXElement applicationElement(Pid pid);
    const Node* node(const AXElement& e) const;

    // Every open window of every application, front to back: a new main window and a raised
    // one go to the very front, an application brought forward takes its windows with it.
    const std::vector<SimWindow*>& windowsFrontToBack() const { return stacking_; }
    // The application comes forward (it was activated): its windows, in their order, in front
    // of every other application's.
    void bringAppToFront(Pid pid);

    void addListener(Listener l) { listeners_.push_back(std::move(l)); }
    SimMainQueue& queue() const { return queue_; }

private:
    friend class SimApp;
    friend class SimWindow;
    friend class SimMenu;
    AXElement makeElement(Node node);
    uint32_t nextWindowNumber() { return nextWindowNumber_++; }
    void emit(Pid pid, const AXElement& element, const std::string& notification);

    SimMainQueue& queue_;
    uint64_t nextHandle_ = 1;
    uint32_t nextWindowNumber_ = 101;
    std::map<uint64_t, Node> nodes_;
    std::map<Pid, uint64_t> appHandles_;
    std::map<Pid, SimApp*> running_;
    std::vector<std::unique_ptr<SimApp>> allApps_;
    std::vector<Listener> listeners_;
    std::vector<SimWindow*> stacking_;  // open windows, front to back
    LifetimeToken lifetime_;  // deferred window changes do nothing once the server is gone
};

}  // namespace tessane::sim
