#include "ModelTestSupport.h"

#include "model/WorkspaceCoding.h"

#include <cmath>
#include <fcntl.h>
#include <fstream>
#include <limits>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessane {
namespace {

namespace fs = std::filesystem;
using testing::makeApp;
using testing::makeWorkspace;
using testing::ModelTest;

class WorkspaceManagerTest : public ModelTest {};

TEST_F(WorkspaceManagerTest, CreatesUniqueTrimmedNames) {
    auto m = makeManager();
    EXPECT_EQ(m->createWorkspace("").name, "New Workspace");
    EXPECT_EQ(m->createWorkspace("  ").name, "New Workspace 2");
    EXPECT_EQ(m->createWorkspace("New Workspace").name, "New Workspace 3");
    EXPECT_EQ(m->createWorkspace(" \n Work\t").name, "Work");
    EXPECT_EQ(m->createWorkspace("work").name, "work") << "names compare case-sensitively";

    forgetFile();
    auto other = makeManager();
    other->createWorkspace("Work 2");
    EXPECT_EQ(other->createWorkspace("Work").name, "Work") << "only Work 2 exists";
    EXPECT_EQ(other->createWorkspace("Work").name, "Work 3");

    // Canonically equivalent spellings are one name.
    EXPECT_EQ(other->createWorkspace("Caf\u00E9").name, "Caf\u00E9");
    EXPECT_EQ(other->createWorkspace("Cafe\u0301").name, "Cafe\u0301 2");

    const Workspace& created = m->workspaces().get().front();
    EXPECT_EQ(created.layout, Layout{});
    EXPECT_TRUE(created.isEnabled);
    EXPECT_FALSE(created.primaryAppID || created.primaryAppBundleIdentifier || created.shortcut);
    EXPECT_EQ(stored(), other->workspaces().get()) << "every creation is stored";
    EXPECT_EQ(m->workspaces().get().size(), 5u);
}

TEST_F(WorkspaceManagerTest, RenameTrimsAndKeepsTheOldNameForBlankText) {
    auto m = makeManager();
    const Uuid id = m->createWorkspace("Old").id;
    m->createWorkspace("Other");
    forgetFile();

    m->renameWorkspace(id, "   ");
    m->renameWorkspace(id, "Old");
    m->renameWorkspace(Uuid::random(), "X");
    EXPECT_FALSE(fileWritten()) << "no change, no write";

    m->renameWorkspace(id, "  Mail  ");
    EXPECT_EQ(m->workspace(id)->name, "Mail");
    EXPECT_TRUE(fileWritten());
    m->renameWorkspace(id, "Other");
    EXPECT_EQ(m->workspace(id)->name, "Other") << "renaming to another workspace's name is accepted";
}

TEST_F(WorkspaceManagerTest, ActiveAndLastShownWorkspace) {
    auto m = makeManager();
    const Uuid mail = m->createWorkspace("Mail").id;
    const Uuid code = m->createWorkspace("Code").id;
    std::vector<std::optional<Uuid>> told;
    auto sub = m->observeActiveWorkspaceID([&](const std::optional<Uuid>& v) { told.push_back(v); });
    forgetFile();

    m->setActiveWorkspace(std::nullopt);
    EXPECT_EQ(logCount("Active workspace changed"), 0u);
    m->setActiveWorkspace(mail);
    EXPECT_EQ(logLines().back(), "[Tessane] Active workspace changed: none \u2192 Mail");
    m->setActiveWorkspace(mail);
    EXPECT_EQ(logCount("Active workspace changed"), 1u);
    m->setActiveWorkspace(std::nullopt);
    EXPECT_EQ(logLines().back(), "[Tessane] Active workspace changed: Mail \u2192 none");
    EXPECT_EQ(m->lastShownWorkspaceID().get(), mail) << "nil keeps the last shown workspace";
    m->setActiveWorkspace(code);
    EXPECT_EQ(m->lastShownWorkspaceID().get(), code);
    const Uuid unknown = Uuid::random();
    m->setActiveWorkspace(unknown);
    EXPECT_EQ(logLines().back(), "[Tessane] Active workspace changed: Code \u2192 " + unknown.string());
    EXPECT_EQ(told, (std::vector<std::optional<Uuid>>{mail, std::nullopt, code, unknown}));
    EXPECT_FALSE(fileWritten()) << "the active workspace is not stored";
}

TEST_F(WorkspaceManagerTest, DeleteClearsIdsAndAlwaysWrites) {
    auto m = makeManager();
    const Uuid mail = m->createWorkspace("Mail").id;
    const Uuid code = m->createWorkspace("Code").id;
    m->setActiveWorkspace(mail);
    m->deleteWorkspace(mail);
    EXPECT_FALSE(m->activeWorkspaceID().get());
    EXPECT_FALSE(m->lastShownWorkspaceID().get());
    EXPECT_EQ(m->workspaces().get().size(), 1u);

    m->setActiveWorkspace(code);
    m->setActiveWorkspace(std::nullopt);
    forgetFile();
    m->deleteWorkspace(Uuid::random());
    EXPECT_TRUE(fileWritten()) << "an unknown id still rewrites the file";
    EXPECT_EQ(m->lastShownWorkspaceID().get(), code);
}

TEST_F(WorkspaceManagerTest, AddAppMakesTheFirstPrimaryAndRefusesAppsOfOtherWorkspaces) {
    auto m = makeManager();
    const Uuid a = m->createWorkspace("A").id;
    const Uuid b = m->createWorkspace("B").id;
    m->addApp(makeApp("Mail", "com.mail"), a);
    m->addApp(makeApp("Notes", "com.notes"), a);
    const Workspace wa = *m->workspace(a);
    ASSERT_EQ(wa.apps.size(), 2u);
    EXPECT_EQ(wa.apps[0].role, AppRole::primary);
    EXPECT_EQ(wa.apps[1].role, AppRole::secondary);
    EXPECT_EQ(wa.primaryAppID, wa.apps[0].id);
    EXPECT_EQ(wa.primaryAppBundleIdentifier, "com.mail");

    forgetFile();
    m->addApp(makeApp("Mail again", "com.mail"), b);
    EXPECT_TRUE(m->workspace(b)->apps.empty());
    EXPECT_EQ(*m->workspace(a), wa);
    EXPECT_FALSE(fileWritten());

    m->addApp(makeApp("Second mail window", "com.mail"), a);
    EXPECT_EQ(m->workspace(a)->apps.size(), 3u) << "the same bundle identifier twice in one workspace is accepted";
}

TEST_F(WorkspaceManagerTest, AddingOneAppRecordTwiceLeavesOnePane) {
    auto m = makeManager();
    const Uuid id = m->createWorkspace("W").id;
    const ManagedApp app = makeApp("Mail", "com.mail");
    m->addApp(app, id);
    forgetFile();
    m->addApp(app, id);
    EXPECT_EQ(m->workspace(id)->apps.size(), 1u);
    EXPECT_FALSE(fileWritten());
    EXPECT_EQ(logCount("that app record is already in it"), 1u);
}

TEST_F(WorkspaceManagerTest, RemovingThePrimaryPromotesTheFirstRemainingApp) {
    auto m = makeManager();
    const Uuid id = m->createWorkspace("W").id;
    for (auto [n, b] : {std::pair{"A", "a"}, {"B", "b"}, {"C", "c"}}) m->addApp(makeApp(n, b), id);
    const auto apps = m->workspace(id)->apps;

    auto second = makeManager();  // same file, independent copy
    m->removeApp(apps[0].id, id);
    Workspace w = *m->workspace(id);
    ASSERT_EQ(w.apps.size(), 2u);
    EXPECT_EQ(w.apps[0].displayName, "B");
    EXPECT_EQ(w.apps[0].role, AppRole::primary);
    EXPECT_EQ(w.apps[1].role, AppRole::secondary);
    EXPECT_EQ(w.primaryAppID, apps[1].id);
    EXPECT_EQ(w.primaryAppBundleIdentifier, "b");

    second->removeApp(apps[1].id, id);
    w = *second->workspace(id);
    EXPECT_EQ(w.primaryAppID, apps[0].id) << "removing another app keeps the primary";
    EXPECT_EQ(w.apps[0].role, AppRole::primary);

    second->removeApp(apps[0].id, id);
    second->removeApp(apps[2].id, id);
    EXPECT_FALSE(second->workspace(id)->primaryAppID);
    EXPECT_FALSE(second->workspace(id)->primaryAppBundleIdentifier);

    forgetFile();
    second->removeApp(Uuid::random(), id);
    EXPECT_TRUE(fileWritten()) << "a known workspace is written even when nothing was removed";
}

TEST_F(WorkspaceManagerTest, MoveAppSwapsWithinRange) {
    auto m = makeManager();
    const Uuid id = m->createWorkspace("W").id;
    for (auto [n, b] : {std::pair{"A", "a"}, {"B", "b"}, {"C", "c"}}) m->addApp(makeApp(n, b), id);
    const auto apps = m->workspace(id)->apps;
    auto names = [&] {
        std::string s;
        const Workspace w = *m->workspace(id);
        for (const auto& a : w.apps) s += a.displayName;
        return s;
    };
    forgetFile();
    m->moveApp(apps[0].id, id, -1);
    m->moveApp(apps[2].id, id, +1);
    m->moveApp(Uuid::random(), id, 1);
    EXPECT_EQ(names(), "ABC");
    EXPECT_FALSE(fileWritten());
    m->moveApp(apps[0].id, id, +2);
    EXPECT_EQ(names(), "CBA") << "a swap, not a shift";
    EXPECT_TRUE(fileWritten());
    EXPECT_EQ(m->workspace(id)->primaryAppID, apps[0].id);
}

TEST_F(WorkspaceManagerTest, SetPrimaryApp) {
    auto m = makeManager();
    const Uuid id = m->createWorkspace("W").id;
    m->addApp(makeApp("A", "a"), id);
    m->addApp(makeApp("B", "b"), id);
    const auto apps = m->workspace(id)->apps;
    m->setPrimaryApp(apps[1].id, id);
    const Workspace w = *m->workspace(id);
    EXPECT_EQ(w.primaryAppID, apps[1].id);
    EXPECT_EQ(w.primaryAppBundleIdentifier, "b");
    EXPECT_EQ(w.apps[0].role, AppRole::secondary);
    EXPECT_EQ(w.apps[1].role, AppRole::primary);
    EXPECT_EQ(w.apps[0].displayName, "A") << "order unchanged";
}

Workspace withRememberedGeometry(Workspace ws) {
    ws.layout.ratios = std::vector<double>{0.3, 0.6};
    ws.lastContainerFrame = RectModel{0, 0, 1000, 700};
    ws.topologyFrames = std::map<std::string, RectModel>{{"d", {0, 0, 1000, 700}}};
    ws.savedLayout = LayoutCheckpoint{{0, 0, 900, 600}, std::vector<double>{0.4}};
    for (auto& app : ws.apps) app.observedMinSize = SizeModel{300, 200};
    return ws;
}

TEST_F(WorkspaceManagerTest, SetLayoutTypeClearsLearnedSizesAndFramesButKeepsRatios) {
    auto m = makeManager();
    const Uuid id = m->createWorkspace("W").id;
    m->addApp(makeApp("A", "a"), id);
    m->update(withRememberedGeometry(*m->workspace(id)));
    forgetFile();
    m->setLayoutType(LayoutType::leftRightSplit, id);
    EXPECT_FALSE(fileWritten()) << "same type: nothing";

    m->setLayoutType(LayoutType::grid2x2, id);
    const Workspace w = *m->workspace(id);
    EXPECT_EQ(w.layout.type, LayoutType::grid2x2);
    EXPECT_EQ(w.layout.ratios, (std::vector<double>{0.3, 0.6}));
    EXPECT_FALSE(w.lastContainerFrame || w.topologyFrames || w.savedLayout || w.apps[0].observedMinSize);
    EXPECT_TRUE(fileWritten());
}

TEST_F(WorkspaceManagerTest, ThreeColumnsOnAndOff) {
    auto m = makeManager();
    const Uuid already = m->createWorkspace("Already").id;
    const Uuid other = m->createWorkspace("Other").id;
    for (Uuid id : {already, other}) {
        for (auto [n, b] : {std::pair{"A", "a"}, {"B", "b"}, {"C", "c"}})
            m->addApp(makeApp(n, std::string(b) + (id == already ? "1" : "2")), id);
    }
    Workspace w = withRememberedGeometry(*m->workspace(already));
    w.layout.type = LayoutType::threeLeftOneRightTwo;
    m->update(w);
    m->update(withRememberedGeometry(*m->workspace(other)));

    const std::vector<double> columns = {1.0 / 3.0, 0.5};
    m->setThreeColumns(true, already);
    w = *m->workspace(already);
    EXPECT_EQ(w.layout.ratios, columns);
    EXPECT_EQ(w.layout.threeColumns, (ThreeColumnsState{false, std::vector<double>{0.5, 0.5}}));
    EXPECT_TRUE(w.lastContainerFrame && w.topologyFrames) << "already 1 Left / 2 Right: frames kept";

    m->setThreeColumns(true, other);
    w = *m->workspace(other);
    EXPECT_EQ(w.layout.type, LayoutType::threeLeftOneRightTwo);
    EXPECT_EQ(w.layout.ratios, columns);
    EXPECT_FALSE(w.lastContainerFrame || w.topologyFrames || w.apps[0].observedMinSize) << "type changed: frames cleared";

    forgetFile();
    m->setThreeColumns(true, other);
    m->setLayoutType(LayoutType::threeLeftOneRightTwo, other);
    EXPECT_FALSE(fileWritten());
    EXPECT_TRUE(m->workspace(other)->layout.threeColumns) << "asking for its own type keeps three columns";

    m->setThreeColumns(false, other);
    w = *m->workspace(other);
    EXPECT_FALSE(w.layout.threeColumns);
    EXPECT_EQ(w.layout.type, LayoutType::threeLeftOneRightTwo);
    EXPECT_EQ(w.layout.ratios, (std::vector<double>{0.5, 0.5})) << "the parked ratios come back";
    forgetFile();
    m->setThreeColumns(false, other);
    EXPECT_FALSE(fileWritten());
}

TEST_F(WorkspaceManagerTest, SetLastDocument) {
    auto m = makeManager();
    const Uuid id = m->createWorkspace("W").id;
    m->addApp(makeApp("A", "a"), id);
    const Uuid app = m->workspace(id)->apps[0].id;
    EXPECT_TRUE(m->setLastDocument("/docs/a.txt", app));
    EXPECT_EQ(stored()[0].apps[0].lastDocumentPath, "/docs/a.txt");
    forgetFile();
    EXPECT_FALSE(m->setLastDocument("/docs/a.txt", app));
    EXPECT_FALSE(m->setLastDocument("/docs/a.txt", Uuid::random()));
    EXPECT_FALSE(fileWritten());
}

TEST_F(WorkspaceManagerTest, LookupsAndUpdate) {
    auto m = makeManager();
    const Uuid a = m->createWorkspace("A").id;
    const Uuid b = m->createWorkspace("B").id;
    m->addApp(makeApp("Mail", "com.mail"), a);
    EXPECT_EQ(m->workspaceUsing("com.mail", std::nullopt)->id, a);
    EXPECT_FALSE(m->workspaceUsing("com.mail", a));
    EXPECT_FALSE(m->workspaceUsing("com.Mail", std::nullopt));

    Workspace copy = *m->workspace(b);
    copy.name = "Changed";
    std::vector<std::string> seenNames;
    auto sub = m->observeWorkspaces([&](const std::vector<Workspace>& next) { seenNames.push_back(next[1].name); });
    m->update(copy);
    EXPECT_EQ(seenNames, std::vector<std::string>{"Changed"});
    EXPECT_EQ(stored()[1].name, "Changed");

    forgetFile();
    Workspace stranger = makeWorkspace("Stranger");
    m->update(stranger);
    EXPECT_EQ(m->workspaces().get().size(), 2u);
    EXPECT_FALSE(fileWritten());
}

TEST_F(WorkspaceManagerTest, NonFiniteNumbersNeverReachTheFile) {
    auto m = makeManager();
    const Uuid id = m->createWorkspace("W").id;
    m->addApp(makeApp("A", "a"), id);
    Workspace w = *m->workspace(id);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    w.lastContainerFrame = RectModel{nan, 0, 100, 100};
    w.layout.ratios = std::vector<double>{0.5, inf};
    w.topologyFrames = std::map<std::string, RectModel>{{"good", {0, 0, 10, 10}}, {"bad", {0, 0, -inf, 10}}};
    w.apps[0].observedMinSize = SizeModel{nan, 1};
    w.name = "Still saved";
    m->update(w);

    const Workspace kept = *m->workspace(id);
    EXPECT_FALSE(kept.lastContainerFrame);
    EXPECT_FALSE(kept.layout.ratios);
    EXPECT_FALSE(kept.apps[0].observedMinSize);
    EXPECT_EQ(kept.topologyFrames->size(), 1u);
    EXPECT_EQ(logCount("Dropped numbers that are not finite from \u201CStill saved\u201D"), 1u);

    // Later edits still reach the file, which still loads.
    m->renameWorkspace(id, "Later");
    const auto back = stored();
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].name, "Later");
    EXPECT_EQ(logCount("Failed"), 0u);

    ManagedApp app = makeApp("B", "b");
    app.observedMinSize = SizeModel{inf, 5};
    m->addApp(app, id);
    EXPECT_FALSE(m->workspace(id)->apps[1].observedMinSize);
}

