#include "ModelTestSupport.h"

#include "model/Layout.h"
#include "model/LayoutType.h"

#include <cmath>
#include <vector>

namespace tessane {
namespace {

using testing::makeApp;
using testing::makeWorkspace;

TEST(WorkspaceRecords, PrimaryAppPrefersIdThenBundleIdentifierThenFirstApp) {
    Workspace ws = makeWorkspace("W", {makeApp("A", "a"), makeApp("B", "b"), makeApp("C", "c")});
    EXPECT_EQ(ws.primaryApp(), &ws.apps[0]) << "neither id nor bundle identifier: the first app";

    ws.primaryAppID = Uuid::random();  // stale
    ws.primaryAppBundleIdentifier = "c";
    EXPECT_EQ(ws.primaryApp(), &ws.apps[2]) << "a stale id falls back to the bundle identifier";

    ws.primaryAppID = ws.apps[1].id;
    EXPECT_EQ(ws.primaryApp(), &ws.apps[1]) << "the id wins over the bundle identifier";

    ws.primaryAppID.reset();
    ws.primaryAppBundleIdentifier = "gone";
    EXPECT_EQ(ws.primaryApp(), &ws.apps[0]);

    EXPECT_EQ(makeWorkspace("Empty").primaryApp(), nullptr);
}

TEST(WorkspaceRecords, HomeFrameNeedsATopologyAndAFrameWithArea) {
    Workspace ws = makeWorkspace("W");
    EXPECT_FALSE(ws.homeFrame("d1"));
    ws.topologyFrames = std::map<std::string, RectModel>{
        {"d1", {10, 20, 800, 600}},
        {"zeroWidth", {0, 0, 0, 600}},
        {"negative", {100, 100, -400, -300}},
        {"nan", {0, 0, NAN, 100}},
    };
    EXPECT_FALSE(ws.homeFrame(std::nullopt));
    EXPECT_FALSE(ws.homeFrame("other"));
    EXPECT_FALSE(ws.homeFrame("zeroWidth"));
    EXPECT_FALSE(ws.homeFrame("nan"));
    EXPECT_EQ(ws.homeFrame("d1"), Rect(10, 20, 800, 600));
    // Sizes count by their absolute value; the stored frame comes back as it was stored.
    ASSERT_TRUE(ws.homeFrame("negative"));
    EXPECT_EQ(ws.homeFrame("negative")->size.width, -400);
}

TEST(WorkspaceRecords, AppsSummary) {
    EXPECT_EQ(makeWorkspace("W").appsSummary(), "No apps");
    EXPECT_EQ(makeWorkspace("W", {makeApp("Mail", "m"), makeApp("Notes", "n")}).appsSummary(), "Mail, Notes");
}

TEST(WorkspaceRecords, LayoutTypesRawValuesLabelsAndLists) {
    const std::vector<std::pair<const char*, const char*>> expected = {
        {"leftRightSplit", "Left / Right Split"},   {"topBottomSplit", "Top / Bottom Split"},
        {"grid2x2", "2 \u00D7 2 Grid"},             {"mainSidebar", "Main + Sidebar"},
        {"threeTopTwoBottomOne", "2 Top / 1 Bottom"}, {"threeTopOneBottomTwo", "1 Top / 2 Bottom"},
        {"threeLeftTwoRightOne", "2 Left / 1 Right"}, {"threeLeftOneRightTwo", "1 Left / 2 Right"},
        {"threeColumns", "Three Columns"},
    };
    const auto all = layout_types::allCases();
    ASSERT_EQ(all.size(), expected.size());
    for (size_t i = 0; i < all.size(); ++i) {
        EXPECT_STREQ(toString(all[i]), expected[i].first);
        EXPECT_STREQ(label(all[i]), expected[i].second);
        EXPECT_EQ(fromString<LayoutType>(expected[i].first), all[i]);
    }
    EXPECT_FALSE(fromString<LayoutType>("LeftRightSplit"));
    EXPECT_FALSE(fromString<LayoutType>(""));

    const std::vector<LayoutType> pickers(layout_types::offeredInPickers().begin(), layout_types::offeredInPickers().end());
    const std::vector<LayoutType> expectedPickers = {
        LayoutType::leftRightSplit,       LayoutType::topBottomSplit,       LayoutType::threeTopTwoBottomOne,
        LayoutType::threeTopOneBottomTwo, LayoutType::threeLeftTwoRightOne, LayoutType::threeLeftOneRightTwo,
        LayoutType::grid2x2,              LayoutType::threeColumns};
    EXPECT_EQ(pickers, expectedPickers);
    for (size_t i = 0; i < pickers.size(); ++i)
        EXPECT_EQ(layout_types::isSelectableInSettings(pickers[i]), i < 7) << toString(pickers[i]);
    EXPECT_FALSE(layout_types::isSelectableInSettings(LayoutType::mainSidebar));
}

TEST(WorkspaceRecords, DisplayNameIsThreeColumnsWheneverTheStateIsPresent) {
    Layout layout;
    layout.type = LayoutType::threeLeftOneRightTwo;
    EXPECT_EQ(layout.displayName(), "1 Left / 2 Right");
    layout.threeColumns = ThreeColumnsState{true, std::nullopt};
    EXPECT_EQ(layout.displayName(), "Three Columns");
    layout.type = LayoutType::grid2x2;
    EXPECT_EQ(layout.displayName(), "Three Columns");
}

TEST(WorkspaceRecords, FoldingThreeColumnsSwapsCurrentAndParkedRatios) {
    using Ratios = std::optional<std::vector<double>>;
    struct Case {
        const char* what;
        bool folded;
        Ratios ratios;
        Ratios parked;
        bool fold;
        std::vector<double> wantRatios;
        std::vector<double> wantParked;
    };
    const double third = 1.0 / 3.0;
    const std::vector<Case> cases = {
        {"fold, nothing parked", false, std::vector<double>{0.3, 0.6}, std::nullopt, true, {0.5, 0.5}, {0.3, 0.6}},
        {"unfold restores", true, std::vector<double>{0.5, 0.5}, std::vector<double>{0.3, 0.6}, false, {0.3, 0.6}, {0.5, 0.5}},
        {"unfold, nothing anywhere", true, std::nullopt, std::vector<double>{}, false, {third, 0.5}, {0.5, 0.5}},
        {"fold, no current ratios", false, std::vector<double>{}, std::vector<double>{0.2, 0.7}, true, {0.2, 0.7}, {third, 0.5}},
    };
    for (const auto& c : cases) {
        Layout layout;
        layout.type = LayoutType::threeLeftOneRightTwo;
        layout.ratios = c.ratios;
        layout.paneAssignments = std::map<std::string, std::string>{{"p", "a"}};
        layout.threeColumns = ThreeColumnsState{c.folded, c.parked};
        const Layout result = layout.foldingThreeColumns(c.fold);
        EXPECT_EQ(result.ratios, c.wantRatios) << c.what;
        ASSERT_TRUE(result.threeColumns) << c.what;
        EXPECT_EQ(result.threeColumns->parkedRatios, c.wantParked) << c.what;
        EXPECT_EQ(result.threeColumns->folded, c.fold) << c.what;
        EXPECT_EQ(result.type, layout.type);
        EXPECT_EQ(result.paneAssignments, layout.paneAssignments);
    }

    Layout plain;
    plain.ratios = std::vector<double>{0.4};
    EXPECT_EQ(plain.foldingThreeColumns(true), plain) << "no three-columns state: unchanged";
    Layout folded = plain;
    folded.threeColumns = ThreeColumnsState{true, std::vector<double>{0.1}};
    EXPECT_EQ(folded.foldingThreeColumns(true), folded) << "already in the asked mode: unchanged";
}

}  // namespace
}  // namespace tessane
