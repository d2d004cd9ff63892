#pragma once

#include "model/Workspace.h"

#include <string>
#include <vector>

namespace tessane {

// JSON has no NaN or infinity, so a non-finite ratio or coordinate can't be stored faithfully.
// The manager keeps them out where records enter the model: a frame, size or list of ratios
// holding one is dropped (the defaults apply again), a split ratio becomes 0.5. Returns what was
// dropped, e.g. {"lastContainerFrame", "layout.ratios", "apps[1].observedMinSize"}; empty when the
// workspace was clean (and then it is not touched).
std::vector<std::string> dropNonFiniteNumbers(Workspace& workspace);

// The same for one app record (only its observed minimum size carries numbers).
std::vector<std::string> dropNonFiniteNumbers(ManagedApp& app);

}  // namespace tessane
