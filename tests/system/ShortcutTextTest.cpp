#include "system/ShortcutText.h"

#include "system/ShortcutHelp.h"

#include <gtest/gtest.h>

namespace tessane {
namespace {

using shortcut_text::chord;

// Super goes first whatever the mask holds: IceWM lets a chord through only when Super is
// pressed before the other modifiers, and every other manager of the matrix takes that order too.
TEST(ShortcutText, AChordIsWrittenSuperFirstThenCtrlAltShiftThenTheKey) {
    EXPECT_EQ(chord(shortcut_text::kOptionCommand, "H"), "Super+Alt+H");
    EXPECT_EQ(chord(shortcut_text::kShiftOptionCommand, "Tab"), "Super+Alt+Shift+Tab");
    EXPECT_EQ(chord(CarbonModifiers::command | CarbonModifiers::control | CarbonModifiers::option |
                        CarbonModifiers::shift,
                    "Left/Right"),
              "Super+Ctrl+Alt+Shift+Left/Right");
    EXPECT_EQ(chord(CarbonModifiers::control, "Q"), "Ctrl+Q");
    EXPECT_EQ(chord(shortcut_text::kOptionCommand), "Super+Alt") << "the modifiers alone, for \"hold ...\"";

    const auto& rows = ShortcutHelp::all();
    EXPECT_EQ(rows[0].keys, "Super+Alt+Tab, Super+Alt+Shift+Tab");
    EXPECT_EQ(rows[0].summary, "Step through the workspaces while Super and Alt are held");
    EXPECT_EQ(rows[1].keys, "Super+Alt+1–9");
    EXPECT_EQ(rows[4].keys, "Super+Ctrl+Right");
    EXPECT_EQ(rows[6].keys, "Super+Ctrl+Return");
}

}  // namespace
}  // namespace tessane
