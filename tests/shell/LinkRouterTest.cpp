#include "shell/ControllerLinkTarget.h"
#include "platform/sim/SimMainQueue.h"
#include "shell/LinkRouter.h"
#include "support/ControllerScenario.h"
#include "support/LoggedLines.h"

#include "RecordingLinkTarget.h"

#include <gtest/gtest.h>

namespace tessane::testing {
namespace {

using Lines = std::vector<std::string>;

class LinkRouterTest : public ::testing::Test {
protected:
    void SetUp() override {
        Log::resetForTesting();
        target.add("Writing");
        target.add("Café");
        target.add("Home");
    }
    void TearDown() override { Log::resetForTesting(); }

    RecordingLinkTarget target;
};

TEST_F(LinkRouterTest, EachCommandReachesItsOperationWithItsLogLine) {
    target.shown.insert(target.list[2].id);
    LinkRouter::route({"TESSANE://SHOW/writing", "tessane://show/Cafe", "tessane://toggle/Home",
                       "tessane://toggle/Writing", "tessane://hide", "tessane://hide/2", "tessane://bring",
                       "tessane://bring/home", "tessane://focus/left", "tessane://solo"},
                      target);
    EXPECT_EQ(target.calls, (Lines{"show Writing", "show Café", "hide Home", "show Writing", "hideActive",
                                   "hide Café", "bringActive", "summon Home", "focus -1", "solo"}));
    EXPECT_EQ(loggedMessages(),
              (Lines{"[Tessane][URL] TESSANE://SHOW/writing → show(target: \"writing\")",
                     "[Tessane][URL] tessane://show/Cafe → show(target: \"Cafe\")",
                     "[Tessane][URL] tessane://toggle/Home → toggle(target: \"Home\")",
                     "[Tessane][URL] tessane://toggle/Writing → toggle(target: \"Writing\")",
                     "[Tessane][URL] tessane://hide → hide(target: nil)",
                     "[Tessane][URL] tessane://hide/2 → hide(target: \"2\")",
                     "[Tessane][URL] tessane://bring → bringHere(target: nil)",
                     "[Tessane][URL] tessane://bring/home → bringHere(target: \"home\")",
                     "[Tessane][URL] tessane://focus/left → focus(offset: -1)",
                     "[Tessane][URL] tessane://solo → solo"}));
}

TEST_F(LinkRouterTest, SoloWhileSoloedRestores) {
    target.soloed = true;
    LinkRouter::route({"tessane://solo/x"}, target);
    EXPECT_EQ(target.calls, (Lines{"restoreFromSolo"}));
}

TEST_F(LinkRouterTest, FailuresAreLinesAndNeverStopTheRest) {
    LinkRouter::route({"tessane://show", "https://example.org", "tessane://show/%20Nowhere%20", "tessane://show/0",
                       "tessane://toggle/4", "tessane://hide/-1", "tessane://bring/Nope", "tessane://focus/2",
                       "tessane://show/Home"},
                      target);
    EXPECT_EQ(target.calls, (Lines{"show Home"}));
    EXPECT_EQ(loggedMessages(),
              (Lines{"[Tessane][URL] Ignored — not a command Tessane understands: tessane://show",
                     "[Tessane][URL] Ignored — not a command Tessane understands: https://example.org",
                     "[Tessane][URL] tessane://show/%20Nowhere%20 → show(target: \" Nowhere \")",
                     "[Tessane][URL] No workspace matches “ Nowhere ” — ignored.",
                     "[Tessane][URL] tessane://show/0 → show(target: \"0\")",
                     "[Tessane][URL] No workspace matches “0” — ignored.",
                     "[Tessane][URL] tessane://toggle/4 → toggle(target: \"4\")",
                     "[Tessane][URL] No workspace matches “4” — ignored.",
                     "[Tessane][URL] tessane://hide/-1 → hide(target: \"-1\")",
                     "[Tessane][URL] No workspace matches “-1” — ignored.",
                     "[Tessane][URL] tessane://bring/Nope → bringHere(target: \"Nope\")",
                     "[Tessane][URL] No workspace matches “Nope” — ignored.",
                     "[Tessane][URL] Ignored — not a command Tessane understands: tessane://focus/2",
                     "[Tessane][URL] tessane://show/Home → show(target: \"Home\")"}));
}

// A link is outside input: whatever it decodes to, it stays on one log line.
// C1 controls (NEL, CSI), the line and paragraph separators and stray bytes are escaped as C0 ones.
TEST_F(LinkRouterTest, ControlCharactersNeverBreakALogLine) {
    LinkRouter::route({"tessane://show/a%0A[Tessane]%20forged", "tessane://x\n[Tessane] forged",
                       "tessane://show/b%C2%85c%E2%80%A8d", "tessane://x\xC2\x9B" "2J\xE2\x80\xA9\x85"},
                      target);
    EXPECT_EQ(loggedMessages(),
              (Lines{"[Tessane][URL] tessane://show/a%0A[Tessane]%20forged → show(target: \"a\\n[Tessane] forged\")",
                     "[Tessane][URL] No workspace matches “a\\n[Tessane] forged” — ignored.",
                     "[Tessane][URL] Ignored — not a command Tessane understands: tessane://x\\n[Tessane] forged",
                     "[Tessane][URL] tessane://show/b%C2%85c%E2%80%A8d → show(target: \"b\\u{85}c\\u{2028}d\")",
                     "[Tessane][URL] No workspace matches “b\\u{85}c\\u{2028}d” — ignored.",
                     "[Tessane][URL] Ignored — not a command Tessane understands: tessane://x\\u{9B}2J\\u{2029}\\x{85}"}));
}

// Another program may send links as fast as it likes: what it sends is logged in bounded bursts,
// and the burst's end says how many were held back, though no line of the kind comes after it.
TEST_F(LinkRouterTest, AStormOfLinksGivesABoundedNumberOfLines) {
    sim::SimMainQueue queue;
    Log::setLater([&queue](double seconds, std::function<void()> work) { queue.postAfter(seconds, std::move(work)); });
    std::vector<std::string> storm;
    for (int i = 0; i < 300; ++i)
        storm.push_back(i % 3 == 0 ? "tessane://nope" : i % 3 == 1 ? "tessane://show/Nowhere" : "tessane://show/Home");
    LinkRouter::route(storm, target);
    EXPECT_EQ(target.calls.size(), 100u);  // every link that names a workspace is carried out
    EXPECT_EQ(loggedMessagesStarting({"[Tessane][URL] Ignored"}).size(), Log::kBurstLines);
    EXPECT_EQ(loggedMessagesStarting({"[Tessane][URL] No workspace matches"}).size(), Log::kBurstLines);
    EXPECT_EQ(loggedMessagesStarting({"[Tessane][URL] tessane://"}).size(), Log::kBurstLines);
    queue.advance(Log::kBurstSeconds);
    EXPECT_EQ(loggedMessagesStarting({"[Tessane][URL] Ignored"}).back(),
              "[Tessane][URL] Ignored — not a command Tessane understands: tessane://nope (the last of 80 such lines "
              "held back)");
    EXPECT_EQ(loggedMessagesStarting({"[Tessane][URL] No workspace matches"}).size(), Log::kBurstLines + 1);
}

TEST_F(LinkRouterTest, InboxQueuesUntilStartUpFinishesThenRunsInOrder) {
    sim::SimMainQueue queue;
    LinkInbox inbox(queue);
    inbox.receive({"tessane://show/Home", "tessane://focus"});
    inbox.receive({"tessane://hide"});
    inbox.flush();  // no controller yet: nothing runs
    queue.runPending();
    EXPECT_TRUE(target.calls.empty());
    inbox.setTarget(&target);
    inbox.receive({"tessane://solo"});  // from now on, as they come
    inbox.flush();
    inbox.flush();  // emptied once
    queue.runPending();
    EXPECT_EQ(target.calls, (Lines{"solo", "show Home", "focus 1", "hideActive"}));
    EXPECT_TRUE(inbox.pending().empty());
    EXPECT_EQ(loggedMessages(),
              (Lines{"[Tessane][URL] Arrived before launch finished — queued 2: tessane://show/Home, tessane://focus",
                     "[Tessane][URL] Arrived before launch finished — queued 1: tessane://hide",
                     "[Tessane][URL] Launch finished — running 3 queued command(s).",
                     "[Tessane][URL] tessane://solo → solo",
                     "[Tessane][URL] tessane://show/Home → show(target: \"Home\")",
                     "[Tessane][URL] tessane://focus → focus(offset: 1)",
                     "[Tessane][URL] tessane://hide → hide(target: nil)"}));
}

TEST_F(LinkRouterTest, NothingQueuedMeansNoLaunchLine) {
    sim::SimMainQueue queue;
    LinkInbox inbox(queue);
    inbox.setTarget(&target);
    inbox.flush();
    EXPECT_TRUE(loggedMessages().empty());
}

// A flood of messages: one link runs a turn, so whatever else the loop has to do (a hot key)
// waits for one link's work; every link that found room runs, in order; the rest are dropped
// with a bounded number of lines.
TEST_F(LinkRouterTest, InboxRunsOneLinkATurnAndHoldsABoundedNumber) {
    sim::SimMainQueue queue;
    LinkInbox inbox(queue);
    inbox.setTarget(&target);
    std::vector<std::string> message;
    for (int i = 0; i < 64; ++i) message.push_back(i % 2 ? "tessane://show/Home" : "tessane://toggle/Writing");
    for (int m = 0; m < 10; ++m) inbox.receive(message);
    EXPECT_EQ(inbox.waiting(), LinkInbox::kCapacity);
    queue.post([&] { target.calls.push_back("hot key"); });  // pressed as the flood comes in
    queue.runPending();
    ASSERT_EQ(target.calls.size(), LinkInbox::kCapacity + 1);
    EXPECT_EQ(target.calls[1], "hot key");  // served after one link
    target.calls.erase(target.calls.begin() + 1);
    for (size_t i = 0; i < target.calls.size(); ++i) EXPECT_EQ(target.calls[i], i % 2 ? "show Home" : "show Writing");
    EXPECT_EQ(loggedMessagesStarting({"[Tessane][URL] Dropped"}),
              Lines(6, "[Tessane][URL] Dropped 64 link(s) — 256 wait to run already."));
    inbox.receive({"tessane://hide"});  // room again
    queue.runPending();
    EXPECT_EQ(target.calls.back(), "hideActive");
    // Another start's links are queued whole or refused whole, never cut.
    for (int m = 0; m < 3; ++m) EXPECT_TRUE(inbox.offer(message));
    EXPECT_FALSE(inbox.offer(std::vector<std::string>(65, "tessane://hide")));
    EXPECT_EQ(inbox.waiting(), 3 * message.size());
    EXPECT_EQ(loggedMessages().back(), "[Tessane][URL] Refused 65 link(s) from another start — 192 wait to run already.");
}

// On the real controller: what the router reads of it (shown, soloed) and that a toggle of a
// shown workspace asks the controller to hide it.
TEST(ControllerLinkTarget, ReadsTheControllerAndCallsIt) {
    ControllerScenario s;
    s.launchApp("Notes");
    s.launchApp("Mail");
    auto write = s.addWorkspace("Write", {"Notes", "Mail"});
    auto read = s.addWorkspace("Read", {"Notes"});
    s.start();
    s.putUp(write);
    ControllerLinkTarget target(*s.manager, s.controller());
    EXPECT_EQ(target.workspaces().size(), 2u);
    EXPECT_TRUE(target.isShown(write.id));
    EXPECT_FALSE(target.isShown(read.id));
    EXPECT_FALSE(target.isSoloed());

    s.clearLog();
    LinkRouter::route({"tessane://toggle/write"}, target);
    EXPECT_EQ(s.logCount("[Tessane] Hide workspace: "), 1u);
    EXPECT_EQ(s.logCount("[Tessane][URL] tessane://toggle/write → toggle(target: \"write\")"), 1u);
}

}  // namespace
}  // namespace tessane::testing
