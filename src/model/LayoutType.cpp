#include "model/LayoutType.h"

#include <algorithm>

namespace tessane {
namespace {

struct Entry {
    LayoutType type;
    const char* raw;
    const char* label;
};

constexpr Entry kEntries[] = {
    {LayoutType::leftRightSplit, "leftRightSplit", "Left / Right Split"},
    {LayoutType::topBottomSplit, "topBottomSplit", "Top / Bottom Split"},
    {LayoutType::grid2x2, "grid2x2", "2 \u00D7 2 Grid"},
    {LayoutType::mainSidebar, "mainSidebar", "Main + Sidebar"},
    {LayoutType::threeTopTwoBottomOne, "threeTopTwoBottomOne", "2 Top / 1 Bottom"},
    {LayoutType::threeTopOneBottomTwo, "threeTopOneBottomTwo", "1 Top / 2 Bottom"},
    {LayoutType::threeLeftTwoRightOne, "threeLeftTwoRightOne", "2 Left / 1 Right"},
    {LayoutType::threeLeftOneRightTwo, "threeLeftOneRightTwo", "1 Left / 2 Right"},
    {LayoutType::threeColumns, "threeColumns", "Three Columns"},
};

constexpr std::array<LayoutType, 9> kAllCases = {
    LayoutType::leftRightSplit,       LayoutType::topBottomSplit,       LayoutType::grid2x2,
    LayoutType::mainSidebar,          LayoutType::threeTopTwoBottomOne, LayoutType::threeTopOneBottomTwo,
    LayoutType::threeLeftTwoRightOne, LayoutType::threeLeftOneRightTwo, LayoutType::threeColumns,
};

constexpr std::array<LayoutType, 8> kOfferedInPickers = {
    LayoutType::leftRightSplit,       LayoutType::topBottomSplit,       LayoutType::threeTopTwoBottomOne,
    LayoutType::threeTopOneBottomTwo, LayoutType::threeLeftTwoRightOne, LayoutType::threeLeftOneRightTwo,
    LayoutType::grid2x2,              LayoutType::threeColumns,
};

const Entry& entry(LayoutType type) { return kEntries[static_cast<size_t>(type)]; }

}  // namespace

const char* toString(LayoutType type) { return entry(type).raw; }
const char* label(LayoutType type) { return entry(type).label; }

template <>
std::optional<LayoutType> fromString<LayoutType>(std::string_view raw) {
    for (const auto& e : kEntries)
        if (raw == e.raw) return e.type;
    return std::nullopt;
}

namespace layout_types {

std::span<const LayoutType> allCases() { return kAllCases; }
std::span<const LayoutType> offeredInPickers() { return kOfferedInPickers; }

bool isSelectableInSettings(LayoutType type) {
    return type != LayoutType::mainSidebar && type != LayoutType::threeColumns;
}

std::optional<size_t> requiredApps(LayoutType type) {
    switch (type) {
        case LayoutType::leftRightSplit:
        case LayoutType::topBottomSplit:
            return 2;
        case LayoutType::grid2x2:
            return 4;
        case LayoutType::mainSidebar:
            return std::nullopt;
        default:
            return 3;
    }
}

int ratioCount(LayoutType type) {
    switch (type) {
        case LayoutType::leftRightSplit:
        case LayoutType::topBottomSplit:
        case LayoutType::mainSidebar:
            return 1;
        default:
            return 2;
    }
}

}  // namespace layout_types
}  // namespace tessane