TEST_F(WorkspaceManagerTest, LoadsTheStoredListAndTreatsAMissingFileAsEmpty) {
    auto empty = makeManager();
    EXPECT_TRUE(empty->workspaces().get().empty());
    EXPECT_TRUE(logLines().empty());
    EXPECT_FALSE(fileWritten()) << "loading writes nothing";

    seed({makeWorkspace("One"), makeWorkspace("Two")});
    auto m = makeManager();
    ASSERT_EQ(m->workspaces().get().size(), 2u);
    EXPECT_EQ(m->workspaces().get()[1].name, "Two");
    EXPECT_FALSE(m->activeWorkspaceID().get());
}

TEST_F(WorkspaceManagerTest, EqualStoredIconsShareOneBufferAndTheListIsSavedBackByteForByte) {
    // Two icons of one length a single byte apart: only equal bytes may be shared.
    Bytes icon(400);
    for (size_t i = 0; i < icon.size(); ++i) icon[i] = static_cast<uint8_t>(i * 7);
    Bytes twin = icon;
    twin[20] ^= 1;
    const auto app = [](const char* id, const Bytes& png) {
        ManagedApp a = makeApp(id, id);
        a.iconData = png;
        return a;
    };
    seed({makeWorkspace("One", {app("a", icon), app("b", twin)}), makeWorkspace("Two", {app("c", icon), makeApp("d", "d")}),
          makeWorkspace("Three", {app("e", twin), app("f", icon)})});
    const auto fileText = [&] {
        std::ifstream in(file(), std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    };
    const std::string before = fileText();

    auto m = makeManager();
    const std::vector<Workspace> list = m->workspaces().get();
    const SharedBytes& first = *list[0].apps[0].iconData;
    EXPECT_TRUE(first.sharesBufferWith(*list[1].apps[0].iconData));
    EXPECT_TRUE(first.sharesBufferWith(*list[2].apps[1].iconData));
    EXPECT_TRUE(list[0].apps[1].iconData->sharesBufferWith(*list[2].apps[0].iconData));
    EXPECT_FALSE(first.sharesBufferWith(*list[0].apps[1].iconData));
    EXPECT_EQ(first, icon);
    EXPECT_EQ(*list[0].apps[1].iconData, twin);

    m->update(list[1]);  // saves the whole list
    EXPECT_EQ(fileText(), before);
}

TEST_F(WorkspaceManagerTest, AnUnreadableFileIsKeptAsideBeforeStartingEmpty) {
    const std::string text = "[" + encodeWorkspace(makeWorkspace("Precious")) + "," +
                             R"({"id":"3F2504E0-4F89-11D3-9A0C-0305E82C3301","name":"No flag","apps":[],"layout":{"type":"grid2x2"}})" + "]";
    seedText(text);
    auto m = makeManager();
    EXPECT_TRUE(m->workspaces().get().empty());
    ASSERT_EQ(logCount("[Tessane] Failed to load workspaces ("), 1u);
    EXPECT_NE(logLines()[0].find("\"isEnabled\""), std::string::npos) << logLines()[0];
    EXPECT_NE(logLines()[0].find("); starting empty."), std::string::npos);
    EXPECT_EQ(logCount("Kept the unreadable workspace file as "), 1u);

    // The next save must not destroy the old content.
    m->createWorkspace("New");
    std::vector<fs::path> aside;
    for (const auto& entry : fs::directory_iterator(dataFolder()))
        if (entry.path().filename().string().rfind("workspaces.json.unreadable-", 0) == 0) aside.push_back(entry.path());
    ASSERT_EQ(aside.size(), 1u);
    std::ifstream in(aside[0]);
    const std::string kept((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(kept, text);
    EXPECT_NE(logLines()[1].find(aside[0].string()), std::string::npos) << "the log says where it went";
    EXPECT_EQ(stored().size(), 1u);
}

TEST_F(WorkspaceManagerTest, AFolderThatCannotBeLookedIntoIsReportedNotTakenForNoFile) {
    // A data folder that links to itself: the file can neither be found nor ruled out.
    fs::create_directories(dataFolder().parent_path());
    fs::create_directory_symlink(dataFolder().filename(), dataFolder());
    std::unique_ptr<WorkspaceManager> m;
    ASSERT_NO_THROW(m = makeManager());
    EXPECT_TRUE(m->workspaces().get().empty());
    EXPECT_EQ(logCount("[Tessane] Failed to load workspaces ("), 1u);
    EXPECT_EQ(logCount("Could not move the unreadable workspace file aside"), 1u);
}

TEST_F(WorkspaceManagerTest, AFailedSaveIsLoggedAndTheChangeKept) {
    // A file where the data folder should be makes every save fail.
    fs::create_directories(dataFolder().parent_path());
    std::ofstream(dataFolder()) << "x";
    auto m = makeManager();
    const Uuid id = m->createWorkspace("Kept").id;
    EXPECT_EQ(m->workspace(id)->name, "Kept");
    EXPECT_EQ(logCount("[Tessane] Failed to save workspaces: "), 1u);
}

TEST_F(WorkspaceManagerTest, AListStartingWithAByteOrderMarkLoads) {
    seedText("\xEF\xBB\xBF[" + encodeWorkspace(makeWorkspace("Edited")) + "]");
    auto m = makeManager();
    ASSERT_EQ(m->workspaces().get().size(), 1u);
    EXPECT_EQ(m->workspaces().get()[0].name, "Edited");
    EXPECT_TRUE(logLines().empty());
}

TEST_F(WorkspaceManagerTest, AFileThatIsNoPlainFileOrFarTooLargeIsSetAsideWithoutWaitingOrReading) {
    fs::create_directories(dataFolder());
    const auto failedWith = [&](const std::string& why) {
        return logCount("[Tessane] Failed to load workspaces (the file could not be read: " + why +
                        "); starting empty.");
    };
    // A FIFO: reading it the ordinary way waits for a writer that never comes.
    ASSERT_EQ(::mkfifo(file().c_str(), 0600), 0);
    EXPECT_TRUE(makeManager()->workspaces().get().empty());
    EXPECT_EQ(failedWith("not a regular file"), 1u);
    EXPECT_EQ(logCount("Kept the unreadable workspace file as "), 1u);
    EXPECT_FALSE(fs::exists(file()));

    fs::create_symlink("/dev/zero", file());
    EXPECT_TRUE(makeManager()->workspaces().get().empty());
    EXPECT_EQ(failedWith("not a regular file"), 2u);

    // Sparse, past the limit: refused by its size before anything is read.
    std::ofstream(file()).close();
    fs::resize_file(file(), (uintmax_t{512} << 20) + 1);
    EXPECT_TRUE(makeManager()->workspaces().get().empty());
    EXPECT_EQ(failedWith("larger than the limit of 536870912 bytes"), 1u);
    EXPECT_EQ(logCount("Kept the unreadable workspace file as "), 3u);

    // Sparse, under the limit, and a picture under the name: refused by their first bytes.
    std::ofstream(file()).close();
    fs::resize_file(file(), uintmax_t{500} << 20);
    EXPECT_TRUE(makeManager()->workspaces().get().empty());
    EXPECT_EQ(logCount("[Tessane] Failed to load workspaces (the file is not text: a NUL byte at byte 0); starting empty."), 1u);
    std::ofstream(file(), std::ios::binary) << "  \x89PNG\r\n";
    EXPECT_TRUE(makeManager()->workspaces().get().empty());
    EXPECT_EQ(logCount("[Tessane] Failed to load workspaces (the file is not text: its first character (byte 2) is not one "
                       "of “{[”); starting empty."),
              1u);
    EXPECT_EQ(logCount("Kept the unreadable workspace file as "), 5u);
}

TEST_F(WorkspaceManagerTest, StartUpRemovesTheTemporaryFilesOfKilledSavesButNotOneARunningSaveHolds) {
    seed({makeWorkspace("Write")});
    const auto make = [&](const std::string& name) {
        std::ofstream(dataFolder() / name) << "part of a list";
        return dataFolder() / name;
    };
    const fs::path killed = make(".workspaces.json.k1Ll3d"), alsoKilled = make(".workspaces.json.ZZZZZZ");
    // Another Tessane is writing this one right now: it holds the lock a save holds.
    const fs::path running = make(".workspaces.json.Wr1t1n");
    const int held = ::open(running.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    // Not of our naming: someone else's.
    const fs::path others[] = {make(".workspaces.json.bak"), make(".workspaces.json.abc-12"), make(".settings.json.k1Ll3d"),
                               make("workspaces.json.k1Ll3d")};

    auto m = makeManager();
    ::close(held);
    EXPECT_FALSE(fs::exists(killed));
    EXPECT_FALSE(fs::exists(alsoKilled));
    EXPECT_TRUE(fs::exists(running));
    for (const auto& other : others) EXPECT_TRUE(fs::exists(other)) << other;
    ASSERT_EQ(m->workspaces().get().size(), 1u);
    EXPECT_EQ(logCount("[Tessane] Removed 2 temporary file(s) of a save that was cut short in " + dataFolder().string() +
                       "."),
              1u);
}

}  // namespace
}  // namespace tessane
