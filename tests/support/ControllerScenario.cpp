#include "support/ControllerScenario.h"

#include "model/HiddenAppStore.h"
#include "model/Log.h"
#include "model/WorkspaceStore.h"
#include "support/LoggedLines.h"
#include "system/StageManager.h"

#include <algorithm>
#include <stdexcept>

namespace tessane::testing {

namespace {
}  // namespace

ControllerScenario::ControllerScenario() {
    Log::resetForTesting();
    Log::configure(&sim.systemLog, &sim.environment);
    setDisplays({display({0, 0, 1440, 900}, 1)});
    // The desktop's preferences folder exists, as it does on a real system.
    if (auto file = StageManager::preferencesFile(sim.preferences)) sim.fileWatch.createFolder(file->parent_path());
    manager = std::make_unique<WorkspaceManager>(WorkspaceStore(sim.environment.dataFolder()), sim.applications);
    ledger = std::make_unique<HiddenAppLedger>(std::make_shared<UserDefaultsHiddenAppStore>(sim.defaults));
}

ControllerScenario::~ControllerScenario() {
    controller_.reset();
    Log::configure(nullptr, nullptr);
    Log::resetForTesting();
}

ScreenInfo ControllerScenario::display(const Rect& frame, uint32_t number) {
    ScreenInfo info = sim::SimScreens::screen(frame, number, "00000000-0000-0000-0000-00000000000" + std::to_string(number % 10));
    info.visibleFrame = Rect(frame.minX(), frame.minY(), frame.width(), frame.height() - 25);
    return info;
}

void ControllerScenario::setDisplays(std::vector<ScreenInfo> screens) { sim.screens.setScreens(std::move(screens)); }

ManagedApp ControllerScenario::installApp(const std::string& name) {
    const std::string path = "/Applications/" + name + ".app";
    sim.applications.installApp(path, {bundleID(name), name, name});
    ManagedApp app;
    app.displayName = name;
    app.bundleIdentifier = bundleID(name);
    app.appPath = path;
    return app;
}

sim::SimApp& ControllerScenario::launchApp(const std::string& name, const AppSetup& setup) {
    installApp(name);
    sim::SimApplications::RunningSpec details;
    details.bundleIdentifier = bundleID(name);
    details.bundlePath = "/Applications/" + name + ".app";
    details.name = name;
    details.hidden = setup.hidden;
    details.finishedLaunching = setup.finishedLaunching;
    sim::SimApp& app = sim.applications.addRunningApp(details);
    for (int i = 0; i < setup.windows; ++i) {
        sim::SimWindowSpec window;
        window.title = name + " " + std::to_string(i + 1);
        window.frame = setup.frame.offsetBy(30.0 * i, 30.0 * i);
        if (i == 0 && setup.document) window.document = "file://" + *setup.document;
        app.addWindow(window);
    }
    pids_[name] = app.pid();
    return app;
}

sim::SimApp& ControllerScenario::app(const std::string& name) const {
    auto it = pids_.find(name);
    sim::SimApp* app = it == pids_.end() ? nullptr : sim.windowServer.app(it->second);
    if (!app) throw std::logic_error("no running app " + name);
    return *app;
}

sim::SimWindow& ControllerScenario::window(const std::string& name, size_t index) const {
    sim::SimWindow* window = app(name).window(index);
    if (!window) throw std::logic_error("no window " + std::to_string(index) + " of " + name);
    return *window;
}

void ControllerScenario::activate(const std::string& name) {
    sim.applications.activate(pid(name));
    drain();
}

void ControllerScenario::quitApp(const std::string& name) {
    sim.applications.quit(pid(name));
    drain();
}

void ControllerScenario::setStageManager(bool on) {
    sim.preferences.set(StageManager::kDomain, StageManager::kEnabledKey, on);
}

Workspace ControllerScenario::addWorkspace(const std::string& name, std::initializer_list<std::string> appNames,
                                           LayoutType type) {
    Workspace ws = manager->createWorkspace(name);
    for (const auto& appName : appNames) ws.apps.push_back(installApp(appName));
    ws.layout.type = type;
    manager->update(ws);
    return *manager->workspace(ws.id);
}

Workspace ControllerScenario::workspace(const Uuid& id) const {
    auto ws = manager->workspace(id);
    if (!ws) throw std::logic_error("no workspace " + id.string());
    return *ws;
}

WorkspaceControllerEnvironment ControllerScenario::environment() {
    WorkspaceControllerEnvironment env;
    env.platform = sim.platform();
    env.input = &input;
    env.manager = manager.get();
    env.hiddenApps = ledger.get();
    env.ownBundleIdentifier = kOwnBundleID;
    env.makeChrome = [this] {
        auto record = std::make_shared<ChromeRecord>();
        record->onOrderFront = [this] {
            if (onChromeOrderedFront) onChromeOrderedFront();
        };
        chromes.push_back(record);
        return std::make_unique<FakeContainerChrome>(record);
    };
    env.makeNotice = [this] { return std::make_unique<FakeNoticeChrome>(notice); };
    env.makeTips = [this] { return std::make_unique<FakeTipsChrome>(tips); };
    env.makeSwitcher = [this] { return std::make_unique<FakeSwitcherChrome>(switcher); };
    return env;
}

WorkspaceController& ControllerScenario::start() {
    auto env = environment();
    if (adjustEnvironment) adjustEnvironment(env);
    platform_ = env.platform;
    controller_ = std::make_unique<WorkspaceController>(std::move(env));
    return *controller_;
}

void ControllerScenario::stop() { controller_.reset(); }

WorkspaceControllerProbe::Session& ControllerScenario::putUp(const Workspace& workspace, const Rect& containerAX) {
    auto& session = probe().putUp(workspace.id, containerAX);
    // A scenario may hand out the real chrome instead (through adjustEnvironment): no record then.
    if (auto* fake = dynamic_cast<FakeContainerChrome*>(session.chrome.get())) chromeOf_[workspace.id] = fake->record();
    return session;
}

ChromeRecord& ControllerScenario::chrome(const Uuid& workspaceID) const {
    auto it = chromeOf_.find(workspaceID);
    if (it == chromeOf_.end()) throw std::logic_error("workspace was never put up");
    return *it->second;
}

ControllerScenario::Lines ControllerScenario::log() const { return loggedMessages(); }

void ControllerScenario::clearLog() { Log::resetForTesting(); }

size_t ControllerScenario::logCount(const std::string& text) const {
    auto lines = log();
    return static_cast<size_t>(std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.find(text) != std::string::npos;
    }));
}

}  // namespace tessane::testing
