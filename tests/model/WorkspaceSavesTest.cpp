#include "model/ModelTestSupport.h"

#include "base/AtomicFile.h"
#include "model/WorkspaceCoding.h"
#include "platform/sim/SimMainQueue.h"

#include <atomic>
#include <fstream>
#include <thread>

namespace tessane::testing {
namespace {

namespace fs = std::filesystem;

class WorkspaceSaves : public ModelTest {
protected:
    void SetUp() override {
        seed({makeWorkspace("Write"), makeWorkspace("Desk")});
        manager = makeManager();
        manager->saveInBackground(queue);
        news = manager->observeFileNews([this](const WorkspaceManager::FileNews& n) { told.push_back(n.kind); });
    }
    // Another program rewrites the file in place, as an editor that saves without a rename.
    void editOutside(const std::vector<Workspace>& list) {
        std::string text;
        encodeWorkspaces(list, text);
        std::ofstream(file(), std::ios::trunc) << text;
    }
    std::vector<std::string> storedNames() const {
        std::vector<std::string> out;
        for (const auto& ws : stored()) out.push_back(ws.name);
        return out;
    }
    std::vector<fs::path> keptAside() const {
        std::vector<fs::path> out;
        for (const auto& entry : fs::directory_iterator(dataFolder()))
            if (entry.path().filename().string().starts_with("workspaces.json.outside-")) out.push_back(entry.path());
        return out;
    }

    sim::SimMainQueue queue;
    std::unique_ptr<WorkspaceManager> manager;
    std::vector<WorkspaceManager::FileNews::Kind> told;
    Subscription news;
    using Kind = WorkspaceManager::FileNews::Kind;
};

TEST_F(WorkspaceSaves, TheEditsOfOneTurnAreWrittenOffTheMainThreadInOneWrite) {
    const auto write = manager->workspaces().get()[0];
    manager->renameWorkspace(write.id, "Studio");
    manager->createWorkspace("Mail");
    manager->deleteWorkspace(manager->workspaces().get()[1].id);
    // Nothing is written inside the edits: the main thread goes on at once.
    EXPECT_EQ(storedNames(), (std::vector<std::string>{"Write", "Desk"}));
    queue.runPending();  // the write starts with the list as this turn left it
    manager->flushSaves();
    EXPECT_EQ(storedNames(), (std::vector<std::string>{"Studio", "Mail"}));
    EXPECT_EQ(told, std::vector<Kind>{Kind::saved});
    // The completion the worker posted finds nothing more to tell.
    queue.runPending();
    EXPECT_EQ(told, std::vector<Kind>{Kind::saved});
    // Our own write is not taken for another program's.
    manager->checkForOutsideEdit();
    EXPECT_EQ(logCount("another program"), 0u);
}

// The writer is handed records kept from earlier saves for the workspaces that did not change:
// after a show's store of one workspace where it is, and edits that insert, remove and replace,
// the file is byte for byte what the whole list encodes to.
TEST_F(WorkspaceSaves, TheFileWrittenFromKeptRecordsIsWhatTheWholeListEncodesTo) {
    std::vector<Workspace> many;
    for (int i = 0; i < 300; ++i) {
        const std::string n = std::to_string(i);
        many.push_back(makeWorkspace("Desk " + n, {makeApp("Mail " + n, "org.example.Mail" + n, AppRole::primary),
                                                   makeApp("Notes " + n, "org.example.Notes" + n)}));
    }
    manager.reset();
    seed(many);
    manager = makeManager();
    manager->saveInBackground(queue);
    const auto writtenIsTheList = [&] {
        queue.runPending();
        manager->flushSaves();
        std::ifstream in(file(), std::ios::binary);
        std::string expected;
        encodeWorkspaces(manager->workspaces().get(), expected);
        return std::string(std::istreambuf_iterator<char>(in), {}) == expected;
    };
    const auto at = [&](size_t i) { return manager->workspaces().get()[i]; };
    const auto show = [&](size_t i, double ratio) {
        Workspace shown = at(i);
        shown.layout.ratios = std::vector<double>{ratio};
        shown.lastContainerFrame = RectModel{10, 20, 1200, 800};
        manager->update(std::move(shown));
    };
    show(0, 0.4);
    EXPECT_TRUE(writtenIsTheList());  // the first save makes every record

    show(150, 0.3);
    manager->deleteWorkspace(at(10).id);
    manager->renameWorkspace(at(200).id, "Studio");
    manager->createWorkspace("New");
    manager->moveApp(at(20).apps[1].id, at(20).id, -1);
    show(250, 0.7);
    EXPECT_TRUE(writtenIsTheList());

    show(149, 0.6);  // the same workspace as before, now one place up
    manager->setLastDocument("/home/u/notes.txt", at(0).apps[0].id);
    manager->deleteWorkspace(at(0).id);
    EXPECT_TRUE(writtenIsTheList());
    EXPECT_EQ(stored().size(), 299u);
}

TEST_F(WorkspaceSaves, AnOutsideEditIsReloadedWhenNothingIsUnsavedAndKeptAsideWhenBothChanged) {
    auto list = stored();
    list[0].name = "Renamed outside";
    list.push_back(makeWorkspace("Added outside"));
    editOutside(list);
    manager->checkForOutsideEdit();
    EXPECT_EQ(manager->workspaces().get().size(), 3u);
    EXPECT_EQ(manager->workspaces().get()[0].name, "Renamed outside");
    EXPECT_EQ(logCount("[Tessane] Reloaded workspaces.json after a change by another program (3 workspace(s))."), 1u);
    EXPECT_TRUE(keptAside().empty());

    // Both change: Tessane's edit is saved, the other program's file is kept beside it.
    manager->renameWorkspace(list[1].id, "Ours");
    list[2].name = "Theirs";
    editOutside(list);
    const std::string theirs = [&] {
        std::string text;
        encodeWorkspaces(list, text);
        return text;
    }();
    queue.runPending();
    manager->flushSaves();
    manager->checkForOutsideEdit();  // the watch's look afterwards: nothing more to do
    EXPECT_EQ(storedNames(), (std::vector<std::string>{"Renamed outside", "Ours", "Added outside"}));
    const auto aside = keptAside();
    ASSERT_EQ(aside.size(), 1u);
    std::ifstream in(aside[0]);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), theirs);
    EXPECT_EQ(told, (std::vector<Kind>{Kind::reloaded, Kind::outsideVersionKeptAside, Kind::saved}));
    EXPECT_EQ(logCount("kept that version as " + aside[0].string()), 1u);
}

