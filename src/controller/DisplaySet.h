#pragma once

#include "base/Geometry.h"
#include "controller/GlobalInput.h"
#include "controller/WorkspaceControllerState.h"
#include "platform/MainQueue.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tessane {

class Screens;
struct Workspace;

// The displays as the controller reads them: the set of displays it files homes under (read
// once per change, then kept), the spell after a change during which window moves are the
// displays' doing and not the user's, and the screens' visible frames in Accessibility
// coordinates.
class DisplaySet final {
public:
    // `focusedWindowFrame`: the frame (screen coordinates) of the managed window with the focus,
    // asked when the display in use is not the one under the pointer. `input` may be absent.
    DisplaySet(const Screens& screens, MainQueue& queue, GlobalInput* input,
               std::function<std::optional<Rect>()> focusedWindowFrame);
    DisplaySet(const DisplaySet&) = delete;
    DisplaySet& operator=(const DisplaySet&) = delete;

    // The fingerprint of the attached displays (none without any), read again after a change.
    std::optional<std::string> currentTopology();
    // The displays changed: the next read looks at them again.
    void forgetTopology() { cachedTopologyValid = false; }
    // The screens' parameters changed: a new set of displays, or new frames for the same ones,
    // opens a spell of a few seconds in which window moves are not the user's.
    void noteScreenParametersChange();
    // Whether window moves and sizes are the displays' doing now. The displays are looked at
    // first (their kept properties, no round trip): a new scale reaches the windows' frames in
    // points before its notification does, on a busy machine by a turn or more.
    bool inFlux();
    // The displays have settled and been followed: window moves are the user's again.
    void endFlux() { topologyFluxUntil = workspace_controller::kDistantPast; }

    // The visible frame of the display in use (the pointer's, else the focused window's, else the
    // main one) and which of those decided it; none without displays.
    std::optional<std::pair<Rect, std::string>> currentDisplayVisibleAX();
    // The visible frame of the display holding the rectangle's centre, else the main one's.
    std::optional<Rect> screenVisibleFrameAX(const Rect& rect) const;
    std::vector<Rect> availableScreensVisibleAX() const;
    // Where the workspace's container goes when no session holds it (Accessibility coordinates):
    // its home on these displays, else its last frame, else inside the main display's visible frame.
    Rect containerRect(const Workspace& workspace);
    std::optional<uint32_t> displayID(const Rect& axRect) const;
    std::string screensLogSummary() const;

    // What is kept, as it is (for tests).
    const std::optional<std::string>& cachedTopology() const { return cachedTopology_; }
    bool topologyKnown() const { return cachedTopologyValid; }
    TimeInterval fluxUntil() const { return topologyFluxUntil; }
    void setFluxUntil(TimeInterval until) { topologyFluxUntil = until; }

private:
    const Screens& screens;
    MainQueue& queue;
    GlobalInput* input;
    std::function<std::optional<Rect>()> focusedWindowFrame;
    std::optional<std::string> cachedTopology_;
    std::map<std::string, Rect> cachedDisplayFrames;  // read with cachedTopology_
    bool cachedTopologyValid = false;
    // The displays as last noted, against which the next note tells a change.
    struct Noted {
        std::optional<std::string> topology;
        std::map<std::string, Rect> frames;
    };
    std::optional<Noted> noted;
    TimeInterval topologyFluxUntil = workspace_controller::kDistantPast;
};

}  // namespace tessane
