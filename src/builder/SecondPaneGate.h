#pragma once

#include <string>

namespace tessane {

// Decides with the user whether one more pane of an application that already fills
// `existingPanes` panes may be added (the second-pane prompt speaks to the user itself).
class SecondPaneGate {
public:
    virtual ~SecondPaneGate() = default;
    virtual bool allowSecondPane(const std::string& appName, const std::string& bundleIdentifier,
                                 int existingPanes) = 0;
};

}  // namespace tessane
