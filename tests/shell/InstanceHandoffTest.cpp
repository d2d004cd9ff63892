#include "shell/InstanceHandoff.h"
#include "shell/InstanceMessage.h"
#include "shell/StartArguments.h"
#include "support/LoggedLines.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>

namespace tessane::testing {
namespace {

using Reader = InstanceMessage::Reader;
using Request = InstanceMessage::Request;
using Links = std::vector<std::string>;

TEST(StartArguments, OptionsLinksAndMistakes) {
    const auto plain = StartArguments::parse({"tessane", "", "tessane://show/A", "tessane:solo"});
    EXPECT_EQ(plain.links, (Links{"tessane://show/A", "tessane:solo"}));
    EXPECT_FALSE(plain.openSettings || plain.help);
    EXPECT_TRUE(plain.error.empty());

    const auto settings = StartArguments::parse({"tessane", "tessane://show/A", "--settings"});
    EXPECT_TRUE(settings.openSettings);
    EXPECT_EQ(settings.links, (Links{"tessane://show/A"}));
    EXPECT_TRUE(StartArguments::parse({"tessane", "-h"}).help);
    EXPECT_TRUE(StartArguments::parse({"tessane", "--help"}).help);
    EXPECT_TRUE(StartArguments::parse({"tessane", "--version"}).version);
    EXPECT_NE(StartArguments::usage().find("--settings"), std::string::npos);

    // After "--" nothing is an option, not even one of ours.
    const auto dashes = StartArguments::parse({"tessane", "--", "--settings", "-x"});
    EXPECT_FALSE(dashes.openSettings);
    EXPECT_EQ(dashes.links, (Links{"--settings", "-x"}));

    // A mistyped or unknown option is an error, never a link or a silent no-op, wherever it stands.
    for (const Links& arguments : {Links{"tessane", "--setting"}, Links{"tessane", "--settings", "-v"},
                                   Links{"tessane", "tessane://show/A", "--settings=yes"}, Links{"tessane", "-"},
                                   Links{"tessane", "-V"}}) {
        SCOPED_TRACE(arguments.back());
        const auto wrong = StartArguments::parse(arguments);
        EXPECT_EQ(wrong.error, "tessane: unknown option '" + arguments.back() + "'\nTry 'tessane --help'.");
        EXPECT_TRUE(wrong.links.empty());
        EXPECT_FALSE(wrong.openSettings || wrong.help || wrong.version);
    }
}

TEST(InstanceMessage, RequestsComeThroughInAnyChunks) {
    const Links links{"tessane://show/Writing", "", "tessane://show/a\nb:7\n", std::string(InstanceMessage::kMaxLinkBytes, 'x')};
    for (const Request& request : {Request{links, false}, Request{links, true}, Request{{}, true}}) {
        const auto message = InstanceMessage::encode(request);
        ASSERT_TRUE(message);
        for (size_t piece : {size_t{1}, size_t{3}, size_t{4096}, message->size()}) {
            SCOPED_TRACE(piece);
            Reader reader;
            for (size_t at = 0; at < message->size(); at += piece) {
                EXPECT_EQ(reader.state(), Reader::State::reading);
                reader.feed(std::string_view(*message).substr(at, piece));
            }
            EXPECT_EQ(reader.state(), Reader::State::complete);
            EXPECT_EQ(reader.request(), request);
        }
    }
    Reader none;
    EXPECT_EQ(none.feed("tessane-links 0\n"), Reader::State::complete);
    EXPECT_EQ(none.request(), Request{});
}

TEST(InstanceMessage, TheSettingsRequestNeverPassesForLinksNorALinkForIt) {
    // Links alone keep the form every running Tessane reads.
    EXPECT_EQ(InstanceMessage::encode({{"tessane://show/A"}, false}), "tessane-links 1\n16:tessane://show/A\n");
    // The request is in the header: a Tessane that only knows links messages (whose reader takes
    // nothing that does not begin "tessane-links ") refuses it whole.
    const auto request = InstanceMessage::encode({{"tessane://show/A"}, true});
    ASSERT_TRUE(request);
    EXPECT_EQ(*request, "tessane-settings 1\n16:tessane://show/A\n");
    EXPECT_FALSE(request->starts_with("tessane-links "));
    // A link that spells the request is still a link.
    for (const std::string link : {"tessane-settings 0\n", "--settings"}) {
        Reader reader;
        reader.feed(*InstanceMessage::encode({{link}, false}));
        EXPECT_EQ(reader.request(), (Request{{link}, false}));
    }
}

TEST(InstanceMessage, CapsAndMalformedMessagesAreRefused) {
    EXPECT_EQ(InstanceMessage::encode({Links(InstanceMessage::kMaxLinks + 1, "tessane://solo"), true}), std::nullopt);
    EXPECT_EQ(InstanceMessage::encode({{std::string(InstanceMessage::kMaxLinkBytes + 1, 'x')}}), std::nullopt);
    EXPECT_EQ(InstanceMessage::encode({Links(InstanceMessage::kMaxLinks, std::string(InstanceMessage::kMaxLinkBytes, 'x'))}),
              std::nullopt);  // each fits, all together do not

    struct Case {
        std::string bytes;
        std::string why;
    };
    const std::vector<Case> cases{
        {"GET / HTTP/1.1\r\n", "not a links message"},
        {"tessane-links x\n", "not a links message"},
        {"tessane-links 1234567\n", "not a links message"},
        {"tessane-settingsx 0\n", "not a links message"},
        {"tessane-settings 0\n ", "bytes after the end of the message"},
        {"tessane-links 65\n", "more than 64 links"},
        {"tessane-links 1\n9000:", "a link longer than 8192 bytes"},
        {"tessane-links 1\n:", "a link without its length"},
        {"tessane-links 1\n3:abcd\n", "a link longer than its length says"},
        {"tessane-links 1\n1:a\nextra", "bytes after the end of the message"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        Reader reader;
        EXPECT_EQ(reader.feed(c.bytes), Reader::State::refused);
        EXPECT_EQ(reader.error(), c.why);
        EXPECT_EQ(reader.request(), Request{});
        EXPECT_EQ(reader.feed("more"), Reader::State::refused);
    }
    // A sender that never stops is cut off at the size cap, whatever it sends.
    Reader endless;
    endless.feed("tessane-links 64\n");
    std::string link = "8192:" + std::string(8192, 'x') + "\n";
    Reader::State state = Reader::State::reading;
    for (int i = 0; i < 64 && state == Reader::State::reading; ++i) state = endless.feed(link);
    EXPECT_EQ(state, Reader::State::refused);
    EXPECT_EQ(endless.error(), "message larger than 65536 bytes");

    Reader after;
    after.feed("tessane-links 0\n");
    EXPECT_EQ(after.feed("x"), Reader::State::refused);
}

TEST(InstanceHandoff, TheSecondInstanceForwardsAndSaysWhatHappened) {
    const Request showA{{"tessane://show/A"}};
    std::vector<std::string> printed;
    auto print = [&](const std::string& s) { printed.push_back(s); };
    std::vector<std::string> sent;
    auto answer = [&](std::optional<std::string> reply) {
        return [&sent, reply](std::string_view message, std::string* why) {
            sent.emplace_back(message);
            if (!reply) *why = "cannot reach the running Tessane";
            return reply;
        };
    };

    EXPECT_EQ(InstanceHandoff::forward({}, answer("ok"), print), 0);
    EXPECT_TRUE(sent.empty());
    EXPECT_EQ(InstanceHandoff::forward(showA, answer("ok"), print), 0);
    EXPECT_EQ(sent, (Links{"tessane-links 1\n16:tessane://show/A\n"}));
    EXPECT_EQ(InstanceHandoff::forward(showA, answer("refused"), print), 1);
    EXPECT_EQ(InstanceHandoff::forward(showA, answer(std::nullopt), print), 1);
    EXPECT_EQ(InstanceHandoff::forward({Links(65, "tessane://solo")}, answer("ok"), print), 2);
    EXPECT_EQ(sent.size(), 3u);
    EXPECT_EQ(InstanceHandoff::forward(showA, answer("full"), print), 1);
    EXPECT_EQ(printed.back(), "Tessane: the running Tessane has too many links waiting to run; nothing was handed to "
                              "it. Try again once it has run them.");
    printed.pop_back();
    sent.pop_back();
    // The settings window alone is something to forward; an older Tessane refuses it.
    EXPECT_EQ(InstanceHandoff::forward({{}, true}, answer("ok"), print), 0);
    EXPECT_EQ(sent.back(), "tessane-settings 0\n");
    EXPECT_EQ(InstanceHandoff::forward({{}, true}, answer("refused"), print), 1);
    ASSERT_EQ(printed.size(), 5u);
    EXPECT_EQ(printed[0], "Tessane is already running.");
    EXPECT_EQ(printed[1], "Tessane: the running Tessane refused the links.");
    EXPECT_EQ(printed[2], "Tessane: cannot reach the running Tessane");
    EXPECT_EQ(printed[4], "Tessane: the running Tessane refused the request to open the settings window.");
}

// The reply goes out once a complete message's request is queued, and says "full" when the queue
// had no room for it.
TEST(InstanceHandoff, TheRunningInstanceAnswersThenDeliversCompleteMessagesOnly) {
    Log::resetForTesting();
    std::vector<Request> delivered;
    bool room = true;
    auto take = [&](const Request& request) {
        if (room) delivered.push_back(request);
        return room;
    };
    auto session = InstanceHandoff::session(take);
    EXPECT_EQ(session("tessane-links 2\n4:ab"), std::nullopt);
    EXPECT_TRUE(delivered.empty());
    EXPECT_EQ(session("cd\n1:e\n"), "ok\n");
    EXPECT_EQ(delivered, (std::vector<Request>{{{"abcd", "e"}}}));
    EXPECT_TRUE(loggedMessages().empty());

    auto bad = InstanceHandoff::session(take);
    EXPECT_EQ(bad("tessane-settings 99\n"), "refused\n");
    EXPECT_EQ(delivered.size(), 1u);
    room = false;
    EXPECT_EQ(InstanceHandoff::session(take)("tessane-links 1\n1:f\n"), "full\n");
    room = true;

    auto settings = InstanceHandoff::session(take);
    EXPECT_EQ(settings("tessane-sett"), std::nullopt);
    EXPECT_EQ(settings("ings 1\n1:e\n"), "ok\n");
    EXPECT_EQ(delivered.back(), (Request{{"e"}, true}));
    EXPECT_EQ(loggedMessages(), (Links{"[Tessane][URL] Refused links from another Tessane: more than 64 links.",
                                       "[Tessane] Asked by another start to open the settings window."}));
    Log::resetForTesting();
}

}  // namespace
}  // namespace tessane::testing
