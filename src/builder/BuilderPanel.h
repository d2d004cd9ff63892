#pragma once

#include "model/LayoutType.h"
#include "model/ManagedApp.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tessane {

// What the builder view may ask of its controller.
struct BuilderActions {
    // An application for a pane, given those already chosen; none when nothing was added.
    std::function<std::optional<ManagedApp>(const std::vector<ManagedApp>& alreadyChosen)> pick;
    std::function<void(const std::string& name, LayoutType layout, const std::vector<ManagedApp>& apps)> create;
    std::function<void()> cancel;
};

// The builder's open panel: a frameless floating panel above normal windows, on every desktop,
// movable by its background, hosting the builder view. Made centred, in front and focused.
class BuilderPanel {
public:
    virtual ~BuilderPanel() = default;
    // Makes it the focused window again and brings it and our application to the front.
    virtual void bringToFront() = 0;
    // Orders it out; the panel is dropped right after.
    virtual void close() = 0;
};

// Makes, centres, shows and focuses a panel with the builder view for `seed`.
using BuilderPanelFactory =
    std::function<std::unique_ptr<BuilderPanel>(const std::vector<ManagedApp>& seed, BuilderActions actions)>;

}  // namespace tessane
