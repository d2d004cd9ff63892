// The tiling pass: one tile per pane, the window that belongs to each pane, the move into the
// tile, and what went wrong in words the user can read.
#include "controller/PlacementPass.h"

#include "controller/WindowDrag.h"
#include "controller/WorkspaceRules.h"
#include "layout/LayoutEngine.h"
#include "model/Log.h"
#include "model/WorkspaceManager.h"
#include "platform/Alerts.h"
#include "platform/Applications.h"
#include "system/ExternalAppController.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace tessane {

namespace {

constexpr double kMinimumTile = 200;
constexpr double kGuardSeconds = 0.4;
constexpr double kSecondPhaseDelay = 0.4;
constexpr double kDeviationTolerance = 8;

// The container inset by `inset` on every side, never below zero in either direction.
Rect insetNonNegative(const Rect& rect, double inset) {
    return {rect.minX() + inset, rect.minY() + inset, std::max(0.0, rect.width() - 2 * inset),
            std::max(0.0, rect.height() - 2 * inset)};
}

std::string fileName(const std::string& path) { return std::filesystem::path(path).filename().string(); }

}  // namespace

PlacementPass::PlacementPass(MainQueue& queue, const Platform& platform, WorkspaceManager& manager,
                             SessionMap<WorkspaceSession>& sessions, ExternalAppController& apps,
                             AXWindowController& axController, WindowDrag& drag, Hooks hooks)
    : queue(queue),
      platform(platform),
      manager(manager),
      sessions(sessions),
      apps(apps),
      axController(axController),
      drag(drag),
      hooks(std::move(hooks)) {}

// ------------------------------------------------------------------------------------ tiles

std::pair<std::vector<double>, std::vector<Rect>> PlacementPass::tileRects(const Workspace& workspace) {
    const Rect container = hooks.containerRect(workspace);
    const std::vector<double> effective = workspace_rules::effectiveRatios(workspace, container);
    const LayoutType type = workspace_rules::geometryType(workspace);
    const int n = static_cast<int>(workspace.apps.size());
    const std::optional<std::vector<double>> ratios =
        effective.empty() ? std::nullopt : std::optional<std::vector<double>>(effective);

    if (workspace.layout.type != LayoutType::mainSidebar && n >= 2)
        return {effective,
                LayoutEngine::paneLayout(type, insetNonNegative(container, 3), n, ratios, 6, 0, true).paneFrames};

    // The older arrangement, kept for main + sidebar and a lone application: 8 pt apart on the
    // whole container.
    std::vector<Rect> rects;
    if (n < 1 || !(container.width() > 0) || !(container.height() > 0)) return {effective, rects};
    const double r0 = LayoutEngine::ratioValue(ratios, 0, type);
    switch (type) {
        case LayoutType::leftRightSplit:
            for (const auto& s : LayoutEngine::segments(container.width(), n, 8, r0))
                rects.emplace_back(container.minX() + s.offset, container.minY(), s.length, container.height());
            break;
        case LayoutType::topBottomSplit:
            for (const auto& s : LayoutEngine::segments(container.height(), n, 8, r0))
                rects.emplace_back(container.minX(), container.minY() + s.offset, container.width(), s.length);
            break;
        case LayoutType::grid2x2:
            rects = LayoutEngine::grid(container, n, 8, r0, LayoutEngine::ratioValue(ratios, 1, type));
            break;
        case LayoutType::mainSidebar:
            rects = LayoutEngine::mainSidebar(container, n, 8, r0);
            break;
        default:
            rects = LayoutEngine::paneLayout(type, container, n, ratios, 8, 0, true).paneFrames;
            break;
    }
    return {effective, rects};
}

// ------------------------------------------------------------------------------- the pass

// One pane of a pass: every pane's window is chosen first, then all of them are moved together
// (the backend waits for the window manager once, not once per window), then each pane's outcome
// is taken in pane order, with the issues and log lines it gives.
struct PlacementPass::PassPane {
    const ManagedApp* app;
    Rect rect;
    std::optional<RunningApplication> running;
    PaneChoice choice;
    AXWindowController::PlacementOutcome outcome;
    std::optional<AXElement> documentWindow;
    std::vector<std::string> issues;
    std::vector<std::string> lines;
};

