#include "platform/Accessibility.h"
#include "platform/linux/windows/NewWindowAction.h"

#include "support/Waiting.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace tessane {
namespace {

using linux_desktop::NewWindowAction;
using linux_backend::NewWindowMenu;

TEST(NewWindowAction, TheFirstNewWindowActionWithAnExecLineIsTaken) {
    struct Case {
        const char* name;
        const char* text;
        std::optional<NewWindowAction> expected;
    } cases[] = {
        {"the common name",
         "[Desktop Entry]\nName=Ed\nExec=ed %F\nActions=new-window;quit;\n\n[Desktop Action new-window]\nName=New "
         "Window\nExec=ed --new-window\n",
         NewWindowAction{"new-window", "ed --new-window"}},
        {"camel case, after another action",
         "[Desktop Entry]\nActions=Quit;NewWindow;\n[Desktop Action Quit]\nExec=ed --quit\n[Desktop Action "
         "NewWindow]\nExec=ed -n\n",
         NewWindowAction{"NewWindow", "ed -n"}},
        {"an empty window",
         "[Desktop Entry]\nActions=new-empty-window\n[Desktop Action new-empty-window]\nExec=code --new-window\n",
         NewWindowAction{"new-empty-window", "code --new-window"}},
        {"listed without its group", "[Desktop Entry]\nActions=new-window;\n", std::nullopt},
        {"a group that is not listed", "[Desktop Entry]\nActions=\n[Desktop Action new-window]\nExec=ed\n", std::nullopt},
        {"an empty Exec", "[Desktop Entry]\nActions=new-window;\n[Desktop Action new-window]\nExec=  \n", std::nullopt},
        {"no actions", "[Desktop Entry]\nExec=ed\n", std::nullopt},
        {"not an entry", "[Something]\nActions=new-window\n", std::nullopt},
        {"a private window is not a new window",
         "[Desktop Entry]\nActions=new-private-window;\n[Desktop Action new-private-window]\nExec=fx -p\n",
         std::nullopt},
    };
    for (const auto& c : cases) {
        const auto got = NewWindowAction::parse(c.text);
        ASSERT_EQ(got.has_value(), c.expected.has_value()) << c.name;
        if (got) {
            EXPECT_EQ(got->id, c.expected->id) << c.name;
            EXPECT_EQ(got->exec, c.expected->exec) << c.name;
        }
    }
}

class NewWindowMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() / ("tessane-nwm-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        std::ofstream(folder / "ed.desktop")
            << "[Desktop Entry]\nType=Application\nName=Ed\nExec=ed\nActions=new-window;\n[Desktop Action "
               "new-window]\nExec=touch " +
                   (folder / "pressed").string() + "\n";
        std::ofstream(folder / "plain.desktop") << "[Desktop Entry]\nType=Application\nName=Plain\nExec=plain\n";
        menu.setEntryLookup([this](Pid pid) -> std::optional<std::filesystem::path> {
            if (pid == 10) return folder / "ed.desktop";
            if (pid == 20) return folder / "plain.desktop";
            return std::nullopt;
        });
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::vector<AXElement> children(const AXElement& e) {
        std::vector<AXElement> out;
        const auto r = menu.attribute(e, ax::kChildren);
        if (!r.ok()) return out;
        for (const auto& v : *r.value.asArray())
            if (auto el = v.asElement()) out.push_back(*el);
        return out;
    }

    std::filesystem::path folder;
    NewWindowMenu menu;
};

TEST_F(NewWindowMenuTest, OneFileMenuWithOneEnabledCommandNItemWhosePressRunsTheAction) {
    ASSERT_TRUE(menu.menuBar(10));
    EXPECT_FALSE(menu.menuBar(20));  // no action: no menu bar
    EXPECT_FALSE(menu.menuBar(30));  // no entry
    const auto bar = *menu.menuBar(10);
    EXPECT_TRUE(NewWindowMenu::owns(bar));
    EXPECT_EQ(NewWindowMenu::pidOf(bar), 10);
    const auto barItems = children(bar);
    ASSERT_EQ(barItems.size(), 1u);
    EXPECT_EQ(menu.attribute(barItems[0], ax::kTitle).value.asString(), "File");
    const auto menus = children(barItems[0]);
    ASSERT_EQ(menus.size(), 1u);
    const auto items = children(menus[0]);
    ASSERT_EQ(items.size(), 1u);
    const AXElement item = items[0];
    EXPECT_EQ(menu.attribute(item, ax::kTitle).value.asString(), "New Window");
    EXPECT_EQ(menu.attribute(item, ax::kMenuItemCmdChar).value.asString(), "N");
    EXPECT_EQ(menu.attribute(item, ax::kMenuItemCmdModifiers).value.asNumber(), 0);
    EXPECT_EQ(menu.attribute(item, ax::kEnabled).value.asBoolean(), true);

    EXPECT_EQ(menu.performAction(bar, ax::kPress), AXError::actionUnsupported);
    EXPECT_EQ(menu.performAction(item, ax::kPress), AXError::success);
    EXPECT_TRUE(testing::waitFor([&] { return std::filesystem::exists(folder / "pressed"); }));
}

TEST_F(NewWindowMenuTest, ElementsOfAProcessWhoseEntryLostItsActionAreGone) {
    const auto bar = *menu.menuBar(10);
    std::ofstream(folder / "ed.desktop", std::ios::trunc) << "[Desktop Entry]\nType=Application\nName=Ed\nExec=ed\n";
    EXPECT_EQ(menu.attribute(bar, ax::kChildren).error, AXError::invalidUIElement);
    EXPECT_FALSE(NewWindowMenu::owns(AXElement::fromHandle(0x1234)));           // a window
    EXPECT_FALSE(NewWindowMenu::owns(AXElement::fromHandle((1ull << 62) | 7)));  // an application
}

}  // namespace
}  // namespace tessane
