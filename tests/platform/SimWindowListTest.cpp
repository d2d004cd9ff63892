#include "platform/sim/SimPlatform.h"

#include <gtest/gtest.h>

using namespace tessane;
using namespace tessane::sim;

namespace {

class SimWindowListTest : public ::testing::Test {
protected:
    SimPlatform sim;
    SimApp& notes = sim.windowServer.addApp(100, "Notes");
    SimApp& mail = sim.windowServer.addApp(200, "Mail");

    std::vector<uint32_t> order(WindowList::Option option = WindowList::Option::allWindows) {
        std::vector<uint32_t> out;
        const auto list = sim.windowList.windows(option);
        for (auto& e : *list) out.push_back(e.number);
        return out;
    }
};

TEST_F(SimWindowListTest, WindowsAreListedFrontToBackAcrossApplications) {
    auto& plan = notes.addWindow({.title = "Plan", .frame = {10, 20, 300, 200}});
    auto& inbox = mail.addWindow({.title = "Inbox"});
    auto& late = notes.addWindow({.title = "Behind", .becomesMain = false});
    // A window that does not become main goes behind its own application's, not behind all.
    EXPECT_EQ(order(), (std::vector{inbox.number(), plan.number(), late.number()}));

    plan.raise();
    EXPECT_EQ(order(), (std::vector{plan.number(), inbox.number(), late.number()}));

    // Activating an application brings all of its windows forward, in their order.
    sim.applications.activate(200);
    auto& draft = mail.addWindow({.title = "Draft", .becomesMain = false});
    sim.applications.activate(100);
    EXPECT_EQ(order(), (std::vector{plan.number(), late.number(), inbox.number(), draft.number()}));

    auto entries = *sim.windowList.windows(WindowList::Option::allWindows);
    EXPECT_EQ(entries[0], (WindowListEntry{plan.number(), 100, "Notes", 0, {10, 20, 300, 200}, true}));

    late.close();
    inbox.setMinimized(true);
    EXPECT_EQ(order(), (std::vector{plan.number(), inbox.number(), draft.number()}));
    EXPECT_EQ(order(WindowList::Option::onScreenOnly), (std::vector{plan.number(), draft.number()}));
}

TEST_F(SimWindowListTest, ScenariosAddForeignWindowsLayersAndAnUnreadableList) {
    auto& plan = notes.addWindow();
    sim.windowList.addForeignWindow({.number = 9, .ownerPid = 300, .ownerName = "Panel", .layer = 3});
    sim.windowList.setLayer(plan.number(), WindowList::kDockLayer);
    auto entries = *sim.windowList.windows(WindowList::Option::onScreenOnly);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].ownerName, "Panel");
    EXPECT_EQ(entries[1].layer, WindowList::kDockLayer);
    sim.windowList.setReadable(false);
    EXPECT_FALSE(sim.windowList.windows(WindowList::Option::allWindows));
}

}  // namespace