PlacementPass::PlacementReport PlacementPass::placeWindows(const Workspace& given, bool quiet, bool scheduleLearn) {
    if (hooks.stageManagerActive()) return {};
    Workspace workspace = given;
    if (workspace_rules::isThreeColumns(workspace)) {
        workspace = manager.workspace(given.id).value_or(given);
        workspace = hooks.foldThreeColumns(workspace);
    }
    if (workspace.apps.empty()) return {};

    const auto [effective, rects] = tileRects(workspace);
    if (tilesTooSmall(rects)) {
        if (!quiet)
            platform.alerts->runModal({AlertSpec::Style::warning,
                                       "Workspace is too small for this layout",
                                       "Resize the container or choose a simpler layout.",
                                       {"OK"},
                                       std::nullopt});
        return {};
    }

    placement.advance();
    const PlacementToken token = placement.token(workspace.id);
    beginGuard();

    placingWorkspace = workspace.id;
    std::vector<PassPane> panes = choosePassWindows(workspace, rects, token);
    movePassWindows(panes);
    std::vector<TrackedWindow> tracked;
    PlacementReport report = settlePassWindows(panes, tracked);
    placingWorkspace.reset();

    recordPass(workspace, std::move(tracked), effective);
    if (scheduleLearn) hooks.learnMinimums(workspace.id);
    if (!quiet) logPlacementDeviation(workspace, rects);
    return report;
}

std::vector<PlacementPass::PassPane> PlacementPass::choosePassWindows(const Workspace& workspace,
                                                                      const std::vector<Rect>& rects,
                                                                      const PlacementToken& token) {
    std::vector<std::string>* const outer = heldLines;
    std::vector<PassPane> panes;
    for (size_t i = 0; i < workspace.apps.size(); ++i) {
        if (i >= rects.size()) continue;
        if (!placement.isCurrent(token) || !sessions.contains(workspace.id)) break;
        PassPane& pane = panes.emplace_back(PassPane{&workspace.apps[i], rects[i]});
        heldLines = &pane.lines;
        pane.running = apps.runningApplication(pane.app->bundleIdentifier);
        if (!pane.running) {
            pane.issues.push_back(pane.app->displayName + " isn’t running.");
            pane.choice.decided = ManagedPlacement{};
            continue;
        }
        if (pane.running->isHidden) platform.applications->unhide(pane.running->pid);
        documentReadAfterMoves = &pane.documentWindow;
        pane.choice = choosePaneWindow(*pane.app, *pane.running);
        documentReadAfterMoves = nullptr;
    }
    heldLines = outer;
    return panes;
}

void PlacementPass::movePassWindows(std::vector<PassPane>& panes) {
    std::vector<std::string>* const outer = heldLines;
    std::vector<Accessibility::FrameRequest> moves;
    std::vector<PassPane*> moved;
    for (auto& pane : panes) {
        if (pane.choice.decided) continue;
        heldLines = &pane.lines;
        if (const auto across = placeAcrossDisplays(pane.choice.window, pane.rect, pane.app->displayName)) {
            pane.outcome = *across;
            continue;
        }
        moves.push_back({pane.choice.window, pane.rect});
        moved.push_back(&pane);
    }
    const auto outcomes = axController.place(moves);
    for (size_t i = 0; i < moved.size(); ++i) moved[i]->outcome = outcomes[i];
    for (auto& pane : panes) {
        if (!pane.documentWindow) continue;
        heldLines = &pane.lines;
        hooks.rememberDocument(*pane.documentWindow, *pane.app);
    }
    heldLines = outer;
}

