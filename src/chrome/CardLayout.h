#pragma once

#include "platform/Panels.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tessane {

// What the notice and tips cards share: their look, their buttons and how their content is
// fitted to a width.
namespace CardMetrics {
inline constexpr double cornerRadius = 14;
// The shadow is painted inside the panel, in this margin around the card; the card's own
// frame is the panel's frame inset by it.
inline constexpr double shadowMargin = 16;
inline constexpr double shadowBlur = 12;
inline constexpr double shadowDrop = 4;  // downwards on screen
inline constexpr double shadowOpacity = 0.22;
}  // namespace CardMetrics

// A push button of a card. `rect` is in card coordinates (origin at the card's bottom-left
// corner, y up).
struct CardButton {
    Rect rect;
    std::string title;
    bool isDefault = false;  // Return triggers it, once the card has the keyboard
    bool small = false;      // the small control size
    std::function<void()> action;
    Size labelSize;  // measured by the builder
};

// A card's content fitted to its width: the ops in card coordinates (y up) and its buttons.
struct CardLayout {
    Size size;
    PanelDrawing content;
    std::vector<CardButton> buttons;
};

// Lays content out from the top down, as text flows, and turns it into a drawing once the
// height is known. Rectangles given to it have y measured downwards from the card's top edge.
class CardLayoutBuilder {
public:
    explicit CardLayoutBuilder(const Panels& measurer) : measurer_(measurer) {}

    Size measure(const PanelText& text, double width) const { return measurer_.measureText(text, width); }
    // Places `text` with its top-left corner at (x, top), wrapped to `width`; answers its size.
    Size text(const PanelText& text, double x, double top, double width, PaintColor color);
    void symbol(PanelSymbol symbol, const Rect& topDown, PaintColor color);
    void op(DrawOp op);  // its rect top-down
    // The button's size for its title.
    Size buttonSize(const std::string& title, bool small) const;
    // Its rect top-down; the label is measured here.
    void button(CardButton button);

    // The card at `size`, which holds at least what was laid out.
    CardLayout finish(Size size) &&;

private:
    const Panels& measurer_;
    PanelDrawing ops_;
    std::vector<CardButton> buttons_;
};

// "**bold** plain" as runs, the markers dropped; an unmatched marker stays as written.
std::vector<TextRun> boldSpans(std::string_view markdown);

// The fonts cards use.
PanelText cardFont(std::vector<TextRun> runs, double size, FontWeight weight = FontWeight::regular);
inline PanelText cardFont(std::string text, double size, FontWeight weight = FontWeight::regular) {
    return cardFont(std::vector<TextRun>{{std::move(text), false}}, size, weight);
}
namespace CardFonts {
inline constexpr double callout = 12;
inline constexpr double headline = 13;
inline constexpr double caption = 10;
inline constexpr double smallControl = 11;
inline constexpr double regularControl = 13;
}  // namespace CardFonts

// The whole panel's drawing: shadow, plate and border around `layout` placed `margin` points
// in, the buttons (the one `pressed` darkened) and the content.
PanelDrawing drawCard(const CardLayout& layout, double margin, int pressed);

}  // namespace tessane
