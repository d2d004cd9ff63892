#include "shell/InstanceHandoff.h"
#include "shell/InstanceMessage.h"
#include "support/LoggedLines.h"

#include <gtest/gtest.h>

namespace tessane::testing {
namespace {

using Reader = InstanceMessage::Reader;
using Links = std::vector<std::string>;

TEST(InstanceMessage, LinksComeThroughInAnyChunks) {
    const Links links{"tessane://show/Writing", "", "tessane://show/a\nb:7\n", std::string(InstanceMessage::kMaxLinkBytes, 'x')};
    const auto message = InstanceMessage::encode(links);
    ASSERT_TRUE(message);
    for (size_t piece : {size_t{1}, size_t{3}, size_t{4096}, message->size()}) {
        SCOPED_TRACE(piece);
        Reader reader;
        for (size_t at = 0; at < message->size(); at += piece) {
            EXPECT_EQ(reader.state(), Reader::State::reading);
            reader.feed(std::string_view(*message).substr(at, piece));
        }
        EXPECT_EQ(reader.state(), Reader::State::complete);
        EXPECT_EQ(reader.links(), links);
    }
    Reader none;
    EXPECT_EQ(none.feed("tessane-links 0\n"), Reader::State::complete);
    EXPECT_TRUE(none.links().empty());
}

TEST(InstanceMessage, CapsAndMalformedMessagesAreRefused) {
    EXPECT_EQ(InstanceMessage::encode(Links(InstanceMessage::kMaxLinks + 1, "tessane://solo")), std::nullopt);
    EXPECT_EQ(InstanceMessage::encode({std::string(InstanceMessage::kMaxLinkBytes + 1, 'x')}), std::nullopt);
    EXPECT_EQ(InstanceMessage::encode(Links(InstanceMessage::kMaxLinks, std::string(InstanceMessage::kMaxLinkBytes, 'x'))),
              std::nullopt);  // each fits, all together do not

    struct Case {
        std::string bytes;
        std::string why;
    };
    const std::vector<Case> cases{
        {"GET / HTTP/1.1\r\n", "not a links message"},
        {"tessane-links x\n", "not a links message"},
        {"tessane-links 1234567\n", "not a links message"},
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
        EXPECT_TRUE(reader.links().empty());
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
    EXPECT_EQ(InstanceHandoff::forward({"tessane://show/A"}, answer("ok"), print), 0);
    EXPECT_EQ(sent, (Links{"tessane-links 1\n16:tessane://show/A\n"}));
    EXPECT_EQ(InstanceHandoff::forward({"tessane://show/A"}, answer("refused"), print), 1);
    EXPECT_EQ(InstanceHandoff::forward({"tessane://show/A"}, answer(std::nullopt), print), 1);
    EXPECT_EQ(InstanceHandoff::forward(Links(65, "tessane://solo"), answer("ok"), print), 2);
    EXPECT_EQ(sent.size(), 3u);
    ASSERT_EQ(printed.size(), 4u);
    EXPECT_EQ(printed[0], "Tessane is already running.");
    EXPECT_EQ(printed[1], "Tessane: the running Tessane refused the links.");
    EXPECT_EQ(printed[2], "Tessane: cannot reach the running Tessane");

    EXPECT_EQ(InstanceHandoff::linksFromArguments({"tessane", "--verbose", "tessane://show/A", "", "tessane:solo"}),
              (Links{"tessane://show/A", "tessane:solo"}));
}

TEST(InstanceHandoff, TheRunningInstanceDeliversCompleteMessagesOnly) {
    Log::resetForTesting();
    std::vector<Links> delivered;
    auto session = InstanceHandoff::session([&](const Links& links) { delivered.push_back(links); });
    EXPECT_EQ(session("tessane-links 2\n4:ab"), std::nullopt);
    EXPECT_EQ(session("cd\n1:e\n"), "ok\n");
    EXPECT_EQ(delivered, (std::vector<Links>{{"abcd", "e"}}));

    auto bad = InstanceHandoff::session([&](const Links& links) { delivered.push_back(links); });
    EXPECT_EQ(bad("tessane-links 99\n"), "refused\n");
    EXPECT_EQ(delivered.size(), 1u);
    EXPECT_EQ(loggedMessages(), (Links{"[Tessane][URL] Refused links from another Tessane: more than 64 links."}));
    Log::resetForTesting();
}

}  // namespace
}  // namespace tessane::testing
