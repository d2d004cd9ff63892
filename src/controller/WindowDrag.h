#pragma once

#include "base/Geometry.h"
#include "base/Lifetime.h"
#include "base/Uuid.h"
#include "controller/GlobalInput.h"

#include <functional>
#include <map>
#include <optional>
#include <set>

namespace tessane {

// The user's drags on shown workspaces, as the controller follows them: a divider being dragged,
// the window drag under way (the workspace it began in and the watch for the button's release),
// the workspaces it reached, the windows that changed under the pointer, and the sizes each
// workspace's windows were last seen at (a later resize is a change from these).
class WindowDrag final {
public:
    explicit WindowDrag(GlobalInput* input) : input(input) {}  // `input` may be absent
    ~WindowDrag() { stopWatch(); }
    WindowDrag(const WindowDrag&) = delete;
    WindowDrag& operator=(const WindowDrag&) = delete;

    bool isDraggingDivider() const { return draggingDivider; }
    void setDraggingDivider(bool on) { draggingDivider = on; }

    // Starts a window drag in the workspace, with `onRelease` told the workspace when the button
    // is let go; false (and nothing started) while one is under way.
    bool begin(const Uuid& workspaceID, std::function<void(const Uuid&)> onRelease);
    const std::optional<Uuid>& draggingWorkspace() const { return draggingWorkspaceID; }
    // Ends the window drag under way, if any; the workspaces it reached.
    std::set<Uuid> finish();
    // A window change reached the workspace during the drag under way.
    void noteTouched(const Uuid& workspaceID) { touched.insert(workspaceID); }
    bool touchedAny() const { return !touched.empty(); }

    void noteChangedUnderPointer(const Uuid& workspaceID, const Uuid& appID) {
        changedUnderPointer[workspaceID].insert(appID);
    }
    std::set<Uuid> appsChangedUnderPointer(const Uuid& workspaceID) const;
    void forgetChangedUnderPointer(const Uuid& workspaceID) { changedUnderPointer.erase(workspaceID); }

    // The sizes the workspace's windows were last seen at, by pane application.
    std::map<Uuid, Size>& lastSeenSizes(const Uuid& workspaceID) { return sizes[workspaceID]; }
    std::optional<Size> lastSeenSize(const Uuid& workspaceID, const Uuid& appID) const;

    // Drops all kept of a workspace no longer shown, its window drag included.
    void forget(const Uuid& workspaceID);

private:
    void stopWatch();

    GlobalInput* input;
    bool draggingDivider = false;
    std::optional<Uuid> draggingWorkspaceID;
    std::optional<GlobalInput::Token> releaseWatch;
    std::map<Uuid, std::set<Uuid>> changedUnderPointer;
    std::map<Uuid, std::map<Uuid, Size>> sizes;
    std::set<Uuid> touched;
    LifetimeToken lifetime;  // last: gone first
};

}  // namespace tessane
