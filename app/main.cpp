// The program: finds the display, builds the desktop's ports, runs the application delegate's
// start-up, then the event loop until a quit, then the delegate's quit sequence.
#include "QuitEdges.h"
#include "ShellParts.h"
#include "SingleInstance.h"
#include "StallWatch.h"

#include "chrome/ContainerChromeAdapter.h"
#include "chrome/WorkspaceNoticeController.h"
#include "chrome/WorkspaceSwitcherPanel.h"
#include "chrome/WorkspaceTipsController.h"
#include "controller/WorkspaceController.h"
#include "model/Log.h"
#include "platform/Environment.h"
#include "platform/EventMonitors.h"
#include "platform/linux/session/LinuxEnvironment.h"
#include "platform/linux/session/LinuxSystemLog.h"
#include "platform/linux/desktop/InstalledLayout.h"
#include "platform/linux/desktop/SchemeHandlerRegistration.h"
#include "platform/qt/AppIcon.h"
#include "platform/qt/HeapRelease.h"
#include "platform/qt/LinuxPlatform.h"
#include "platform/qt/QtMainQueue.h"
#include "platform/qt/tray/QtStatusItem.h"
#include "platform/qt/WindowShortcuts.h"
#include "application/AppDelegate.h"
#include "base/WaitBounds.h"
#include "shell/EventMonitorsInput.h"
#include "shell/StartArguments.h"

#include <QApplication>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

using namespace tessane;

namespace {

// The desktop entry the program installs (app/tessane.desktop): our own "bundle identifier".
constexpr const char* kOwnDesktopID = "tessane";

// Who we are, for the permission's log line: the program and the folder it runs from.
AccessibilityPermission::Identity identity(const Environment& environment) {
    AccessibilityPermission::Identity id;
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        id.executablePath = exe.string();
        id.bundlePath = exe.parent_path().string();
        id.processName = exe.filename().string();
        id.installed = linux_backend::isInstalledLayout(exe);
    }
    id.bundleIdentifier = kOwnDesktopID;
    id.pid = static_cast<int32_t>(::getpid());
    id.runsAsInstalledApplication = environment.runsAsInstalledApplication();
    return id;
}

WorkspaceControllerEnvironment controllerEnvironment(const Platform& platform, GlobalInput& input) {
    WorkspaceControllerEnvironment env;
    env.platform = platform;
    env.input = &input;
    env.ownBundleIdentifier = kOwnDesktopID;
    env.identity = [environment = platform.environment] { return identity(*environment); };
    env.makeChrome = [platform] { return makeContainerChrome(platform); };
    env.makeNotice = [platform]() -> std::unique_ptr<NoticeChrome> {
        return std::make_unique<WorkspaceNoticeController>(*platform.panels, *platform.animator, *platform.screens,
                                                           *platform.mainQueue);
    };
    env.makeTips = [platform]() -> std::unique_ptr<TipsChrome> {
        return std::make_unique<WorkspaceTipsController>(*platform.panels, *platform.screens, *platform.defaults,
                                                         *platform.mainQueue);
    };
    env.makeSwitcher = [platform]() -> std::unique_ptr<SwitcherChrome> {
        return std::make_unique<WorkspaceSwitcherPanel>(*platform.panels, *platform.screens, *platform.eventMonitors);
    };
    return env;
}

// Writes this user's desktop entry for tessane: links when there is none; its log line. A test
// run only does so inside a data folder the test made for it, never in the real user's home.
std::string registerLinkHandler() {
    using linux_backend::SchemeHandlerRegistration;
    if (std::getenv("TESSANE_UNDER_TEST") && !std::getenv("XDG_DATA_HOME")) return {};
    return SchemeHandlerRegistration::ensure(SchemeHandlerRegistration::forThisUser()).logLine();
}

// What the arguments answer without a display (a mistake, the usage, the version): the exit code,
// or none when the program is to start.
std::optional<int> answerWithoutDisplay(const StartArguments& arguments) {
    if (!arguments.error.empty()) {
        std::fprintf(stderr, "%s\n", arguments.error.c_str());
        return 2;
    }
    if (arguments.help) {
        std::fputs(StartArguments::usage().c_str(), stdout);
        return 0;
    }
    if (arguments.version) {
        // As the settings window's About shows it; no display needed.
        const linux_backend::LinuxEnvironment environment(true);
        std::printf("Tessane %s (build %s)\n", environment.shortVersion().value_or("?").c_str(),
                    environment.buildVersion().value_or("?").c_str());
        return 0;
    }
    return std::nullopt;
}

