#include "chrome/WorkspaceSwitcherPanel.h"

#include "platform/EventMonitors.h"
#include "platform/Screens.h"

namespace tessane {

WorkspaceSwitcherPanel::WorkspaceSwitcherPanel(Panels& panels, const Screens& screens, const EventMonitors& pointer)
    : panels_(panels), screens_(screens), pointer_(pointer) {}

WorkspaceSwitcherPanel::~WorkspaceSwitcherPanel() { view_.reset(); }

void WorkspaceSwitcherPanel::show(const std::vector<WorkspaceSwitcherItem>& items, int selected) {
    items_ = items;
    if (!panel_) {
        PanelOptions options;
        options.level = PanelLevel::switcher;
        options.ignoresMouse = true;  // clicks reach what lies below
        options.canTakeFocus = false;
        options.hasShadow = true;
        options.name = "switcher";
        panel_ = panels_.makePanel(options);
        view_ = std::make_unique<SwitcherView>(*panel_, panels_);
    }
    view_->setContent(items_, selected);
    layout();
    view_->display();
    panel_->orderFront();
}

void WorkspaceSwitcherPanel::select(int index) {
    if (!view_ || view_->selected() == index) return;
    view_->setSelected(index);
    view_->display();
}

void WorkspaceSwitcherPanel::layout() {
    if (!panel_ || !view_) return;
    const Size size = view_->fittingSize();
    const Point mouse = pointer_.mouseLocation();
    std::optional<ScreenInfo> screen;
    for (const ScreenInfo& s : screens_.screens())
        if (s.frame.contains(mouse)) {
            screen = s;
            break;
        }
    if (!screen) screen = screens_.mainScreen();
    if (!screen) return;
    const Rect& v = screen->visibleFrame;
    panel_->setFrame({v.midX() - size.width / 2, v.midY() - size.height / 2, size.width, size.height});
}

void WorkspaceSwitcherPanel::close() {
    if (panel_) panel_->orderOut();
}

}  // namespace tessane
