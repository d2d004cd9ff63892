#include "system/WorkspaceCapture.h"

#include "model/Log.h"
#include "platform/sim/SimPlatform.h"
#include "support/LoggedLines.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

namespace tessane {
namespace {

using ::testing::ElementsAre;
using Lines = std::vector<std::string>;

// The scan over a scripted desktop: one 1440 x 900 display, applications named by display name
// with the bundle identifier "org.example.<Name>". The last window added is the front one.
class WorkspaceCaptureTest : public ::testing::Test {
protected:
    WorkspaceCaptureTest() {
        Log::resetForTesting();
        sim.screens.setScreens({sim::SimScreens::screen({0, 0, 1440, 900}, 1, "A")});
        sim.environment.setProcessIdentifier(7);
    }
    ~WorkspaceCaptureTest() override { Log::resetForTesting(); }

    sim::SimApp& app(const std::string& name, ActivationPolicy policy = ActivationPolicy::regular,
                     bool withBundleID = true) {
        sim::SimApplications::RunningSpec details;
        details.bundleIdentifier = withBundleID ? "org.example." + name : "";
        details.name = name;
        details.bundlePath = "/Applications/" + name + ".app";
        details.activationPolicy = policy;
        return sim.applications.addRunningApp(details);
    }
    sim::SimWindow& window(sim::SimApp& a, Rect frame = {100, 100, 800, 600}) {
        return a.addWindow({.title = a.name(), .frame = frame});
    }

    WorkspaceCapture capture() const {
        return WorkspaceCapture(ax, [this](const std::string& id) -> std::optional<std::string> {
            auto it = owners.find(id);
            if (it == owners.end()) return std::nullopt;
            return it->second;
        }, {&sim.windowList, &sim.applications, &sim.screens, &sim.mainQueue, sim.environment.processIdentifier()});
    }
    static std::vector<std::string> names(const std::vector<WorkspaceCapture::Candidate>& cs) {
        std::vector<std::string> out;
        for (auto& c : cs) out.push_back(c.displayName);
        return out;
    }

    sim::SimPlatform sim;
    AXWindowController ax{sim.accessibility};
    std::map<std::string, std::string> owners;
};

TEST_F(WorkspaceCaptureTest, NothingOfOthersOnScreenGivesAnEmptyResultAndNoLogLines) {
    // Our own panel, a menu bar and a dock (not layer 0), a helper without a bundle identifier,
    // an accessory app and a window of no known process.
    window(app("Helper", ActivationPolicy::regular, false));
    window(app("Tray", ActivationPolicy::accessory));
    window(app("Agent", ActivationPolicy::prohibited));
    sim.windowList.addForeignWindow({.number = 1, .ownerPid = 7, .layer = 0, .bounds = {0, 0, 500, 500}});
    sim.windowList.addForeignWindow({.number = 2, .ownerPid = 99, .layer = WindowList::kDockLayer});
    sim.windowList.addForeignWindow({.number = 3, .ownerPid = std::nullopt, .layer = 0});
    sim.windowList.addForeignWindow({.number = 4, .ownerPid = 4242, .layer = 0});

    EXPECT_EQ(capture().candidates(8), WorkspaceCapture::Result{});
    EXPECT_TRUE(testing::loggedMessages().empty());
}

TEST_F(WorkspaceCaptureTest, AnUnreadableWindowListGivesNothingAndSaysNothing) {
    window(app("Notes"));
    sim.windowList.setReadable(false);
    EXPECT_EQ(capture().candidates(8), WorkspaceCapture::Result{});
    EXPECT_TRUE(testing::loggedMessages().empty());
}

TEST_F(WorkspaceCaptureTest, TwoWindowsOfOneAppAreProbedOnceAndDistinctKeepsTheFrontOne) {
    auto& mail = app("Mail");
    window(mail, {10, 10, 600, 400});
    auto& notes = app("Notes");
    window(notes, {200, 100, 700, 500});
    window(notes, {220, 120, 700, 500});  // front
    // Each read answers in 10 ms: a second probe of Notes would show as a second slow note.
    notes.setResponseDelay(0.01);

    auto result = capture().candidates(8);
    EXPECT_THAT(names(result.candidates), ElementsAre("Notes", "Notes", "Mail"));
    EXPECT_EQ(result.candidates[0].frame, Rect(220, 120, 700, 500));
    const auto log = testing::loggedMessages();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_THAT(log[0], ::testing::StartsWith("[Tessane] Window scan AX probes ≥50ms — Notes "));
    EXPECT_EQ(log[0].find("Notes"), log[0].rfind("Notes"));  // named once

    Log::resetForTesting();
    EXPECT_THAT(names(capture().distinctFrontApps(2)), ElementsAre("Notes", "Mail"));
}

TEST_F(WorkspaceCaptureTest, ANinthAppIsTurnedAwayByTheBudgetAndNamedOnce) {
    auto& late = app("Ninth");
    window(late);
    window(late);
    for (int i = 1; i <= 8; ++i) {
        auto& a = app("App" + std::to_string(i));
        auto& w = window(a);
        w.setSubrole("AXDialog");  // probed, then rejected: the walk goes on
    }
    auto result = capture().candidates(8);
    EXPECT_TRUE(result.candidates.empty());
    const auto log = testing::loggedMessages();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_THAT(log[0], ::testing::EndsWith("; Ninth: scan budget spent"));
    EXPECT_EQ(log[0].find("Ninth"), log[0].rfind("Ninth"));
}

TEST_F(WorkspaceCaptureTest, AProbeThatRunsPastTheDeadlineStopsFurtherProbes) {
    window(app("Quick"));
    for (const char* name : {"Stuck", "Frozen"}) {
        auto& stuck = app(name);
        window(stuck);
        stuck.setResponseDelay(5);  // every message runs into the 0.2 s time-out
    }
    auto result = capture().candidates(8);
    EXPECT_TRUE(result.candidates.empty());
    const auto log = testing::loggedMessages();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0], "[Tessane] Window scan AX probes ≥50ms — Frozen 200ms, Stuck 200ms");
    EXPECT_THAT(log[1], ::testing::HasSubstr("Frozen: no AX window matches CGWindowID "));
    EXPECT_THAT(log[1], ::testing::EndsWith("; Quick: scan budget spent"));
}

