#pragma once

#include "base/Signal.h"
#include "base/Uuid.h"
#include "model/AppRegistry.h"
#include "model/Workspace.h"
#include "model/WorkspaceStore.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tessane {

class MainQueue;
class WorkspaceSaves;

// The one owner of the workspace list in memory. It loads the stored list once when built, runs
// the load-time migrations, publishes the list and the ids of the front workspace and of the one
// shown last, and carries out every edit: each edit changes the published list first and then
// rewrites the whole file. Hands out copies; callers give whole workspaces back via update().
// Main thread only.
class WorkspaceManager {
public:
    WorkspaceManager(WorkspaceStore store, const AppCatalog& catalog);
    ~WorkspaceManager();
    WorkspaceManager(const WorkspaceManager&) = delete;
    WorkspaceManager& operator=(const WorkspaceManager&) = delete;

    // Published state; observers are told before each change (the list: after update() of one
    // workspace, which changes it where it is), and read the new state on a later turn.
    const Published<std::vector<Workspace>>& workspaces() const { return workspaces_; }
    const Published<std::optional<Uuid>>& activeWorkspaceID() const { return activeWorkspaceID_; }
    const Published<std::optional<Uuid>>& lastShownWorkspaceID() const { return lastShownWorkspaceID_; }

    // Observers are told, with the new value, before each change (post to the main queue to see
    // the state after it).
    [[nodiscard]] Subscription observeWorkspaces(std::function<void(const std::vector<Workspace>&)> observer) {
        return workspaces_.observe(std::move(observer));
    }
    [[nodiscard]] Subscription observeActiveWorkspaceID(std::function<void(const std::optional<Uuid>&)> observer) {
        return activeWorkspaceID_.observe(std::move(observer));
    }
    [[nodiscard]] Subscription observeLastShownWorkspaceID(std::function<void(const std::optional<Uuid>&)> observer) {
        return lastShownWorkspaceID_.observe(std::move(observer));
    }

    const WorkspaceStore& store() const { return store_; }

    // From now on the list is encoded and written on a worker thread, coalesced (see
    // WorkspaceSaves); until then every change is written before the call returns.
    void saveInBackground(MainQueue& queue);
    // Blocks until every change is written, or has failed (at quit).
    void flushSaves();
    // The last write failed: the list in memory has changes the file lacks. The next change
    // tries again with the whole list.
    bool hasUnsavedChanges() const { return lastSaveFailed_; }
    // The stored file may have been changed by another program (its watch said so). Our own
    // writes are told apart by the file's stamp. With nothing unsaved the list is reloaded from
    // it; with unsaved changes Tessane's list is written and the other version kept aside
    // beside it ("<name>.outside-<time stamp>"). Logged either way.
    void checkForOutsideEdit();

    // What happened to the stored file that the user may need to hear of, told on the main
    // thread: `detail` is the failure for saveFailed and the kept file for the versions kept
    // aside: another program's version replaced by Tessane's changes (outsideVersionKeptAside),
    // or one that could not be read and was replaced by Tessane's list as it was
    // (unusableVersionKeptAside).
    struct FileNews {
        enum class Kind { saved, saveFailed, outsideVersionKeptAside, unusableVersionKeptAside, reloaded };
        Kind kind;
        std::string detail;
    };
    [[nodiscard]] Subscription observeFileNews(std::function<void(const FileNews&)> observer) {
        return fileNews_.subscribe(std::move(observer));
    }

    std::optional<Workspace> workspace(const Uuid& id) const;
    // The first workspace (other than `excluding`) with an app of exactly this bundle identifier.
    std::optional<Workspace> workspaceUsing(const std::string& bundleIdentifier,
                                            const std::optional<Uuid>& excluding) const;

    // Replaces the workspace with the same id and saves; an unknown id adds nothing.
    void update(Workspace workspace);
    // Remembers the document shown in the pane of app `appID`; false when there is no such app
    // or the path is already stored.
    bool setLastDocument(const std::string& path, const Uuid& appID);
    Workspace createWorkspace(const std::string& name);
    void setActiveWorkspace(const std::optional<Uuid>& id);
    void deleteWorkspace(const Uuid& id);
    void renameWorkspace(const Uuid& id, const std::string& newName);
    void setThreeColumns(bool on, const Uuid& workspaceID);
    void addApp(ManagedApp app, const Uuid& workspaceID);
    void removeApp(const Uuid& appID, const Uuid& workspaceID);
    void moveApp(const Uuid& appID, const Uuid& workspaceID, int by);
    void setPrimaryApp(const Uuid& appID, const Uuid& workspaceID);
    void setLayoutType(LayoutType type, const Uuid& workspaceID);

    // A copy with the new type, no three-columns state, no learned minimum sizes and no
    // remembered frames or saved layout; ratios, split tree and pane assignments kept.
    static Workspace changingLayoutType(const Workspace& workspace, LayoutType type);

private:
    std::string uniqueName(const std::string& base) const;
    std::string nameOf(const std::optional<Uuid>& id) const;
    // Index of the first workspace with `id`, or -1.
    long indexOf(const Uuid& id) const;
    // Publishes `list` and writes it.
    void commit(std::vector<Workspace> list);
    // Publishes `list` (every new list goes through here: the writer's records follow it).
    void publish(std::vector<Workspace> list);
    // Writes `list` now, or has the worker write the published list soon.
    void write(const std::vector<Workspace>& list);
    void noteWritten(const WorkspaceStore::Written& written);

    // Load-time repairs of the freshly loaded list (before anybody can observe the manager);
    // each stores the list when it changed something.
    void migrateOversizedIcons(std::vector<Workspace>& list);
    void migrateChangedBundleIDs(std::vector<Workspace>& list);

    WorkspaceStore store_;
    AppRegistry registry_;
    Published<std::vector<Workspace>> workspaces_;
    Published<std::optional<Uuid>> activeWorkspaceID_;
    Published<std::optional<Uuid>> lastShownWorkspaceID_;
    std::optional<FileStamp> knownStamp_;  // the file as we last read or wrote it
    bool lastSaveFailed_ = false;
    bool recheckAfterWrite_ = false;
    // The write under way replaces another program's version that could not be used.
    bool replacingUnusable_ = false;
    std::string buffer_;  // for writes on this thread
    Signal<FileNews> fileNews_;
    std::unique_ptr<WorkspaceSaves> saves_;  // last: its final writes report to the members above
};

}  // namespace tessane
