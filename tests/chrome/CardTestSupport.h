#pragma once

#include "chrome/CardView.h"
#include "platform/sim/SimPanels.h"

#include <string>
#include <vector>

namespace tessane::testing {

// The card's frame inside its panel (the panel adds the shadow margin).
inline Rect cardFrameOf(const Panel& panel) { return CardView::cardFrame(panel.frame()); }

// Presses and releases the button titled `title`, as a click on the panel would.
inline bool clickButton(sim::SimPanel& panel, const CardView& view, const std::string& title) {
    for (const CardButton& b : view.layout().buttons) {
        if (b.title != title) continue;
        const Rect card = cardFrameOf(panel);
        const Point at{card.minX() + b.rect.midX(), card.minY() + b.rect.midY()};
        panel.deliver({PanelInput::Kind::leftDown, at});
        panel.deliver({PanelInput::Kind::leftUp, at});
        return true;
    }
    return false;
}

inline std::vector<std::string> buttonTitles(const CardView& view) {
    std::vector<std::string> out;
    for (const CardButton& b : view.layout().buttons) out.push_back(b.title);
    return out;
}

// Text of every styled text op, runs joined.
inline std::vector<std::string> texts(const PanelDrawing& drawing) {
    std::vector<std::string> out;
    for (const DrawOp& op : drawing) {
        if (op.kind != DrawOp::Kind::styledText) continue;
        std::string s;
        for (const TextRun& r : op.styledText.runs) s += r.text;
        out.push_back(s);
    }
    return out;
}

// A measurer whose text takes no room, or a fixed height per text (to make content grow).
class FixedTextPanels final : public Panels {
public:
    explicit FixedTextPanels(Size textSize) : size_(textSize) {}
    std::unique_ptr<Panel> makePanel(const PanelOptions& options) override { return sim_.makePanel(options); }
    Size measureText(const PanelText&, double) const override { return size_; }

private:
    Size size_;
    sim::SimPanels sim_;
};

}  // namespace tessane::testing