TEST_F(WorkspaceSaves, AnUnreadableOutsideEditKeepsTessanesListAndTheirFileAside) {
    std::ofstream(file(), std::ios::trunc) << "[{\"half a";
    manager->checkForOutsideEdit();
    queue.runPending();
    manager->flushSaves();
    EXPECT_EQ(storedNames(), (std::vector<std::string>{"Write", "Desk"}));
    EXPECT_EQ(keptAside().size(), 1u);
    EXPECT_EQ(logCount("changed by another program but can't be used"), 1u);
}

TEST_F(WorkspaceSaves, AFileRewrittenInPlaceWhileItIsReadIsNeverAFault) {
    // `cat copy.json > workspaces.json` in a loop: the file is truncated and written again under
    // the reader, which must see a whole version or a part it refuses, and never fault.
    std::vector<Workspace> theirs;
    for (int i = 0; i < 20000; ++i) theirs.push_back(makeWorkspace("Theirs " + std::to_string(i)));
    std::string text;
    encodeWorkspaces(theirs, text);
    std::ofstream(file(), std::ios::trunc) << text;
    std::atomic<bool> stop = false;
    std::thread writer([&] {
        while (!stop) std::ofstream(file(), std::ios::trunc) << text;
    });
    const WorkspaceStore reader = store();
    for (int i = 0; i < 100; ++i) {
        const auto read = reader.read();
        if (!read.workspaces) {
            EXPECT_FALSE(read.error.empty());
        }
    }
    stop = true;
    writer.join();
    manager->checkForOutsideEdit();
    queue.runPending();
    EXPECT_EQ(stored().size(), theirs.size());
}

}  // namespace
}  // namespace tessane::testing
