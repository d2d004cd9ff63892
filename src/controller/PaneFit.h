#pragma once

#include <optional>
#include <string>

namespace tessane {

// One pane whose window does not fill it, as the diagnostics report lists it. Kept apart from
// the shell so that the controller never depends on it.
struct PaneFit {
    std::string workspace;
    int paneIndex = 0;
    std::string appName;
    int wantWidth = 0;
    int wantHeight = 0;
    std::optional<int> gotWidth;
    std::optional<int> gotHeight;
    std::optional<int> offsetX;
    std::optional<int> offsetY;
    std::optional<std::string> note;

    bool operator==(const PaneFit&) const = default;
};

}  // namespace tessane
