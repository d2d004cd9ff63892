#include "chrome/CardLayout.h"

#include <algorithm>

namespace tessane {

namespace {
constexpr double kSmallButtonHeight = 20;
constexpr double kRegularButtonHeight = 24;
constexpr double kSmallButtonPadding = 10;
constexpr double kRegularButtonPadding = 14;
constexpr double kMinButtonWidth = 56;

PanelText buttonFont(const std::string& title, bool small) {
    PanelText t = cardFont(title, small ? CardFonts::smallControl : CardFonts::regularControl);
    t.wraps = false;
    return t;
}
}  // namespace

PanelText cardFont(std::vector<TextRun> runs, double size, FontWeight weight) {
    PanelText t;
    t.runs = std::move(runs);
    t.size = size;
    t.weight = weight;
    return t;
}

Size CardLayoutBuilder::text(const PanelText& text, double x, double top, double width, PaintColor color) {
    const Size size = measure(text, width);
    ops_.push_back(DrawOp::shape(DrawOp::Kind::styledText, {x, top, text.wraps ? width : size.width, size.height}, color));
    ops_.back().styledText = text;
    return size;
}

void CardLayoutBuilder::symbol(PanelSymbol symbol, const Rect& topDown, PaintColor color) {
    ops_.push_back(DrawOp::shape(DrawOp::Kind::symbol, topDown, color));
    ops_.back().symbol = symbol;
}

void CardLayoutBuilder::op(DrawOp op) { ops_.push_back(std::move(op)); }

Size CardLayoutBuilder::buttonSize(const std::string& title, bool small) const {
    const Size label = measure(buttonFont(title, small), 1e6);
    const double padding = small ? kSmallButtonPadding : kRegularButtonPadding;
    return {std::max(kMinButtonWidth, label.width + 2 * padding), small ? kSmallButtonHeight : kRegularButtonHeight};
}

void CardLayoutBuilder::button(CardButton button) {
    button.labelSize = measure(buttonFont(button.title, button.small), 1e6);
    buttons_.push_back(std::move(button));
}

CardLayout CardLayoutBuilder::finish(Size size) && {
    // Top-down to y up.
    auto flip = [&](Rect r) {
        r.origin.y = size.height - r.origin.y - r.size.height;
        return r;
    };
    CardLayout layout;
    layout.size = size;
    for (DrawOp& op : ops_) op.rect = flip(op.rect);
    layout.content = std::move(ops_);
    for (CardButton& b : buttons_) b.rect = flip(b.rect);
    layout.buttons = std::move(buttons_);
    return layout;
}

std::vector<TextRun> boldSpans(std::string_view markdown) {
    std::vector<TextRun> runs;
    size_t start = 0;
    while (true) {
        const size_t open = markdown.find("**", start);
        const size_t close = open == std::string_view::npos ? open : markdown.find("**", open + 2);
        if (open == std::string_view::npos || close == std::string_view::npos) {
            if (start < markdown.size()) runs.push_back({std::string(markdown.substr(start)), false});
            return runs;
        }
        // A plain stretch, then the bold one between the markers.
        if (open > start) runs.push_back({std::string(markdown.substr(start, open - start)), false});
        runs.push_back({std::string(markdown.substr(open + 2, close - open - 2)), true});
        start = close + 2;
    }
}

PanelDrawing drawCard(const CardLayout& layout, double margin, int pressed) {
    using Kind = DrawOp::Kind;
    const Rect card{margin, margin, layout.size.width, layout.size.height};
    PanelDrawing d;
    auto add = [&](Kind kind, Rect rect, PaintColor color, double radius = 0) -> DrawOp& {
        return d.emplace_back(DrawOp::shape(kind, rect, color, radius));
    };
    add(Kind::shadow, card.offsetBy(0, -CardMetrics::shadowDrop), {ColorRole::grey, CardMetrics::shadowOpacity, 0},
        CardMetrics::cornerRadius)
        .blur = CardMetrics::shadowBlur;
    add(Kind::fillRoundedRect, card, {ColorRole::windowBackground}, CardMetrics::cornerRadius);
    for (const DrawOp& op : layout.content) {
        d.push_back(op);
        d.back().rect = op.rect.offsetBy(margin, margin);
    }
    for (size_t i = 0; i < layout.buttons.size(); ++i) {
        const CardButton& b = layout.buttons[i];
        const Rect r = b.rect.offsetBy(margin, margin);
        const bool down = static_cast<int>(i) == pressed;
        add(Kind::fillRoundedRect, r,
            b.isDefault ? PaintColor{ColorRole::defaultButton, down ? 0.75 : 1.0} : PaintColor{ColorRole::separator, down ? 2.0 : 1.0},
            6);
        if (!b.isDefault) add(Kind::strokeRoundedRect, r, {ColorRole::separator}, 6);
        add(Kind::styledText,
            {r.midX() - b.labelSize.width / 2, r.midY() - b.labelSize.height / 2, b.labelSize.width, b.labelSize.height},
            b.isDefault ? PaintColor{ColorRole::grey, 1, 1} : PaintColor{ColorRole::label})
            .styledText = buttonFont(b.title, b.small);
    }
    // The border lies inside the card's shape.
    const Rect inner{card.minX() + 0.5, card.minY() + 0.5, card.width() - 1, card.height() - 1};
    add(Kind::strokeRoundedRect, inner, {ColorRole::separator}, CardMetrics::cornerRadius - 0.5);
    return d;
}

}  // namespace tessane