PlacementPass::PlacementReport PlacementPass::settlePassWindows(std::vector<PassPane>& panes,
                                                                std::vector<TrackedWindow>& tracked) {
    std::vector<std::string>* const outer = heldLines;
    PlacementReport report;
    for (auto& pane : panes) {
        heldLines = &pane.lines;
        const ManagedPlacement placed = pane.choice.decided ? *pane.choice.decided
                                                            : settlePaneWindow(*pane.app, *pane.running, pane.rect,
                                                                               pane.choice, pane.outcome, pane.issues);
        heldLines = outer;
        for (const auto& line : pane.lines) log(line);
        report.issues.insert(report.issues.end(), pane.issues.begin(), pane.issues.end());
        if (!pane.running) continue;
        switch (placed.kind) {
            case ManagedPlacement::Kind::bound:
                tracked.push_back({pane.app->id, pane.running->pid, *placed.element});
                break;
            case ManagedPlacement::Kind::fullScreen:
                if (placed.element) tracked.push_back({pane.app->id, pane.running->pid, *placed.element});
                report.fullScreenApps.push_back(pane.app->displayName);
                break;
            case ManagedPlacement::Kind::pending:
                break;
        }
    }
    return report;
}

void PlacementPass::recordPass(const Workspace& workspace, std::vector<TrackedWindow> tracked,
                               const std::vector<double>& effective) {
    if (auto* session = sessions.find(workspace.id)) {
        // The sizes the windows rest at once placed: a later resize is a change from these, and a
        // window that keeps a size of its own (a minimum, a refusal, its size hints) was not
        // resized by anyone when another window of the workspace moves.
        auto& seen = drag.lastSeenSizes(workspace.id);
        for (const auto& window : tracked)
            if (const auto size = axController.sizeValue(window.element, ax::kSize))
                seen[window.appID] = *size;
            else
                seen.erase(window.appID);
        session->elements = std::move(tracked);
    }
    hooks.windowsRebound();
    persistRatiosIfChanged(effective, workspace);
    hooks.showRatios(workspace, effective);
}

PlacementPass::ManagedPlacement PlacementPass::placeManagedWindow(const ManagedApp& app,
                                                                  const RunningApplication& running, const Rect& rect,
                                                                  std::vector<std::string>& issues) {
    const PaneChoice choice = choosePaneWindow(app, running);
    if (choice.decided) return *choice.decided;
    return settlePaneWindow(app, running, rect, choice, placeWindow(choice.window, rect, app.displayName), issues);
}

PlacementPass::PaneChoice PlacementPass::choosePaneWindow(const ManagedApp& app, const RunningApplication& running) {
    if (!running.isFinishedLaunching) return {ManagedPlacement{ManagedPlacement::Kind::pending, std::nullopt}};
    if (const auto cached = windowCache.window(app.id, running.pid)) {
        if (axController.boolean(*cached, ax::kFullScreen))
            return {ManagedPlacement{ManagedPlacement::Kind::fullScreen, *cached}};
        return {std::nullopt, *cached, true};
    }
    const auto resolved = resolveWindow(app, running);
    if (!resolved) {
        if (hooks.hasNativeFullScreenWindow(running.pid)) {
            log("[Tessane] " + app.displayName + ": native fullscreen (AX blind) — leaving it alone (awaiting exit).");
            return {ManagedPlacement{ManagedPlacement::Kind::fullScreen, std::nullopt}};
        }
        log("[Tessane] " + app.displayName +
            ": running but no window yet — pane pending, will adopt on window appear.");
        return {ManagedPlacement{ManagedPlacement::Kind::pending, std::nullopt}};
    }
    if (resolved->isFullScreen) {
        log("[Tessane] " + app.displayName + ": window is in native fullscreen — leaving it alone (awaiting exit).");
        return {ManagedPlacement{ManagedPlacement::Kind::fullScreen, resolved->element}};
    }
    return {std::nullopt, resolved->element, false};
}

