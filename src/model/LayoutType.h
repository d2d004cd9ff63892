#pragma once

#include "model/RawEnum.h"

#include <array>
#include <cstddef>
#include <optional>
#include <span>

namespace tessane {

// The kinds of layout a workspace can have, in case order.
enum class LayoutType {
    leftRightSplit,
    topBottomSplit,
    grid2x2,
    mainSidebar,
    threeTopTwoBottomOne,
    threeTopOneBottomTwo,
    threeLeftTwoRightOne,
    threeLeftOneRightTwo,
    threeColumns,
};

const char* toString(LayoutType type);
template <>
std::optional<LayoutType> fromString<LayoutType>(std::string_view raw);

// The label users see ("Left / Right Split", "2 × 2 Grid", ...).
const char* label(LayoutType type);

namespace layout_types {

// All nine cases in case order.
std::span<const LayoutType> allCases();
// The types the builder's gallery and the settings editor list: every type but mainSidebar.
std::span<const LayoutType> offeredInPickers();
// Whether the settings editor lets the user pick the type (not mainSidebar, not threeColumns).
bool isSelectableInSettings(LayoutType type);
// How many applications the type tiles; none for mainSidebar, which takes one or more.
std::optional<size_t> requiredApps(LayoutType type);
// How many split ratios the type keeps: one for the two-pane types and mainSidebar, two for the rest.
int ratioCount(LayoutType type);

}  // namespace layout_types
}  // namespace tessane
