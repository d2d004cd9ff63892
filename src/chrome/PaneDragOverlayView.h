#pragma once

#include "chrome/ChromeView.h"
#include "model/LayoutType.h"

#include <vector>

namespace tessane {

// What covers the container while a divider is dragged: a backdrop and one card per pane, each
// with its application's icon, laid out for the ratios under the pointer.
class PaneDragOverlayView final : public ChromeView {
public:
    using ChromeView::ChromeView;

    LayoutType layoutType = LayoutType::leftRightSplit;
    std::vector<double> ratios;
    int appCount = 2;
    double headerHeight = 0;  // kept free above the panes; the chrome always uses 0
    std::vector<PanelImage> icons;

    void configure(LayoutType type, std::vector<double> ratios, std::vector<PanelImage> icons,
                   int appCount, double headerHeight);
    // Re-lays the cards for the current fields (drawn at once).
    void layoutPanes() { display(); }

protected:
    PanelDrawing draw(Size bounds) const override;
};

}  // namespace tessane
