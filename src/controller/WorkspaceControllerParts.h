#pragma once

namespace tessane {

class AppIcons;
class BlockedPrompt;
class ChromeGuard;
class ControllerObservers;
class DisplayFollower;
class DisplaySet;
class DividerKeeper;
class DocumentChoosers;
class DriftWatch;
class FrameKeeper;
class FullScreenWatch;
class HomeOffers;
class PaneDocuments;
class PaneEdits;
class PlacementPass;
class QuitGuards;
class ReconcileSweep;
class ShowSequence;
class ShownWorkspaces;
class SoloMemory;
class StageManagerGate;
class ThreeColumnsFold;
class UserMoves;
class WindowDrag;
class WindowEvents;
class WorkspaceRaiser;
class WorkspaceSessions;

// The parts a workspace controller composes, each behind its own interface: what a test drives
// one of them through on the simulated desktop. The program goes through the controller's
// commands and the events it hears.
struct WorkspaceControllerParts {
    ShownWorkspaces& shown;
    AppIcons& icons;
    SoloMemory& solo;
    BlockedPrompt& blockedPrompt;
    QuitGuards& quitGuards;
    DisplaySet& displays;
    HomeOffers& homeOffers;
    FrameKeeper& frames;
    WindowDrag& drag;
    PlacementPass& tiling;
    PaneDocuments& documents;
    ReconcileSweep& sweep;
    ThreeColumnsFold& columns;
    DocumentChoosers& choosers;
    ChromeGuard& guard;
    StageManagerGate& stage;
    DividerKeeper& dividers;
    DriftWatch& drift;
    FullScreenWatch& fullScreen;
    UserMoves& gestures;
    WorkspaceRaiser& raiser;
    ControllerObservers& observers;
    WindowEvents& windowEvents;
    ShowSequence& show;
    PaneEdits& edits;
    DisplayFollower& follower;
    WorkspaceSessions& workspaceSessions;
};

}  // namespace tessane
