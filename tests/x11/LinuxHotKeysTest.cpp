#include "platform/linux/x11/LinuxHotKeys.h"
#include "platform/qt/QtMainQueue.h"
#include "platform/qt/QtX11Pump.h"
#include "system/ShortcutText.h"
#include "x11/X11TestBase.h"

#include <QCoreApplication>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cctype>

namespace tessane::x11test {
namespace {

using linux_backend::LinuxHotKeys;
constexpr uint32_t kVK1 = 0x12, kVKF7 = 0x62, kVKF8 = 0x64;
constexpr uint32_t optionCommand = CarbonModifiers::option | CarbonModifiers::command;

class LinuxHotKeysTest : public X11TestBase {
protected:
    void SetUp() override {
        X11TestBase::SetUp();
        ensureQtApplication();
        queue_ = std::make_unique<qt_backend::QtMainQueue>();
        pump_ = qt_backend::pumpX11Events(*queue_, *x_);
        keys_ = std::make_unique<LinuxHotKeys>(*x_, *queue_, [this](const std::string& line) {
            if (line.find("Hot key") != std::string::npos) hotKeyLog_.push_back(line);
        });
        handler_ = keys_->installPressHandler([this](const HotKeyID& id) { pressed_.push_back(id.id); });
    }
    void TearDown() override {
        handler_.reset();
        keys_.reset();
        // The server lives as long as the suite: give the next test the keyboard it started with.
        if (remapped_)
            server_->run({"xmodmap", "-e", "keycode 10 = 1 exclam", "-e", "keycode 93 =", "-e",
                          "clear mod3", "-e", "add mod2 = Num_Lock"});
        pump_.reset();
        queue_.reset();
        X11TestBase::TearDown();
    }
    // Types a chord as a user would (XTEST through xdotool), then runs the loop until
    // `expected` presses have arrived. When none more is expected, until the chord has been
    // handled: once the server holds every key up again (a manager that froze the keyboard for a
    // grab of its own has let the events go on), it has sent us whatever key events the chord
    // made; a round trip puts them in hand, and a press they made is posted before a mark posted
    // after them is run.
    void press(const std::string& chord, size_t expected) {
        ASSERT_EQ(server_->run({"xdotool", "key", chord}), 0);
        if (expected > pressed_.size()) {
            waitFor([&] { return pressed_.size() >= expected; });
            return;
        }
        ASSERT_TRUE(waitFor([&] {
            char down[32];
            XQueryKeymap(x_->display(), down);
            return std::all_of(std::begin(down), std::end(down), [](char keys) { return keys == 0; });
        })) << "a key of " << chord << " stays down";
        x_->sync();
        x_->processEvents();
        bool handled = false;
        queue_->post([&] { handled = true; });
        ASSERT_TRUE(waitFor([&] { return handled; }));
    }

    // Changes the keyboard mapping with xmodmap and runs the loop until the change has arrived
    // (`arrived` holds) and every later one too: xmodmap sends one change per expression, and a
    // press must not race the grabs that follow the last one.
    void remap(const std::vector<std::string>& expressions, const std::function<bool()>& arrived) {
        remapped_ = true;
        std::vector<std::string> argv{"xmodmap"};
        for (auto& e : expressions) argv.insert(argv.end(), {"-e", e});
        ASSERT_EQ(server_->run(argv), 0);
        ASSERT_TRUE(waitFor(arrived)) << "the mapping change did not arrive";
        // xmodmap has ended: the server has sent every notification of its changes before it
        // answers a round trip of ours, and each is followed as it is read.
        x_->sync();
        x_->processEvents();
    }
    uint32_t keycodeOf(unsigned long keysym) { return x_->keycodeForKeysym(keysym); }
    // How many grabs one chord takes: one per state of the lock keys the server has.
    uint64_t lockVariantCount() {
        uint64_t count = 2;  // Caps Lock
        for (uint32_t mask : {x_->numLockMask(), x_->scrollLockMask()}) count *= mask ? 2 : 1;
        return count;
    }