// The shell's parts and edges. `running` is the delegate once it exists: the menu's and the
// settings window's actions reach it there.
ShellEnvironment shellEnvironment(app::ShellParts& parts, qt_backend::QtStatusItem& statusItem,
                                  std::unique_ptr<qt_backend::WindowShortcuts>& windowShortcuts, AppDelegate*& running) {
    ShellEnvironment shell;
    shell.statusItem = &statusItem;
    shell.updater = &parts.updater();
    shell.loginItems = &parts.loginItems();
    shell.applyTheme = [&parts](std::optional<AppTheme> theme) { parts.applyTheme(theme.value_or(AppTheme::system)); };
    // Not quit(): windows that refuse to close (the welcome panel) would cancel it.
    shell.quit = [] { QApplication::exit(0); };
    // No menu bar of our own on Linux: Ctrl+Q quits and Ctrl+, opens Settings from any of our
    // windows.
    shell.installMainMenu = [&windowShortcuts, &running, quit = shell.quit] {
        windowShortcuts = std::make_unique<qt_backend::WindowShortcuts>(quit, [&running] {
            if (running) running->openSettingsWindow();
        });
    };
    shell.builder = parts.builder();
    shell.onboarding = parts.onboarding();
    shell.settings = parts.settings([&running] { return std::pair{running->manager(), running->workspaceController()}; });
    shell.captureDiagnostics = [&parts](const WorkspaceManager& manager, WorkspaceController& controller) {
        return parts.captureDiagnostics(manager, controller);
    };
    return shell;
}

// The running program, from the delegate's start until the event loop ends.
void run(qt_backend::LinuxPlatform& backend, const Platform& platform, GlobalInput& input, app::ShellParts& parts,
         app::SingleInstance& instance, const StartArguments& arguments) {
    auto& queue = static_cast<qt_backend::QtMainQueue&>(*platform.mainQueue);
    AppDelegate* running = nullptr;
    qt_backend::QtStatusItem statusItem;
    std::unique_ptr<qt_backend::WindowShortcuts> windowShortcuts;
    AppDelegate delegate(controllerEnvironment(platform, input),
                         shellEnvironment(parts, statusItem, windowShortcuts, running));
    running = &delegate;
    delegate.setLinkHandlerRegistration(registerLinkHandler);
    delegate.openLinks(arguments.links);
    instance.listen(queue, [&delegate, &queue](const InstanceMessage::Request& request) {
        if (!delegate.offerLinks(request.links)) return false;
        // From the loop's next turn, not inside the socket's: the window may ask the user something.
        if (request.openSettings) queue.post([&delegate] { delegate.openSettingsWindow(); });
        return true;
    });
    app::QuitEdges quit(queue, [&delegate] { delegate.applicationWillTerminate(); },
                        [](const std::string& line) { Log::line(line); });
    const auto lost = backend.onDisplayLost([&quit](const std::string& why) { quit.displayLost(why); });

    delegate.applicationDidFinishLaunching();
    // Once started, at the loop's first turn: the first show then finds its chrome's windows
    // made, and each workspace's first show its icons.
    queue.post([platform] { prepareContainerChrome(platform); });
    delegate.workspaceController()->prepareAppIcons();
    if (arguments.openSettings) delegate.openSettingsWindow();
    QApplication::exec();
    delegate.applicationWillTerminate(true);  // the loop ended by the user's quit (a signal quit ran already)
    instance.stopListening();
    if (backend.displayLost()) {
        // What is left to do is taking down windows, grabs and connections on a server that
        // is gone: nothing to save, and only Qt's dead connection to trip over.
        Log::line("[Tessane] Ended without its X server.");
        std::fflush(nullptr);
        std::_Exit(1);
    }
}

}  // namespace

int main(int argc, char** argv) {
    // A write to a server or peer that has gone answers EPIPE instead of ending the program: a
    // session that ends under us must leave time for the quit.
    std::signal(SIGPIPE, SIG_IGN);
    const auto arguments = StartArguments::parse(std::vector<std::string>(argv, argv + argc));
    if (const auto answered = answerWithoutDisplay(arguments)) return *answered;
    qt_backend::LinuxPlatform backend;
    Log::configure(&backend.systemLog(), &backend.environment());
    WaitBounds::setSink([](const std::string& line) { Log::line(line); });

    // A second Tessane hands its links and requests to the running one and ends.
    int exitCode = 0;
    auto instance = app::SingleInstance::take({arguments.links, arguments.openSettings}, &exitCode);
    if (!instance) return exitCode;

    std::string why;
    if (!backend.openDisplay(&why)) {
        Log::line("[Tessane] no X11 display: " + why);
        return 1;
    }
    QApplication application(argc, argv);
    // Every window of ours carries the program's icon; task lists match them to the desktop entry.
    QApplication::setWindowIcon(qt_backend::applicationIcon());
    QGuiApplication::setDesktopFileName(kOwnDesktopID);
    // Our panels come and go; the program lives until it is told to quit.
    QApplication::setQuitOnLastWindowClosed(false);
    backend.start([](const std::string& line) { Log::line(line); });
    const Platform platform = backend.platform();
    auto& queue = static_cast<qt_backend::QtMainQueue&>(*platform.mainQueue);
    // A burst of lines from other programs tells how many it held back when it is over.
    Log::setLater([&queue](double seconds, std::function<void()> work) {
        queue.postFromAnyThread([&queue, seconds, work = std::move(work)] { queue.postAfter(seconds, work); });
    });
    const auto stallWatch = app::StallWatch::fromEnvironment();
    const qt_backend::HeapRelease heapRelease(queue, std::chrono::seconds(3));

    EventMonitorsInput input(*platform.eventMonitors);
    app::ShellParts parts(platform, backend, [environment = platform.environment] { return identity(*environment); });
    run(backend, platform, input, parts, *instance, arguments);
    Log::setLater({});
    backend.stop();  // while the Qt application object still exists
    return 0;
}
