#pragma once

#include "builder/BuilderPanel.h"
#include "builder/qt/BuilderView.h"
#include "builder/qt/FloatingPanel.h"

namespace tessane {
class AppCatalog;
}

namespace tessane::builder_qt {

// The builder's top-level window: a floating panel that takes keyboard focus for the name field
// and the Return and Escape keys.
class BuilderWindow final : public FloatingPanelWindow {
public:
    BuilderWindow(const std::vector<ManagedApp>& seed, BuilderActions actions, BuilderView::IconLookup iconLookup,
                  bool dark);
    BuilderView* view() const { return view_; }

private:
    BuilderView* view_;
};

using QtBuilderPanel = QtFloatingPanel<BuilderPanel, BuilderWindow>;

// The system's icon of an application: the catalogue's entry for its bundle identifier.
BuilderView::IconLookup catalogIconLookup(const AppCatalog& catalog);

// Makes panels that are centred on the screen under the pointer, shown, raised and focused.
BuilderPanelFactory makeBuilderPanelFactory(BuilderView::IconLookup iconLookup);

}  // namespace tessane::builder_qt
