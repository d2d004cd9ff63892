#pragma once

#include "base/Base64.h"

#include <string>
#include <vector>

namespace tessane {

// One workspace as the switcher shows it.
struct WorkspaceSwitcherItem {
    std::string name;
    std::vector<Bytes> icons;  // PNG per application, in pane order
    bool isShown = false;

    bool operator==(const WorkspaceSwitcherItem&) const = default;
};

// The workspace switcher panel (`WorkspaceSwitcherPanel`).
class SwitcherChrome {
public:
    virtual ~SwitcherChrome() = default;

    // Stores the items and shows or updates the panel, `selected` highlighted.
    virtual void show(const std::vector<WorkspaceSwitcherItem>& items, int selected) = 0;
    // Moves the highlight without replacing the items.
    virtual void select(int index) = 0;
    // Sizes the panel to fit and centres it on the screen under the mouse.
    virtual void layout() = 0;
    virtual void close() = 0;
    // The switcher is open while its panel is visible.
    virtual bool isOpen() const = 0;
    virtual const std::vector<WorkspaceSwitcherItem>& items() const = 0;
};

}  // namespace tessane
