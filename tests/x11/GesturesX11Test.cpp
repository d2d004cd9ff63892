// Minimum-size learning against a real window manager: a client whose size hints refuse a narrow
// pane ends up beside its neighbour, both inside the grown container.
#include "x11/X11TestBase.h"

#include "controller/WorkspaceController.h"
#include "model/HiddenAppLedger.h"
#include "model/HiddenAppStore.h"
#include "model/Log.h"
#include "model/WorkspaceManager.h"
#include "model/WorkspaceStore.h"
#include "platform/Accessibility.h"
#include "platform/Applications.h"
#include "platform/linux/LinuxEnvironment.h"
#include "platform/linux/LinuxSystemLog.h"
#include "platform/qt/LinuxPlatform.h"
#include "platform/qt/QtMainQueue.h"
#include "support/ChromeFakes.h"
#include "support/WorkspaceControllerProbe.h"
#include "system/AXWindowController.h"

#include <QApplication>

#include <filesystem>
#include <fstream>
#include <random>

namespace tessane::x11test {
namespace {

namespace fs = std::filesystem;
using testing::FakeContainerChrome;

class GesturesX11Test : public X11TestBase {
protected:
    void SetUp() override {
        X11TestBase::SetUp();
        if (QCoreApplication::instance() && !qobject_cast<QApplication*>(QCoreApplication::instance()))
            GTEST_SKIP() << "needs its own process (a QApplication on the private server)";
        root_ = fs::temp_directory_path() / ("tessane-gestures-" + std::to_string(std::random_device{}()));
        writeEntry("org.tessane.Narrow", "Name=Narrow\nStartupWMClass=NarrowApp\nExec=narrow-not-installed\n");
        writeEntry("org.tessane.Wide", "Name=Wide\nStartupWMClass=WideApp\nExec=wide-not-installed\n");
        setenv("HOME", root_.c_str(), 1);
        setenv("XDG_DATA_HOME", (root_ / "data").c_str(), 1);
        setenv("XDG_DATA_DIRS", (root_ / "system").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
        setenv("DISPLAY", server_->display().c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
        setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/tessane-no-bus", 1);
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "tests_x11";
            static char* argv[] = {name, nullptr};
            new QApplication(argc, argv);
        }
        linux_ = std::make_unique<qt_backend::LinuxPlatform>();
        Log::configure(&linux_->systemLog(), &linux_->environment());
        std::string why;
        ASSERT_TRUE(linux_->openDisplay(&why)) << why;
        linux_->start([this](const std::string& line) { logLines_.push_back(line); });
        platform_ = linux_->platform();
    }
    void TearDown() override {
        controller_.reset();
        ledger_.reset();
        manager_.reset();
        if (linux_) linux_->stop();
        linux_.reset();
        fs::remove_all(root_);
        X11TestBase::TearDown();
    }

    void writeEntry(const std::string& id, const std::string& body) {
        const fs::path file = root_ / "data/applications" / (id + ".desktop");
        fs::create_directories(file.parent_path());
        std::ofstream(file) << "[Desktop Entry]\nType=Application\n" << body;
    }

    bool run(const std::function<bool()>& done, double seconds) {
        return static_cast<qt_backend::QtMainQueue&>(*platform_.mainQueue).runUntil(done, seconds);
    }

    std::optional<Rect> frameOf(Pid pid) {
        AXWindowController ax(*platform_.accessibility);
        const auto windows = ax.manageableWindows(pid);
        if (windows.empty()) return std::nullopt;
        const auto position = ax.point(windows[0].element, ax::kPosition);
        const auto size = ax.sizeValue(windows[0].element, ax::kSize);
        if (!position || !size) return std::nullopt;
        return Rect(*position, *size);
    }

    fs::path root_;
    std::unique_ptr<qt_backend::LinuxPlatform> linux_;
    Platform platform_;
    testing::FakeGlobalInput input_;
    std::unique_ptr<WorkspaceManager> manager_;
    std::unique_ptr<HiddenAppLedger> ledger_;
    std::unique_ptr<WorkspaceController> controller_;
};

TEST_F(GesturesX11Test, AClientWithAMinimumWidthGetsItsShareAndBothFitTheGrownContainer) {
    const Pid narrow = startClient({"--class", "narrow.NarrowApp", "--size", "400x300"}).process->pid();
    const Pid wide = startClient({"--class", "wide.WideApp", "--size", "800x500", "--min", "700x400"}).process->pid();
    ASSERT_TRUE(run(
        [&] {
            const auto a = platform_.applications->runningApplication(narrow);
            const auto b = platform_.applications->runningApplication(wide);
            return a && b && a->bundleIdentifier && b->bundleIdentifier && a->isFinishedLaunching &&
                   b->isFinishedLaunching;
        },
        10));

    manager_ = std::make_unique<WorkspaceManager>(WorkspaceStore(root_ / "workspaces"), *platform_.applications);
    ledger_ = std::make_unique<HiddenAppLedger>(std::make_shared<UserDefaultsHiddenAppStore>(*platform_.defaults));
    Workspace ws = manager_->createWorkspace("Side by side");
    for (const auto& [name, id] : {std::pair{"Narrow", "org.tessane.Narrow"}, std::pair{"Wide", "org.tessane.Wide"}}) {
        ManagedApp app;
        app.displayName = name;
        app.bundleIdentifier = id;
        ws.apps.push_back(app);
    }
    ws.layout.type = LayoutType::leftRightSplit;
    manager_->update(ws);

    WorkspaceControllerEnvironment env;
    env.platform = platform_;
    env.input = &input_;
    env.manager = manager_.get();
    env.hiddenApps = ledger_.get();
    env.ownBundleIdentifier = "org.tessane.Tessane";
    env.makeChrome = [] { return std::make_unique<FakeContainerChrome>(std::make_shared<testing::ChromeRecord>()); };
    env.makeNotice = [] { return std::make_unique<testing::FakeNoticeChrome>(std::make_shared<testing::NoticeRecord>()); };
    env.makeTips = [] { return std::make_unique<testing::FakeTipsChrome>(std::make_shared<testing::TipsRecord>()); };
    env.makeSwitcher = [] {
        return std::make_unique<testing::FakeSwitcherChrome>(std::make_shared<testing::SwitcherRecord>());
    };
    controller_ = std::make_unique<WorkspaceController>(std::move(env));
    WorkspaceControllerProbe probe{*controller_};

    // 1000 pt wide: 494 pt panes, too narrow for the wide client's 700.
    probe.putUp(ws.id, Rect{100, 100, 1000, 600});
    probe.placeWindowsLearning(*manager_->workspace(ws.id));
    // Learning runs 0.35 s after the pass, its re-tile after that, the on-screen check 0.4 s later.
    run(
        [&] {
            const auto left = frameOf(narrow);
            const auto right = frameOf(wide);
            return left && right && left->maxX() <= right->minX() + 1 &&
                   probe.session(ws.id)->containerAXRect->width() > 1000;
        },
        8.0);
    run([] { return false; }, 0.6);

    const Rect container = *probe.session(ws.id)->containerAXRect;
    const auto left = frameOf(narrow);
    const auto right = frameOf(wide);
    ASSERT_TRUE(left && right);
    EXPECT_GT(container.width(), 1000) << WorkspaceController::rectDescription(container);
    EXPECT_GE(right->width(), 700);
    for (const Rect& frame : {*left, *right})
        EXPECT_TRUE(container.insetBy(-1, -1).contains(frame))
            << WorkspaceController::rectDescription(frame) << " outside " << WorkspaceController::rectDescription(container);
    EXPECT_LE(left->maxX(), right->minX() + 1) << WorkspaceController::rectDescription(*left) << " overlaps "
                                               << WorkspaceController::rectDescription(*right);
}

}  // namespace
}  // namespace tessane::x11test
