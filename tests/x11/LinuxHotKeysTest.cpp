#include "platform/linux/LinuxHotKeys.h"
#include "platform/qt/QtMainQueue.h"
#include "platform/qt/QtX11Pump.h"
#include "x11/X11TestBase.h"

#include <QCoreApplication>

namespace tessane::x11test {
namespace {

using linux_backend::LinuxHotKeys;
constexpr uint32_t kVK1 = 0x12, kVKF7 = 0x62, kVKRight = 0x7C;
constexpr uint32_t optionCommand = CarbonModifiers::option | CarbonModifiers::command;

class LinuxHotKeysTest : public X11TestBase {
protected:
    void SetUp() override {
        X11TestBase::SetUp();
        ensureQtApplication();
        queue_ = std::make_unique<qt_backend::QtMainQueue>();
        pump_ = qt_backend::pumpX11Events(*queue_, *x_);
        keys_ = std::make_unique<LinuxHotKeys>(*x_, *queue_);
        handler_ = keys_->installPressHandler([this](const HotKeyID& id) { pressed_.push_back(id.id); });
    }
    void TearDown() override {
        handler_.reset();
        keys_.reset();
        pump_.reset();
        queue_.reset();
        X11TestBase::TearDown();
    }
    // Types a chord as a user would (XTEST through xdotool), then runs the loop until
    // `expected` presses have arrived, or a moment longer when none more is expected.
    void press(const std::string& chord, size_t expected) {
        ASSERT_EQ(server_->run({"xdotool", "key", chord}), 0);
        const bool more = expected > pressed_.size();
        bool settled = false;
        queue_->postAfter(more ? 5.0 : 0.2, [&] { settled = true; });
        queue_->runUntil([&] { return settled || (more && pressed_.size() >= expected); }, 6);
    }

    std::unique_ptr<qt_backend::QtMainQueue> queue_;
    Subscription pump_;
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

TEST_F(LinuxHotKeysTest, ChordsThatCannotBeOursAreRefusedWithAStatus) {
    auto& other = startClient({"--grab-key", "F7:" + std::to_string(1u << 6)}, /*waitReady=*/false);
    ASSERT_EQ(other.process->waitForLine("grab", 10s), "grabbed");
    EXPECT_EQ(keys_->registerHotKey(kVKF7, CarbonModifiers::command, {0, 1}).status, HotKeys::kHotKeyExists);

    auto first = keys_->registerHotKey(kVKRight, CarbonModifiers::control | CarbonModifiers::command, {0, 2});
    ASSERT_EQ(first.status, HotKeys::kNoError);
    EXPECT_EQ(keys_->registerHotKey(kVKRight, CarbonModifiers::control | CarbonModifiers::command, {0, 3}).status,
              HotKeys::kHotKeyExists);
    EXPECT_EQ(keys_->registerHotKey(0xFF, CarbonModifiers::command, {0, 4}).status, HotKeys::kHotKeyInvalid);
    EXPECT_EQ(keys_->registerHotKey(kVK1, 0x4000 /* caps lock */, {0, 5}).status, HotKeys::kHotKeyInvalid);
}

}  // namespace
}  // namespace tessane::x11test
