#pragma once

#include "builder/BuilderPanel.h"
#include "builder/qt/BuilderView.h"

#include <QPointer>
#include <QWidget>

namespace tessane {
class AppCatalog;
}

namespace tessane::builder_qt {

// The builder's top-level window: frameless, floating above normal windows, on every desktop,
// moved by dragging its background, able to take keyboard focus for the name field and the
// Return and Escape keys.
class BuilderWindow final : public QWidget {
public:
    BuilderWindow(const std::vector<ManagedApp>& seed, BuilderActions actions, BuilderView::IconLookup iconLookup,
                  bool dark);
    BuilderView* view() const { return view_; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    BuilderView* view_;
    std::optional<QPoint> dragOffset_;
};

// The builder panel over a BuilderWindow. Closing hides the window at once and deletes it on the
// next turn of the event loop (the click that closed it may still be on its way out).
class QtBuilderPanel final : public BuilderPanel {
public:
    explicit QtBuilderPanel(BuilderWindow* window) : window_(window) {}
    ~QtBuilderPanel() override { close(); }
    void bringToFront() override;
    void close() override;
    BuilderWindow* window() const { return window_; }

private:
    QPointer<BuilderWindow> window_;
};

// The system's icon of an application: the catalogue's entry for its bundle identifier.
BuilderView::IconLookup catalogIconLookup(const AppCatalog& catalog);

// Makes panels that are centred on the screen under the pointer, shown, raised and focused.
BuilderPanelFactory makeBuilderPanelFactory(BuilderView::IconLookup iconLookup);

}  // namespace tessane::builder_qt
