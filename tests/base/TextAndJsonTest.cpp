#include "base/Json.h"
#include "base/Text.h"
#include "base/TimeFormat.h"

#include <gtest/gtest.h>

#include <limits>
#include <regex>

using namespace tessane;

TEST(Text, TrimRemovesUnicodeWhiteSpaceAndLineBreaksAtBothEnds) {
    EXPECT_EQ(text::trimmed("  Mail \n"), "Mail");
    EXPECT_EQ(text::trimmed("\u00A0\u2028Deep  Work\t\r\n"), "Deep  Work");
    EXPECT_EQ(text::trimmed(" \n\t "), "");
    EXPECT_EQ(text::trimmed("Café"), "Café");
}

TEST(Text, ComparisonIgnoresCaseAndDiacritics) {
    EXPECT_TRUE(text::equalsIgnoringCaseAndDiacritics("Café", "CAFE"));
    EXPECT_TRUE(text::equalsIgnoringCaseAndDiacritics("Ärger", "arger"));
    EXPECT_FALSE(text::equalsIgnoringCaseAndDiacritics("Cafe", "Caff"));
    EXPECT_TRUE(text::containsIgnoringCaseAndDiacritics("Résumé Writing", "resume"));
}

TEST(Text, CanonicalEquivalence) {
    const std::string composed = "Caf\u00E9";
    const std::string decomposed = "Cafe\u0301";
    EXPECT_NE(composed, decomposed);
    EXPECT_TRUE(text::canonicallyEqual(composed, decomposed));
    EXPECT_EQ(text::nfc(decomposed), composed);
    EXPECT_FALSE(text::canonicallyEqual("Cafe", composed));
}

TEST(Json, DecodeHelpers) {
    const Json j = Json::parse(R"({"w": 3, "h": 2.5, "b": true, "s": "x", "n": null})");
    EXPECT_DOUBLE_EQ(json::requireDouble(j, "w"), 3.0);  // an integer is a fine double
    EXPECT_EQ(json::requireInt(Json::parse(R"({"i": 4.0})"), "i"), 4);
    EXPECT_THROW(json::requireInt(Json::parse(R"({"i": 4.5})"), "i"), JsonDecodeError);
    // Whole numbers beyond the range are refused, not wrapped or converted out of range.
    for (const char* big : {R"({"i": 1e30})", R"({"i": -1e30})", R"({"i": 9223372036854775808.0})",
                            R"({"i": 18446744073709551615})"})
        EXPECT_THROW(json::requireInt(Json::parse(big), "i"), JsonDecodeError) << big;
    EXPECT_EQ(json::requireInt(Json::parse(R"({"i": -9223372036854775808})"), "i"), std::numeric_limits<long long>::min());
    EXPECT_THROW(json::requireBool(j, "w"), JsonDecodeError);  // numbers are not Booleans
    EXPECT_THROW(json::requireDouble(j, "b"), JsonDecodeError);
    EXPECT_THROW(json::requireString(j, "missing"), JsonDecodeError);
    EXPECT_FALSE(json::optionalString(j, "n"));
    EXPECT_FALSE(json::optionalString(j, "missing"));
    EXPECT_THROW(json::optionalString(j, "w"), JsonDecodeError);
}

TEST(Json, DumpSortsKeysAndOmitsAbsentOptionals) {
    Json j = Json::object();
    j["zeta"] = 1;
    j["alpha"] = 2;
    json::putOptional(j, "middle", std::optional<int>{});
    json::putOptional(j, "beta", std::optional<std::string>{"b"});
    EXPECT_EQ(json::dump(j), R"({"alpha":2,"beta":"b","zeta":1})");
}

TEST(TimeFormat, Patterns) {
    const auto t = WallClock::now();
    EXPECT_TRUE(std::regex_match(formatTimeOfDay(t), std::regex(R"(\d{2}:\d{2}:\d{2}\.\d{3})")));
    EXPECT_TRUE(std::regex_match(formatDateTime(t),
                                 std::regex(R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\.\d{3})")));
    // Milliseconds are carried, not rounded away.
    const auto exact = WallClock::time_point(std::chrono::milliseconds(1'700'000'000'123));
    EXPECT_EQ(formatTimeOfDay(exact).substr(9), "123");
}
