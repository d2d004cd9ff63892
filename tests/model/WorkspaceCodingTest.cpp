#include "ModelTestSupport.h"

#include "model/WorkspaceCoding.h"

#include <nlohmann/json.hpp>

#include <cmath>

namespace tessane {
namespace {

using testing::makeApp;
using testing::makeWorkspace;
using ordered = nlohmann::ordered_json;

// Every object at every level has its keys in sorted order, as the file must.
void expectSortedKeys(const ordered& j, const std::string& path = "$") {
    if (j.is_object()) {
        std::string previous;
        bool first = true;
        for (auto it = j.begin(); it != j.end(); ++it) {
            if (!first) {
                EXPECT_LT(previous, it.key()) << "at " << path;
            }
            previous = it.key();
            first = false;
            expectSortedKeys(it.value(), path + "." + it.key());
        }
    } else if (j.is_array()) {
        for (size_t i = 0; i < j.size(); ++i) expectSortedKeys(j[i], path + "[" + std::to_string(i) + "]");
    }
}

Workspace everyFieldWorkspace() {
    ManagedApp app = makeApp("Caf\u00E9 \"Notes\"\n\t\\", "com.example.notes", AppRole::primary);
    app.appURLBookmark = Bytes{0, 1, 2, 250, 251, 252, 253};
    app.appPath = "/Applications/Notes.app";
    app.iconData = Bytes{0x89, 'P', 'N', 'G'};
    app.preferredPaneId = "pane-1";
    app.observedMinSize = SizeModel{420.5, 300};
    app.lastDocumentPath = "/home/u/Documents/\u00FCber.txt";

    Workspace ws = makeWorkspace("Work \U0001F600", {app, makeApp("Mail", "com.example.mail")});
    ws.layout.type = LayoutType::threeLeftOneRightTwo;
    ws.layout.splitTree = SplitNode::split(SplitDirection::vertical, 0.25,
                                           {SplitNode::app("a"), SplitNode::split(SplitDirection::horizontal, 0.5,
                                                                                  {SplitNode::app("b"), SplitNode::app("c")})});
    ws.layout.ratios = std::vector<double>{1.0 / 3.0, 0.5, 1e-7, 12345.0};
    ws.layout.paneAssignments = std::map<std::string, std::string>{{"p1", "a"}, {"P0", "b"}};
    ws.layout.threeColumns = ThreeColumnsState{true, std::vector<double>{0.25, 0.75}};
    ws.primaryAppBundleIdentifier = "com.example.notes";
    ws.primaryAppID = app.id;
    ws.shortcut = ShortcutConfig{18, 2304, "\u2325\u23181"};
    ws.lastContainerFrame = RectModel{-1440, 25.5, 1200, 800};
    ws.topologyFrames = std::map<std::string, RectModel>{{"B|A", {0, 0, 100, 100}}, {"A", {1, 2, 3, 4}}};
    ws.savedLayout = LayoutCheckpoint{{5, 6, 700, 800}, std::vector<double>{0.6}};
    ws.isEnabled = false;
    return ws;
}

TEST(WorkspaceCoding, EveryOptionalFieldRoundTripsWithSortedKeys) {
    const std::vector<Workspace> list = {everyFieldWorkspace(), makeWorkspace("Bare")};
    const std::string json = encodeWorkspaces(list);

    EXPECT_EQ(decodeWorkspaces(json), list);
    const ordered parsed = ordered::parse(json);
    expectSortedKeys(parsed);
    // Standard forms: UUID strings, Base64 bytes, raw enum strings, a one-key split node.
    const auto& ws = parsed[0];
    EXPECT_EQ(ws["primaryAppID"], list[0].primaryAppID->string());
    EXPECT_EQ(ws["apps"][0]["appURLBookmark"], "AAEC+vv8/Q==");
    EXPECT_EQ(ws["apps"][0]["role"], "primary");
    EXPECT_EQ(ws["layout"]["type"], "threeLeftOneRightTwo");
    EXPECT_EQ(ws["layout"]["splitTree"].size(), 1u);
    EXPECT_EQ(ws["layout"]["splitTree"]["split"]["children"][0]["app"]["appId"], "a");
    EXPECT_EQ(ws["shortcut"]["carbonModifiers"], 2304);
    // Decoding what we wrote with an independent parser agrees with our own reader.
    EXPECT_EQ(nlohmann::json::parse(json), nlohmann::json::parse(encodeWorkspaces(decodeWorkspaces(json))));
}

TEST(WorkspaceCoding, AbsentOptionalsAreOmitted) {
    const auto parsed = ordered::parse(encodeWorkspace(makeWorkspace("Bare")));
    std::vector<std::string> keys;
    for (auto it = parsed.begin(); it != parsed.end(); ++it) keys.push_back(it.key());
    EXPECT_EQ(keys, (std::vector<std::string>{"apps", "id", "isEnabled", "layout", "name"}));
    EXPECT_EQ(parsed["layout"], ordered::parse(R"({"type":"leftRightSplit"})"));
}

std::string minimalWorkspace(const std::string& extra = "") {
    return R"({"id":"3F2504E0-4F89-11D3-9A0C-0305E82C3301","name":"W","apps":[],"layout":{"type":"grid2x2"},"isEnabled":true)" +
           extra + "}";
}

TEST(WorkspaceCoding, NullOptionalsAndUnknownKeysAreAccepted) {
    const Workspace ws = decodeWorkspace(minimalWorkspace(
        R"(,"shortcut":null,"topologyFrames":null,"future":{"x":[1,2,{"y":null}]},"primaryAppID":null)"));
    EXPECT_FALSE(ws.shortcut);
    EXPECT_FALSE(ws.topologyFrames);
    EXPECT_EQ(ws.id.string(), "3F2504E0-4F89-11D3-9A0C-0305E82C3301");
    // Lower-case UUIDs are read too.
    EXPECT_EQ(decodeWorkspace(R"({"id":"3f2504e0-4f89-11d3-9a0c-0305e82c3301","name":"W","apps":[],"layout":{"type":"grid2x2"},"isEnabled":true})").id,
              ws.id);
}

TEST(WorkspaceCoding, BadRecordsFailTheWholeListWithTheirPath) {
    const std::string app = R"({"id":"3F2504E0-4F89-11D3-9A0C-0305E82C3301","displayName":"A","bundleIdentifier":"a","role":"primary"})";
    struct Case {
        std::string json;
        std::string path;  // where the failure is reported
    };
    const std::vector<Case> cases = {
        {"[" + minimalWorkspace() + "," + R"({"id":"3F2504E0-4F89-11D3-9A0C-0305E82C3301","name":"W","apps":[],"layout":{"type":"grid2x2"}})" + "]", "[1]"},
        {"[" + minimalWorkspace(R"(,"layout":{"type":"spiral"})") + "]", "[0].layout.type"},
        {"[" + minimalWorkspace(R"(,"layout":{})") + "]", "[0].layout"},
        {"[" + minimalWorkspace(R"(,"id":"not-a-uuid")") + "]", "[0].id"},
        {"[" + minimalWorkspace(R"(,"name":7)") + "]", "[0].name"},
        {"[" + minimalWorkspace(R"(,"isEnabled":1)") + "]", "[0].isEnabled"},
        {"[" + minimalWorkspace(R"(,"apps":[{"id":"3F2504E0-4F89-11D3-9A0C-0305E82C3301","displayName":"A","bundleIdentifier":"a"}])") + "]", "[0].apps[0]"},
        {"[" + minimalWorkspace(R"(,"apps":[)" + app.substr(0, app.size() - 1) + R"(,"role":"boss"}])") + "]", "[0].apps[0].role"},
        {"[" + minimalWorkspace(R"(,"apps":[)" + app.substr(0, app.size() - 1) + R"(,"iconData":"AB$="}])") + "]", "[0].apps[0].iconData"},
        {"[" + minimalWorkspace(R"(,"apps":[)" + app.substr(0, app.size() - 1) + R"(,"iconData":"QQ="}])") + "]", "[0].apps[0].iconData"},
        {"[" + minimalWorkspace(R"(,"apps":[)" + app.substr(0, app.size() - 1) + R"(,"observedMinSize":{"width":3}}])") + "]", "[0].apps[0].observedMinSize"},
        {"[" + minimalWorkspace(R"(,"shortcut":{"keyCode":1,"displayString":"x"})") + "]", "[0].shortcut"},
        {"[" + minimalWorkspace(R"(,"shortcut":{"keyCode":-1,"carbonModifiers":0,"displayString":"x"})") + "]", "[0].shortcut.keyCode"},
        {"[" + minimalWorkspace(R"(,"shortcut":{"keyCode":4294967296,"carbonModifiers":0,"displayString":"x"})") + "]", "[0].shortcut.keyCode"},
        {"[" + minimalWorkspace(R"(,"lastContainerFrame":{"x":1,"y":2,"width":3})") + "]", "[0].lastContainerFrame"},
        {"[" + minimalWorkspace(R"(,"savedLayout":{"ratios":[0.5]})") + "]", "[0].savedLayout"},
        {"[" + minimalWorkspace(R"(,"layout":{"type":"grid2x2","threeColumns":{"parkedRatios":[0.5]}})") + "]", "[0].layout.threeColumns"},
        {"[" + minimalWorkspace(R"(,"layout":{"type":"grid2x2","ratios":[0.5,"x"]})") + "]", "[0].layout.ratios[1]"},
        {"[" + minimalWorkspace(R"(,"topologyFrames":{"d":{"x":1}})") + "]", "[0].topologyFrames.d"},
        // Keys outside ASCII are unescaped into scratch space; the inner one must not rename the outer.
        {"[" + minimalWorkspace("," "\"topologyFrames\":{\"\u00E9A\":{\"\u00FCB\":1,\"x\":1}}") + "]",
         "[0].topologyFrames.\u00E9A"},
        {"[" + minimalWorkspace(R"(,"layout":{"type":"grid2x2","splitTree":{"split":{"direction":"diagonal","ratio":0.5,"children":[]}}})") + "]", "[0].layout.splitTree.split.direction"},
    };
    for (const auto& c : cases) {
        try {
            decodeWorkspaces(c.json);
            ADD_FAILURE() << "decoded: " << c.json;
        } catch (const DecodeFailure& failure) {
            EXPECT_EQ(failure.path(), c.path) << failure.what();
        }
    }
}

TEST(WorkspaceCoding, SplitNodeNeedsExactlyOneCaseKey) {
    // The number of case keys is checked before either case is read, so a bad value beside a
    // second case key still fails for the number of keys.
    for (const std::string node : {R"({})", R"({"other":1})",
                                   R"({"app":{"appId":"a"},"split":{"direction":"vertical","ratio":0.5,"children":[]}})",
                                   R"({"split":{"direction":"diagonal","ratio":0.5,"children":[]},"app":{"appId":"a"}})",
                                   R"({"app":5,"split":{"direction":"vertical","ratio":0.5,"children":[]}})"}) {
        const std::string json = "[" + minimalWorkspace(R"(,"layout":{"type":"grid2x2","splitTree":{"split":{"direction":"vertical","ratio":0.5,"children":[{"app":{"appId":"x"}},)" + node + "]}}}") + "]";
        try {
            decodeWorkspaces(json);
            ADD_FAILURE() << node;
        } catch (const DecodeFailure& failure) {
            EXPECT_EQ(failure.reason(), "Invalid number of keys found, expected one.") << node;
            EXPECT_EQ(failure.path(), "[0].layout.splitTree.split.children[1]") << node;
        }
    }
    // Unknown keys beside the one case key are ignored.
    const Workspace ws = decodeWorkspace(minimalWorkspace(R"(,"layout":{"type":"grid2x2","splitTree":{"app":{"appId":"z","x":1},"note":2}})"));
    EXPECT_EQ(ws.layout.splitTree, SplitNode::app("z"));
}

TEST(WorkspaceCoding, MalformedTextFailsCleanly) {
    const std::vector<std::string> texts = {
        "",          "[",           "[1",          "{}",           "[]x",        "[,]",        "[" + minimalWorkspace() + ",]",
        "\"\\uD800\"", "[\"\xC3\"]",   "nul",         "[01]",        "[1.]",       "[-]",        std::string("[\0]", 3),
        std::string(100000, '['),   "[{\"id\":\"\\u12\"}]",
    };
    for (const auto& text : texts) EXPECT_THROW(decodeWorkspaces(text), DecodeFailure) << text.substr(0, 40);
    // Deep nesting in an ignored value or in the split tree is refused, not recursed into.
    EXPECT_THROW(decodeWorkspace(minimalWorkspace(",\"future\":" + std::string(100000, '['))), DecodeFailure);
    std::string deepTree;
    for (int i = 0; i < 5000; ++i) deepTree += R"({"split":{"direction":"vertical","ratio":0.5,"children":[)";
    EXPECT_THROW(decodeWorkspace(minimalWorkspace(R"(,"layout":{"type":"grid2x2","splitTree":)" + deepTree)), DecodeFailure);
    EXPECT_TRUE(decodeWorkspaces(" \n[ ]\t").empty());
}

TEST(WorkspaceCoding, TextThatIsNotUtf8IsWrittenReadably) {
    Workspace ws = makeWorkspace(std::string("Bad \xFF\xFE name"));
    ws.apps.push_back(makeApp("A", "a"));
    ws.apps[0].lastDocumentPath = std::string("/tmp/caf\xE9.txt");  // a Latin-1 file name
    const auto back = decodeWorkspaces(encodeWorkspaces({ws}));
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].name, "Bad \uFFFD\uFFFD name");
    EXPECT_EQ(back[0].apps[0].lastDocumentPath, "/tmp/caf\uFFFD.txt");
}