TEST_F(WorkspaceCaptureTest, ManageableTestNamesWhatItSaw) {
    auto& narrow = app("Narrow");
    window(narrow, {0, 0, 40, 300});
    auto& odd = app("Odd");
    auto& w = window(odd);
    w.setSubrole("AXSystemDialog");
    sim.accessibility.failAttribute(w.element(), ax::kSize, AXError::noValue);
    auto& panels = app("Panels");
    panels.addOpenPanel();
    auto& full = app("Full");
    window(full).setFullScreen(true);

    EXPECT_TRUE(capture().candidates(8).candidates.empty());
    EXPECT_THAT(testing::loggedMessages(),
                ElementsAre("[Tessane] Window scan skipped — Full: native fullscreen; "
                            "Panels: not manageable (role=AXWindow subrole=AXStandardWindow size=700×450 id=open-panel); "
                            "Odd: not manageable (role=AXWindow subrole=AXSystemDialog size=unknown id=nil); "
                            "Narrow: not manageable (role=AXWindow subrole=AXStandardWindow size=40×300 id=nil)"));
}

TEST_F(WorkspaceCaptureTest, AnAppInAWorkspaceIsNotedNotLogged) {
    window(app("Mail"));
    auto& notes = app("Notes");
    window(notes);
    window(notes);
    owners["org.example.Notes"] = "Write";
    auto result = capture().candidates(8);
    EXPECT_THAT(names(result.candidates), ElementsAre("Mail"));
    EXPECT_THAT(result.ownedNotes, ElementsAre("Notes (in “Write”)"));
    EXPECT_TRUE(testing::loggedMessages().empty());
}

