#include "builder/qt/QtBuilderPanel.h"

#include "model/AppRegistry.h"
#include "platform/Applications.h"
#include "platform/qt/panels/PanelPainter.h"

#include <QLineEdit>
#include <QVBoxLayout>

namespace tessane::builder_qt {

BuilderWindow::BuilderWindow(const std::vector<ManagedApp>& seed, BuilderActions actions,
                             BuilderView::IconLookup iconLookup, bool dark)
    : FloatingPanelWindow("builderPanel", {BuilderView::kWidth, BuilderView::kHeight}, "New Workspace", BuilderView::kCornerRadius) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    view_ = new BuilderView(seed, std::move(actions), std::move(iconLookup), dark, this);
    layout->addWidget(view_);
}

BuilderView::IconLookup catalogIconLookup(const AppCatalog& catalog) {
    return [&catalog](const ManagedApp& app) { return AppRegistry(catalog).systemIconPNG(app.bundleIdentifier); };
}

BuilderPanelFactory makeBuilderPanelFactory(BuilderView::IconLookup iconLookup) {
    return [iconLookup](const std::vector<ManagedApp>& seed, BuilderActions actions) -> std::unique_ptr<BuilderPanel> {
        auto* window = new BuilderWindow(seed, std::move(actions), iconLookup, qt_backend::chromeIsDark());
        auto panel = std::make_unique<QtBuilderPanel>(window);
        presentFloatingPanel(window);
        window->view()->nameField()->setFocus();
        return panel;
    };
}

}  // namespace tessane::builder_qt
