#include "base/WaitBounds.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tessane {
namespace {

// A bound that runs out is said once, however often it runs out; a wait cut short by what it waited
// on going away ran out of nothing; every wait is counted for the stall watch, and a look takes what
// was counted since the last one.
TEST(WaitBoundsTest, ABoundThatRunsOutIsLoggedOnceAndEveryWaitIsCounted) {
    WaitBounds::resetForTesting();
    std::vector<std::string> lines;
    WaitBounds::setSink([&](const std::string& line) { lines.push_back(line); });
    const WaitBound answer{"the manager's answer", 1.0}, quiet{"a quiet spell", 0.05};
    std::vector<double> given;
    const auto never = [&](double s) { given.push_back(s); return false; };
    EXPECT_FALSE(WaitBounds::wait(answer, never));
    EXPECT_FALSE(WaitBounds::wait(answer, never, 0.25));  // the caller's shorter limit
    EXPECT_TRUE(WaitBounds::wait(quiet, [](double) { return true; }, 5));
    EXPECT_FALSE(WaitBounds::wait(quiet, never, -1, [] { return true; }));  // what it waited on went away
    EXPECT_EQ(given, (std::vector<double>{1.0, 0.25, 0.05}));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("the manager's answer did not come within 1 s"), std::string::npos) << lines[0];

    auto tallies = WaitBounds::take();
    ASSERT_EQ(tallies.size(), 2u);
    for (auto& t : tallies) t.waitedSeconds = 0;  // real time, not asserted
    const bool quietFirst = tallies[0].name == "a quiet spell";
    EXPECT_EQ(quietFirst ? tallies[1] : tallies[0], (WaitBounds::Tally{"the manager's answer", 0, 2, 2}));
    EXPECT_EQ(quietFirst ? tallies[0] : tallies[1], (WaitBounds::Tally{"a quiet spell", 0, 2, 0}));
    EXPECT_TRUE(WaitBounds::take().empty());

    // A wait with no bound of its own (a reply) counts as well, once, and not within one counted.
    const WaitBound reply{"the server's reply", 0};
    {
        const WaitBounds::Timed outer(reply);
        const WaitBounds::Timed inner(answer);
    }
    WaitBounds::wait(quiet, [&](double) {
        const WaitBounds::Timed within(reply);
        return true;
    });
    tallies = WaitBounds::take();
    for (auto& t : tallies) t.waitedSeconds = 0;
    std::sort(tallies.begin(), tallies.end(), [](auto& a, auto& b) { return a.name < b.name; });
    EXPECT_EQ(tallies, (std::vector<WaitBounds::Tally>{{"a quiet spell", 0, 1, 0}, {"the server's reply", 0, 1, 0}}));
    WaitBounds::setSink(nullptr);
}

}  // namespace
}  // namespace tessane
