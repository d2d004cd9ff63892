#include "platform/linux/x11/DisplayIdentity.h"
#include "platform/linux/x11/LinuxScreens.h"
#include "platform/linux/x11/Sha1.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace tessane::linux_backend {
namespace {

std::string hex(const std::array<uint8_t, 20>& d) {
    std::string s;
    char b[3];
    for (auto v : d) {
        std::snprintf(b, sizeof b, "%02x", v);
        s += b;
    }
    return s;
}

TEST(Sha1, MatchesTheStandardTestVectors) {
    EXPECT_EQ(hex(sha1("")), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
    EXPECT_EQ(hex(sha1("abc")), "a9993e364706816aba3e25717850c26c9cd0d89d");
    // Two blocks: the padding spills into a second one.
    EXPECT_EQ(hex(sha1("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
              "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
}

std::vector<uint8_t> edid(uint32_t serial, const char* serialText) {
    std::vector<uint8_t> e(128, 0);
    const uint8_t header[] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
    std::copy(std::begin(header), std::end(header), e.begin());
    // "DEL" = 4, 5, 12 -> 00100 00101 01100
    e[8] = 0x10;
    e[9] = 0xAC;
    e[10] = 0x34;
    e[11] = 0x12;
    for (int i = 0; i < 4; ++i) e[12 + i] = static_cast<uint8_t>(serial >> (8 * i));
    if (serialText) {
        e[72 + 3] = 0xFF;
        std::string t = std::string(serialText) + "\n";
        for (size_t i = 0; i < t.size() && i < 13; ++i) e[72 + 5 + i] = static_cast<uint8_t>(t[i]);
    }
    return e;
}

TEST(DisplayIdentity, EdidKeyNamesVendorProductSerialAndSerialText) {
    EXPECT_EQ(DisplayIdentity::edidKey(edid(7, nullptr)), "edid:DEL:4660:7");
    EXPECT_EQ(DisplayIdentity::edidKey(edid(0, "CN0ABC123")), "edid:DEL:4660:0:CN0ABC123");
    auto truncated = edid(7, nullptr);
    truncated.resize(127);
    EXPECT_FALSE(DisplayIdentity::edidKey(truncated));
    auto noHeader = edid(7, nullptr);
    noHeader[1] = 0;
    EXPECT_FALSE(DisplayIdentity::edidKey(noHeader));
}

TEST(DisplayIdentity, NameBasedUuidsAreStableVersion5AndDistinct) {
    const auto a = DisplayIdentity::nameBasedUuid("connector:DP-1");
    EXPECT_EQ(a, DisplayIdentity::nameBasedUuid("connector:DP-1"));
    EXPECT_NE(a, DisplayIdentity::nameBasedUuid("connector:DP-2"));
    ASSERT_EQ(a.size(), 36u);
    EXPECT_EQ(a[14], '5');
    EXPECT_NE(std::string("89AB").find(a[19]), std::string::npos);
}

TEST(LinuxScreensVisibleArea, StrutsCutOnlyTheMonitorsTheirBandsCross) {
    using S = LinuxScreens::StrutPartial;
    const Size root{3840, 1080};
    const Rect left(0, 0, 1920, 1080), right(1920, 0, 1920, 1080);
    // A 30 px top panel over the left monitor only, a 48 px bottom dock over the right one.
    const std::vector<S> struts = {
        S{0, 0, 30, 0, 0, 0, 0, 0, 0, 1919, 0, 0},
        S{0, 0, 0, 48, 0, 0, 0, 0, 0, 0, 1920, 3839},
    };
    EXPECT_EQ(LinuxScreens::visibleArea(left, root, struts), Rect(0, 30, 1920, 1050));
    EXPECT_EQ(LinuxScreens::visibleArea(right, root, struts), Rect(1920, 0, 1920, 1032));
    // A left strut of a panel on the left monitor's edge does not touch the right monitor.
    const std::vector<S> side = {S{64, 0, 0, 0, 0, 1079, 0, 0, 0, 0, 0, 0}};
    EXPECT_EQ(LinuxScreens::visibleArea(left, root, side), Rect(64, 0, 1856, 1080));
    EXPECT_EQ(LinuxScreens::visibleArea(right, root, side), right);
    // A strut that would leave nothing is ignored rather than giving an empty visible frame.
    const std::vector<S> huge = {S{0, 0, 5000, 0, 0, 0, 0, 0, 0, 3839, 0, 0}};
    EXPECT_EQ(LinuxScreens::visibleArea(left, root, huge), left);
}

// Struts are trusted as far as the work area is: one client's strut that would leave a monitor
// less than half of itself either way (nearly all of it, or past the root's far edge) is ignored
// and reported, while the sane panel beside it still cuts.
TEST(LinuxScreensVisibleArea, AStrutLeavingLessThanHalfOfTheMonitorIsIgnored) {
    using S = LinuxScreens::StrutPartial;
    const Size root{1600, 900};
    const Rect m(0, 0, 1600, 900);
    const S panel{0, 0, 30, 0, 0, 0, 0, 0, 0, 1599, 0, 0};
    const struct {
        S strut;
        const char* what;
    } absurd[] = {
        {S{1590, 0, 0, 0, 0, 899, 0, 0, 0, 0, 0, 0}, "a dock reserving 1590 of 1600"},
        {S{700, 700, 0, 0, 0, 899, 0, 899, 0, 0, 0, 0}, "both sides of one strut together"},
        {S{0, 5000, 0, 0, 0, 0, 0, 899, 0, 0, 0, 0}, "a reservation past the far edge"},
    };
    for (const auto& [strut, what] : absurd) {
        std::vector<S> ignored;
        EXPECT_EQ(LinuxScreens::visibleArea(m, root, {panel, strut}, &ignored), Rect(0, 30, 1600, 870)) << what;
        EXPECT_EQ(ignored, std::vector<S>{strut}) << what;
    }
    // A dock of a sane size still cuts alongside the panel.
    const S dock{0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 1599};
    EXPECT_EQ(LinuxScreens::visibleArea(m, root, {panel, dock}), Rect(0, 30, 1600, 470));
}

// The announced work area is one box over both monitors: it cuts each monitor where it leaves
// most of it (a toolbar with no strut), adds nothing the struts took, and a box that leaves a
// monitor less than half of itself (stale, or made up) is not trusted there.
TEST(LinuxScreensVisibleArea, TheAnnouncedWorkAreaCutsEachMonitorWhereItIsPlausible) {
    const Rect left(0, 0, 1920, 1080), right(1920, 0, 1920, 1080);
    const Rect toolbar(0, 0, 3840, 1054);  // a bottom toolbar of 26 px the manager draws itself
    EXPECT_EQ(LinuxScreens::clipToWorkArea(left, left, toolbar), Rect(0, 0, 1920, 1054));
    EXPECT_EQ(LinuxScreens::clipToWorkArea(right, right, toolbar), Rect(1920, 0, 1920, 1054));
    // With a strut's cut already made, the two together: the larger cut of each side wins.
    EXPECT_EQ(LinuxScreens::clipToWorkArea(Rect(0, 30, 1920, 1050), left, toolbar), Rect(0, 30, 1920, 1024));
    // A box over the left monitor only leaves the right one as it is.
    EXPECT_EQ(LinuxScreens::clipToWorkArea(right, right, Rect(0, 0, 1920, 1054)), right);
    EXPECT_EQ(LinuxScreens::clipToWorkArea(left, left, Rect(0, 0, 500, 1080)), left);
}

}  // namespace
}  // namespace tessane::linux_backend
