#include "shell/Diagnostics.h"
#include "shell/LoginItem.h"
#include "platform/sim/SimLoginItems.h"
#include "support/ControllerScenario.h"

#include <gtest/gtest.h>

namespace tessane::testing {
namespace {

using Diagnostics::Snapshot;

Snapshot baseSnapshot() {
    Snapshot s;
    s.appVersion = "0.1.0 (build 42)";
    s.osVersion = "Debian GNU/Linux 12 (bookworm), Linux 6.1.0";
    s.hardwareModel = "LENOVO 20XW";
    s.architecture = "x86_64";
    s.bundlePath = "/usr/bin";
    s.launchAtLogin = "disabled";
    s.accessibilityTrusted = true;
    s.displays = {"2560×1440 @1x (main)", "1920×1080 @1x"};
    s.theme = "System";
    return s;
}

PaneFit offPane(int index) {
    return PaneFit{.workspace = "Writing", .paneIndex = index, .appName = "Notes", .wantWidth = 960,
                   .wantHeight = 1050, .note = "not running"};
}

TEST(DiagnosticsRender, TheSummaryLineByLine) {
    Snapshot s = baseSnapshot();
    s.workspaces = {{"Writing", 2, "Left / Right", {"org.a.Notes", "org.a.Mail"}, true},
                    {"Empty", 0, "Three Columns (folded into 1 + 2)", {}, false}};
    s.panesChecked = 2;
    EXPECT_EQ(Diagnostics::render(s),
              "Tessane 0.1.0 (build 42)\n"
              "Debian GNU/Linux 12 (bookworm), Linux 6.1.0 · LENOVO 20XW · x86_64\n"
              "/usr/bin · launch at login: disabled\n"
              "\n"
              "Window control: available\n"
              "Displays: 2 — 2560×1440 @1x (main), 1920×1080 @1x\n"
              "Theme: System\n"
              "\n"
              "Workspaces: 2 (1 shown)\n"
              "  · Writing — 2 apps · Left / Right · shown · org.a.Notes, org.a.Mail\n"
              "  · Empty — 0 apps · Three Columns (folded into 1 + 2) · (no apps)\n"
              "\n"
              "Pane fit: all 2 shown panes hold their window");
}

TEST(DiagnosticsRender, NothingStoredNothingShownNoDisplays) {
    Snapshot s = baseSnapshot();
    s.accessibilityTrusted = false;
    s.displays.clear();
    const std::string text = Diagnostics::render(s);
    EXPECT_NE(text.find("Window control: NOT AVAILABLE\n"), std::string::npos);
    EXPECT_NE(text.find("Displays: none reported\n"), std::string::npos);
    EXPECT_NE(text.find("\nWorkspaces: 0 (0 shown)\n\nPane fit: nothing shown, nothing measured"), std::string::npos);
    EXPECT_EQ(text.back(), 'd');  // no final line feed
}

TEST(DiagnosticsRender, PaneFitBlockWithOneSixAndSevenOff) {
    auto block = [](int off) {
        Snapshot s = baseSnapshot();
        s.panesChecked = 8;
        for (int i = 0; i < off; ++i) s.paneFit.push_back(offPane(i));
        const std::string text = Diagnostics::render(s);
        return text.substr(text.find("Pane fit:"));
    };
    EXPECT_EQ(block(1), "Pane fit: 1 of 8 shown panes off\n  · Writing pane 0 (Notes): pane 960×1050 — not running");
    const std::string six = block(6);
    EXPECT_EQ(std::count(six.begin(), six.end(), '\n'), 6);
    EXPECT_EQ(six.find("more"), std::string::npos);
    const std::string seven = block(7);
    EXPECT_EQ(std::count(seven.begin(), seven.end(), '\n'), 7);
    EXPECT_TRUE(seven.ends_with("\n  · … 1 more (Copy Diagnostics carries them all)"));
    EXPECT_EQ(seven.find("pane 6 "), std::string::npos);
}

TEST(DiagnosticsRender, PaneFitLines) {
    PaneFit f{.workspace = "Writing", .paneIndex = 1, .appName = "Notes", .wantWidth = 960, .wantHeight = 1050};
    EXPECT_EQ(Diagnostics::describe(f), "Writing pane 1 (Notes): pane 960×1050 — no window");
    f.gotWidth = 900, f.gotHeight = 1050, f.offsetX = 12, f.offsetY = 0;
    EXPECT_EQ(Diagnostics::describe(f), "Writing pane 1 (Notes): pane 960×1050 — window 900×1050, w -60, origin +12,0");
    f.gotWidth = 960, f.offsetX = -12, f.offsetY = -20;
    EXPECT_TRUE(Diagnostics::describe(f).ends_with("— window 960×1050, origin -12,-20"));
    f.gotWidth = 950, f.offsetX = 0, f.offsetY = 0;
    EXPECT_TRUE(Diagnostics::describe(f).ends_with("— window 950×1050, w -10"));
    f.gotWidth = 960, f.gotHeight = 1060, f.offsetY = std::nullopt, f.offsetX = 5;
    EXPECT_TRUE(Diagnostics::describe(f).ends_with("— window 960×1060, h +10"));
    EXPECT_EQ(Diagnostics::signedNumber(0), "0");
    EXPECT_EQ(Diagnostics::signedNumber(-7), "-7");

    ScreenInfo screen{.frame = {{0, 0}, {2560.9, 1440}}};
    EXPECT_EQ(Diagnostics::describe(screen, 1.5, false), "2560×1440 @1x");
    EXPECT_EQ(Diagnostics::describe(screen, 2, true), "2560×1440 @2x (main)");
}

TEST(DiagnosticsFullText, WithAndWithoutLogLines) {
    EXPECT_EQ(Diagnostics::fullText("S", {}), "S\n\nRecent log\n(no Tessane log entries were readable on this system)");
    EXPECT_EQ(Diagnostics::fullText("S", {"a", "b", "c"}), "S\n\nRecent log (3 lines)\na\nb\nc");
}

TEST(DiagnosticsMail, EncodesEverythingButUnreservedAscii) {
    const auto url = Diagnostics::mailtoURL("help@example.org", "Bug: Café", "Zoë's 100% ✓\nok", 1800);
    ASSERT_TRUE(url);
    EXPECT_EQ(*url, "mailto:help@example.org?subject=Bug%3A%20Caf%C3%A9&body=Zo%C3%AB%27s%20100%25%20%E2%9C%93%0Aok");
    // Without a recipient the mail program asks for one.
    EXPECT_EQ(*Diagnostics::mailtoURL("", "s", "b", 1800), "mailto:?subject=s&body=b");
}

TEST(DiagnosticsMail, LimitsAndTrimming) {
    const std::string prefix = "mailto:a@b?subject=s&body=";
    const int limit = static_cast<int>(prefix.size()) + 200;
    const std::string marker = Diagnostics::percentEncoded("\n\n[trimmed — use Copy Diagnostics for the full report]");

    // A body that fills the budget exactly goes whole.
    EXPECT_EQ(*Diagnostics::mailtoURL("a@b", "s", std::string(200, 'x'), limit), prefix + std::string(200, 'x'));

    // One more character: trimmed, never longer than the limit, ending with the marker.
    const auto trimmed = Diagnostics::mailtoURL("a@b", "s", std::string(201, 'x'), limit);
    ASSERT_TRUE(trimmed);
    EXPECT_EQ(trimmed->size(), static_cast<size_t>(limit));
    EXPECT_TRUE(trimmed->ends_with(marker));

    // The prefix alone reaching the limit, or no room beside the marker: no link.
    EXPECT_EQ(Diagnostics::mailtoURL("a@b", "s", "x", static_cast<int>(prefix.size())), std::nullopt);
    EXPECT_EQ(Diagnostics::mailtoURL("a@b", "s", std::string(300, 'x'), static_cast<int>(prefix.size() + marker.size())),
              std::nullopt);
    EXPECT_EQ(Diagnostics::mailtoURL("a b", "s", "x", 1800), std::nullopt);
}

// A family emoji is one character of seven code points (25 bytes, 75 encoded characters): a cut
// inside it drops it whole, and nothing after it is taken even when it would fit.
TEST(DiagnosticsMail, TrimmingKeepsWholeCharacters) {
    const std::string family = "\U0001F468\u200D\U0001F469\u200D\U0001F467\u200D\U0001F466";
    const std::string marker = Diagnostics::percentEncoded("\n\n[trimmed — use Copy Diagnostics for the full report]");
    const std::string body = "ab" + family + "c" + std::string(100, 'x');
    const std::string prefix = "mailto:?subject=s&body=";
    const int limit = static_cast<int>(prefix.size() + marker.size()) + 2 + 74;  // room: "ab" and 74 of 75
    const auto url = Diagnostics::mailtoURL("", "s", body, limit);
    ASSERT_TRUE(url);
    EXPECT_EQ(*url, prefix + "ab" + marker);

    const auto roomy = Diagnostics::mailtoURL("", "s", body, limit + 2);  // now it fits, "c" too
    ASSERT_TRUE(roomy);
    EXPECT_EQ(*roomy, prefix + "ab" + Diagnostics::percentEncoded(family) + "c" + marker);
}

// What the capture reads on the controller and the ports.
TEST(DiagnosticsCapture, ReadsTheWorldAtTheMomentOfTheCall) {
    ControllerScenario s;
    s.launchApp("Notes");
    s.launchApp("Mail");
    auto write = s.addWorkspace("Write", {"Notes", "Mail"});
    s.addWorkspace("Read", {"Notes"}, LayoutType::topBottomSplit);
    s.start();
    s.putUp(write);
    s.sim.defaults.set("appTheme", std::string("Dark"));
    sim::SimLoginItems items;
    items.bundled = false;
    LoginItem loginItem(items, s.sim.mainQueue);
    const Diagnostics::Sources sources{s.sim.environment, s.sim.accessibility, s.sim.screens, s.sim.defaults, loginItem,
                                       [] { return MachineFacts{"Debian, Linux 6.1", "", "aarch64"}; },
                                       "/home/me/build/app"};
    const Snapshot snap = Diagnostics::capture(*s.manager, s.controller(), sources);
    EXPECT_EQ(snap.osVersion, "Debian, Linux 6.1");
    EXPECT_EQ(snap.hardwareModel, "unknown");
    EXPECT_EQ(snap.architecture, "aarch64");
    EXPECT_EQ(snap.bundlePath, "/home/me/build/app");
    EXPECT_EQ(snap.launchAtLogin, "unavailable (not running as an installed build)");
    EXPECT_EQ(snap.theme, "System");  // "Dark" is not a theme
    EXPECT_EQ(snap.displays, (std::vector<std::string>{"1440×900 @1x (main)"}));
    ASSERT_EQ(snap.workspaces.size(), 2u);
    EXPECT_EQ(snap.workspaces[0].bundleIdentifiers, (std::vector<std::string>{"org.example.Notes", "org.example.Mail"}));
    EXPECT_TRUE(snap.workspaces[0].isShown);
    EXPECT_FALSE(snap.workspaces[1].isShown);
    EXPECT_EQ(snap.workspaces[1].appCount, 1);
}

}  // namespace
}  // namespace tessane::testing
