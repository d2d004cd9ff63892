#include "controller/DisplaySet.h"

#include "controller/WorkspaceRules.h"
#include "layout/DisplayResolver.h"
#include "layout/DisplayTopology.h"
#include "layout/ScreenGeometry.h"
#include "model/Workspace.h"
#include "platform/Screens.h"

#include <algorithm>

namespace tessane {

namespace {
// How long after a change of the displays window moves are taken for theirs.
constexpr double kDisplayFluxSeconds = 4.0;
// The margin of a container that has never had a frame, inside the main display's visible frame.
constexpr double kDefaultContainerInset = 12;
}  // namespace

DisplaySet::DisplaySet(const Screens& screens, MainQueue& queue, GlobalInput* input,
                       std::function<std::optional<Rect>()> focusedWindowFrame)
    : screens(screens), queue(queue), input(input), focusedWindowFrame(std::move(focusedWindowFrame)) {}

std::optional<std::string> DisplaySet::currentTopology() {
    if (cachedTopologyValid) return cachedTopology_;
    const auto all = screens.screens();
    cachedTopology_ = DisplayTopology::currentFingerprint(all);
    cachedDisplayFrames = DisplayTopology::displayFrames(all);
    cachedTopologyValid = true;
    if (!noted) noted = Noted{cachedTopology_, cachedDisplayFrames};
    return cachedTopology_;
}

void DisplaySet::noteScreenParametersChange() {
    const auto all = screens.screens();
    Noted now{DisplayTopology::currentFingerprint(all), DisplayTopology::displayFrames(all)};
    // The same displays at a new scale or resolution move every window in points as surely as
    // a display that comes or goes. Compared with what was last noted here, never with what a
    // read of the topology kept meanwhile: a read between the toolkit's new scale and its
    // notification would otherwise swallow the change.
    if (noted && (now.topology != noted->topology || DisplayTopology::reframed(noted->frames, now.frames)))
        topologyFluxUntil = queue.now() + kDisplayFluxSeconds;
    cachedTopology_ = now.topology;
    cachedDisplayFrames = now.frames;
    cachedTopologyValid = true;
    noted = std::move(now);
}

bool DisplaySet::inFlux() {
    noteScreenParametersChange();
    return queue.now() < topologyFluxUntil;
}

std::optional<std::pair<Rect, std::string>> DisplaySet::currentDisplayVisibleAX() {
    const auto all = screens.screens();
    if (all.empty()) return std::nullopt;
    const double primaryHeight = ScreenGeometry::primaryDisplayHeight(screens);
    std::vector<Rect> frames;
    for (const auto& screen : all) frames.push_back(screen.frame);
    const std::optional<Point> mouse = input ? std::optional<Point>(input->mouseLocation()) : std::nullopt;
    const auto toAX = [&](const ScreenInfo& s) {
        return ScreenGeometry::axRectFromScreen(s.visibleFrame, primaryHeight);
    };
    if (const auto index = DisplayResolver::currentScreenIndex(mouse, focusedWindowFrame(), frames)) {
        const bool underMouse = mouse && all[*index].frame.contains(*mouse);
        return std::pair{toAX(all[*index]), std::string(underMouse ? "mouse cursor" : "focused managed window")};
    }
    if (const auto main = screens.mainScreen()) return std::pair{toAX(*main), std::string("NSScreen.main")};
    return std::pair{toAX(all.front()), std::string("first screen")};
}

std::optional<Rect> DisplaySet::screenVisibleFrameAX(const Rect& rect) const {
    const double primaryHeight = ScreenGeometry::primaryDisplayHeight(screens);
    const Point centre = ScreenGeometry::axPointFromScreen({rect.midX(), rect.midY()}, primaryHeight);
    const auto all = screens.screens();
    auto holder = std::find_if(all.begin(), all.end(), [&](const ScreenInfo& s) { return s.frame.contains(centre); });
    std::optional<ScreenInfo> winner = holder != all.end() ? std::optional<ScreenInfo>(*holder) : screens.mainScreen();
    if (!winner) return std::nullopt;
    return ScreenGeometry::axRectFromScreen(winner->visibleFrame, primaryHeight);
}

std::vector<Rect> DisplaySet::availableScreensVisibleAX() const {
    const double primaryHeight = ScreenGeometry::primaryDisplayHeight(screens);
    std::vector<Rect> out;
    for (const auto& screen : screens.screens())
        out.push_back(ScreenGeometry::axRectFromScreen(screen.visibleFrame, primaryHeight));
    return out;
}

std::optional<uint32_t> DisplaySet::displayID(const Rect& axRect) const {
    const double primaryHeight = ScreenGeometry::primaryDisplayHeight(screens);
    const Rect screenRect = ScreenGeometry::screenRectFromAX(axRect, primaryHeight);
    const Point centre{screenRect.midX(), screenRect.midY()};
    for (const auto& screen : screens.screens())
        if (screen.frame.contains(centre)) return screen.displayNumber;
    return std::nullopt;
}

std::string DisplaySet::screensLogSummary() const {
    const double primaryHeight = ScreenGeometry::primaryDisplayHeight(screens);
    std::string items;
    int index = 0;
    for (const auto& screen : screens.screens()) {
        if (index > 0) items += "; ";
        items += "screen" + std::to_string(index++) + " visible=" +
                 workspace_rules::rectLog(ScreenGeometry::axRectFromScreen(screen.visibleFrame, primaryHeight));
    }
    return "displays(AX): [" + items + "]";
}

Rect DisplaySet::containerRect(const Workspace& workspace) {
    if (const auto home = workspace.homeFrame(currentTopology())) return *home;
    if (const auto& last = workspace.lastContainerFrame; last && last->width > 0 && last->height > 0)
        return last->rect();
    if (const auto main = screens.mainScreen())
        return ScreenGeometry::axRectFromScreen(main->visibleFrame, ScreenGeometry::primaryDisplayHeight(screens))
            .insetBy(kDefaultContainerInset, kDefaultContainerInset);
    return {0, 0, 1280, 800};
}

}  // namespace tessane