    std::unique_ptr<qt_backend::QtMainQueue> queue_;
    Subscription pump_;
    bool remapped_ = false;
    std::vector<std::string> hotKeyLog_;
    std::unique_ptr<LinuxHotKeys> keys_;
    Subscription handler_;
    std::vector<uint32_t> pressed_;
};

TEST_F(LinuxHotKeysTest, ARegisteredChordIsDeliveredOncePerPressWhateverTheLockKeys) {
    auto r = keys_->registerHotKey(kVK1, optionCommand, {0x54534E45, 7});
    ASSERT_EQ(r.status, HotKeys::kNoError);
    EXPECT_NE(r.ref, 0u);

    press("super+alt+1", 1);
    EXPECT_EQ(pressed_, (std::vector<uint32_t>{7}));
    press("alt+1", 1);  // another chord on the same key: not ours
    EXPECT_EQ(pressed_.size(), 1u);

    press("Num_Lock", 1);
    press("super+alt+1", 2);
    press("Num_Lock", 2);
    EXPECT_EQ(pressed_, (std::vector<uint32_t>{7, 7}));

    keys_->unregisterHotKey(r.ref);
    press("super+alt+1", 2);
    EXPECT_EQ(pressed_.size(), 2u);
    // Released, the chord can be had again.
    EXPECT_EQ(keys_->registerHotKey(kVK1, optionCommand, {0, 8}).status, HotKeys::kNoError);
}

TEST_F(LinuxHotKeysTest, AChordPressedInTheOrderItIsShownReachesUsUnderThisWindowManager) {
    constexpr uint32_t kVKH = 0x04;
    ASSERT_EQ(keys_->registerHotKey(kVKH, optionCommand, {0, 9}).status, HotKeys::kNoError);
    const std::string shown = shortcut_text::chord(optionCommand, "H");
    std::string typed;  // as xdotool names the keys
    for (char c : shown) typed += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    press(typed, 1);
    EXPECT_EQ(pressed_, (std::vector<uint32_t>{9})) << "pressed as shown: " << shown;
}

// Chords none of the matrix's managers binds for itself (Fluxbox takes Super+F7 and Super+Ctrl+Right).
TEST_F(LinuxHotKeysTest, ChordsThatCannotBeOursAreRefusedWithAStatus) {
    auto& other = startClient({"--grab-key", "F7:" + std::to_string((1u << 6) | (1u << 3))}, /*waitReady=*/false);
    ASSERT_EQ(other.process->waitForLine("grab", kAnswer.limit), "grabbed");
    EXPECT_EQ(keys_->registerHotKey(kVKF7, optionCommand, {0, 1}).status, HotKeys::kHotKeyExists);

    auto first = keys_->registerHotKey(kVKF8, optionCommand, {0, 2});
    ASSERT_EQ(first.status, HotKeys::kNoError);
    EXPECT_EQ(keys_->registerHotKey(kVKF8, optionCommand, {0, 3}).status, HotKeys::kHotKeyExists);
    EXPECT_EQ(keys_->registerHotKey(0xFF, CarbonModifiers::command, {0, 4}).status, HotKeys::kHotKeyInvalid);
    EXPECT_EQ(keys_->registerHotKey(kVK1, 0x4000 /* caps lock */, {0, 5}).status, HotKeys::kHotKeyInvalid);
}

// Keycode 10 types "1" on the test server's keyboard and keycode 93 types nothing.
TEST_F(LinuxHotKeysTest, AChordFollowsItsKeyWhenTheKeyboardMappingChanges) {
    ASSERT_EQ(keycodeOf(XK_1), 10u);
    ASSERT_EQ(keys_->registerHotKey(kVK1, optionCommand, {0, 7}).status, HotKeys::kNoError);

    remap({"keycode 93 = 1 exclam", "keycode 10 = F30"}, [&] { return keycodeOf(XK_1) == 93; });
    ASSERT_EQ(keycodeOf(XK_F30), 10u);  // so that xdotool presses the old key itself
    press("super+alt+1", 1);            // keycode 93
    EXPECT_EQ(pressed_, (std::vector<uint32_t>{7}));
    press("super+alt+F30", 1);  // keycode 10: no longer the chord
    EXPECT_EQ(pressed_.size(), 1u);

    remap({"keycode 10 = 1 exclam", "keycode 93 = F30"}, [&] { return keycodeOf(XK_1) == 10; });
    press("super+alt+F30", 1);
    press("super+alt+1", 2);
    EXPECT_EQ(pressed_, (std::vector<uint32_t>{7, 7}));
    EXPECT_TRUE(hotKeyLog_.empty());
}

// The server tells of a keyboard change each time typing moves to a keyboard with another map,
// at that keyboard's first key: a chord typed there must find its grab still held. Each grab taken
// again waits for the server's answer; keeping them asks for none.
TEST_F(LinuxHotKeysTest, AKeyboardChangeThatMovesNoChordKeepsEveryGrab) {
    constexpr uint32_t kVK2 = 0x13, kVK3 = 0x14;
    for (uint32_t key : {kVK1, kVK2, kVK3})
        ASSERT_EQ(keys_->registerHotKey(key, optionCommand, {0, key}).status, HotKeys::kNoError);
    const uint64_t grabs = 3 * lockVariantCount(), before = x_->roundTrips();
    remap({"keycode 93 = F31"}, [&] { return keycodeOf(XK_F31) == 93; });
    EXPECT_LT(x_->roundTrips() - before, grabs) << "the chords were grabbed again";
    press("super+alt+2", 1);
    EXPECT_EQ(pressed_, (std::vector<uint32_t>{kVK2}));
    EXPECT_TRUE(hotKeyLog_.empty());
}

TEST_F(LinuxHotKeysTest, AChordStillWorksWhenNumLockMovesToAnotherModifier) {
    ASSERT_EQ(x_->numLockMask(), 1u << 4);  // Mod2
    ASSERT_EQ(keys_->registerHotKey(kVK1, optionCommand, {0, 7}).status, HotKeys::kNoError);

    remap({"remove mod2 = Num_Lock", "add mod3 = Num_Lock"}, [&] { return x_->numLockMask() == 1u << 5; });
    press("Num_Lock", 0);  // on: every key event now carries Mod3
    press("super+alt+1", 1);
    press("Num_Lock", 1);
    EXPECT_EQ(pressed_, (std::vector<uint32_t>{7}));
}

TEST_F(LinuxHotKeysTest, AChordThatCannotBeHadAfterAChangeWaitsForTheNextOne) {
    ASSERT_EQ(keys_->registerHotKey(kVK1, optionCommand, {0, 7}).status, HotKeys::kNoError);
    remap({"keycode 93 = F31"}, [&] { return keycodeOf(XK_F31) == 93; });
    auto& other = startClient({"--grab-key", "F31:" + std::to_string((1u << 6) | (1u << 3))}, /*waitReady=*/false);
    ASSERT_EQ(other.process->waitForLine("grab", kAnswer.limit), "grabbed");

    // "1" moves to the key another client holds Super+Alt on.
    remap({"keycode 93 = 1 exclam", "keycode 10 = F30"}, [&] { return keycodeOf(XK_1) == 93; });
    EXPECT_EQ(hotKeyLog_, (std::vector<std::string>{
                              "[Tessane] Hot key 7 is unavailable after a keyboard change "
                              "(another application holds the chord)."}));
    press("super+alt+1", 0);
    press("super+alt+F30", 0);
    EXPECT_TRUE(pressed_.empty());

    // Then no key types it at all: still unavailable, and said only once.
    remap({"keycode 93 = F31"}, [&] { return keycodeOf(XK_1) == 0; });
    EXPECT_EQ(hotKeyLog_.size(), 1u);

    // Back on a free key, it is grabbed again.
    remap({"keycode 10 = 1 exclam"}, [&] { return keycodeOf(XK_1) == 10; });
    press("super+alt+1", 1);
    EXPECT_EQ(pressed_, (std::vector<uint32_t>{7}));
    EXPECT_EQ(hotKeyLog_.size(), 1u);
}

}  // namespace
}  // namespace tessane::x11test
