#include "platform/linux/desktop/DocumentMatch.h"
#include "platform/linux/desktop/RecentDocuments.h"
#include "platform/linux/desktop/WindowDocuments.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <set>

namespace tessane::linux_desktop {
namespace {

namespace fs = std::filesystem;

TEST(WindowDocumentRules, ATitleNamesAFileOnlyAsAWholeName) {
    const struct {
        const char* title;
        const char* name;
        bool named;
    } cases[] = {
        {"notes.txt - Mousepad", "notes.txt", true},
        {"*notes.txt - Mousepad", "notes.txt", true},
        {"/home/me/docs/notes.txt - Mousepad", "notes.txt", true},
        {"● notes.txt — Kate", "notes.txt", true},
        {"Saved notes.txt.", "notes.txt", true},
        {"old-notes.txt - Editor", "notes.txt", false},
        {"mynotes.txt - Editor", "notes.txt", false},
        {"notes.txt.bak - Editor", "notes.txt", false},
        {"notes.txt-2 - Editor", "notes.txt", false},
        // A later, whole occurrence still counts.
        {"mynotes.txt and notes.txt", "notes.txt", true},
        {"Untitled 1 - Mousepad", "notes.txt", false},
        {"anything", "", false},
    };
    for (const auto& c : cases) EXPECT_EQ(titleNamesFile(c.title, c.name), c.named) << c.title << " / " << c.name;
}

TEST(WindowDocumentRules, TheMostRecentExistingFileTheTitleNamesWins) {
    const std::set<std::string> files = {"/a/notes.txt", "/b/notes.txt", "/c/notes.txt", "/a/todo.txt"};
    const auto isFile = [&](const std::string& p) { return files.count(p) > 0; };
    const std::vector<DocumentCandidate> candidates = {
        {"/a/notes.txt", 100}, {"/b/notes.txt", 300}, {"/gone/notes.txt", 900}, {"/a/todo.txt", 800}};
    EXPECT_EQ(pickDocument("notes.txt - Ed", candidates, isFile), "/b/notes.txt");
    EXPECT_EQ(pickDocument("todo.txt - Ed", candidates, isFile), "/a/todo.txt");
    EXPECT_EQ(pickDocument("Untitled - Ed", candidates, isFile), std::nullopt);
    // Held open beats any time; the same file twice is one file; two files of one name equally
    // recent cannot be told apart.
    auto held = candidates;
    held.push_back({"/a/notes.txt", DocumentCandidate::kHeldOpen});
    held.push_back({"/a/notes.txt", DocumentCandidate::kHeldOpen});
    EXPECT_EQ(pickDocument("notes.txt - Ed", held, isFile), "/a/notes.txt");
    held.push_back({"/c/notes.txt", DocumentCandidate::kHeldOpen});
    EXPECT_EQ(pickDocument("notes.txt - Ed", held, isFile), std::nullopt);
}

// What other programs wrote is read in time that grows with its length alone, within stated
// bounds: a megabyte of '&' in the recent-files list, forty thousand files of one name (most
// recent first, only so many of them looked at on disk), a name past the part of a title that
// is looked at.
TEST(WindowDocumentRules, ReadersAndMatchersStayWithinTheirBounds) {
    const std::string ampersands(size_t{1} << 20, '&');
    const auto list = parseRecentlyUsed("<xbel><bookmark href=\"file:///d/" + ampersands +
                                        "&amp;\"><bookmark:application name=\"Ed\"/></bookmark></xbel>");
    ASSERT_EQ(list.files.size(), 1u);
    EXPECT_TRUE(list.files[0].path == "/d/" + ampersands + "&");  // not printed: a megabyte

    std::vector<DocumentCandidate> sameName;
    for (int i = 0; i < 40000; ++i) sameName.push_back({"/d/" + std::to_string(i) + "/notes.txt", 100.0 + i % 7});
    size_t asked = 0;
    const auto none = [&](const std::string&) { return ++asked, false; };
    EXPECT_EQ(pickDocument("notes.txt - Ed", sameName, none), std::nullopt);
    EXPECT_EQ(asked, kMaxFileChecks);
    sameName.push_back({"/e/notes.txt", 200});
    EXPECT_EQ(pickDocument("notes.txt - Ed", sameName, [](const std::string& p) { return p == "/e/notes.txt"; }),
              "/e/notes.txt");

    const std::string far = std::string(FileNameIndex::kMaxTitleBytes, ' ') + "notes.txt - Ed";
    EXPECT_FALSE(titleNamesFile(far, "notes.txt"));
    EXPECT_TRUE(titleNamesFile(far.substr(1), "notes.txt"));
    EXPECT_FALSE(titleNamesFile(std::string(300, 'n') + " - Ed", std::string(300, 'n')));  // no file's name
}

TEST(WindowDocumentRules, ACommandLineGivesTheFilesItsExecLineHandsOver) {
    const ExecLine::Context context{"ed-icon", "Ed", "/usr/share/applications/ed.desktop"};
    const struct {
        std::vector<std::string> argv;
        const char* exec;
        std::vector<std::string> files;
    } cases[] = {
        {{"/usr/bin/mousepad", "/tmp/a.txt", "rel/b.txt"}, "mousepad %U", {"/tmp/a.txt", "/work/rel/b.txt"}},
        // The Exec line's own arguments and options are no files; a URL's path is.
        {{"ed", "--new-window", "--encoding", "UTF-8", "file:///tmp/a%20b.txt", "https://x.org/c"},
         "ed --new-window %F",
         {"/work/UTF-8", "/tmp/a b.txt"}},
        {{"ed", "--file=../a.txt", "-x"}, "ed --file=%u", {"/a.txt"}},
        {{"ed", "--", "-rf"}, "ed -- %f", {"/work/-rf"}},
        // Under an interpreter: the arguments after the program's own name.
        {{"/usr/bin/python3", "/usr/bin/ed", "/tmp/a.txt"}, "ed %f", {"/tmp/a.txt"}},
        {{"ed", "/tmp/a.txt"}, "ed --new-window", {}},
        {{"ed", "/tmp/a.txt"}, R"(sh -c "ed %f")", {}},
        {{}, "ed %f", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(commandLineDocuments(c.argv, c.exec, context, "/work"), c.files) << c.exec;
}

// As GLib writes it, with an entity, a file another program used, a remote file, an older
// entry that keeps its time in seconds, and a zone offset.
constexpr const char* kRecentlyUsed = R"(<?xml version="1.0" encoding="UTF-8"?>
<xbel version="1.0"
      xmlns:bookmark="http://www.freedesktop.org/standards/desktop-bookmarks"
      xmlns:mime="http://www.freedesktop.org/standards/shared-mime-info"
>
  <!-- a comment with <bookmark href="file:///not/this"> inside -->
  <bookmark href="file:///home/me/Tom%20%26%20Jerry.txt" added="2026-12-07T15:34:24.270880Z" modified="2026-12-07T15:34:26Z">
    <desc>Language: ; Encoding: UTF-8;</desc>
    <info>
      <metadata owner="http://freedesktop.org">
        <mime:mime-type type="text/plain"/>
        <bookmark:applications>
          <bookmark:application name="Mousepad" exec="&apos;mousepad %u&apos;" modified="2026-12-07T15:34:26.5Z" count="2"/>
          <bookmark:application name="Image Viewer" exec="&apos;eog %u&apos;" modified="2026-12-08T01:00:00+01:00" count="1"/>
        </bookmark:applications>
      </metadata>
    </info>
  </bookmark>
  <bookmark href="sftp://host/notes.txt" added="2026-12-07T15:00:00Z"><info><metadata owner="http://freedesktop.org"><bookmark:applications><bookmark:application name="Mousepad" exec="mousepad %u" modified="2026-12-07T15:00:00Z"/></bookmark:applications></metadata></info></bookmark>
  <bookmark href='file:///home/me/old.txt'><info><metadata owner="http://freedesktop.org"><bookmark:applications><bookmark:application name="org.xfce.mousepad" exec="" timestamp="1700000000"/></bookmark:applications></metadata></info></bookmark>
</xbel>
)";

TEST(WindowDocumentRules, TheRecentlyUsedListGivesEachLocalFileWithItsApplicationsAndTimes) {
    const auto list = parseRecentlyUsed(kRecentlyUsed);
    EXPECT_EQ(list.error, std::nullopt);
    ASSERT_EQ(list.files.size(), 2u);
    EXPECT_EQ(list.files[0].path, "/home/me/Tom & Jerry.txt");
    ASSERT_EQ(list.files[0].uses.size(), 2u);
    EXPECT_EQ(list.files[0].uses[0].exec, "'mousepad %u'");
    EXPECT_DOUBLE_EQ(list.files[0].uses[0].time, 1796657666.5);
    EXPECT_DOUBLE_EQ(list.files[0].uses[1].time, 1796688000);  // 00:00 UTC
    EXPECT_EQ(list.files[1].path, "/home/me/old.txt");
    EXPECT_DOUBLE_EQ(list.files[1].uses[0].time, 1700000000);

    // Which uses are Mousepad's, by its desktop entry's names.
    const auto entry = DesktopEntry::parse("[Desktop Entry]\nName=Mousepad\nExec=mousepad %U\n");
    ASSERT_TRUE(entry);
    const auto names = applicationNames("org.xfce.mousepad", *entry);
    EXPECT_TRUE(usedBy(list.files[0].uses[0], names));
    EXPECT_FALSE(usedBy(list.files[0].uses[1], names));
    EXPECT_TRUE(usedBy(list.files[1].uses[0], names));

    // A list cut short keeps what came before the cut, and says why.
    const std::string text = kRecentlyUsed;
    const auto cut = parseRecentlyUsed(text.substr(0, text.find("<bookmark href='file:///home/me/old") + 30));
    EXPECT_EQ(cut.files.size(), 1u);
    EXPECT_EQ(cut.error, "a tag is not closed");
}

TEST(WindowDocumentRules, AKdeRecentDocumentNamesItsFileAndProgram) {
    const auto file = parseKdeRecentDocument(
        "[Desktop Entry]\nName=notes.txt\nType=Link\nURL[$e]=file:$HOME/docs/notes.txt\nX-KDE-LastOpenedWith=kate\n",
        42, "/home/me");
    ASSERT_TRUE(file);
    EXPECT_EQ(file->path, "/home/me/docs/notes.txt");
    ASSERT_EQ(file->uses.size(), 1u);
    EXPECT_EQ(file->uses[0].name, "kate");
    EXPECT_EQ(file->uses[0].time, 42);
    EXPECT_FALSE(parseKdeRecentDocument("[Desktop Entry]\nURL=https://example.org/\n", 1, "/home/me"));
}

// The reading edge over a made-up process folder: its command line, working folder, open files
// and stat, beside a user's recent-files list.
TEST(WindowDocumentsTest, AProcessFolderAndTheRecentListNameTheDocumentTheTitleShows) {
    const fs::path root = fs::temp_directory_path() / ("tessane-documents-" + std::to_string(std::random_device{}()));
    const fs::path proc = root / "proc", process = proc / "4242", docs = root / "docs", data = root / "data";
    for (const auto& d : {process / "fd", docs, data}) fs::create_directories(d);
    auto write = [](const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; };
    for (const char* name : {"started.txt", "held.txt", "recent.txt"}) write(docs / name, "text");
    write(root / "ed.desktop", "[Desktop Entry]\nType=Application\nName=Ed\nExec=ed %F\n");
    write(proc / "stat", "cpu 1 2 3\nbtime 1000\n");
    // Started at tick 500 after boot: 1005 s at 100 ticks a second.
    write(process / "stat", "4242 (ed (x)) S 1 1 1 0 -1 0 0 0 0 0 0 0 0 0 20 0 1 0 500 0 0\n");
    write(process / "cmdline", std::string("ed\0--new\0started.txt\0", 22));
    fs::create_directory_symlink(docs, process / "cwd");
    fs::create_symlink(docs / "held.txt", process / "fd" / "3");
    fs::create_symlink("/dev/null", process / "fd" / "4");
    const std::string recent = R"(<xbel><bookmark href="file://)" + (docs / "recent.txt").string() +
                               R"("><bookmark:application name="Ed" exec="'ed %u'" modified="2026-01-01T00:00:00Z"/></bookmark></xbel>)";
    write(data / "recently-used.xbel", recent);

    linux_backend::WindowDocuments documents;
    EXPECT_EQ(documents.documentURL(1, 4242, "held.txt - Ed"), std::nullopt);  // not configured yet
    std::vector<std::string> logged;
    bool known = true;
    documents.configure(
        {data, root, proc}, [&](auto, Pid) { return known ? std::optional(root / "ed.desktop") : std::nullopt; },
        [&](const std::string& line) { logged.push_back(line); });
    const auto url = [&](const fs::path& p) { return std::optional<std::string>("file://" + p.string()); };
    EXPECT_EQ(documents.documentURL(1, 4242, "started.txt - Ed"), url(docs / "started.txt"));
    EXPECT_EQ(documents.documentURL(1, 4242, "*held.txt - Ed"), url(docs / "held.txt"));
    EXPECT_EQ(documents.documentURL(1, 4242, "recent.txt - Ed"), url(docs / "recent.txt"));
    EXPECT_EQ(documents.documentURL(1, 4242, "Untitled - Ed"), std::nullopt);

    // A recent file that the user used after the process started, of the same name as the one it
    // was started with, is the one shown; the list is read again once it changed.
    fs::create_directories(docs / "later");
    write(docs / "later" / "started.txt", "text");
    const std::string later = R"(<xbel><bookmark href="file://)" + (docs / "later" / "started.txt").string() +
                              R"("><bookmark:application name="Ed" exec="" modified="2026-01-01T00:00:00Z"/></bookmark></xbel>)";
    write(data / "recently-used.xbel", later);
    EXPECT_EQ(documents.documentURL(1, 4242, "started.txt - Ed"), url(docs / "later" / "started.txt"));
    // Without the application's entry only what the process holds open counts.
    known = false;
    EXPECT_EQ(documents.documentURL(1, 4242, "started.txt - Ed"), std::nullopt);
    EXPECT_EQ(documents.documentURL(1, 4242, "held.txt - Ed"), url(docs / "held.txt"));
    known = true;

    write(data / "recently-used.xbel", "<xbel><bookmark href=\"file:///x\"");
    EXPECT_EQ(documents.documentURL(1, 4242, "started.txt - Ed"), url(docs / "started.txt"));
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_NE(logged[0].find("recently-used.xbel is malformed (a tag is not closed)"), std::string::npos) << logged[0];
    fs::remove_all(root);
}

}  // namespace
}  // namespace tessane::linux_desktop
