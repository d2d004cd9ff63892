#include "settings/AdvancedTab.h"

#include <gtest/gtest.h>

namespace tessane {
namespace {

TEST(AdvancedTab, ListsTheDesktopsOwnCommandsAndNamesNoMacProduct) {
    const auto lines = advanced_tab::exampleLines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "xdg-open tessane://show/Writing");
    EXPECT_EQ(advanced_tab::verbRows().size(), 6u);
    for (const char* text : {advanced_tab::kShortcutsIntro, advanced_tab::kAutomationIntro}) {
        for (const char* mac : {"Raycast", "Alfred", "Keyboard Maestro", "Stream Deck", "Shortcuts action", "Mac"})
            EXPECT_EQ(std::string(text).find(mac), std::string::npos) << mac;
    }
    EXPECT_NE(std::string(advanced_tab::kAutomationIntro).find("xdotool"), std::string::npos);
}

}  // namespace
}  // namespace tessane
