#include "model/PlacementToken.h"

#include <gtest/gtest.h>

namespace tessane {
namespace {

Uuid workspace(uint8_t n) {
    std::array<uint8_t, 16> bytes{};
    bytes[15] = n;
    return Uuid(bytes);
}

TEST(PlacementToken, EqualOnlyWithTheSameGenerationAndWorkspace) {
    EXPECT_EQ((PlacementToken{3, workspace(1)}), (PlacementToken{3, workspace(1)}));
    EXPECT_NE((PlacementToken{3, workspace(1)}), (PlacementToken{3, workspace(2)}));
    EXPECT_NE((PlacementToken{3, workspace(1)}), (PlacementToken{4, workspace(1)}));
}

TEST(PlacementToken, AnAdvanceMakesEveryEarlierTokenStale) {
    PlacementGeneration generation;
    EXPECT_EQ(generation.current(), 0);

    const PlacementToken first = generation.token(workspace(1));
    EXPECT_TRUE(generation.isCurrent(first));
    EXPECT_EQ(generation.advance(), 1);
    const PlacementToken second = generation.token(workspace(1));
    EXPECT_FALSE(generation.isCurrent(first));
    EXPECT_TRUE(generation.isCurrent(second));
    EXPECT_NE(first, second);

    // Another workspace's pass also makes this one's work drop out.
    generation.advance();
    EXPECT_TRUE(generation.isCurrent(generation.token(workspace(2))));
    EXPECT_FALSE(generation.isCurrent(second));
}

}  // namespace
}  // namespace tessane
