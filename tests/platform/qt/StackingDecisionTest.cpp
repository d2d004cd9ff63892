#include "platform/qt/panels/StackingDecision.h"

#include <gtest/gtest.h>

#include <string>

namespace tessane::qt_backend {
namespace {

// Windows of other programs are 1..99, ours 100 and up: 100 the rail, 101 a shield, 110 a mat's
// frame, 120 a card, 121 a second card, 130 the switcher, 140 the frame of our settings window.
constexpr PixelRect kChrome{100, 100, 600, 400};
constexpr PixelRect kElsewhere{1000, 0, 100, 100};

struct Desk {
    StackingSnapshot s;
    Desk& app(StackedWindow id, PixelRect rect = kChrome) { return child(id, {rect, true, false, false}); }
    Desk& hidden(StackedWindow id) { return child(id, {kChrome, false, false, false}); }
    Desk& popup(StackedWindow id, PixelRect rect = kChrome) { return child(id, {rect, true, true, false}); }
    Desk& inputOnly(StackedWindow id, PixelRect rect) { return child(id, {rect, true, true, true}); }
    Desk& ours(StackedWindow id) {
        s.childrenBottomToTop.push_back({id, id < 140, std::nullopt});
        return *this;
    }
    Desk& child(StackedWindow id, StackedChild::State state) {
        s.childrenBottomToTop.push_back({id, false, state});
        return *this;
    }
    Desk& chrome() {
        s.chromeTopFirst = {{100, kChrome}, {101, kChrome}};
        return *this;
    }
};

struct Row {
    std::string name;
    StackingSnapshot snapshot;
    std::vector<Restack> want;
};

TEST(StackingDecisionTest, ChromeCardsAndSwitcherGoWhereTheyBelongAndStayPutThere) {
    std::vector<Row> rows;
    rows.push_back({"chrome in place over the app under it", Desk().app(1).ours(101).ours(100).chrome().s, {}});
    rows.push_back({"an app raised over the chrome: the chrome goes above it, in order",
                    Desk().app(1).ours(101).ours(100).app(2).chrome().s,
                    {{101, 2, true}, {100, 101, true}}});
    rows.push_back({"a manager's input-only edges clear of the chrome, right above the app: the chrome goes over them",
                    Desk().app(1).ours(101).ours(100).inputOnly(2, kElsewhere).inputOnly(3, kElsewhere).chrome().s,
                    {{101, 3, true}, {100, 101, true}}});
    rows.push_back({"and stays there", Desk().app(1).inputOnly(2, kElsewhere).ours(101).ours(100).chrome().s, {}});
    rows.push_back({"an app above that does not overlap the chrome is no reference",
                    Desk().app(1).ours(101).ours(100).app(2, kElsewhere).chrome().s, {}});
    rows.push_back({"a hidden window and a popup are no reference",
                    Desk().app(1).ours(100).ours(101).hidden(2).popup(3).chrome().s,
                    {{101, 1, true}, {100, 101, true}}});
    {
        auto d = Desk().app(1).ours(101).ours(100).popup(2).chrome();
        d.s.clientFrames = {2};  // a frame bypassing the manager (Fluxbox, IceWM) holds a client
        rows.push_back({"a client's frame bypassing the manager is a reference", d.s, {{101, 2, true}, {100, 101, true}}});
    }
    {
        auto d = Desk().ours(101).ours(100).app(110).chrome();
        d.s.mats = {110};
        rows.push_back({"the chrome lies above our mat when no app overlaps it", d.s, {{101, 110, true}, {100, 101, true}}});
    }
    rows.push_back({"the chrome lies above an input-only window enclosing the app's frame (a border to resize by)",
                    Desk().app(1).ours(101).ours(100).inputOnly(2, {90, 90, 620, 420}).chrome().s,
                    {{101, 2, true}, {100, 101, true}}});
    {
        auto d = Desk().app(1).ours(101).ours(100).app(140, kElsewhere).chrome();
        d.s.ownFrames = {140};
        rows.push_back({"our settings window above the chrome stays there", d.s, {}});
        auto under = Desk().app(1).app(140, kElsewhere).ours(101).ours(100).chrome();
        under.s.ownFrames = {140};
        rows.push_back({"the chrome goes under our windows above the app", under.s, {{101, 1, true}, {100, 101, true}}});
        auto alone = Desk().app(140).ours(101).ours(100).chrome();
        alone.s.ownFrames = {140};
        rows.push_back({"with no app under it, the chrome goes under the lowest of ours", alone.s,
                        {{101, 140, false}, {100, 101, true}}});
    }
    {
        auto d = Desk().app(1).ours(101).ours(100).ours(120).app(2, kElsewhere).chrome();
        d.s.cardsTopFirst = {120};
        rows.push_back({"a card under an app's window goes to the top", d.s, {{120, 0, true}}});
        auto below = Desk().app(1).ours(120).ours(101).ours(100).chrome();
        below.s.cardsTopFirst = {120};
        rows.push_back({"chrome over a card goes back under it", below.s, {{101, 1, true}, {100, 101, true}}});
    }
    {
        auto d = Desk().app(1).ours(121).ours(140).ours(120);
        d.s.cardsTopFirst = {120, 121};
        d.s.ownFrames = {140};
        d.s.aboveCards = {140};
        rows.push_back({"the cards go right under our window over them", d.s, {{120, 140, false}, {121, 120, false}}});
        auto peer = Desk().app(1).ours(121).ours(120).app(140);
        peer.s.cardsTopFirst = {120, 121};
        peer.s.ownFrames = {140};
        peer.s.cardPeer = 140;
        peer.s.cardsAbovePeer = 1;
        rows.push_back({"the card ordered front after our window at their level lies above it", peer.s,
                        {{120, 0, true}, {121, 140, false}}});
    }
    {
        auto d = Desk().app(1).ours(130).ours(120);
        d.s.cardsTopFirst = {120};
        d.s.topTopFirst = {130};
        rows.push_back({"the switcher above everything, the cards under it", d.s, {{130, 0, true}, {120, 130, false}}});
    }
    for (const auto& row : rows) EXPECT_EQ(decideStacking(row.snapshot), row.want) << row.name;
}

TEST(StackingDecisionTest, TheChromesOwnOrderIsPutBackOnlyWhereItChanged) {
    EXPECT_TRUE(decideChromeOrder({1, 102, 101, 100}, {100, 101, 102}).empty());
    EXPECT_EQ(decideChromeOrder({1, 101, 102, 100}, {100, 101, 102}),
              (std::vector<Restack>{{101, 102, true}, {100, 101, true}}));
    EXPECT_TRUE(decideChromeOrder({1, 100, 101}, {100, 101, 102}).empty()) << "one is not a child of the root";
}

}  // namespace
}  // namespace tessane::qt_backend
