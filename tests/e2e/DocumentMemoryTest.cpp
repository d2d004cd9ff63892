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
        // The system's desktop entries, as a user's desktop has them: Debian's editor ships a
        // second entry (its settings) that runs the same program.
        setenv("XDG_DATA_DIRS", ((home_->root() / "system").string() + ":/usr/share").c_str(), 1);
    }
    // A session bus, on which the editor keeps one instance that later starts hand their files to.
    void startSessionBus() {
        const fs::path socket = home_->root() / "run/bus";
        bus_ = ChildProcess::start({"dbus-daemon", "--session", "--nofork", "--nopidfile", "--address=unix:path=" + socket.string()},
                                   "", (home_->root() / "bus.log").string());
        ASSERT_TRUE(waitFor([&] { return fs::exists(socket); })) << "no session bus";
        setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + socket.string()).c_str(), 1);
    }
    void TearDown() override {
        for (const XWindowId w : editorWindows())
            if (const auto pid = x_->cardinals(w, "_NET_WM_PID"); pid && !pid->empty())
                ::kill(static_cast<pid_t>(pid->front()), SIGKILL);
        unsetenv("GSETTINGS_SCHEMA_DIR");
        unsetenv("GSETTINGS_BACKEND");
        EndToEndTest::TearDown();
        bus_.reset();
    }
    static fs::path entry() { return kEditorEntry; }
    std::vector<XWindowId> editorWindows() {
        x_->processEvents();
        std::vector<XWindowId> found;
        for (XWindowId w : x_->windowList(x_->root(), "_NET_CLIENT_LIST").value_or(std::vector<XWindowId>{}))
            if (const auto klass = x_->wmClass(w); klass && klass->second == "Mousepad") found.push_back(w);
        return found;
    }
    // Alpha in the left pane and the editor's window in the right one: side by side, of one top
    // and height (where the editor puts its window itself is not its pane). Where the divider
    // ends up is not what these tests are about.
    bool waitUntilPaired(XWindowId editor) {
        return waitFor(
            [&] {
                const RootRect a = frame(alpha_), b = frame(editor);
                return a.width > 300 && b.width > 300 && a.x >= 0 && a.x + a.width <= b.x &&
                       b.x + b.width <= kScreenWidth && a.y == b.y && a.height == b.height;
            });
    }
    // The editor's window whose title names `file`, once there is one.
    XWindowId editorShowing(const std::string& file) {
        XWindowId window = 0;
        waitFor(
            [&] {
                for (XWindowId w : editorWindows())
                    if (x_->text(w, "_NET_WM_NAME").value_or("").find(file) != std::string::npos) window = w;
                return window != 0;
            });
        return window;
    }
    // Notes: Alpha and the editor, the editor's pane remembering `document`.
    void storeNotes(const std::optional<fs::path>& document = std::nullopt) {
        Workspace notes = home_->workspace("Notes", {"Alpha", "Mousepad"});
        notes.apps[1].bundleIdentifier = "org.xfce.mousepad";
        notes.apps[1].appPath = entry().string();
        if (document) notes.apps[1].lastDocumentPath = document->string();
        home_->storeWorkspaces({notes});
    }
    std::unique_ptr<ChildProcess> bus_;
};

TEST_F(DocumentMemoryTest, TheEditorComesBackInItsPaneWithTheFileItHadOpen) {
    const fs::path file = home_->root() / "home" / "notes.txt";
    std::ofstream(file) << "remember me\n";
    home_->installApp("Alpha");
    alpha_ = runApp("Alpha").windows.at(0);
    auto editor = ChildProcess::start({kEditor, file.string()}, server_->display(), (home_->root() / "editor.log").string());
    const XWindowId first = editorShowing("notes.txt");
    ASSERT_NE(first, 0u) << "no Mousepad window names notes.txt";

    storeNotes();
    ASSERT_NO_FATAL_FAILURE(startReadyTessane());
    press("super+alt+1");
    ASSERT_TRUE(waitUntilPaired(first)) << frames(alpha_, first) << "\n" << log();
    press("super+alt+h");
    ASSERT_TRUE(waitForState({alpha_, first}, IconicState)) << log();
    EXPECT_EQ(logCount("[Tessane] Mousepad: its pane now reopens “notes.txt”."), 1u) << log();

    ::kill(editor->pid(), SIGTERM);
    ASSERT_TRUE(editor->wait(kAnswer.limit));
    ASSERT_EQ(endTessane(SIGTERM), 0);
    const auto stored = WorkspaceStore(home_->dataFolder()).load();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].apps[1].lastDocumentPath, file.string());

    ASSERT_NO_FATAL_FAILURE(startReadyTessane());
    press("super+alt+1");
    EXPECT_TRUE(waitForLog("[Tessane] Mousepad: launching with 1 remembered document(s): notes.txt")) << log();
    const XWindowId again = editorShowing("notes.txt");
    ASSERT_NE(again, 0u) << log();
    EXPECT_TRUE(waitUntilPaired(again)) << frames(alpha_, again) << "\n" << log();
    EXPECT_TRUE(waitForLog("[Tessane] Mousepad: found its pane's document “notes.txt”.")) << log();
}

// The editor runs as one instance, showing another file: the show asks it for the remembered one,
// the process started for that hands it over, and the running editor shows it in the pane.
TEST_F(DocumentMemoryTest, ARunningEditorIsHandedTheRememberedFileItIsNotShowing) {
    startSessionBus();
    const fs::path notes = home_->root() / "home" / "notes.txt", todo = home_->root() / "home" / "todo.txt";
    std::ofstream(notes) << "notes\n";
    std::ofstream(todo) << "todo\n";
    home_->installApp("Alpha");
    alpha_ = runApp("Alpha").windows.at(0);
    auto editor = ChildProcess::start({kEditor, notes.string()}, server_->display(), (home_->root() / "editor.log").string());
    ASSERT_NE(editorShowing("notes.txt"), 0u) << "no Mousepad window names notes.txt";
    storeNotes(todo);
    ASSERT_NO_FATAL_FAILURE(startReadyTessane());

    press("super+alt+1");
    EXPECT_TRUE(waitForLog("[Tessane] Mousepad is running without 1 remembered document(s) — opening: todo.txt")) << log();
    const XWindowId shown = editorShowing("todo.txt");
    ASSERT_NE(shown, 0u) << log();
    EXPECT_EQ(x_->cardinals(shown, "_NET_WM_PID"), std::optional(std::vector<long>{editor->pid()})) << "not the running editor's";
    EXPECT_TRUE(waitUntilPaired(shown)) << frames(alpha_, shown) << "\n" << log();
    EXPECT_TRUE(waitForLog("[Tessane] Mousepad: found its pane's document “todo.txt”.")) << log();
    // The window the editor opened at a size of its own is no sign of a minimum: the split stays even.
    EXPECT_TRUE(waitUntilPaired(shown));
    EXPECT_EQ(frame(alpha_).width, frame(shown).width) << frames(alpha_, shown);
}

}  // namespace
}  // namespace tessane::e2e
