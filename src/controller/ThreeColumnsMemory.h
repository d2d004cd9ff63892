#pragma once

#include "base/Uuid.h"

#include <map>
#include <set>
#include <vector>

namespace tessane {

// What the controller remembers per workspace of three columns side by side, and the verdict it
// reaches from the windows' real widths after a tiling pass: the columns fit, are re-split to
// widths the applications accept, or fold into one left and two stacked right panes; a folded
// workspace is tried unfolded again once its container's width changes.
class ThreeColumnsMemory final {
public:
    // How much wider than its column a window may be and still count as fitting it.
    static constexpr double kSlack = 24;

    struct Fit {
        enum class Kind { fits, cannotFit, resplit };
        Kind kind = Kind::fits;
        std::vector<double> widths;  // resplit only
        bool operator==(const Fit&) const = default;
    };

    // The widths three columns take when some applications refuse theirs: `columns` the planned
    // widths, `actual` the windows' widths, `floors` the least each accepts, `available` the room.
    static Fit fit(const std::vector<double>& columns, const std::vector<double>& actual,
                   const std::vector<double>& floors, double available, double slack);

    // A new operation on the workspace (a show, an edit, a divider drag): its passes and refusals
    // start over and a trial unfold ends.
    void beginOperation(const Uuid& workspaceID);
    // Whether a folded workspace is tried unfolded at the inner `width`: not again at the width it
    // folded at unless `force`. Starts the trial when it is.
    bool startUnfoldTrial(const Uuid& workspaceID, double width, bool force);

    // One tiling pass's columns: planned and measured widths and the apps, in pane order.
    struct Pass {
        std::vector<double> planned;
        std::vector<double> measured;
        std::vector<Uuid> appIDs;
        double width = 0;        // the container's inner width
        double screenWidth = 0;  // the visible width of its display
    };
    struct Verdict {
        enum class Kind { fits, unfolded, fold, resplit };
        Kind kind = Kind::fits;
        bool wasTrying = false;       // fold: after a trial unfold
        bool newlyAnnounced = false;  // fold: the user has not been told of this fold yet
        double need = 0;              // fold: what the apps need together
        double room = 0;              // fold: the room the columns share
        std::vector<double> widths;   // resplit
        int pass = 0;                 // resplit: which pass of this operation
    };
    Verdict judge(const Uuid& workspaceID, const Pass& pass);

    // The re-split passes of the workspace's operation under way, and the widths its apps refused.
    int passes(const Uuid& workspaceID) const;
    std::map<Uuid, double> refused(const Uuid& workspaceID) const;

private:
    std::map<Uuid, int> threeColumnsPasses;
    std::map<Uuid, std::map<Uuid, double>> threeColumnsRefused;
    std::map<Uuid, double> threeColumnsOperationWidth;
    std::map<Uuid, double> threeColumnsFoldedAtWidth;
    std::set<Uuid> threeColumnsTryingUnfold;
    std::set<Uuid> threeColumnsFoldAnnounced;
};

}  // namespace tessane
