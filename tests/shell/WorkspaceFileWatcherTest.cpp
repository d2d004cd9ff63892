#include "shell/WorkspaceFileWatcher.h"

#include "base/AtomicFile.h"
#include "model/Log.h"
#include "model/WorkspaceManager.h"
#include "platform/sim/SimAlerts.h"
#include "platform/sim/SimApplications.h"
#include "platform/sim/SimEnvironment.h"
#include "platform/sim/SimMainQueue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace tessane {
namespace {

namespace fs = std::filesystem;

// A data folder nobody may write to; as root, whom permissions don't stop, an immutable one.
// False when neither can be had here.
bool makeUnwritable(const fs::path& folder) {
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    const auto writable = [&] {
        const fs::path probe = folder / ".probe";
        const bool made = std::ofstream(probe).good();
        fs::remove(probe);
        return made;
    };
    if (!writable()) return true;
    return std::system(("chattr +i '" + folder.string() + "' 2>/dev/null").c_str()) == 0 && !writable();
}

void makeWritable(const fs::path& folder) {
    (void)std::system(("chattr -i '" + folder.string() + "' 2>/dev/null").c_str());
    fs::permissions(folder, fs::perms::owner_all);
}

std::string contents(const fs::path& file) {
    std::ifstream in(file);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(WorkspaceFileWatcher, AFailedSaveKeepsTheOldFileIsToldOnceIsRetriedAndIsToldAgainAtQuit) {
    sim::SimEnvironment environment;
    sim::SimApplications apps;
    sim::SimMainQueue queue;
    sim::SimAlerts alerts;
    WorkspaceManager manager(WorkspaceStore(environment.dataFolder()), apps);
    const Uuid id = manager.createWorkspace("Write").id;  // written at once: the folder exists
    const fs::path file = manager.store().fileURL();
    const std::string before = contents(file);
    manager.saveInBackground(queue);
    WorkspaceFileWatcher watcher(manager, nullptr, queue, alerts);
    if (!makeUnwritable(environment.dataFolder())) GTEST_SKIP() << "no way to make a folder read-only here";

    for (const char* name : {"Studio", "Desk"}) {
        manager.renameWorkspace(id, name);
        queue.runPending();
        manager.flushSaves();
        queue.runPending();
    }
    EXPECT_EQ(contents(file), before);
    EXPECT_TRUE(manager.hasUnsavedChanges());
    ASSERT_EQ(alerts.shown().size(), 1u);  // once, not at every change
    EXPECT_EQ(alerts.shown()[0].messageText, WorkspaceFileWatcher::kSaveFailedTitle);

    makeWritable(environment.dataFolder());
    manager.renameWorkspace(id, "Atelier");
    queue.runPending();
    manager.flushSaves();
    EXPECT_FALSE(manager.hasUnsavedChanges());
    EXPECT_NE(contents(file).find("Atelier"), std::string::npos);

    // A new run of failures is told again; quitting with changes unsaved says so too.
    ASSERT_TRUE(makeUnwritable(environment.dataFolder()));
    manager.renameWorkspace(id, "Loft");
    watcher.atQuit(true);
    queue.runPending();
    makeWritable(environment.dataFolder());
    ASSERT_EQ(alerts.shown().size(), 3u);
    EXPECT_EQ(alerts.shown()[1].messageText, WorkspaceFileWatcher::kUnsavedAtQuitTitle);
    EXPECT_EQ(alerts.shown()[2].messageText, WorkspaceFileWatcher::kSaveFailedTitle);
    EXPECT_NE(contents(file).find("Atelier"), std::string::npos);
}

TEST(WorkspaceFileWatcher, UnreadableVersionsInALoopAreToldOneAlertAtATimeAndKeepAFewCopies) {
    sim::SimEnvironment environment;
    sim::SimApplications apps;
    sim::SimMainQueue queue;
    sim::SimAlerts alerts;
    WorkspaceManager manager(WorkspaceStore(environment.dataFolder()), apps);
    manager.createWorkspace("Write");
    manager.saveInBackground(queue);
    WorkspaceFileWatcher watcher(manager, nullptr, queue, alerts);
    const fs::path file = manager.store().fileURL();

    // Another program puts a version Tessane can't read in place, again and again; an alert's
    // loop runs what is queued meanwhile, as any nested event loop does.
    int edits = 0, depth = 0, deepest = 0;
    const auto threeEdits = [&] {
        for (int i = 0; i < 3 && edits < 12; ++i) {
            std::ofstream(file, std::ios::trunc) << "[{\"half " << edits++;
            manager.checkForOutsideEdit();
            queue.runPending();  // the write starts
            manager.flushSaves();
            queue.runPending();  // what it did is told
        }
    };
    alerts.duringModal = [&](const AlertSpec&) {
        deepest = std::max(deepest, ++depth);
        threeEdits();
        --depth;
    };
    for (int turn = 0; turn < 50 && (edits < 12 || queue.pendingCount() > 0); ++turn) {
        threeEdits();
        queue.runPending();
    }

    EXPECT_EQ(deepest, 1) << "an alert was shown inside another";
    ASSERT_GE(alerts.shown().size(), 2u);
    EXPECT_LE(alerts.shown().size(), 5u) << "news that came while one was up is told once";
    for (const auto& alert : alerts.shown()) {
        EXPECT_EQ(alert.messageText, WorkspaceFileWatcher::kOutsideKeptTitle);
        EXPECT_EQ(alert.informativeText.find("changes of its own"), std::string::npos) << "it had none";
        EXPECT_NE(alert.informativeText.find("can't be read"), std::string::npos) << alert.informativeText;
    }
    size_t copies = 0;
    for (const auto& entry : fs::directory_iterator(environment.dataFolder()))
        if (entry.path().filename().string().starts_with("workspaces.json.outside-")) ++copies;
    EXPECT_EQ(copies, kKeptAsideCopies);
    EXPECT_NE(alerts.shown().back().informativeText.find("workspaces.json.outside-"), std::string::npos);
    EXPECT_NE(contents(file).find("Write"), std::string::npos);
}

}  // namespace
}  // namespace tessane
