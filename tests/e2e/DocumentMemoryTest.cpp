// A pane remembers the file its editor shows and gets it back: a real GTK editor (Mousepad) has a
// file open, the workspace hides, the editor and Tessane quit, and the next show starts the editor
// with that file again, in its pane.
#include "EndToEndTest.h"
#include "model/WorkspaceStore.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>  // the ICCCM window states

#include <csignal>
#include <cstdlib>
#include <fstream>

namespace tessane::e2e {
namespace {

constexpr const char* kEditor = "/usr/bin/mousepad";
constexpr const char* kEditorEntry = "/usr/share/applications/org.xfce.mousepad.desktop";

class DocumentMemoryTest : public EndToEndTest {
protected:
    void SetUp() override {
        EndToEndTest::SetUp();
        if (!fs::exists(kEditor) || !fs::exists(kEditorEntry)) GTEST_SKIP() << "Mousepad is not installed";
        // The editor's settings schemas are the system's; its settings stay in memory.
        setenv("GSETTINGS_SCHEMA_DIR", "/usr/share/glib-2.0/schemas", 1);
        setenv("GSETTINGS_BACKEND", "memory", 1);
        fs::copy_file(kEditorEntry, entry());
    }
    void TearDown() override {
        for (const XWindowId w : editorWindows())
            if (const auto pid = x_->cardinals(w, "_NET_WM_PID"); pid && !pid->empty())
                ::kill(static_cast<pid_t>(pid->front()), SIGKILL);
        unsetenv("GSETTINGS_SCHEMA_DIR");
        unsetenv("GSETTINGS_BACKEND");
        EndToEndTest::TearDown();
    }
    fs::path entry() const { return home_->root() / "data/applications/org.xfce.mousepad.desktop"; }
    std::vector<XWindowId> editorWindows() {
        x_->processEvents();
        std::vector<XWindowId> found;
        for (XWindowId w : x_->windowList(x_->root(), "_NET_CLIENT_LIST").value_or(std::vector<XWindowId>{}))
            if (const auto klass = x_->wmClass(w); klass && klass->second == "Mousepad") found.push_back(w);
        return found;
    }
    // Alpha in the left pane and the editor's window in the right one, side by side and placed
    // there (of one height: where the editor put its window itself is not its pane).
    bool waitUntilPaired(XWindowId editor) {
        return waitFor(
            [&] {
                const RootRect a = frame(alpha_), b = frame(editor);
                return tiled(alpha_, editor) && a.y == b.y && a.height == b.height;
            },
            kDeadline);
    }
    // The editor's window whose title names `file`, once there is one.
    XWindowId editorShowing(const std::string& file) {
        XWindowId window = 0;
        waitFor(
            [&] {
                for (XWindowId w : editorWindows())
                    if (x_->text(w, "_NET_WM_NAME").value_or("").find(file) != std::string::npos) window = w;
                return window != 0;
            },
            kDeadline);
        return window;
    }
};

TEST_F(DocumentMemoryTest, TheEditorComesBackInItsPaneWithTheFileItHadOpen) {
    const fs::path file = home_->root() / "home" / "notes.txt";
    std::ofstream(file) << "remember me\n";
    home_->installApp("Alpha");
    alpha_ = runApp("Alpha").windows.at(0);
    auto editor = ChildProcess::start({kEditor, file.string()}, server_->display(), (home_->root() / "editor.log").string());
    const XWindowId first = editorShowing("notes.txt");
    ASSERT_NE(first, 0u) << "no Mousepad window names notes.txt";

    Workspace notes = home_->workspace("Notes", {"Alpha", "Mousepad"});
    notes.apps[1].bundleIdentifier = "org.xfce.mousepad";
    notes.apps[1].appPath = entry().string();
    home_->storeWorkspaces({notes});
    startTessane();
    ASSERT_TRUE(waitForLog("[Tessane][AX] launch: ")) << log();
    press("alt+super+1");
    ASSERT_TRUE(waitUntilPaired(first)) << frames(alpha_, first) << "\n" << log();
    press("alt+super+h");
    ASSERT_TRUE(waitForState({alpha_, first}, IconicState)) << log();
    EXPECT_EQ(logCount("[Tessane] Mousepad: its pane now reopens “notes.txt”."), 1u) << log();

    ::kill(editor->pid(), SIGTERM);
    ASSERT_TRUE(editor->wait(kDeadline));
    ASSERT_EQ(endTessane(SIGTERM), 0);
    const auto stored = WorkspaceStore(home_->dataFolder()).load();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].apps[1].lastDocumentPath, file.string());

    startTessane();
    ASSERT_TRUE(waitForLog("[Tessane][AX] launch: ")) << log();
    press("alt+super+1");
    EXPECT_TRUE(waitForLog("[Tessane] Mousepad: launching with 1 remembered document(s): notes.txt")) << log();
    const XWindowId again = editorShowing("notes.txt");
    ASSERT_NE(again, 0u) << log();
    EXPECT_TRUE(waitUntilPaired(again)) << frames(alpha_, again) << "\n" << log();
    EXPECT_TRUE(waitForLog("[Tessane] Mousepad: found its pane's document “notes.txt”.")) << log();
}

}  // namespace
}  // namespace tessane::e2e
