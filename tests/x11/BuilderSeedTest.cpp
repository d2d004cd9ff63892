// The builder's seed on a real desktop: two client windows of two applications, scanned front to
// back through the X11 window list and window control, and turned into workspace records; a
// window that keeps out of taskbars is no regular application's and seeds nothing. An app whose
// program also runs its settings entry is found all the same.
#include "model/AppRegistry.h"
#include "system/WorkspaceCapture.h"
#include "x11/LinuxBackendTest.h"

#include <unistd.h>

namespace tessane::x11test {
namespace {

class BuilderSeedTest : public LinuxBackendTest {
protected:
    void SetUp() override {
        LinuxBackendTest::SetUp();
        for (auto [id, name, wmClass] : {std::tuple{"org.tessane.Alpha", "Alpha", "AlphaApp"},
                                         std::tuple{"org.tessane.Tray", "Tray", "TrayApp"}})
            writeEntry(id, "Name=" + std::string(name) + "\nStartupWMClass=" + wmClass + "\nExec=" + name + "-not-installed\n");
        // Beta is shaped as Mousepad ships: no StartupWMClass, and a settings entry that runs the
        // same program.
        const std::string client = TESSANE_X11_CLIENT;
        writeEntry("org.tessane.Beta", "Name=Beta\nExec=" + client + " %U\n");
        writeEntry("org.tessane.Beta-settings", "Name=Beta Settings\nExec=" + client + " --preferences\nCategories=Settings;\n");
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
};

TEST_F(BuilderSeedTest, TheSeedNamesTheTwoFrontAppsFrontToBack) {
    auto& alpha = startClient({"--class", "alpha.AlphaApp", "--pos", "100,100"});
    auto& beta = startClient({"--class", "beta.BetaApp", "--pos", "300,200", "--windows", "2"});
    // In front of both, a window that keeps out of taskbars: not a regular application's.
    auto& tray = startClient({"--class", "tray.TrayApp", "--pos", "200,150", "--skip-taskbar"});
    startApplications();
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
