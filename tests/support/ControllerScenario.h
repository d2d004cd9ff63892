#pragma once

#include "controller/WorkspaceController.h"
#include "model/HiddenAppLedger.h"
#include "model/WorkspaceManager.h"
#include "platform/sim/SimPlatform.h"
#include "support/ChromeFakes.h"
#include "support/WorkspaceControllerProbe.h"

#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tessane::testing {

// A workspace controller on the simulated desktop, with recording chrome, scripted alerts and
// global input, and the virtual clock. A scenario reads:
//
//   ControllerScenario s;                                   // one 1440 x 900 display
//   s.launchApp("Notes");                                   // running, one window
//   s.launchApp("Mail", {.windows = 2});
//   auto ws = s.addWorkspace("Write", {"Notes", "Mail"});    // through the manager
//   s.start();                                              // the controller is built
//   s.putUp(ws);                                            // shown, windows bound to panes
//   s.activate("Mail");
//   s.advance(0.5);
//   EXPECT_EQ(s.log(), (Lines{"[Tessane] App focus: ..."}));
//
// Applications are named by display name; their bundle identifier is "org.example.<Name>" and
// their desktop entry "/Applications/<Name>.app". The log is the ring's lines since the last
// clearLog().
class ControllerScenario {
public:
    using Lines = std::vector<std::string>;

    struct AppSetup {
        int windows = 1;
        Rect frame{100, 100, 800, 600};  // of the first window; later ones are offset by 30
        bool hidden = false;
        bool finishedLaunching = true;
        std::optional<std::string> document;  // a file path the first window shows
    };

    static constexpr const char* kOwnBundleID = "org.tessane.Tessane";

    ControllerScenario();
    ~ControllerScenario();
    ControllerScenario(const ControllerScenario&) = delete;
    ControllerScenario& operator=(const ControllerScenario&) = delete;

    // ------------------------------------------------------------------ the desktop
    // A display of `frame` (screen coordinates) whose top 25 pt are the menu bar.
    static ScreenInfo display(const Rect& frame, uint32_t number);
    void setDisplays(std::vector<ScreenInfo> screens);

    static std::string bundleID(const std::string& name) { return "org.example." + name; }
    // Installs the application (no process yet) and returns its pane record.
    ManagedApp installApp(const std::string& name);
    // Installs and runs the application with its windows.
    sim::SimApp& launchApp(const std::string& name, const AppSetup& setup);
    sim::SimApp& launchApp(const std::string& name) { return launchApp(name, AppSetup{}); }
    sim::SimApp& app(const std::string& name) const;
    Pid pid(const std::string& name) const { return app(name).pid(); }
    sim::SimWindow& window(const std::string& name, size_t index = 0) const;
    // The user brings the application to the front; the controller hears it on the next turn.
    void activate(const std::string& name);
    void quitApp(const std::string& name);
    // Writes the desktop's Stage Manager setting (its file changes as a real write would).
    void setStageManager(bool on);

    // ------------------------------------------------------------------ workspaces
    Workspace addWorkspace(const std::string& name, std::initializer_list<std::string> appNames,
                           LayoutType type = LayoutType::leftRightSplit);
    Workspace workspace(const Uuid& id) const;

    // ------------------------------------------------------------------ the controller
    // Runs on the environment just before start() builds the controller (to swap a port).
    std::function<void(WorkspaceControllerEnvironment&)> adjustEnvironment;
    WorkspaceController& start();
    void stop();
    WorkspaceController& controller() const { return *controller_; }
    WorkspaceControllerProbe probe() const { return WorkspaceControllerProbe{*controller_, platform_, *manager}; }
    // Puts the workspace up as a finished show leaves it (see WorkspaceControllerProbe::putUp).
    WorkspaceControllerProbe::Session& putUp(const Workspace& workspace,
                                             const Rect& containerAX = {40, 60, 1200, 700});
    ChromeRecord& chrome(const Uuid& workspaceID) const;
    std::vector<std::string> shownNames() const { return controller_->shownWorkspaceNames().get(); }

    // ------------------------------------------------------------------ time
    void advance(double seconds) { sim.mainQueue.advance(seconds); }
    void drain() { sim.mainQueue.runPending(); }

    // ------------------------------------------------------------------ what was said
    Lines log() const;
    void clearLog();
    size_t logCount(const std::string& text) const;

    sim::SimPlatform sim;
    FakeGlobalInput input;
    std::unique_ptr<WorkspaceManager> manager;
    std::unique_ptr<HiddenAppLedger> ledger;
    std::vector<std::shared_ptr<ChromeRecord>> chromes;  // every chrome made, in order
    std::function<void()> onChromeOrderedFront;           // given to every chrome made
    std::shared_ptr<NoticeRecord> notice = std::make_shared<NoticeRecord>();
    std::shared_ptr<TipsRecord> tips = std::make_shared<TipsRecord>();
    std::shared_ptr<SwitcherRecord> switcher = std::make_shared<SwitcherRecord>();

    // The environment start() builds the controller on (the application delegate's tests make
    // their own controller with it).
    WorkspaceControllerEnvironment environment();

private:

    std::unique_ptr<WorkspaceController> controller_;
    Platform platform_;  // the ports the controller was built on
    std::map<std::string, Pid> pids_;
    std::map<Uuid, std::shared_ptr<ChromeRecord>> chromeOf_;
};

}  // namespace tessane::testing
