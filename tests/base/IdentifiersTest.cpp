#include "base/Base64.h"
#include "base/Uuid.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <unordered_set>

using namespace tessane;

TEST(Uuid, RandomIsVersion4AndPrintsUpperCase) {
    std::unordered_set<Uuid> seen;
    for (int i = 0; i < 200; ++i) {
        const Uuid u = Uuid::random();
        EXPECT_TRUE(seen.insert(u).second);
        const std::string s = u.string();
        ASSERT_EQ(s.size(), 36u);
        EXPECT_EQ(s[14], '4');
        EXPECT_NE(std::string("89AB").find(s[19]), std::string::npos) << s;
        for (char c : s) EXPECT_FALSE(c >= 'a' && c <= 'z') << s;
        EXPECT_EQ(Uuid::parse(s), u);
    }
}

TEST(Uuid, ParsesAnyCaseAndRejectsOtherForms) {
    const auto u = Uuid::parse("e621e1f8-c36c-495a-93fc-0c247a3e6e5f");
    ASSERT_TRUE(u);
    EXPECT_EQ(u->string(), "E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
    for (const char* bad : {"", "E621E1F8C36C495A93FC0C247A3E6E5F", "{E621E1F8-C36C-495A-93FC-0C247A3E6E5F}",
                            "E621E1F8-C36C-495A-93FC-0C247A3E6E5G", "E621E1F8-C36C-495A-93FC0-C247A3E6E5F",
                            " E621E1F8-C36C-495A-93FC-0C247A3E6E5F"})
        EXPECT_FALSE(Uuid::parse(bad)) << bad;
}

TEST(Base64, KnownVectors) {
    const std::pair<const char*, const char*> cases[] = {
        {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"}};
    for (auto [plain, encoded] : cases) {
        const Bytes bytes(plain, plain + std::strlen(plain));
        EXPECT_EQ(base64Encode(bytes), encoded);
        EXPECT_EQ(base64Decode(encoded), bytes) << encoded;
    }
}

TEST(Base64, RoundTripsEveryByteValue) {
    std::mt19937 rng(7);
    for (size_t n = 0; n < 70; ++n) {
        Bytes data(n);
        for (auto& b : data) b = static_cast<uint8_t>(rng());
        EXPECT_EQ(base64Decode(base64Encode(data)), data);
    }
}

TEST(Base64, DecodingIsStrict) {
    for (const char* bad : {"Zg", "Zg=", "Z===", "Zg==Zg==", "Zm9v\n", "Zm 9v", "Zm9v-_==", "Zh==", "Zm9=",
                            "=Zm9", "Zm=v"})
        EXPECT_FALSE(base64Decode(bad)) << bad;
}
