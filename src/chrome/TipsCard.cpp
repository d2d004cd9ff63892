#include "chrome/TipsCard.h"

#include "system/ShortcutText.h"

#include <algorithm>

namespace tessane {

namespace {
constexpr double kPadding = 18;
constexpr double kRowSpacing = 14;
constexpr double kHeaderSymbol = 16;
constexpr double kHeaderSpacing = 8;
constexpr double kTipSymbolWidth = 22;
constexpr double kTipSymbolHeight = 18;
constexpr double kTipSpacing = 12;
constexpr double kFooterExtra = 2;
}  // namespace

const std::vector<TipRow>& workspaceTips() {
    using shortcut_text::chord;
    using shortcut_text::kControlCommand;
    using shortcut_text::kOptionCommand;
    static const std::vector<TipRow> tips = {
        {PanelSymbol::moveArrows,
         "Drag the **bar at the top edge** to move the whole workspace · **right-click** it for the menu."},
        {PanelSymbol::resizeArrows, "Drag the **divider** between apps — or an app's outer edge — to **resize**."},
        {PanelSymbol::keyboard, "**" + chord(kControlCommand, "Left/Right") + "** switch focus · **" +
                                    chord(kControlCommand, "Return") + "** solo · **" + chord(kOptionCommand, "H") +
                                    "** hide"},
    };
    return tips;
}

CardLayout layoutTipsCard(const Panels& measurer, std::function<void()> onDismiss) {
    using namespace TipsCardMetrics;
    CardLayoutBuilder b(measurer);
    const double inner = width - 2 * kPadding;
    double y = kPadding;

    // Header, centred on one line.
    const PanelText headline = cardFont("Quick tips", CardFonts::headline, FontWeight::semibold);
    const Size headlineSize = b.measure(headline, inner);
    const double headerHeight = std::max(kHeaderSymbol, headlineSize.height);
    b.symbol(PanelSymbol::sparkles, {kPadding, y + (headerHeight - kHeaderSymbol) / 2, kHeaderSymbol, kHeaderSymbol},
             {ColorRole::accent});
    b.text(headline, kPadding + kHeaderSymbol + kHeaderSpacing, y + (headerHeight - headlineSize.height) / 2,
           inner - kHeaderSymbol - kHeaderSpacing, {ColorRole::label});
    y += headerHeight + kRowSpacing;

    const double textX = kPadding + kTipSymbolWidth + kTipSpacing;
    for (const TipRow& tip : workspaceTips()) {
        b.symbol(tip.icon, {kPadding, y, kTipSymbolWidth, kTipSymbolHeight}, {ColorRole::secondaryLabel});
        const Size text = b.text(cardFont(boldSpans(tip.text), CardFonts::callout), textX, y, width - kPadding - textX,
                                 {ColorRole::label});
        y += std::max(kTipSymbolHeight, text.height) + kRowSpacing;
    }

    y += kFooterExtra;
    const PanelText note = cardFont("See all shortcuts in Settings.", CardFonts::caption);
    const Size button = b.buttonSize("Got it", false);
    const Size noteSize = b.measure(note, inner - button.width - 8);
    const double footerHeight = std::max(button.height, noteSize.height);
    b.text(note, kPadding, y + (footerHeight - noteSize.height) / 2, inner - button.width - 8,
           {ColorRole::secondaryLabel});
    b.button({{width - kPadding - button.width, y + (footerHeight - button.height) / 2, button.width, button.height},
              "Got it",
              true,
              false,
              std::move(onDismiss),
              {}});
    y += footerHeight + kPadding;
    return std::move(b).finish({width, std::max(minHeight, y)});
}

}  // namespace tessane