PlacementPass::ManagedPlacement PlacementPass::settlePaneWindow(const ManagedApp& app,
                                                                const RunningApplication& running, const Rect& rect,
                                                                const PaneChoice& choice,
                                                                const AXWindowController::PlacementOutcome& outcome,
                                                                std::vector<std::string>& issues) {
    using Kind = AXWindowController::PlacementOutcome::Kind;
    const ManagedPlacement bound{ManagedPlacement::Kind::bound, choice.window};
    switch (outcome.kind) {
        case Kind::refused:
            if (hooks.windowControlAway()) return bound;  // the manager's absence, not the application
            noteRefusal(app, outcome.actual, rect, choice.window);
            return bound;
        case Kind::placed:
            lastLoggedRefusal.erase(app.id);
            return bound;
        case Kind::failed:
            if (hooks.windowControlAway()) return bound;
            // A cached window whose size can no longer be read has gone: choose again.
            if (choice.fromCache && !axController.sizeValue(choice.window, ax::kSize)) {
                windowCache.remove(app.id);
                return placeManagedWindow(app, running, rect, issues);
            }
            issues.push_back("Tessane couldn’t move " + app.displayName +
                             "’s window. Some apps restrict window control.");
            return bound;
    }
    return bound;
}

// ------------------------------------------------------------------------ choosing a window

std::optional<PlacementPass::ResolvedWindow> PlacementPass::resolveWindow(const ManagedApp& app,
                                                                          const RunningApplication& running) {
    if (const auto cached = windowCache.window(app.id, running.pid)) return ResolvedWindow{*cached, false};

    const auto windows = axController.manageableWindows(running.pid);
    if (windows.empty()) return std::nullopt;

    pruneCacheForRemovedPanes();
    std::set<size_t> claimed;
    const auto others = windowCache.claimedWindows(running.pid, app.id);
    for (size_t i = 0; i < windows.size(); ++i)
        if (std::find(others.begin(), others.end(), windows[i].element) != others.end()) claimed.insert(i);

    // A window's document (its process's open files, the recent lists) is read only when a pane
    // remembers one to match it with: most shows have none.
    std::vector<std::optional<std::optional<std::string>>> documents(windows.size());
    const auto documentOf = [&](size_t i) -> const std::optional<std::string>& {
        if (!documents[i]) documents[i] = axController.documentPath(windows[i].element);
        return *documents[i];
    };

    std::optional<size_t> chosen;
    bool foundDocument = false;
    if (app.lastDocumentPath) {
        for (size_t i = 0; i < windows.size() && !chosen; ++i)
            if (!claimed.count(i) && documentOf(i) == app.lastDocumentPath) chosen = i;
        if (chosen) {
            foundDocument = true;
            hooks.documentFound(app.id);
            log("[Tessane] " + app.displayName + ": found its pane's document “" + fileName(*app.lastDocumentPath) +
                "”.");
        } else if (hooks.documentAwaited(app.id)) {
            return std::nullopt;  // its document is still on the way: don't take another window
        }
    }

    if (!chosen) {
        for (const auto& sibling : hooks.siblingPanes(app)) {
            if (!sibling.lastDocumentPath) continue;
            for (size_t i = 0; i < windows.size(); ++i)
                if (documentOf(i) == sibling.lastDocumentPath) claimed.insert(i);
        }
        std::vector<bool> isMain;
        isMain.reserve(windows.size());
        for (const auto& info : windows) isMain.push_back(info.isMain);
        chosen = AXWindowController::selectBindableIndex(isMain, claimed);
        if (!chosen) {
            if (loggedNoSpareWindow.insert(app.id).second)
                log("[Tessane] " + app.displayName + ": all " + std::to_string(windows.size()) +
                    " manageable window(s) already bound to other panes — leaving this pane pending.");
            return std::nullopt;
        }
    }

    const auto& window = windows[*chosen];
    loggedNoSpareWindow.erase(app.id);
    windowCache.store(window.element, app.id, running.pid);
    if (!foundDocument) {
        if (documentReadAfterMoves)
            *documentReadAfterMoves = window.element;
        else
            hooks.rememberDocument(window.element, app);
    }
    return ResolvedWindow{window.element, window.isFullScreen};
}

