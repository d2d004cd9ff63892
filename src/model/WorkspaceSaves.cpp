#include "model/WorkspaceSaves.h"

namespace tessane {

WorkspaceSaves::WorkspaceSaves(const WorkspaceStore& store, MainQueue& queue,
                               std::function<Job(WorkspaceRecords&)> snapshot,
                               std::function<void(const WorkspaceStore::Written&)> onWritten)
    : writes_(
          queue, [this, snapshot = std::move(snapshot)] { return snapshot(records_); },
          [this, &store](Job& job) { return store.write(job.workspaces, job.expectedOnDisk, buffer_); },
          [onWritten = std::move(onWritten)](WorkspaceStore::Written& written) { onWritten(written); }) {}

}  // namespace tessane
