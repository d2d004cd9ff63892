#include "system/AXWindowController.h"
#include "x11/LinuxBackendTest.h"

namespace tessane::x11test {
namespace {

// An X11 application's one New Window item, from its desktop entry's new-window action, as the
// window controller finds and presses it.
using NewWindowMenuX11Test = LinuxBackendTest;

TEST_F(NewWindowMenuX11Test, TheRetryFindsTheItemAndItsPressRunsTheAction) {
    auto& app = startClient({"--class", "delta.Delta", "--title", "Delta"});
    const Pid pid = static_cast<Pid>(app.process->pid());
    const auto entry = this->entry("delta");
    writeEntry("delta", "Name=Delta\nExec=delta\nActions=new-window;\n[Desktop Action new-window]\nName=New Window\nExec=touch " +
                            (root_ / "pressed").string() + "\n");
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
    EXPECT_TRUE(waitFor([&] { return std::filesystem::exists(root_ / "pressed"); }));

    // Without the action the application has no menu bar at all.
    writeEntry("delta", "Name=Delta\nExec=delta\n");
    EXPECT_FALSE(windows.newWindowMenuItem(pid).has_value());
    EXPECT_EQ(ax_->copyAttribute(ax_->applicationElement(pid), ax::kMenuBar).error, AXError::noValue);
}

}  // namespace
}  // namespace tessane::x11test
