#include "shell/WorkspaceFileWatcher.h"

#include "model/Log.h"
#include "model/WorkspaceManager.h"
#include "platform/sim/SimAlerts.h"
#include "platform/sim/SimApplications.h"
#include "platform/sim/SimEnvironment.h"
#include "platform/sim/SimMainQueue.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace tessane
