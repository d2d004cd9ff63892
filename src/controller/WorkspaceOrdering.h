#pragma once

#include "base/Uuid.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// The orders the user sees of workspaces and their applications. Pure: the answers depend on the
// arguments alone.
namespace tessane::ordering {

// The switcher's list: the recent ids that are still valid (most recent first), then the other
// valid ids in stored order, each once; the front workspace, when listed, moves to the head.
std::vector<Uuid> switcherOrder(const std::vector<Uuid>& recent, const std::vector<Uuid>& valid,
                                const std::optional<Uuid>& front);

// The shown workspaces to put away when `target` comes up on `targetDisplay`: every other one on
// the same display, and every one whose display is unknown. In the order given.
std::vector<Uuid> workspacesToSwapOut(const Uuid& target, uint32_t targetDisplay,
                                      const std::vector<std::pair<Uuid, std::optional<uint32_t>>>& others);

// The order in which to bring a workspace's applications forward: each bundle identifier once, in
// stored order, with the activated one last so that it ends in front. An activated identifier
// that is not listed changes nothing.
std::vector<std::string> resurfaceRaiseOrder(const std::vector<std::string>& workspaceAppBundleIDs,
                                             const std::optional<std::string>& activatedBundleID);

// The pane `offset` steps from `currentIndex`, wrapping both ways; with no current pane, the last
// one going back and the first going forward. None with fewer than two panes.
std::optional<int> adjacentPaneIndex(std::optional<int> currentIndex, int offset, int count);

}  // namespace tessane::ordering
