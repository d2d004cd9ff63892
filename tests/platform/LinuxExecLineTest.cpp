#include "platform/linux/DesktopAppIndex.h"
#include "platform/linux/ExecLine.h"
#include "platform/linux/ProcessLauncher.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tessane::linux_desktop {
namespace {

using Commands = std::vector<std::vector<std::string>>;

const ExecLine::Context kContext{"org.example.Editor", "Bearbeiter", "/usr/share/applications/editor.desktop"};

TEST(ExecLineTest, FieldCodesExpandAsTheDesktopEntryRulesSay) {
    struct Case {
        std::string exec;
        std::vector<std::string> documents;
        Commands expected;
    };
    const std::vector<Case> cases = {
        {"editor %F", {}, {{"editor"}}},
        {"editor %F", {"/a b.txt", "/c.txt"}, {{"editor", "/a b.txt", "/c.txt"}}},
        {"editor --new %U", {"/a"}, {{"editor", "--new", "/a"}}},
        // One document per run: once per document.
        {"editor %f", {"/a", "/b"}, {{"editor", "/a"}, {"editor", "/b"}}},
        {"editor --file=%u", {"/a"}, {{"editor", "--file=/a"}}},
        {"editor %f", {}, {{"editor"}}},
        {"editor %i --title %c %k", {}, {{"editor", "--icon", "org.example.Editor", "--title", "Bearbeiter",
                                         "/usr/share/applications/editor.desktop"}}},
        {"editor 100%% %d %D %n %N %v %m", {}, {{"editor", "100%"}}},
        // Quoting: spaces kept, backslash escapes, codes inside quotes left alone (no document
        // name ever lands in a shell's command text).
        {R"(sh -c "exec editor \"\$1\" %f" sh %f)", {"/x;rm -rf ~"},
         {{"sh", "-c", R"(exec editor "$1" %f)", "sh", "/x;rm -rf ~"}}},
        {R"("/opt/My App/bin/app" --x="a b")", {}, {{"/opt/My App/bin/app", "--x=a b"}}},
        {"  spaced   out  ", {}, {{"spaced", "out"}}},
    };
    for (const auto& c : cases) {
        auto commands = ExecLine::expand(c.exec, c.documents, kContext);
        ASSERT_TRUE(commands) << c.exec;
        EXPECT_EQ(*commands, c.expected) << c.exec;
    }
}

TEST(ExecLineTest, UnreadableOrEmptyLinesAreRefused) {
    for (const std::string exec : {"", "   ", "\"editor", "editor \"unclosed arg", "%f", "\"\" x"})
        EXPECT_FALSE(ExecLine::expand(exec, {}, kContext)) << exec;
    EXPECT_TRUE(ExecLine::takesDocuments("editor --x %U"));
    EXPECT_TRUE(ExecLine::takesDocuments("editor --file=%f"));
    EXPECT_FALSE(ExecLine::takesDocuments("editor %%f \"%F\" %i"));
}

