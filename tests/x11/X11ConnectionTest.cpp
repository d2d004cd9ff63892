#include "x11/X11TestBase.h"

#include <X11/keysym.h>

#include <algorithm>

namespace tessane::x11test {
namespace {

using linux_backend::X11Status;
using linux_backend::XWindowId;

class X11ConnectionTest : public X11TestBase {};

bool contains(const std::optional<std::vector<XWindowId>>& list, XWindowId w) {
    return list && std::find(list->begin(), list->end(), w) != list->end();
}

TEST_F(X11ConnectionTest, SeesTheWindowManagerAndAClientWithItsProperties) {
    EXPECT_EQ(x_->windowManagerName(), "Openbox");

    auto& client = startClient({"--class", "alpha.Alpha", "--title", "Grüße", "--min", "300x200"});
    ASSERT_EQ(client.windows.size(), 1u);
    const XWindowId w = client.windows[0];
    ASSERT_TRUE(waitFor([&] { return contains(x_->windowList(x_->root(), "_NET_CLIENT_LIST"), w); }));

    EXPECT_EQ(x_->text(w, "_NET_WM_NAME"), "Grüße");
    auto wmClass = x_->wmClass(w);
    ASSERT_TRUE(wmClass);
    EXPECT_EQ(wmClass->first, "alpha");
    EXPECT_EQ(wmClass->second, "Alpha");
    auto pid = x_->cardinals(w, "_NET_WM_PID");
    ASSERT_TRUE(pid && !pid->empty());
    EXPECT_EQ((*pid)[0], client.process->pid());
    auto hints = x_->normalHints(w);
    ASSERT_TRUE(hints && hints->minSize);
    EXPECT_EQ(*hints->minSize, (Size{300, 200}));
    auto g = x_->geometry(w);
    ASSERT_TRUE(g);
    EXPECT_TRUE(g->viewable);
    EXPECT_EQ(g->rootRect.size, (Size{400, 300}));
}

TEST_F(X11ConnectionTest, FindsThePidOfAClientWithoutNetWmPidThroughTheServer) {
    auto& client = startClient({"--no-pid"});
    ASSERT_EQ(client.windows.size(), 1u);
    EXPECT_FALSE(x_->cardinals(client.windows[0], "_NET_WM_PID"));
    EXPECT_EQ(x_->clientPidFromServer(client.windows[0]), client.process->pid());
}

TEST_F(X11ConnectionTest, RequestsAboutAVanishedWindowAnswerWithoutCrashingOrLogging) {
    auto& client = startClient({});
    const XWindowId w = client.windows[0];
    ASSERT_TRUE(x_->windowExists(w));
    client.process->writeLine("close");
    ASSERT_TRUE(client.process->wait(5s));
    ASSERT_TRUE(waitFor([&] { return !x_->windowExists(w); }));

    EXPECT_FALSE(x_->geometry(w));
    EXPECT_FALSE(x_->text(w, "_NET_WM_NAME"));
    EXPECT_FALSE(x_->wmClass(w));
    EXPECT_FALSE(x_->normalHints(w));
    EXPECT_EQ(x_->selectInput(w, 1L << 17).error, X11Status::badWindow);
    EXPECT_EQ(x_->requestMap(w).error, X11Status::badWindow);
    x_->requestMoveResize(w, Point{0, 0}, Size{100, 100});
    EXPECT_EQ(x_->requestConfigure(w, Point{0, 0}, Size{100, 100}).error, X11Status::badWindow);
    x_->requestActivate(w);
    x_->requestIconify(w);
    x_->sync();
    x_->processEvents();
    EXPECT_TRUE(logLines_.empty()) << logLines_.front();
    EXPECT_EQ(x_->windowManagerName(), "Openbox");  // the connection still works
}

TEST_F(X11ConnectionTest, AKeyChordGrabbedByAnotherClientIsRefusedWithBadAccess) {
    const uint32_t mod4 = 1u << 6;
    auto& other = startClient({"--grab-key", "F7:" + std::to_string(mod4)}, /*waitReady=*/false);
    ASSERT_EQ(other.process->waitForLine("grab", 10s), "grabbed");

    const uint32_t f7 = x_->keycodeForKeysym(XK_F7);
    ASSERT_NE(f7, 0u);
    EXPECT_EQ(x_->grabKey(f7, mod4).error, X11Status::badAccess);
    const uint32_t f8 = x_->keycodeForKeysym(XK_F8);
    EXPECT_TRUE(x_->grabKey(f8, mod4).ok());
    x_->ungrabKey(f8, mod4);
}

}  // namespace
}  // namespace tessane::x11test
