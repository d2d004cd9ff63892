#pragma once

#include "base/Geometry.h"
#include "model/AppCompatibilityNotes.h"
#include "model/LayoutType.h"
#include "model/ManagedApp.h"

#include <optional>
#include <string>
#include <vector>

namespace tessane {

// What the builder holds while the user puts a new workspace together: a name, a layout and one
// application per pane. It starts from the seed (the applications in front on screen) and
// changes only through the user's actions; nothing is stored until Create hands it over.
class BuilderState {
public:
    static constexpr const char* kDefaultName = "New Workspace";
    static constexpr double kPaneGutter = 8;
    static constexpr double kThumbnailGutter = 3;

    explicit BuilderState(const std::vector<ManagedApp>& seed);

    // The number of panes the builder keeps for a layout type.
    static int paneCount(LayoutType type);
    // The rectangles (origin top-left, y down) of the panes of `type` in an area of `area`,
    // laid out as the workspace will be; each at least 1 x 1, centred on its pane.
    static std::vector<Rect> paneCells(LayoutType type, Size area, double gutter);

    std::string name;
    LayoutType layout = LayoutType::leftRightSplit;
    std::vector<std::optional<ManagedApp>> slots;

    // The applications of the filled panes, in pane order.
    std::vector<ManagedApp> chosen() const;
    // Every pane of the layout filled; the name plays no part.
    bool canCreate() const;
    // Fits the slots to the layout's pane count (dropping the applications of extra panes).
    void resizeSlots();

    // The user's actions. Until the user types a name, the name follows the chosen apps.
    void chooseLayout(LayoutType type);
    void fill(size_t pane, ManagedApp app);
    void remove(size_t pane);
    void typeName(std::string text);

    std::string statusText() const;
    // The name Create hands over: as typed, or "New Workspace" when empty.
    std::string nameToCreate() const { return name.empty() ? kDefaultName : name; }
    std::vector<app_compatibility_notes::AppNote> compatibilityNotes() const {
        return app_compatibility_notes::notesFor(chosen());
    }

private:
    void followApps();

    bool wasSeeded_ = false;
    bool nameTyped_ = false;
};

}  // namespace tessane
