#pragma once

#include "chrome/ChromeView.h"
#include "controller/SwitcherChrome.h"

#include <vector>

namespace tessane {

// The switcher's row: per workspace its icons (44 points each), a dot (green when the workspace
// is shown) and its name, the selected one on a tinted plate, all on one rounded plate. It
// only shows: the panel takes no clicks.
class SwitcherView final : public ChromeView {
public:
    SwitcherView(Panel& panel, const Panels& measurer);

    // New content; the fitting size follows it. Call display() to draw.
    void setContent(const std::vector<WorkspaceSwitcherItem>& items, int selected);
    void setSelected(int selected) { selected_ = selected; }
    int selected() const { return selected_; }
    // The size the row takes: what the panel is sized to.
    Size fittingSize() const { return size_; }
    // Each item's plate in panel coordinates (y up), in item order.
    const std::vector<Rect>& itemRects() const { return itemRects_; }

    static constexpr double kIconSize = 44;

protected:
    PanelDrawing draw(Size bounds) const override;

private:
    struct Item {
        std::vector<PanelImage> icons;
        PanelText name;
        Size nameSize;
        bool isShown = false;
    };

    const Panels& measurer_;
    std::vector<Item> items_;
    std::vector<Rect> itemRects_;
    int selected_ = -1;
    Size size_;
};

}  // namespace tessane
