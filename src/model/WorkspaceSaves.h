#pragma once

#include "model/Workspace.h"
#include "model/WorkspaceRecords.h"
#include "model/WorkspaceStore.h"
#include "platform/BackgroundWrites.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tessane {

// Writes the workspace list on one worker thread of its own, so that a large list never holds
// up the main thread. Changes asked for while a write runs are coalesced into one more write of
// the list as it is then. The worker gets the list as it is when a write starts, as shared
// records that never change once made (the main thread makes a record again only for a workspace
// that changed, and never touches one it handed over), and shares nothing else with it; each
// write's outcome comes back on the main queue. The file is replaced atomically as by
// WorkspaceStore::write. Main thread only, except the worker inside.
class WorkspaceSaves {
public:
    // `snapshot`: the list to write now, as the records it is given hold it (see
    // WorkspaceRecords::of), and the stamp of the file we last read or wrote (see
    // WorkspaceStore::write); `onWritten`: each write's outcome, on the main thread.
    struct Job {
        std::vector<std::shared_ptr<const Workspace>> workspaces;
        std::optional<FileStamp> expectedOnDisk;
    };
    WorkspaceSaves(const WorkspaceStore& store, MainQueue& queue, std::function<Job(WorkspaceRecords&)> snapshot,
                   std::function<void(const WorkspaceStore::Written&)> onWritten);
    WorkspaceSaves(const WorkspaceSaves&) = delete;
    WorkspaceSaves& operator=(const WorkspaceSaves&) = delete;

    // The list changed: write it soon (all changes of this turn of the loop in one write).
    void request() { writes_.request(); }
    // Blocks until every change asked for is written (or failed), and tells their outcomes.
    void flush() { writes_.flush(); }
    // A change is asked for or being written.
    bool busy() const { return writes_.busy(); }
    // The list's shared records, which `snapshot` hands over; the list's owner tells them of
    // every change of the list.
    WorkspaceRecords& records() { return records_; }

private:
    WorkspaceRecords records_;  // main thread
    std::string buffer_;        // the worker's only
    // Last: it writes what is still asked for, and ends the worker, before the rest goes.
    BackgroundWrites<Job, WorkspaceStore::Written> writes_;
};

}  // namespace tessane
