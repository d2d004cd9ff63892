#pragma once
// The real workspace controller on the real Linux platform (private X server with Openbox), with
// recording fake chrome: for tests of what the controller does to real client windows.
#include "x11/X11TestBase.h"

#include "controller/WorkspaceController.h"
#include "model/HiddenAppLedger.h"
#include "model/HiddenAppStore.h"
#include "model/Log.h"
#include "model/WorkspaceManager.h"
#include "model/WorkspaceStore.h"
#include "platform/Accessibility.h"
#include "platform/Applications.h"
#include "platform/linux/session/LinuxEnvironment.h"
#include "platform/linux/session/LinuxSystemLog.h"
#include "platform/qt/LinuxPlatform.h"
#include "platform/qt/QtMainQueue.h"
#include "support/ChromeFakes.h"
#include "support/WorkspaceControllerProbe.h"
#include "system/AXWindowController.h"

#include <QApplication>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

namespace tessane::x11test {

class ControllerX11Test : public X11TestBase {
protected:
    void SetUp() override {
        X11TestBase::SetUp();
        if (QCoreApplication::instance() && !qobject_cast<QApplication*>(QCoreApplication::instance()))
            GTEST_SKIP() << "needs its own process (a QApplication on the private server)";
        root_ = std::filesystem::temp_directory_path() /
                ("tessane-controller-x11-" + std::to_string(std::random_device{}()));
        writeEntries();  // before the platform starts and reads them
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
        std::filesystem::remove_all(root_);
        X11TestBase::TearDown();
    }

    // The desktop entries of the test's apps, written with writeEntry.
    virtual void writeEntries() = 0;
    void writeEntry(const std::string& id, const std::string& body) {
        const std::filesystem::path file = root_ / "data/applications" / (id + ".desktop");
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file) << "[Desktop Entry]\nType=Application\n" << body;
    }

    // Runs the main queue until work posted now for `seconds` from now has run: the queue runs its
    // work in the order it falls due, so everything the program had due sooner has run by then.
    bool runPast(double seconds) {
        bool reached = false;
        platform_.mainQueue->postAfter(seconds, [&reached] { reached = true; });
        return waitFor([&] { return reached; });
    }

    bool launched(Pid pid) {
        const auto app = platform_.applications->runningApplication(pid);
        return app && app->bundleIdentifier && app->isFinishedLaunching;
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

    // A stored workspace of the given (display name, desktop id) apps.
    Workspace makeWorkspace(const std::string& name, const std::vector<std::pair<std::string, std::string>>& apps) {
        manager_ = std::make_unique<WorkspaceManager>(WorkspaceStore(root_ / "workspaces"), *platform_.applications);
        ledger_ = std::make_unique<HiddenAppLedger>(std::make_shared<UserDefaultsHiddenAppStore>(*platform_.defaults));
        Workspace ws = manager_->createWorkspace(name);
        for (const auto& [displayName, id] : apps) {
            ManagedApp app;
            app.displayName = displayName;
            app.bundleIdentifier = id;
            ws.apps.push_back(app);
        }
        ws.layout.type = LayoutType::leftRightSplit;
        manager_->update(ws);
        return ws;
    }

    // The controller, with its chrome and notices recorded in chrome_ and notices_.
    WorkspaceController& makeController() {
        WorkspaceControllerEnvironment env;
        env.platform = platform_;
        env.input = &input_;
        env.manager = manager_.get();
        env.hiddenApps = ledger_.get();
        env.ownBundleIdentifier = "org.tessane.Tessane";
        env.makeChrome = [chrome = chrome_] { return std::make_unique<testing::FakeContainerChrome>(chrome); };
        env.makeNotice = [notices = notices_] { return std::make_unique<testing::FakeNoticeChrome>(notices); };
        env.makeTips = [] { return std::make_unique<testing::FakeTipsChrome>(std::make_shared<testing::TipsRecord>()); };
        env.makeSwitcher = [] {
            return std::make_unique<testing::FakeSwitcherChrome>(std::make_shared<testing::SwitcherRecord>());
        };
        controller_ = std::make_unique<WorkspaceController>(std::move(env));
        return *controller_;
    }

    std::filesystem::path root_;
    std::unique_ptr<qt_backend::LinuxPlatform> linux_;
    Platform platform_;
    testing::FakeGlobalInput input_;
    std::shared_ptr<testing::ChromeRecord> chrome_ = std::make_shared<testing::ChromeRecord>();
    std::shared_ptr<testing::NoticeRecord> notices_ = std::make_shared<testing::NoticeRecord>();
    std::unique_ptr<WorkspaceManager> manager_;
    std::unique_ptr<HiddenAppLedger> ledger_;
    std::unique_ptr<WorkspaceController> controller_;
};

}  // namespace tessane::x11test