class DesktopAppIndexTest : public ::testing::Test {
protected:
    DesktopAppIndexTest() {
        root = std::filesystem::temp_directory_path() / ("tessane-index-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(root / "bin");
        for (const char* program : {"editor", "python3", "browser"}) {
            std::ofstream(root / "bin" / program) << "#!/bin/sh\n";
            ::chmod((root / "bin" / program).c_str(), 0755);
        }
    }
    ~DesktopAppIndexTest() override { std::filesystem::remove_all(root); }

    DesktopAppIndex::App app(const std::string& id, const std::string& body) {
        auto entry = DesktopEntry::parse("[Desktop Entry]\nType=Application\nName=" + id + "\n" + body);
        return DesktopAppIndex::describe(id, root / (id + ".desktop"), *entry, "C", (root / "bin").string());
    }
    std::optional<std::string> match(const DesktopAppIndex& index, std::string instance, std::string klass,
                                     std::optional<std::string> exe = std::nullopt) {
        DesktopAppIndex::WindowFacts facts;
        if (!instance.empty() || !klass.empty()) facts.wmClass = std::pair(instance, klass);
        if (exe) facts.executable = root / "bin" / *exe;
        auto* found = index.match(facts);
        return found ? std::optional(found->id) : std::nullopt;
    }

    std::filesystem::path root;
};

TEST_F(DesktopAppIndexTest, WindowsAreMatchedByStartupClassThenClassThenProgram) {
    DesktopAppIndex index({
        app("org.example.Helper", "StartupWMClass=Editor\nNoDisplay=true\nExec=editor --helper\n"),
        app("org.example.Editor", "StartupWMClass=Editor\nExec=editor %F\n"),
        app("Org.Example.Viewer", "Exec=viewer\n"),
        app("tool-a", "Exec=python3 /opt/a.py\n"),
        app("tool-b", "Exec=python3 /opt/b.py\n"),
        app("browser", "TryExec=browser\nExec=browser %u\n"),
        app("browser-url-handler", "NoDisplay=true\nExec=browser --handle %u\n"),
    });
    // The shown entry wins over a hidden helper with the same StartupWMClass.
    EXPECT_EQ(match(index, "editor", "Editor"), "org.example.Editor");
    EXPECT_EQ(match(index, "Editor", ""), "org.example.Editor");
    // Class or instance against the id, ignoring case; StartupWMClass exactly first.
    EXPECT_EQ(match(index, "org.example.viewer", "Whatever"), "Org.Example.Viewer");
    EXPECT_EQ(match(index, "x", "editor"), "org.example.Editor");  // against StartupWMClass, any case
    // The program only when one app runs it; an interpreter shared by two tells nothing.
    EXPECT_EQ(match(index, "x", "Unknown", "browser"), "browser");
    EXPECT_EQ(match(index, "x", "Unknown", "python3"), std::nullopt);
    EXPECT_EQ(match(index, "", "", "editor"), "org.example.Editor");
    EXPECT_EQ(match(index, "x", "Unknown"), std::nullopt);
}

TEST(ProcessLauncherTest, ProgramsAreFoundInThePathAndFailuresSayWhy) {
    EXPECT_EQ(linux_backend::ProcessLauncher::findProgram("sh", "/nonexistent:/bin:/usr/bin"),
              std::filesystem::path("/bin/sh"));
    EXPECT_FALSE(linux_backend::ProcessLauncher::findProgram("tessane-no-such-program", "/bin:/usr/bin"));
    auto missing = linux_backend::ProcessLauncher::launchDetached({"/nonexistent/program"}, "/");
    EXPECT_FALSE(missing.ok());
    EXPECT_NE(missing.description.find("/nonexistent/program"), std::string::npos);

    // A started program is nobody's child of ours: it runs in a session of its own.
    const auto marker = std::filesystem::temp_directory_path() / ("tessane-launch-" + std::to_string(std::random_device{}()));
    auto started = linux_backend::ProcessLauncher::launchDetached(
        {"sh", "-c", "echo \"$(ps -o sid= -p $$) $$ ${DESKTOP_STARTUP_ID:-none}\" > " + marker.string()}, "/");
    ASSERT_TRUE(started.ok()) << started.description;
    for (int i = 0; i < 200 && !std::filesystem::exists(marker); ++i) usleep(10000);
    usleep(20000);
    std::ifstream in(marker);
    long sid = 0, pid = 0;
    std::string startupId;
    in >> sid >> pid >> startupId;
    EXPECT_EQ(pid, started.pid);
    EXPECT_NE(sid, ::getsid(0));  // it left our session
    EXPECT_EQ(startupId, "none");
    EXPECT_EQ(::waitpid(started.pid, nullptr, WNOHANG), -1);  // not our child
    std::filesystem::remove(marker);
}

}  // namespace
}  // namespace tessane::linux_desktop
