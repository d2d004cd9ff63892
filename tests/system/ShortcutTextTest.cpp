#include "system/ShortcutText.h"

#include "platform/linux/LinuxHotKeys.h"
#include "platform/sim/SimHotKeys.h"
#include "system/ShortcutHelp.h"

#include <gtest/gtest.h>

namespace tessane {
namespace {

using linux_backend::LinuxHotKeys;

TEST(ShortcutText, UnderIceWMEveryChordShownAnywhereHasSuperFirstAndNothingElseChanges) {
    EXPECT_EQ(LinuxHotKeys::chordOrderUnder("IceWM 3.3.1 (Linux/x86_64)"), ChordOrder::superFirst);
    EXPECT_EQ(LinuxHotKeys::chordOrderUnder("Openbox"), ChordOrder::asWritten);

    sim::SimHotKeys hotKeys;
    hotKeys.setChordOrder(ChordOrder::superFirst);
    {
        const Subscription order = shortcut_text::useOrderOf(hotKeys);
        const auto rows = ShortcutHelp::shown();
        EXPECT_EQ(rows[0].keys, "Super+Alt+Tab");
        EXPECT_EQ(rows[0].summary, "Switch workspace — hold Super+Alt and press Tab to move on");
        EXPECT_EQ(rows[1].keys, "Super+Alt+1–9");
        EXPECT_EQ(rows[4].keys, "Super+Ctrl+Right");
        EXPECT_EQ(shortcut_text::shown("**Ctrl+Super+Left/Right** switch focus · **Alt+Super+H** hide"),
                  "**Super+Ctrl+Left/Right** switch focus · **Super+Alt+H** hide");
        EXPECT_EQ(shortcut_text::shown("Shift+Alt+Super+Tab"), "Super+Shift+Alt+Tab");
        // Chords without Super, and words that only start like a modifier, stay as they are.
        EXPECT_EQ(shortcut_text::shown("Ctrl+Q · Superb Alternatives: Alt+Shift+Super"), "Ctrl+Q · Superb Alternatives: Super+Alt+Shift");
        hotKeys.setChordOrder(ChordOrder::asWritten);  // another manager took over
        EXPECT_EQ(shortcut_text::shown("Alt+Super+H"), "Alt+Super+H");
        hotKeys.setChordOrder(ChordOrder::superFirst);
    }
    EXPECT_EQ(shortcut_text::shown("Alt+Super+H"), "Alt+Super+H") << "no backend to ask once it is gone";
}

}  // namespace
}  // namespace tessane
