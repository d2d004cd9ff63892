#include "platform/linux/windows/LinuxAccessibility.h"
#include "platform/linux/x11/LinuxScreens.h"
#include "platform/qt/QtMainQueue.h"
#include "platform/qt/QtX11Pump.h"
#include "system/AXWindowController.h"
#include "x11/X11TestBase.h"

#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace tessane::x11test {
namespace {

// An X11 application's one New Window item, from its desktop entry's new-window action, as the
// window controller finds and presses it.
class NewWindowMenuX11Test : public X11TestBase {
protected:
    void SetUp() override {
        X11TestBase::SetUp();
        ensureQtApplication();
        queue_ = std::make_unique<qt_backend::QtMainQueue>();
        pump_ = qt_backend::pumpX11Events(*queue_, *x_);
        screens_ = std::make_unique<linux_backend::LinuxScreens>(*x_, *queue_);
        ax_ = std::make_unique<linux_backend::LinuxAccessibility>(*x_, *screens_, *queue_);
        folder_ = std::filesystem::temp_directory_path() / ("tessane-nwm-x11-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override {
        ax_.reset();
        screens_.reset();
        pump_.reset();
        queue_.reset();
        std::filesystem::remove_all(folder_);
        X11TestBase::TearDown();
    }

    std::unique_ptr<qt_backend::QtMainQueue> queue_;
    Subscription pump_;
    std::unique_ptr<linux_backend::LinuxScreens> screens_;
    std::unique_ptr<linux_backend::LinuxAccessibility> ax_;
    std::filesystem::path folder_;
};

TEST_F(NewWindowMenuX11Test, TheRetryFindsTheItemAndItsPressRunsTheAction) {
    auto& app = startClient({"--class", "delta.Delta", "--title", "Delta"});
    const Pid pid = static_cast<Pid>(app.process->pid());
    const auto entry = folder_ / "delta.desktop";
    std::ofstream(entry) << "[Desktop Entry]\nType=Application\nName=Delta\nExec=delta\nActions=new-window;\n"
                            "[Desktop Action new-window]\nName=New Window\nExec=touch "
                         << (folder_ / "pressed").string() << "\n";
    ax_->newWindowMenu().setEntryLookup([pid, entry](Pid asked) -> std::optional<std::filesystem::path> {
        if (asked == pid) return entry;
        return std::nullopt;
    });
    AXWindowController windows(*ax_);

    const auto item = windows.newWindowMenuItem(pid);
    ASSERT_TRUE(item.has_value());
    EXPECT_EQ(item->title, "New Window");
    EXPECT_EQ(item->menuTitle, "File");
    EXPECT_EQ(ax_->pid(item->element), pid);
    EXPECT_EQ(ax_->performAction(item->element, ax::kPress), AXError::success);
    EXPECT_TRUE(waitFor([&] { return std::filesystem::exists(folder_ / "pressed"); }));

    // Without the action the application has no menu bar at all.
    std::ofstream(entry, std::ios::trunc) << "[Desktop Entry]\nType=Application\nName=Delta\nExec=delta\n";
    EXPECT_FALSE(windows.newWindowMenuItem(pid).has_value());
    EXPECT_EQ(ax_->copyAttribute(ax_->applicationElement(pid), ax::kMenuBar).error, AXError::noValue);
}

}  // namespace
}  // namespace tessane::x11test