std::optional<AXElement> PlacementPass::peekPaneWindow(const ManagedApp& app, const RunningApplication& running) {
    if (const auto cached = windowCache.window(app.id, running.pid)) return cached;
    const auto windows = axController.manageableWindows(running.pid);
    const auto others = windowCache.claimedWindows(running.pid, app.id);
    std::set<size_t> claimed;
    std::vector<bool> isMain;
    for (size_t i = 0; i < windows.size(); ++i) {
        if (std::find(others.begin(), others.end(), windows[i].element) != others.end()) claimed.insert(i);
        isMain.push_back(windows[i].isMain);
    }
    if (app.lastDocumentPath)
        for (size_t i = 0; i < windows.size(); ++i)
            if (!claimed.count(i) && axController.documentPath(windows[i].element) == app.lastDocumentPath)
                return windows[i].element;
    const auto chosen = AXWindowController::selectBindableIndex(isMain, claimed);
    return chosen ? std::optional<AXElement>(windows[*chosen].element) : std::nullopt;
}

std::optional<Rect> PlacementPass::paneWindowFrame(const ManagedApp& app) {
    const auto window = paneWindow(app);
    return window ? window->frame : std::nullopt;
}

std::optional<PlacementPass::PaneWindow> PlacementPass::paneWindow(const ManagedApp& app) {
    const auto running = apps.runningApplication(app.bundleIdentifier);
    if (!running || !running->isFinishedLaunching) return std::nullopt;
    const auto window = resolveWindow(app, *running);
    if (!window) return std::nullopt;
    const auto position = axController.point(window->element, ax::kPosition);
    const auto size = axController.sizeValue(window->element, ax::kSize);
    if (!position || !size) return PaneWindow{window->element, std::nullopt};
    return PaneWindow{window->element, Rect(*position, *size)};
}

std::optional<PlacementPass::PaneWindow> PlacementPass::placedPaneWindow(const Uuid& workspaceID,
                                                                         const ManagedApp& app) {
    const auto* session = sessions.find(workspaceID);
    if (!session) return std::nullopt;
    const auto placed = std::find_if(session->elements.begin(), session->elements.end(),
                                     [&](const TrackedWindow& t) { return t.appID == app.id; });
    if (placed == session->elements.end()) return std::nullopt;
    const AXElement element = placed->element;  // resolving may rebind the session's windows
    auto window = paneWindow(app);
    if (!window || window->element != element) return std::nullopt;
    return window;
}

void PlacementPass::pruneCacheForRemovedPanes() {
    if (!paneCachePruneDue) return;
    paneCachePruneDue = false;
    // Only the cached panes are looked for, and the walk ends once each is found: with thousands
    // of stored workspaces, a set of every pane was most of a first show (which has none cached).
    auto gone = windowCache.appIDs();
    if (gone.empty()) return;
    ++paneCachePrunes;
    for (const auto& ws : manager.workspaces().get()) {
        for (const auto& app : ws.apps) gone.erase(app.id);
        if (gone.empty()) return;
    }
    for (const auto& id : gone) windowCache.remove(id);
}

// ------------------------------------------------------------------------- one window

AXWindowController::PlacementOutcome PlacementPass::placeWindow(const AXElement& window, const Rect& rect,
                                                                const std::string& appName) {
    if (const auto across = placeAcrossDisplays(window, rect, appName)) return *across;
    return axController.place(window, rect);
}