TEST(WorkspaceCoding, NumbersKeepTheirValueAndOutOfRangeOnesAreNotFinite) {
    Workspace ws = makeWorkspace("N");
    ws.layout.ratios = std::vector<double>{0.1, 1.0 / 3.0, 5e-324, 1.7976931348623157e308, -0.0, 100};
    EXPECT_EQ(decodeWorkspace(encodeWorkspace(ws)).layout.ratios, ws.layout.ratios);

    const Workspace huge = decodeWorkspace(minimalWorkspace(R"(,"layout":{"type":"grid2x2","ratios":[1e400,-0.5e999,1e-400,0.00001e-330]})"));
    ASSERT_TRUE(huge.layout.ratios);
    EXPECT_TRUE(std::isinf((*huge.layout.ratios)[0]));
    EXPECT_TRUE(std::isinf((*huge.layout.ratios)[1]) && (*huge.layout.ratios)[1] < 0);
    EXPECT_EQ((*huge.layout.ratios)[2], 0);
    EXPECT_EQ((*huge.layout.ratios)[3], 0);

    // Key codes may be written as whole floating numbers.
    const Workspace sc = decodeWorkspace(minimalWorkspace(R"(,"shortcut":{"keyCode":18.0,"carbonModifiers":2.304e3,"displayString":"x"})"));
    EXPECT_EQ(sc.shortcut, (ShortcutConfig{18, 2304, "x"}));
}

TEST(WorkspaceCoding, EscapedBase64IsStillRead) {
    // Other writers may escape the slash, as in "\/".
    const Workspace ws = decodeWorkspace(minimalWorkspace(
        R"(,"apps":[{"id":"3F2504E0-4F89-11D3-9A0C-0305E82C3301","displayName":"A","bundleIdentifier":"a","role":"primary","iconData":"\/\/8="}])"));
    EXPECT_EQ(ws.apps[0].iconData, (Bytes{0xFF, 0xFF}));
}

}  // namespace
}  // namespace tessane
