#include "shell/LinkURL.h"
#include "shell/TessaneURL.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace tessane {
namespace {

using TessaneURL::Command;

struct ParseCase {
    std::string url;
    std::optional<Command> command;
};

TEST(TessaneURLParse, VerbsAliasesTargetsAndQueryOverride) {
    const std::vector<ParseCase> cases{
        // scheme and verb compared lower-cased, the target kept as written
        {"TESSANE://SHOW/writing", Command::show("writing")},
        {"tessane://show/Deep/Work", Command::show("Deep/Work")},
        {"tessane://show/%20Writing%20", Command::show(" Writing ")},
        {"tessane://show/Caf%C3%A9", Command::show("Café")},
        {"tessane://show/Café", Command::show("Café")},
        {"tessane://show//a//b/", Command::show("a/b")},
        {"tessane://show/a%2Fb", Command::show("a/b")},
        {"tessane:show/Work", Command::show("Work")},  // the opaque form reads as a path
        {"tessane:/show/Work", Command::show("Work")},
        {"tessane://user@show:42/Work#frag", Command::show("Work")},
        {"tessane://show", std::nullopt},
        {"tessane://toggle", std::nullopt},
        {"tessane://toggle/Home", Command::toggle("Home")},
        {"tessane://hide", Command::hide(std::nullopt)},
        {"tessane://hide/Home", Command::hide("Home")},
        {"tessane://bring", Command::bringHere(std::nullopt)},
        {"tessane://bringhere/Home", Command::bringHere("Home")},
        {"tessane://Bring-Here/Home", Command::bringHere("Home")},
        {"tessane://focus", Command::focus(1)},
        {"tessane://focus/RIGHT", Command::focus(1)},
        {"tessane://focus/next", Command::focus(1)},
        {"tessane://focus/+1", Command::focus(1)},
        {"tessane://focus/Prev", Command::focus(-1)},
        {"tessane://focus/previous", Command::focus(-1)},
        {"tessane://focus/left", Command::focus(-1)},
        {"tessane://focus/-1", Command::focus(-1)},
        {"tessane://focus/2", std::nullopt},
        {"tessane://solo", Command::solo()},
        {"tessane://solo/anything", Command::solo()},
        // the query replaces the path's target; empty or missing values are skipped
        {"tessane://show?workspace=Writing", Command::show("Writing")},
        {"tessane://show?Name=Writing", Command::show("Writing")},
        {"tessane://show/Other?index=2", Command::show("2")},
        {"tessane://show/Work?workspace=", Command::show("Work")},
        {"tessane://show/Work?workspace", Command::show("Work")},
        {"tessane://show/Work?name=Home", Command::show("Home")},
        {"tessane://show/Work?workspace=&workspace=Home", Command::show("Work")},  // only the first item counts
        {"tessane://show/Work?index=3&name=Home", Command::show("Home")},          // key order, not item order
        {"tessane://show?workspace=a+b%26c", Command::show("a+b&c")},
        {"tessane://focus?name=left", Command::focus(-1)},
        // not commands
        {"other://show/Work", std::nullopt},
        {"show/Work", std::nullopt},
        {"tessane://", std::nullopt},
        {"tessane:", std::nullopt},
        {"tessane://open/Work", std::nullopt},
        {"tessane://show/%zz", std::nullopt},
        {"tessane://show/%E", std::nullopt},
        {"tessane://show/%FF", std::nullopt},  // not UTF-8
        {"tessane://show/a\nb", std::nullopt},
        {"", std::nullopt},
        {"1tessane://show/Work", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        EXPECT_EQ(TessaneURL::parse(c.url), c.command);
    }
}

TEST(TessaneURLParse, QueryTargetOnItsOwn) {
    EXPECT_EQ(TessaneURL::queryTarget("tessane://show?WORKSPACE=W&name=N"), "W");
    EXPECT_EQ(TessaneURL::queryTarget("tessane://show?index=%20"), " ");
    EXPECT_EQ(TessaneURL::queryTarget("tessane://show"), std::nullopt);
    EXPECT_EQ(TessaneURL::queryTarget("tessane://show?"), std::nullopt);
    EXPECT_EQ(TessaneURL::queryTarget("tessane://show?other=1"), std::nullopt);
    EXPECT_EQ(TessaneURL::queryTarget("tessane://show?name=%G0"), std::nullopt);
}

TEST(TessaneURLParse, SplitKeepsHostPathAndQueryApart) {
    const auto url = LinkURL::split("tessane://[::1]:80/a/%C3%A9?x=1&y&=z#f");
    ASSERT_TRUE(url);
    EXPECT_EQ(url->scheme, "tessane");
    EXPECT_EQ(url->host, "[::1]");
    EXPECT_EQ(url->pathSegments, (std::vector<std::string>{"a", "é"}));
    EXPECT_EQ(url->queryItems, (std::vector<LinkURL::QueryItem>{{"x", "1"}, {"y", std::nullopt}, {"", "z"}}));
    EXPECT_EQ(LinkURL::split("tessane://")->host, std::nullopt);
}

TEST(TessaneURLCommand, DescriptionsForTheRoutingLine) {
    EXPECT_EQ(Command::show("Writing").description(), "show(target: \"Writing\")");
    EXPECT_EQ(Command::hide(std::nullopt).description(), "hide(target: nil)");
    EXPECT_EQ(Command::bringHere("A \"B\"\\").description(), "bringHere(target: \"A \\\"B\\\"\\\\\")");
    EXPECT_EQ(Command::toggle("a\nb").description(), "toggle(target: \"a\\nb\")");
    EXPECT_EQ(Command::focus(-1).description(), "focus(offset: -1)");
    EXPECT_EQ(Command::focus(1).description(), "focus(offset: 1)");
    EXPECT_EQ(Command::solo().description(), "solo");
}

TEST(TessaneURLVerbs, ReferenceAndExamples) {
    const auto& verbs = TessaneURL::verbReference();
    ASSERT_EQ(verbs.size(), 6u);
    EXPECT_EQ(verbs[1].summary, "Show it, or hide it if it's already up");
    EXPECT_EQ(verbs[4].url, "tessane://focus/next");
    EXPECT_EQ(TessaneURL::advertisedExamples(),
              (std::vector<std::string>{"xdg-open tessane://show/Writing", "xdg-open tessane://toggle/Writing",
                                        "xdg-open tessane://hide", "xdg-open tessane://bring/Writing"}));
    // Every advertised link is a command.
    for (const auto& verb : verbs) {
        std::string url = verb.url;
        if (auto at = url.find("<name>"); at != std::string::npos) url.replace(at, 6, "Writing");
        EXPECT_TRUE(TessaneURL::parse(url)) << url;
    }
}

std::vector<Workspace> named(std::vector<std::string> names) {
    std::vector<Workspace> out;
    for (auto& n : names) out.push_back(Workspace{.name = n});
    return out;
}

TEST(TessaneURLResolve, NamesFirstThenPositions) {
    const auto list = named({"Writing", "Café", "2", "Straße"});
    struct Case {
        std::string target;
        std::optional<size_t> index;
    };
    const std::vector<Case> cases{
        {"writing", 0},
        {"  Writing\n", 0},
        {"cafe", 1},
        {"CAFÉ", 1},
        {"Cafe\u0301", 1},  // decomposed
        {"STRASSE", 3},     // full case folding
        {"2", 2},           // the workspace named 2 wins over the second one
        {"1", 0},
        {"+4", 3},
        {" 3 ", 2},
        {"0", std::nullopt},
        {"-1", std::nullopt},
        {"5", std::nullopt},
        {"9223372036854775807", std::nullopt},
        {"9223372036854775808", std::nullopt},   // past Int64
        {"-9223372036854775809", std::nullopt},
        {"1.0", std::nullopt},
        {"1e0", std::nullopt},
        {"++1", std::nullopt},
        {"+", std::nullopt},
        {"\u0661", std::nullopt},  // Arabic-Indic one: digits are ASCII only
        {"", std::nullopt},
        {" \t\n", std::nullopt},
        {"Nothing", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        const auto id = TessaneURL::resolve(c.target, list);
        if (c.index) EXPECT_EQ(id, list[*c.index].id);
        else EXPECT_EQ(id, std::nullopt);
    }
    EXPECT_EQ(TessaneURL::resolve("1", {}), std::nullopt);
}

TEST(TessaneURLResolve, FirstOfEqualNamesWins) {
    const auto list = named({"Home", "home"});
    EXPECT_EQ(TessaneURL::resolve("HOME", list), list[0].id);
}

}  // namespace
}  // namespace tessane