std::optional<AXWindowController::PlacementOutcome> PlacementPass::placeAcrossDisplays(const AXElement& window,
                                                                                       const Rect& rect,
                                                                                       const std::string& appName) {
    const auto position = axController.point(window, ax::kPosition);
    const auto size = axController.sizeValue(window, ax::kSize);
    std::optional<uint32_t> from, to;
    if (position && size) {
        from = hooks.displayID(Rect(*position, *size));
        to = hooks.displayID(rect);
    }
    if (!from || !to || *from == *to) {
        pendingSecondPhase.erase(window);
        return std::nullopt;
    }

    // Across displays the window first goes over with its own size, so the window manager (and
    // the application) size it for the display it lands on; 0.4 s later it is sized in place.
    axController.accessibility().setAttribute(window, ax::kPosition, AXValue::point(rect.origin));
    const auto landedAt = axController.point(window, ax::kPosition);
    const auto landedSize = axController.sizeValue(window, ax::kSize);
    if (!landedAt || !landedSize || hooks.displayID(Rect(*landedAt, *landedSize)) != to)
        log("[Tessane] " + appName + ": didn't reach the other display on the first move — placing it anyway.");

    const Uuid phase = Uuid::random();
    pendingSecondPhase[window] = phase;
    const std::optional<PlacementToken> token =
        placingWorkspace ? std::optional<PlacementToken>(placement.token(*placingWorkspace)) : std::nullopt;
    queue.postAfter(kSecondPhaseDelay, lifetime.guard([this, window, rect, phase, token] {
        const auto it = pendingSecondPhase.find(window);
        if (it == pendingSecondPhase.end() || it->second != phase) return;  // placed again meanwhile
        pendingSecondPhase.erase(it);
        if (token) {
            // Planned for a workspace: it must still be shown and still hold the window.
            const auto* session = sessions.find(token->workspaceID);
            if (!session) return;
            const bool holds = std::any_of(session->elements.begin(), session->elements.end(),
                                           [&](const TrackedWindow& t) { return t.element == window; });
            if (!holds) return;
        }
        beginGuard();
        axController.place(window, rect);
    }));
    return AXWindowController::PlacementOutcome::placed();
}

bool PlacementPass::tilesTooSmall(const std::vector<Rect>& rects) {
    return std::any_of(rects.begin(), rects.end(),
                       [](const Rect& r) { return r.width() < kMinimumTile || r.height() < kMinimumTile; });
}

void PlacementPass::log(const std::string& line) {
    if (heldLines)
        heldLines->push_back(line);
    else
        Log::line(line);
}

void PlacementPass::beginGuard() {
    ++guardCount;
    queue.postAfter(kGuardSeconds, lifetime.guard([this] { guardCount = std::max(0, guardCount - 1); }));
}

void PlacementPass::noteRefusal(const ManagedApp& app, const Rect& actual, const Rect& requested,
                                const AXElement& window) {
    if (const auto it = lastLoggedRefusal.find(app.id); it != lastLoggedRefusal.end() && it->second == actual) return;
    lastLoggedRefusal[app.id] = actual;
    log("[Tessane] " + app.displayName + " refused its pane: asked " + workspace_rules::rectDescription(requested) +
        ", window is " + workspace_rules::rectDescription(actual) + ". [" + axController.windowKind(window) + "]");
}

void PlacementPass::logPlacementDeviation(const Workspace& workspace, const std::vector<Rect>& rects) {
    for (size_t i = 0; i < workspace.apps.size() && i < rects.size(); ++i) {
        const ManagedApp& app = workspace.apps[i];
        const auto frame = paneWindowFrame(app);
        if (!frame) continue;
        const Rect& actual = *frame;
        const Rect& want = rects[i];
        const bool off = std::abs(actual.minX() - want.minX()) > kDeviationTolerance ||
                         std::abs(actual.minY() - want.minY()) > kDeviationTolerance ||
                         std::abs(actual.width() - want.width()) > kDeviationTolerance ||
                         std::abs(actual.height() - want.height()) > kDeviationTolerance;
        if (off)
            log("[Tessane][geom] " + workspace.name + " pane " + std::to_string(i) + " (" + app.displayName +
                "): want " + workspace_rules::rectDescription(want) + " got " +
                workspace_rules::rectDescription(actual));
    }
}

void PlacementPass::persistRatiosIfChanged(const std::vector<double>& ratios, const Workspace& workspace) {
    if (workspace.layout.ratios == ratios) return;
    auto stored = manager.workspace(workspace.id);
    if (!stored) return;
    stored->layout.ratios = ratios;
    manager.update(*stored);
}

}  // namespace tessane
