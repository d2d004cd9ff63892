#pragma once

#include "model/LayoutType.h"
#include "model/Workspace.h"

#include <optional>
#include <string>

namespace tessane {

// How the workspace editor names panes and says when the number of apps does not fit the layout.
namespace pane_labels {

// The number of apps a layout type tiles (the type alone decides, not three-column mode).
int appsTiled(LayoutType type);

// The label of the pane the app at `index` (from 0) fills: "Left", "Top-Right", "Sidebar 2", ...;
// "Pane <index + 1>" past the layout's own names.
std::string paneLabel(int index, const Workspace& workspace);

// “<layout>” needs m apps — add k more. / “<layout>” uses m apps — remove k to fit. / none.
std::optional<std::string> countMismatchHint(const Workspace& workspace);

}  // namespace pane_labels
}  // namespace tessane
