#include "controller/WorkspaceOrdering.h"

#include <gtest/gtest.h>

#include <limits>

namespace tessane::ordering {
namespace {

// Readable ids: one per letter.
Uuid id(char letter) {
    std::array<uint8_t, 16> bytes{};
    bytes[15] = static_cast<uint8_t>(letter);
    return Uuid(bytes);
}

std::vector<Uuid> ids(const std::string& letters) {
    std::vector<Uuid> out;
    for (char c : letters) out.push_back(id(c));
    return out;
}

TEST(SwitcherOrder, FrontFirstThenMostRecentThenTheRestInStoredOrder) {
    struct Case {
        std::string recent, valid;
        std::optional<char> front;
        std::string expected;
    };
    const Case cases[] = {
        {"BXA", "ABC", 'A', "ABC"},   // X is not valid; C never came to the front
        {"", "ABC", std::nullopt, "ABC"},
        {"", "ABC", 'Z', "ABC"},      // a front id that is not listed is ignored
        {"CB", "ABCD", std::nullopt, "CBAD"},
        {"CB", "ABCD", 'B', "BCAD"},  // only the front moves; the others keep their order
        {"CBC", "ABC", std::nullopt, "CBA"},
        {"AB", "", 'A', ""},
    };
    for (const auto& c : cases) {
        const auto front = c.front ? std::optional<Uuid>(id(*c.front)) : std::nullopt;
        EXPECT_EQ(switcherOrder(ids(c.recent), ids(c.valid), front), ids(c.expected))
            << "recent " << c.recent << ", valid " << c.valid;
    }
}

TEST(WorkspacesToSwapOut, OthersOnTheTargetsDisplayOrOnNoKnownDisplay) {
    const std::vector<std::pair<Uuid, std::optional<uint32_t>>> others = {
        {id('T'), 1}, {id('A'), 1}, {id('B'), 2}, {id('C'), std::nullopt}};
    EXPECT_EQ(workspacesToSwapOut(id('T'), 1, others), ids("AC"));
    EXPECT_EQ(workspacesToSwapOut(id('T'), 2, others), ids("BC"));
    EXPECT_EQ(workspacesToSwapOut(id('T'), 3, others), ids("C"));
    EXPECT_EQ(workspacesToSwapOut(id('T'), 1, {}), ids(""));
}

TEST(ResurfaceRaiseOrder, EachAppOnceWithTheActivatedOneLast) {
    using List = std::vector<std::string>;
    struct Case {
        List apps;
        std::optional<std::string> activated;
        List expected;
    };
    const Case cases[] = {
        {{"a", "b", "a", "c"}, "a", {"b", "c", "a"}},
        {{"a", "b", "a", "c"}, "c", {"a", "b", "c"}},
        {{"a", "b", "a", "c"}, "z", {"a", "b", "c"}},
        {{"a", "b", "a", "c"}, std::nullopt, {"a", "b", "c"}},
        {{"a", "a"}, "a", {"a"}},
        {{}, "a", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(resurfaceRaiseOrder(c.apps, c.activated), c.expected) << c.activated.value_or("(none)");
}

TEST(AdjacentPaneIndex, WrapsBothWaysAndStartsAtAnEndWithoutAFocusedPane) {
    struct Case {
        std::optional<int> current;
        int offset, count;
        std::optional<int> expected;
    };
    const Case cases[] = {
        {0, -1, 3, 2}, {2, +1, 3, 0}, {1, +1, 3, 2}, {1, -1, 3, 0},
        {std::nullopt, -1, 4, 3}, {std::nullopt, +1, 4, 0},
        {0, +1, 1, std::nullopt}, {std::nullopt, -1, 0, std::nullopt}, {0, -1, -2, std::nullopt},
        {0, -5, 3, 1}, {2, +7, 3, 0},  // offsets larger than the count still wrap
        // The sum must not overflow: INT_MAX = 3 * 715827882 + 1, INT_MIN = -3 * 715827882 - 2.
        {2, std::numeric_limits<int>::max(), 3, 0}, {0, std::numeric_limits<int>::min(), 3, 1},
        {std::numeric_limits<int>::max(), std::numeric_limits<int>::max(), 4, 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(adjacentPaneIndex(c.current, c.offset, c.count), c.expected)
            << c.current.value_or(-99) << " " << c.offset << " " << c.count;
}

}  // namespace
}  // namespace tessane::ordering
