#include "platform/linux/desktop/ExecLine.h"
#include "platform/linux/processes/ProcessLauncher.h"

#include "support/Waiting.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
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
        // Quoting: spaces kept, backslash escapes, "%%" a percent sign in quotes too; a
        // document reaches a shell only as an argument of its own, never in its command text.
        {R"(sh -c "exec editor \"\$1\"; echo 100%%" sh %f)", {"/x;rm -rf ~"},
         {{"sh", "-c", R"(exec editor "$1"; echo 100%)", "sh", "/x;rm -rf ~"}}},
        {R"("/opt/My App/bin/app" --x="a b" "a"%%)", {}, {{"/opt/My App/bin/app", "--x=a b", "a%"}}},
        {"  spaced   out  ", {}, {{"spaced", "out"}}},
    };
    for (const auto& c : cases) {
        auto commands = ExecLine::expand(c.exec, c.documents, kContext);
        ASSERT_TRUE(commands) << c.exec;
        EXPECT_EQ(*commands, c.expected) << c.exec;
    }
}

// Lines the Desktop Entry format forbids, where a document's name would become shell text or
// the program itself, are refused, and say why.
TEST(ExecLineTest, FieldCodesInOrAgainstQuotesOrAsTheProgramAreRefused) {
    const std::string inside = "a field code sits inside a quoted argument";
    const std::string against = "a field code sits against a quoted argument";
    const std::string program = "its program is a field code";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {R"(sh -c "prog "%f)", against},
        {R"(sh -c %f"; prog")", against},
        {R"(editor --name="x"%c)", against},
        {R"(editor "%f")", inside},
        {R"(editor x"%u")", inside},
        {R"(sh -c "exec editor %f")", inside},
        {R"(sh -c "date +%Y")", inside},
        {"%f", program},
        {"%U --flag", program},
        {"%d editor", program},  // the deprecated code would vanish and leave "editor" the program
        {"run-%k", program},
        {"\"\" x", "it names no program"},
        {"", "it is empty"},
        {"   ", "it is empty"},
        {"\"editor", "its quotes are not closed"},
        {"editor \"unclosed arg", "its quotes are not closed"},
    };
    for (const auto& [exec, why] : cases) {
        EXPECT_EQ(ExecLine::refusal(exec), why) << exec;
        EXPECT_FALSE(ExecLine::expand(exec, {"/a;touch /tmp/x"}, kContext)) << exec;
    }
    for (const std::string exec : {"editor %F", R"("/opt/My App/app" "100%%" %u)", "editor 50%"})
        EXPECT_EQ(ExecLine::refusal(exec), std::nullopt) << exec;

    EXPECT_TRUE(ExecLine::takesDocuments("editor --x %U"));
    EXPECT_TRUE(ExecLine::takesDocuments("editor --file=%f"));
    EXPECT_FALSE(ExecLine::takesDocuments("editor %%f %i"));
}

TEST(ExecLineTest, DocumentsAreHandedOverAsAbsolutePathsOrAsTheURLsTheyAre) {
    const std::filesystem::path base = "/home/user/work";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"-rf", "/home/user/work/-rf"},  // never an option
        {"--help=x:y", "/home/user/work/--help=x:y"},
        {"notes/a b.txt", "/home/user/work/notes/a b.txt"},
        {"/tmp/-x", "/tmp/-x"},
        {"c:notes", "/home/user/work/c:notes"},  // one letter is a file name, not a scheme
        {"2x:y", "/home/user/work/2x:y"},
        {"https://example.org/a b?c", "https://example.org/a b?c"},
        {"file:///tmp/x", "file:///tmp/x"},
        {"mailto:someone@example.org", "mailto:someone@example.org"},
        {"svn+ssh://host/repo", "svn+ssh://host/repo"},
    };
    for (const auto& [document, handed] : cases) EXPECT_EQ(ExecLine::documentArgument(document, base), handed) << document;
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
    ::setenv("DESKTOP_STARTUP_ID", "ours_TIME5", 1);
    auto started = linux_backend::ProcessLauncher::launchDetached(
        {"sh", "-c", "echo \"$(ps -o sid= -p $$) $$ ${DESKTOP_STARTUP_ID:-none}\" > " + marker.string()}, "/",
        "launch-7_TIME0");
    ::unsetenv("DESKTOP_STARTUP_ID");
    ASSERT_TRUE(started.ok()) << started.description;
    // The shell makes the file before it writes the line: the line is there once it ends.
    std::string line;
    testing::waitFor([&] {
        std::ifstream file(marker);
        line.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        return line.ends_with('\n');
    });
    std::istringstream in(line);
    long sid = 0, pid = 0;
    std::string startupId;
    in >> sid >> pid >> startupId;
    EXPECT_EQ(pid, started.pid);
    EXPECT_NE(sid, ::getsid(0));  // it left our session
    EXPECT_EQ(startupId, "launch-7_TIME0");  // the launch's own, never ours
    EXPECT_EQ(::waitpid(started.pid, nullptr, WNOHANG), -1);  // not our child
    std::filesystem::remove(marker);
}

}  // namespace
}  // namespace tessane::linux_desktop
