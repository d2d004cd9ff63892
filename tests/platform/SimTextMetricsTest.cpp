// The sim's text metrics, on which the cards' fitted sizes in tests rest.
#include "platform/sim/SimPanels.h"

#include <gtest/gtest.h>

namespace tessane::sim {
namespace {

PanelText text(std::vector<TextRun> runs, bool wraps = true) {
    PanelText t;
    t.runs = std::move(runs);
    t.size = 10;  // 5 points a character, 5.5 bold, 12.5 a line
    t.wraps = wraps;
    return t;
}

TEST(SimTextMetricsTest, WrapsAtSpacesBreaksLongWordsAndCountsCharactersNotBytes) {
    SimPanels panels;
    EXPECT_EQ(panels.measureText(text({{"abc def", false}}), 100), Size(35, 12.5));
    EXPECT_EQ(panels.measureText(text({{"abc def", false}}), 30), Size(15, 25)) << "one word a line";
    EXPECT_EQ(panels.measureText(text({{"abc def", false}}, false), 10), Size(35, 12.5)) << "one line when it may not wrap";
    EXPECT_EQ(panels.measureText(text({{"abcdefgh", false}}), 20), Size(20, 25)) << "a word wider than the line breaks";
    EXPECT_EQ(panels.measureText(text({{"←→", false}}), 100), Size(10, 12.5));
    EXPECT_EQ(panels.measureText(text({{"ab", true}, {" c", false}}), 100), Size(21, 12.5));
    EXPECT_EQ(panels.measureText(text({}), 100), Size(0, 12.5)) << "an empty text still takes a line";
}

}  // namespace
}  // namespace tessane::sim
