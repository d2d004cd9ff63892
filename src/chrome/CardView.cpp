#include "chrome/CardView.h"

#include <utility>

namespace tessane {

CardView::CardView(Panel& panel, CardLayout layout) : ChromeView(panel), layout_(std::move(layout)) {
    panel.setKeyHandler(lifetime_.guard([this](PanelKey key) { handleKey(key); }));
}

std::unique_ptr<Panel> CardView::makePanel(Panels& panels, std::string name) {
    PanelOptions options;
    options.level = PanelLevel::card;
    options.canTakeFocus = true;
    options.hasShadow = true;  // painted in the margin
    options.name = std::move(name);
    return panels.makePanel(options);
}

Rect CardView::panelFrame(const Rect& card) {
    const double m = CardMetrics::shadowMargin;
    return {card.minX() - m, card.minY() - m, card.width() + 2 * m, card.height() + 2 * m};
}

Rect CardView::cardFrame(const Rect& panel) {
    const double m = CardMetrics::shadowMargin;
    return {panel.minX() + m, panel.minY() + m, panel.width() - 2 * m, panel.height() - 2 * m};
}

PanelDrawing CardView::draw(Size) const { return drawCard(layout_, CardMetrics::shadowMargin, pressed_); }

int CardView::buttonAt(Point p) const {
    const Rect frame = panel().frame();
    const Point local{p.x - frame.minX() - CardMetrics::shadowMargin, p.y - frame.minY() - CardMetrics::shadowMargin};
    for (size_t i = 0; i < layout_.buttons.size(); ++i)
        if (layout_.buttons[i].rect.contains(local)) return static_cast<int>(i);
    return -1;
}

void CardView::setPressed(int index) {
    if (pressed_ == index) return;
    pressed_ = index;
    display();
}

void CardView::run(size_t index) {
    // The action may destroy this view: copy it out first and touch nothing afterwards.
    auto action = layout_.buttons[index].action;
    if (action) action();
}

void CardView::handleInput(const PanelInput& in) {
    using Kind = PanelInput::Kind;
    switch (in.kind) {
    case Kind::leftDown:
        held_ = buttonAt(in.location);
        setPressed(held_);
        return;
    case Kind::leftDragged:
        // Like a button held down: lit while the pointer is over it.
        if (held_ >= 0) setPressed(buttonAt(in.location) == held_ ? held_ : -1);
        return;
    case Kind::leftUp: {
        const int held = std::exchange(held_, -1);
        setPressed(-1);
        if (held >= 0 && buttonAt(in.location) == held) run(static_cast<size_t>(held));
        return;
    }
    case Kind::trackingCancelled:
        held_ = -1;
        setPressed(-1);
        return;
    default:
        return;
    }
}

void CardView::handleKey(PanelKey key) {
    if (key != PanelKey::returnKey) return;
    for (size_t i = 0; i < layout_.buttons.size(); ++i)
        if (layout_.buttons[i].isDefault) return run(i);
}

void CardRetirement::retire(std::unique_ptr<CardView> view, std::unique_ptr<Panel> panel) {
    if (panel) panel->orderOut();
    if (!view && !panel) return;
    retired_.emplace_back(std::move(view), std::move(panel));
    if (retired_.size() == 1) queue_.post(lifetime_.guard([this] { clear(); }));
}

void CardRetirement::clear() {
    for (auto& [view, panel] : retired_) view.reset();  // each view before its panel
    retired_.clear();
}

CardRetirement::~CardRetirement() { clear(); }

}  // namespace tessane
