// The builder's seed on a real desktop: two client windows of two applications, scanned front to
// back through the X11 window list and window control, and turned into workspace records; a
// window that keeps out of taskbars is no regular application's and seeds nothing. An app whose
// program also runs its settings entry is found all the same.
#include "builder/WorkspaceCapture.h"
#include "model/AppRegistry.h"
#include "platform/linux/windows/LinuxAccessibility.h"
#include "platform/linux/apps/LinuxAppCatalog.h"
#include "platform/linux/apps/LinuxApplications.h"
#include "platform/linux/apps/LinuxRunningApplications.h"
#include "platform/linux/x11/LinuxScreens.h"
#include "platform/linux/windows/LinuxWindowList.h"
#include "platform/qt/QtMainQueue.h"
#include "platform/qt/QtX11Pump.h"
#include "x11/X11TestBase.h"

#include <fstream>
#include <random>
#include <unistd.h>

namespace tessane::x11test {
namespace {

namespace fs = std::filesystem;

class BuilderSeedTest : public X11TestBase {
protected:
    void SetUp() override {
        X11TestBase::SetUp();
        ensureQtApplication();
        root_ = fs::temp_directory_path() / ("tessane-seed-" + std::to_string(std::random_device{}()));
        for (auto [id, name, wmClass] : {std::tuple{"org.tessane.Alpha", "Alpha", "AlphaApp"},
                                         std::tuple{"org.tessane.Beta", "Beta", "BetaApp"},
                                         std::tuple{"org.tessane.Tray", "Tray", "TrayApp"}}) {
            const fs::path file = root_ / "data/applications" / (std::string(id) + ".desktop");
            fs::create_directories(file.parent_path());
            std::ofstream(file) << "[Desktop Entry]\nType=Application\nName=" << name
                                << "\nStartupWMClass=" << wmClass << "\nExec=" << name << "-not-installed\n";
        }
        // Beta is shaped as Mousepad ships: no StartupWMClass, and a settings entry that runs the
        // same program.
        const std::string client = TESSANE_X11_CLIENT;
        std::ofstream(root_ / "data/applications/org.tessane.Beta.desktop")
            << "[Desktop Entry]\nType=Application\nName=Beta\nExec=" << client << " %U\n";
        std::ofstream(root_ / "data/applications/org.tessane.Beta-settings.desktop")
            << "[Desktop Entry]\nType=Application\nName=Beta Settings\nExec=" << client
            << " --preferences\nCategories=Settings;\n";
        LinuxAppCatalog::Folders folders;
        folders.home = root_;
        folders.dataHome = root_ / "data";
        folders.dataDirs = {root_ / "system"};
        catalog_ = std::make_unique<LinuxAppCatalog>(folders, nullptr);
        queue_ = std::make_unique<qt_backend::QtMainQueue>();
        pump_ = qt_backend::pumpX11Events(*queue_, *x_);
        screens_ = std::make_unique<linux_backend::LinuxScreens>(*x_, *queue_);
        ax_ = std::make_unique<linux_backend::LinuxAccessibility>(*x_, *screens_, *queue_);
        list_ = std::make_unique<linux_backend::LinuxWindowList>(*x_, *ax_);
    }
    void startBackend() {
        running_ = std::make_unique<linux_backend::LinuxRunningApplications>(*x_, *ax_, *catalog_, *queue_, nullptr);
        apps_ = std::make_unique<linux_backend::LinuxApplications>(*catalog_, *running_);
    }
    void TearDown() override {
        apps_.reset();
        running_.reset();
        list_.reset();
        ax_.reset();
        screens_.reset();
        pump_ = {};
        queue_.reset();
        catalog_.reset();
        fs::remove_all(root_);
        X11TestBase::TearDown();
    }

    // What seeding does: the scan's distinct front applications, as fresh records.
    std::vector<std::string> seed(int limit) {
        const AXWindowController controller(*ax_);
        const WorkspaceCapture capture(controller, nullptr,
                                       {list_.get(), apps_.get(), screens_.get(), queue_.get(), Pid(::getpid())});
        std::vector<std::string> names;
        for (const auto& candidate : capture.distinctFrontApps(limit))
            if (candidate.app.bundlePath)
                names.push_back(AppRegistry(*apps_).makeManagedApp(*candidate.app.bundlePath).displayName);
        return names;
    }
    bool knows(Pid pid) {
        auto app = apps_->runningApplication(pid);
        return app && app->bundleIdentifier && app->activationPolicy == ActivationPolicy::regular;
    }

    fs::path root_;
    std::unique_ptr<LinuxAppCatalog> catalog_;
    std::unique_ptr<qt_backend::QtMainQueue> queue_;
    Subscription pump_;
    std::unique_ptr<linux_backend::LinuxScreens> screens_;
    std::unique_ptr<linux_backend::LinuxAccessibility> ax_;
    std::unique_ptr<linux_backend::LinuxWindowList> list_;
    std::unique_ptr<linux_backend::LinuxRunningApplications> running_;
    std::unique_ptr<linux_backend::LinuxApplications> apps_;
};

TEST_F(BuilderSeedTest, TheSeedNamesTheTwoFrontAppsFrontToBack) {
    auto& alpha = startClient({"--class", "alpha.AlphaApp", "--pos", "100,100"});
    auto& beta = startClient({"--class", "beta.BetaApp", "--pos", "300,200", "--windows", "2"});
    // In front of both, a window that keeps out of taskbars: not a regular application's.
    auto& tray = startClient({"--class", "tray.TrayApp", "--pos", "200,150", "--skip-taskbar"});
    startBackend();
    const Pid alphaPid = alpha.process->pid(), betaPid = beta.process->pid(), trayPid = tray.process->pid();
    ASSERT_TRUE(waitFor([&] { return knows(alphaPid) && knows(betaPid) && apps_->runningApplication(trayPid); }));
    EXPECT_EQ(apps_->runningApplication(trayPid)->activationPolicy, ActivationPolicy::accessory);

    EXPECT_EQ(seed(2), (std::vector<std::string>{"Beta", "Alpha"}));

    // Alpha comes forward: the seed follows the stacking.
    ASSERT_TRUE(apps_->activate(alphaPid));
    ASSERT_TRUE(waitFor([&] { return seed(2).front() == "Alpha"; }));
    EXPECT_EQ(seed(2), (std::vector<std::string>{"Alpha", "Beta"}));
    EXPECT_EQ(seed(1), std::vector<std::string>{"Alpha"});
}

}  // namespace
}  // namespace tessane::x11test
