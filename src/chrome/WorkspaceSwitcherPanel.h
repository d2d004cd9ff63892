#pragma once

#include "chrome/SwitcherView.h"
#include "controller/SwitcherChrome.h"

#include <memory>

namespace tessane {

class EventMonitors;
class Screens;

// The switcher overlay: the row of workspaces centred on the screen under the pointer, above
// everything (level 101), never taking the keyboard or the mouse. The workspace controller owns
// the list, the selection and the commit; this only draws them. The panel, once made, is kept.
class WorkspaceSwitcherPanel final : public SwitcherChrome {
public:
    WorkspaceSwitcherPanel(Panels& panels, const Screens& screens, const EventMonitors& pointer);
    ~WorkspaceSwitcherPanel() override;

    void show(const std::vector<WorkspaceSwitcherItem>& items, int selected) override;
    void select(int index) override;
    void layout() override;
    // Orders the panel out; it stays for the next show.
    void close() override;
    bool isOpen() const override { return panel_ && panel_->isVisible(); }
    const std::vector<WorkspaceSwitcherItem>& items() const override { return items_; }

    Panel* panel() const { return panel_.get(); }
    const SwitcherView* view() const { return view_.get(); }

private:
    Panels& panels_;
    const Screens& screens_;
    const EventMonitors& pointer_;
    std::unique_ptr<Panel> panel_;
    std::unique_ptr<SwitcherView> view_;
    std::vector<WorkspaceSwitcherItem> items_;
};

}  // namespace tessane
