#pragma once

#include "base/Lifetime.h"
#include "base/Uuid.h"
#include "controller/GlobalInput.h"
#include "controller/SessionMap.h"
#include "controller/WorkspaceControllerState.h"
#include "controller/WorkspaceControllerTypes.h"
#include "platform/MainQueue.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace tessane {

class Alerts;
class BlockedPrompt;
class ChromeGuard;
class FileWatch;
class Preferences;
class SoloMemory;
class StageManagerWatcher;
class TipsChrome;
class WorkspaceManager;
struct Workspace;

// While Stage Manager is on, Tessane draws no chrome and tiles nothing. The gate keeps the state
// current (read again on a change of its file, and on the pointer's moves and clicks at most
// every 0.1 s), runs each transition once per change, watches only while a workspace is shown,
// and tells the user when a command it stops could not be done.
class StageManagerGate final {
public:
    using WorkspaceSession = workspace_controller::WorkspaceSession;
    using MakeWatcher = std::function<std::unique_ptr<StageManagerWatcher>(const std::filesystem::path& file,
                                                                           std::function<void()> onChange)>;
    struct Ports {
        Preferences& preferences;
        FileWatch& fileWatch;
        Alerts& alerts;
        GlobalInput* input;  // may be absent
    };
    // What stays the controller's: the end of a solo (which places its workspace again), a quiet
    // tiling pass of a workspace, and the show a retry asks for.
    struct Hooks {
        std::function<void()> restoreFromSolo;
        std::function<void(const Workspace&)> retile;
        std::function<void(const Uuid&)> show;
    };
    struct Shown {
        WorkspaceManager& manager;
        const SessionMap<WorkspaceSession>& sessions;
        const SoloMemory& solo;
        TipsChrome& tips;
        ChromeGuard& guard;
    };

    // `makeWatcher` may be empty: the real watcher over the file watch is made then.
    StageManagerGate(MainQueue& queue, Ports ports, MakeWatcher makeWatcher, Shown shown, BlockedPrompt& prompt,
                     Hooks hooks);
    ~StageManagerGate();
    StageManagerGate(const StageManagerGate&) = delete;
    StageManagerGate& operator=(const StageManagerGate&) = delete;

    // The state as last read.
    bool isActive() const { return active; }
    // Reads the state now; a change runs its transition at once, or on the next turn of the main
    // queue when `deferTransition`. Whether it is on.
    bool refresh(bool deferTransition);
    // refresh(false), unless the state was read less than 0.1 s ago.
    void maybeRefresh();
    void startWatchesIfNeeded();
    // Stops the watches once no workspace is shown.
    void stopWatchesIfIdle();
    // The guard of a workspace command: reads the state at once; when it is on, logs
    // `blockedLine`, offers the block with `retry` and answers true.
    bool blocks(const Uuid& workspaceID, const std::string& blockedLine, std::function<void()> retry);
    // The alert that the workspace can't be tiled while Stage Manager is on; when the user asks
    // to retry, `onRetry` (the show of the workspace when empty) runs on the next turn.
    void presentBlock(const Uuid& workspaceID, std::function<void()> onRetry);

    TimeInterval lastCheck() const { return lastCheck_; }
    const StageManagerWatcher* watcher() const { return watcher_.get(); }
    bool hasPointerMonitor() const { return pointerMonitor.has_value(); }

private:
    void transition(bool nowActive);
    void fileChanged();

    MainQueue& queue;
    Ports ports;
    MakeWatcher makeWatcher;
    Shown shown;
    BlockedPrompt& prompt;
    Hooks hooks;

    bool active = false;
    TimeInterval lastCheck_ = workspace_controller::kDistantPast;
    std::unique_ptr<StageManagerWatcher> watcher_;
    std::optional<GlobalInput::Token> pointerMonitor;
    LifetimeToken lifetime;  // last: gone first
};

}  // namespace tessane
