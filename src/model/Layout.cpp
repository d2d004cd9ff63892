#include "model/Layout.h"

namespace tessane {
namespace {

// The ratios of each three-columns mode when none are remembered: folded is the 1-left/2-right
// arrangement with even splits; unfolded gives the first column a third and halves the rest.
std::vector<double> defaultRatios(bool folded) {
    if (folded) return {0.5, 0.5};
    return {1.0 / 3.0, 0.5};
}

bool hasValues(const std::optional<std::vector<double>>& v) { return v && !v->empty(); }

}  // namespace

std::string Layout::displayName() const {
    if (threeColumns) return label(LayoutType::threeColumns);
    return label(type);
}

Layout Layout::foldingThreeColumns(bool folded) const {
    if (!threeColumns || threeColumns->folded == folded) return *this;
    Layout result = *this;
    result.ratios = hasValues(threeColumns->parkedRatios) ? *threeColumns->parkedRatios : defaultRatios(folded);
    ThreeColumnsState state;
    state.parkedRatios = hasValues(ratios) ? *ratios : defaultRatios(threeColumns->folded);
    state.folded = folded;
    result.threeColumns = state;
    return result;
}

}  // namespace tessane
