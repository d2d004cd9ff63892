#include "chrome/SwitcherView.h"

#include <algorithm>

namespace tessane {

namespace {
constexpr double kRowPadding = 16;
constexpr double kItemSpacing = 12;
constexpr double kPlateRadius = 20;
constexpr double kItemPaddingX = 16;
constexpr double kItemPaddingY = 14;
constexpr double kItemRadius = 14;
constexpr double kColumnSpacing = 10;
constexpr double kIconSpacing = 6;
constexpr double kDotSize = 6;
constexpr double kNameSpacing = 6;

double iconsWidth(size_t n) {
    return n == 0 ? 0 : n * SwitcherView::kIconSize + (n - 1) * kIconSpacing;
}
}  // namespace

SwitcherView::SwitcherView(Panel& panel, const Panels& measurer) : ChromeView(panel), measurer_(measurer) {}

void SwitcherView::setContent(const std::vector<WorkspaceSwitcherItem>& items, int selected) {
    selected_ = selected;
    items_.clear();
    itemRects_.clear();
    std::vector<Size> sizes;
    double width = 0, height = 0;
    for (const WorkspaceSwitcherItem& source : items) {
        Item item;
        for (const Bytes& png : source.icons) item.icons.push_back(std::make_shared<const Bytes>(png));
        item.name.runs = {{source.name, false}};
        item.name.size = 14;
        item.name.weight = FontWeight::semibold;
        item.name.wraps = false;
        item.nameSize = measurer_.measureText(item.name, 0);
        item.isShown = source.isShown;
        // An item without icons is only its dot and name.
        const double nameRow = kDotSize + kNameSpacing + item.nameSize.width;
        const Size size{std::max(iconsWidth(item.icons.size()), nameRow) + 2 * kItemPaddingX,
                        (item.icons.empty() ? 0 : kIconSize + kColumnSpacing) + std::max(kDotSize, item.nameSize.height) +
                            2 * kItemPaddingY};
        width += size.width + (sizes.empty() ? 0 : kItemSpacing);
        height = std::max(height, size.height);
        sizes.push_back(size);
        items_.push_back(std::move(item));
    }
    size_ = {width + 2 * kRowPadding, height + 2 * kRowPadding};
    // Items sit side by side, centred vertically in the row.
    double x = kRowPadding;
    for (const Size& s : sizes) {
        itemRects_.push_back({x, kRowPadding + (height - s.height) / 2, s.width, s.height});
        x += s.width + kItemSpacing;
    }
}

PanelDrawing SwitcherView::draw(Size bounds) const {
    PanelDrawing d;
    auto add = [&](DrawOp::Kind kind, Rect rect, PaintColor color, double radius = 0) -> DrawOp& {
        return d.emplace_back(DrawOp::shape(kind, rect, color, radius));
    };
    // An opaque plate: the chrome behind it (a gutter line) must not cross the tiles and their names.
    add(DrawOp::Kind::fillRoundedRect, {0, 0, bounds.width, bounds.height}, {ColorRole::windowBackground},
        kPlateRadius);
    for (size_t i = 0; i < items_.size(); ++i) {
        const Item& item = items_[i];
        const Rect& r = itemRects_[i];
        if (static_cast<int>(i) == selected_) add(DrawOp::Kind::fillRoundedRect, r, {ColorRole::accent, 0.35}, kItemRadius);
        // Top down: the icons, then the dot and the name, each row centred.
        double top = r.maxY() - kItemPaddingY;
        if (!item.icons.empty()) {
            double x = r.midX() - iconsWidth(item.icons.size()) / 2;
            for (const PanelImage& icon : item.icons) {
                add(DrawOp::Kind::image, {x, top - kIconSize, kIconSize, kIconSize}, {}).png = icon;
                x += kIconSize + kIconSpacing;
            }
            top -= kIconSize + kColumnSpacing;
        }
        const double rowHeight = std::max(kDotSize, item.nameSize.height);
        const double mid = top - rowHeight / 2;
        double x = r.midX() - (kDotSize + kNameSpacing + item.nameSize.width) / 2;
        // The dot takes its place either way.
        if (item.isShown) add(DrawOp::Kind::fillEllipse, {x, mid - kDotSize / 2, kDotSize, kDotSize}, {ColorRole::green});
        x += kDotSize + kNameSpacing;
        add(DrawOp::Kind::styledText, {x, mid - item.nameSize.height / 2, item.nameSize.width, item.nameSize.height},
            {ColorRole::label})
            .styledText = item.name;
    }
    return d;
}

}  // namespace tessane
