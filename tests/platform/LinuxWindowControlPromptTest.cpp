#include "platform/linux/windows/WindowControlPrompt.h"
#include "platform/sim/SimAlerts.h"
#include "platform/sim/SimMainQueue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessane::linux_backend {
namespace {

// Offers while one alert is waiting or up are swallowed; the alert runs later on the queue, says
// which window manager went, and its first button opens the window-control help.
TEST(WindowControlPrompt, OneAlertAtATimeWhoseFirstButtonOpensTheHelp) {
    sim::SimMainQueue queue;
    sim::SimAlerts alerts;
    std::vector<std::string> opened;
    WindowControlPrompt prompt(alerts, queue, [&](const std::string& url) { opened.push_back(url); return true; }, {});
    alerts.duringModal = [&](const AlertSpec&) { prompt.offer(std::nullopt); };

    prompt.offer(std::string("Openbox"));
    prompt.offer(std::nullopt);
    EXPECT_TRUE(alerts.shown().empty());  // never inside the caller
    queue.runPending();
    ASSERT_EQ(alerts.shown().size(), 1u);
    EXPECT_EQ(alerts.shown()[0].messageText, "Tessane can’t move windows here");
    EXPECT_TRUE(alerts.shown()[0].informativeText.starts_with(
        "The window manager (Openbox) has exited, and no other has taken its place."));
    EXPECT_EQ(alerts.shown()[0].buttons, (std::vector<std::string>{"Open Window Control Help", "Dismiss"}));
    EXPECT_EQ(opened, (std::vector<std::string>{"help:tessane/window-control"}));

    alerts.duringModal = nullptr;
    alerts.answer(1);
    prompt.offer(std::nullopt);  // the next show: the alert again, dismissed
    queue.runPending();
    ASSERT_EQ(alerts.shown().size(), 2u);
    EXPECT_TRUE(alerts.shown()[1].informativeText.starts_with("No window manager that Tessane can work with"));
    EXPECT_EQ(opened.size(), 1u);

    // A manager that is not answering is told of once a run, however often it stops.
    prompt.offerNotAnswering("Openbox");
    queue.runPending();
    prompt.offerNotAnswering("Openbox");
    queue.runPending();
    ASSERT_EQ(alerts.shown().size(), 3u);
    EXPECT_EQ(alerts.shown()[2].messageText, "The window manager is not answering");
    EXPECT_TRUE(alerts.shown()[2].informativeText.starts_with("The window manager (Openbox) did not answer"));
}

}  // namespace
}  // namespace tessane::linux_backend
