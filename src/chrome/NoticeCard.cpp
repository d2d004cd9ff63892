#include "chrome/NoticeCard.h"

#include <algorithm>

namespace tessane {

namespace {
constexpr double kBarWidth = 3;
constexpr double kBarInset = 7;
constexpr double kPadding = 16;
constexpr double kSymbolSize = 20;
constexpr double kSymbolWidth = 26;
constexpr double kSpacing = 12;
constexpr double kColumnSpacing = 10;
constexpr double kButtonSpacing = 8;
}  // namespace

CardLayout layoutNoticeCard(const Panels& measurer, const WorkspaceNoticeCard& card) {
    using namespace NoticeCardMetrics;
    CardLayoutBuilder b(measurer);

    const size_t barIndex = 0;  // its height is known at the end
    b.op(DrawOp::shape(DrawOp::Kind::fillRoundedRect, {}, {ColorRole::label, 0.55}, kBarWidth / 2));

    const double symbolX = kBarWidth + kPadding;
    b.symbol(PanelSymbol::displays, {symbolX, kPadding, kSymbolWidth, kSymbolSize}, {ColorRole::label});
    const double columnX = symbolX + kSymbolWidth + kSpacing;
    const double columnWidth = width - kPadding - columnX;

    double y = kPadding;
    if (card.title) {
        y += b.text(cardFont(*card.title, 15, FontWeight::semibold), columnX, y, columnWidth, {ColorRole::label}).height +
             kColumnSpacing;
    }
    y += b.text(cardFont(card.message, CardFonts::callout), columnX, y, columnWidth,
                {card.title ? ColorRole::secondaryLabel : ColorRole::label})
             .height +
         kColumnSpacing;

    // The buttons sit at the trailing edge, the action last.
    std::vector<CardButton> buttons;
    buttons.push_back({{}, card.actionTitle ? "Not now" : "Dismiss", false, true, card.onDismiss, {}});
    if (card.actionTitle) buttons.push_back({{}, *card.actionTitle, true, true, card.onAction, {}});
    double right = width - kPadding;
    double rowHeight = 0;
    for (auto it = buttons.rbegin(); it != buttons.rend(); ++it) {
        const Size size = b.buttonSize(it->title, true);
        it->rect = {right - size.width, y, size.width, size.height};
        right -= size.width + kButtonSpacing;
        rowHeight = std::max(rowHeight, size.height);
    }
    for (CardButton& button : buttons) b.button(std::move(button));
    y += rowHeight + kPadding;

    CardLayout layout = std::move(b).finish({width, std::max(minHeight, y)});
    // Full height, but kept clear of where the card's rounded corners cut the leading edge.
    layout.content[barIndex].rect = {0, kBarInset, kBarWidth, layout.size.height - 2 * kBarInset};
    return layout;
}

}  // namespace tessane