TEST_F(WorkspaceCaptureTest, WindowsOffTheFrontDisplayAreRejectedBeforeAnyProbe) {
    sim.screens.setScreens({sim::SimScreens::screen({0, 0, 1440, 900}, 1, "A"),
                            sim::SimScreens::screen({1440, 0, 1920, 1080}, 2, "B")});
    auto& slow = app("Slow");
    window(slow, {100, 100, 800, 600});  // first display
    slow.setResponseDelay(0.1);
    window(app("Front"), {1500, 100, 800, 600});  // second display, front-most
    const TimeInterval before = sim.mainQueue.now();
    auto result = capture().candidates(8);
    EXPECT_THAT(names(result.candidates), ElementsAre("Front"));
    EXPECT_EQ(sim.mainQueue.now(), before);  // Slow was never asked
    EXPECT_THAT(testing::loggedMessages(),
                ElementsAre("[Tessane] Window scan skipped — Slow: on another display than the front window"));
}

TEST_F(WorkspaceCaptureTest, AFrontWindowOnNoDisplayBoundsTheRestByItsOwnFrame) {
    window(app("Outside"), {100, 100, 600, 400});     // middle (400, 300): inside the front frame
    window(app("Inside"), {1000, 800, 300, 200});     // middle (1150, 900): off the display
    window(app("Front"), {900, 700, 600, 400});       // middle (1200, 900): off the display
    auto result = capture().candidates(8);
    EXPECT_THAT(names(result.candidates), ElementsAre("Front", "Inside"));
    EXPECT_THAT(testing::loggedMessages(),
                ElementsAre("[Tessane] Window scan skipped — Outside: on another display than the front window"));
}

TEST_F(WorkspaceCaptureTest, WithoutWindowNumbersNothingMatches) {
    auto& notes = app("Notes");
    auto& w = window(notes);
    sim.accessibility.setWindowNumbersAvailable(false);
    EXPECT_TRUE(capture().candidates(8).candidates.empty());
    EXPECT_THAT(testing::loggedMessages(),
                ElementsAre("[Tessane] Window scan skipped — Notes: no AX window matches CGWindowID " +
                            std::to_string(w.number())));
}

TEST_F(WorkspaceCaptureTest, TheLimitStopsTheWalk) {
    for (int i = 1; i <= 12; ++i) window(app("App" + std::to_string(i)));
    // distinct: four times the limit, at least 8
    EXPECT_THAT(names(capture().distinctFrontApps(2)), ElementsAre("App12", "App11"));
    EXPECT_EQ(capture().candidates(3).candidates.size(), 3u);
    // A limit of 0 still scans and logs; it returns nothing.
    auto& odd = app("Odd");
    window(odd).setSubrole("AXDialog");
    Log::resetForTesting();
    EXPECT_TRUE(capture().distinctFrontApps(0).empty());
    EXPECT_EQ(testing::loggedMessages().size(), 1u);
}

TEST(WorkspaceCaptureNames, SuggestedNameCountsTheRest) {
    EXPECT_EQ(WorkspaceCapture::suggestedName({}), "");
    EXPECT_EQ(WorkspaceCapture::suggestedName({"A"}), "A");
    EXPECT_EQ(WorkspaceCapture::suggestedName({"A", "B"}), "A + B");
    EXPECT_EQ(WorkspaceCapture::suggestedName({"A", "B", "C"}), "A + B + 1 more");
    EXPECT_EQ(WorkspaceCapture::suggestedName({"A", "B", "C", "D", "E"}), "A + B + 3 more");
}

TEST(WorkspaceCaptureScreens, ScreenFrameIsInAccessibilityCoordinatesWithHalfOpenEdges) {
    sim::SimScreens screens;
    EXPECT_EQ(WorkspaceCapture::screenFrame({10, 10}, screens), std::nullopt);
    // A second display above the primary one (screen y up): it sits at negative AX y.
    screens.setScreens({sim::SimScreens::screen({0, 0, 1440, 900}, 1, "A"),
                        sim::SimScreens::screen({0, 900, 1920, 1080}, 2, "B")});
    EXPECT_EQ(WorkspaceCapture::screenFrame({10, 10}, screens), Rect(0, 0, 1440, 900));
    EXPECT_EQ(WorkspaceCapture::screenFrame({10, -10}, screens), Rect(0, -1080, 1920, 1080));
    EXPECT_EQ(WorkspaceCapture::screenFrame({0, 0}, screens), Rect(0, 0, 1440, 900));
    EXPECT_EQ(WorkspaceCapture::screenFrame({1440, 10}, screens), std::nullopt);
}

}  // namespace
}  // namespace tessane
