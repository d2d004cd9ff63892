// The settings window offscreen: real clicks and keys on its tabs, the workspace list and the
// editor over the real workspace manager and controller on the sim, and screenshots of each tab
// in light and dark for people to look at.
#include "builder/AppChooser.h"
#include "builder/SecondPaneGate.h"
#include "model/AppRegistry.h"
#include "settings/qt/AdvancedTabView.h"
#include "settings/qt/AppRowView.h"
#include "settings/qt/GeneralTabView.h"
#include "settings/qt/QtSettingsDesktop.h"
#include "settings/qt/QtSettingsWindow.h"
#include "settings/qt/SettingsView.h"
#include "settings/qt/WorkspaceEditorView.h"
#include "settings/qt/WorkspacesTabView.h"
#include "shell/qt/QtAppTheme.h"
#include "platform/linux/apps/LinuxAppCatalog.h"
#include "platform/qt/QtIconRenderer.h"
#include "platform/sim/SimLoginItems.h"
#include "support/ControllerScenario.h"
#include "ui/OffscreenApplication.h"
#include "platform/qt/tray/StatusIconPainter.h"  // contrastRatio

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QRegularExpression>
#include <QFormLayout>
#include <QImage>
#include <QTimer>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace tessane::settings_qt {
namespace {

using testing::ControllerScenario;

struct ScriptedChooser final : AppChooser {
    std::vector<std::filesystem::path> chooseApplications(const Request&) override { return answer; }
    std::vector<std::filesystem::path> answer;
};

struct NoSecondPane final : SecondPaneGate {
    bool allowSecondPane(const std::string&, const std::string&, int) override { return false; }
};

class SettingsWindowTest : public ::testing::Test {
protected:
    SettingsWindowTest() {
        uitest::ensureOffscreenApplication();
        static qt_shell::QtAppTheme theme;  // made once, before any theme is applied
        themes = &theme;
        themes->apply(AppTheme::light);
        s.sim.environment.setVersion("1.4.2", "87");
        const std::pair<const char*, uint32_t> apps[] = {
            {"Notes", 0xF2B233FF}, {"Mail", 0x3378E6FF}, {"Terminal", 0x333333FF}, {"Music", 0xE0405AFF}, {"Books", 0x8E5BD0FF}};
        for (auto [name, colour] : apps) {
            s.sim.applications.installApp(std::string("/Applications/") + name + ".app",
                                          {ControllerScenario::bundleID(name), name, name, colour});
        }
    }
    ~SettingsWindowTest() override {
        controller.reset();
        themes->apply(AppTheme::light);
    }

    Workspace addWorkspace(const std::string& name, std::vector<std::string> apps,
                           LayoutType type = LayoutType::leftRightSplit) {
        const auto ws = s.manager->createWorkspace(name);
        s.manager->setLayoutType(type, ws.id);
        for (const auto& app : apps)
            s.manager->addApp(AppRegistry(s.sim.applications).makeManagedApp("/Applications/" + app + ".app"), ws.id);
        return *s.manager->workspace(ws.id);
    }

    // Builds the window controller with the Qt window and shows the window.
    QtSettingsWindow& open() {
        s.start();
        SettingsViewServices services;
        services.general = {.defaults = &s.sim.defaults,
                            .queue = &s.sim.mainQueue,
                            .environment = &s.sim.environment,
                            .loginItem = &loginItem,
                            .captureDiagnostics = [] { return Diagnostics::Snapshot{.appVersion = "1.4.2"}; },
                            .setClipboardText = &setClipboardText,
                            .openURL = [this](const std::string& url) {
                                opened.push_back(url);
                                return true;
                            },
                            .applyTheme = [](AppTheme t) { themes->apply(t); },
                            .revealInFiles = [this](const std::filesystem::path& p) { revealed.push_back(p); }};
        services.editor = {.manager = s.manager.get(),
                           .controller = &s.controller(),
                           .alerts = &s.sim.alerts,
                           .catalog = catalog ? catalog : &s.sim.applications,
                           .chooser = &chooser,
                           .secondPane = &gate};
        SettingsWindowController::Services window;
        window.queue = &s.sim.mainQueue;
        window.screens = &s.sim.screens;
        window.isAppActive = [] { return true; };
        window.activateApp = [] {};
        window.makeWindow = makeWindowFactory(services, s.sim.defaults);
        controller = std::make_unique<SettingsWindowController>(window, [this] { ++newWorkspaces; }, [] {});
        controller->showWindow(std::nullopt);
        settle();
        return static_cast<QtSettingsWindow&>(*controller->window());
    }

    static void settle() {
        for (int i = 0; i < 3; ++i) QApplication::processEvents();
    }
    SettingsView& view() { return *qtWindow().findChild<SettingsView*>(); }
    QtSettingsWindow& qtWindow() { return static_cast<QtSettingsWindow&>(*controller->window()); }
    void clickTab(int index) {
        auto* bar = view().tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
        settle();
    }
    template <typename T>
    T* find(const char* name) {
        return qtWindow().findChild<T*>(name);
    }
    void screenshot(const std::string& file) {
        const char* dir = std::getenv("TESSANE_SCREENSHOT_DIR");
        const auto path = std::filesystem::path(dir ? dir : ".") / file;
        EXPECT_TRUE(qtWindow().grab().save(QString::fromStdString(path.string())));
    }

    static qt_shell::QtAppTheme* themes;
    ControllerScenario s;
    sim::SimLoginItems items;
    LoginItem loginItem{items, s.sim.mainQueue};
    ScriptedChooser chooser;
    NoSecondPane gate;
    std::vector<std::string> opened;
    std::vector<std::filesystem::path> revealed;
    int newWorkspaces = 0;
    const AppCatalog* catalog = nullptr;  // the editor's; the sim's when none
    std::unique_ptr<SettingsWindowController> controller;
};

qt_shell::QtAppTheme* SettingsWindowTest::themes = nullptr;

TEST_F(SettingsWindowTest, OpensAtItsSizeOnWorkspacesAndTheTabsFollowClicksAndTheRouter) {
    addWorkspace("Studio", {"Terminal", "Music", "Books", "Notes"}, LayoutType::grid2x2);
    auto& w = open();
    EXPECT_EQ(w.windowTitle(), "Tessane Settings");
    EXPECT_EQ(w.size(), QSize(780, 640));
    EXPECT_EQ(w.minimumSize(), QSize(660, 420));
    // A workspace's whole editor, down to its actions, without a scroll.
    const QWidget* last = view().workspacesView()->editorView()->actionButton(4);
    EXPECT_TRUE(w.rect().contains(QRect(last->mapTo(&w, QPoint()), last->size())));
    auto& v = view();
    EXPECT_EQ(v.count(), 3);
    EXPECT_EQ(v.tabText(0), "General");
    EXPECT_EQ(v.tabText(2), "Advanced");
    EXPECT_EQ(v.currentIndex(), 1);

    clickTab(0);
    EXPECT_EQ(controller->router().tab(), SettingsRouter::Tab::general);
    QTest::mouseClick(v.generalView()->showMeHowButton(), Qt::LeftButton);
    settle();
    EXPECT_EQ(v.currentIndex(), 2);
    EXPECT_EQ(controller->router().tab(), SettingsRouter::Tab::advanced);
    controller->router().setTab(SettingsRouter::Tab::general);  // as the status menu does
    EXPECT_EQ(v.currentIndex(), 0);

    w.close();  // closing hides; the same window comes back
    EXPECT_FALSE(controller->isWindowVisible());
    controller->showWindow(std::nullopt);
    EXPECT_TRUE(controller->isWindowVisible());
    EXPECT_EQ(&qtWindow(), &w);
}

TEST_F(SettingsWindowTest, TheGeneralTabCopiesDiagnosticsThemesAndKeepsTheLogFile) {
    open();
    clickTab(0);
    auto* general = view().generalView();
    EXPECT_EQ(find<QLabel>("version")->text(), "1.4.2 (build 87)");
    // The shortcuts read as two columns: a clear gap after the longest summary.
    for (auto* keys : general->findChildren<QLabel*>(QRegularExpression("^keys-"))) {
        auto* form = qobject_cast<QFormLayout*>(keys->parentWidget()->layout());
        ASSERT_NE(form, nullptr);
        auto* summary = form->labelForField(keys);
        ASSERT_NE(summary, nullptr);
        EXPECT_GE(keys->x() - summary->x() - summary->sizeHint().width(), 16) << keys->objectName().toStdString();
    }
    EXPECT_FALSE(general->copiedLabel()->isVisible());
    QTest::mouseClick(general->copyDiagnosticsButton(), Qt::LeftButton);
    EXPECT_TRUE(general->copiedLabel()->isVisible());
    EXPECT_TRUE(QGuiApplication::clipboard()->text().startsWith("Tessane"));
    s.advance(3.1);
    EXPECT_FALSE(general->copiedLabel()->isVisible());

    EXPECT_FALSE(general->showInFilesButton()->isVisible());
    QTest::mouseClick(general->keepLogFileToggle(), Qt::LeftButton);
    EXPECT_EQ(s.sim.defaults.boolValue("TessaneLogToFile"), true);
    ASSERT_TRUE(general->showInFilesButton()->isVisible());
    QTest::mouseClick(general->showInFilesButton(), Qt::LeftButton);
    EXPECT_EQ(revealed.size(), 1u);

    QTest::mouseClick(general->themeButton(2), Qt::LeftButton);
    EXPECT_EQ(s.sim.defaults.stringValue("appTheme"), "dark");
    EXPECT_TRUE(general->themeButton(2)->isChecked());
    EXPECT_LT(QApplication::palette().color(QPalette::Window).lightness(), 128);

    QTest::mouseClick(find<QPushButton>("reportBug"), Qt::LeftButton);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].rfind("mailto:", 0), 0u);

    items.bundled = false;  // read again each time the tab is shown
    clickTab(1);
    clickTab(0);
    EXPECT_FALSE(general->launchAtLoginToggle()->isEnabled());
}

TEST_F(SettingsWindowTest, TheListPicksTheFirstWorkspaceAndTheMinusDeletesItAndPicksTheNext) {
    const auto write = addWorkspace("Write", {"Notes", "Mail"});
    const auto desk = addWorkspace("Desk", {"Terminal"}, LayoutType::grid2x2);
    open();
    auto* tab = view().workspacesView();
    settle();
    ASSERT_EQ(tab->listView()->model()->rowCount(), 2);
    ASSERT_NE(tab->editorView(), nullptr);
    EXPECT_EQ(tab->editorView()->editor().workspaceID(), write.id);
    EXPECT_EQ(tab->editorView()->nameField()->text(), "Write");

    // A click on the second row picks it and builds a fresh editor.
    auto* list = tab->listView();
    const auto rowAt = [list](int row) { return list->visualRect(list->model()->index(row, 0)).center(); };
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowAt(1));
    settle();
    EXPECT_EQ(tab->list().selection(), desk.id);
    EXPECT_EQ(tab->editorView()->editor().workspaceID(), desk.id);
    EXPECT_EQ(tab->editorView()->countLabel()->text(), "1 of 4");

    QTest::mouseClick(tab->minusButton(), Qt::LeftButton);
    settle();
    EXPECT_EQ(tab->list().selection(), write.id);
    EXPECT_EQ(list->model()->rowCount(), 1);
    tab->deleteRow(0);
    settle();
    EXPECT_EQ(tab->editorView(), nullptr);
    EXPECT_TRUE(tab->emptyState()->isVisible());
    EXPECT_FALSE(tab->minusButton()->isEnabled());
    QTest::mouseClick(tab->plusButton(), Qt::LeftButton);
    QTest::mouseClick(find<QPushButton>("emptyNewWorkspace"), Qt::LeftButton);
    EXPECT_EQ(newWorkspaces, 2);
}

TEST_F(SettingsWindowTest, TheEditorRenamesWhileTypingAndItsControlsFollowTheStoredWorkspace) {
    const auto desk = addWorkspace("Desk", {"Notes", "Mail", "Terminal"}, LayoutType::grid2x2);
    open();
    auto* editor = view().workspacesView()->editorView();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->countLabel()->text(), "3 of 4");
    EXPECT_EQ(editor->hintLabel()->text(), "“2 × 2 Grid” needs 4 apps — add 1 more.");
    EXPECT_TRUE(editor->addAppButton()->isEnabled());
    EXPECT_FALSE(editor->actionButton(0)->isEnabled());
    EXPECT_EQ(editor->appRows().size(), 3);

    editor->nameField()->selectAll();
    QTest::keyClicks(editor->nameField(), "Studio ");
    EXPECT_EQ(s.manager->workspace(desk.id)->name, "Studio");

    chooser.answer = {"/Applications/Music.app"};
    QTest::mouseClick(editor->addAppButton(), Qt::LeftButton);
    settle();
    EXPECT_EQ(editor->countLabel()->text(), "4 of 4");
    EXPECT_FALSE(editor->hintLabel()->isVisible());
    EXPECT_FALSE(editor->addAppButton()->isEnabled());
    EXPECT_TRUE(editor->actionButton(0)->isEnabled());

    // The layout picker by keyboard: Up from "2 × 2 Grid" is "1 Left / 2 Right".
    QTest::keyClick(editor->layoutPicker(), Qt::Key_Up);
    settle();
    EXPECT_EQ(s.manager->workspace(desk.id)->layout.type, LayoutType::threeLeftOneRightTwo);
    EXPECT_EQ(editor->hintLabel()->text(), "“1 Left / 2 Right” uses 3 apps — remove 1 to fit.");

    // The last row's menu: Remove.
    auto rows = editor->appRows();
    auto* menu = rows.back()->menuButton()->menu();
    QStringList titles;
    for (auto* a : menu->actions())
        if (!a->isSeparator()) titles << a->text();
    EXPECT_EQ(titles, (QStringList{"Make Primary", "Move Up", "Move Down", "Remove"}));
    // It opens inside the window, its right edge in line with the button's.
    QRect opened;
    QTimer::singleShot(0, menu, [&] {
        opened = menu->geometry();
        menu->hide();
    });
    rows.back()->menuButton()->showMenu();
    const QToolButton* button = rows.back()->menuButton();
    EXPECT_TRUE(qtWindow().geometry().contains(opened));
    EXPECT_EQ(opened.right(), button->mapToGlobal(QPoint(button->width() - 1, 0)).x());
    menu->actions().back()->trigger();
    settle();
    EXPECT_EQ(editor->countLabel()->text(), "3 of 3");
    EXPECT_EQ(editor->primaryPicker()->currentText(), "Notes");
}

// A list edited by hand stores no icons: the row shows the one the app's desktop entry names, found
// in the data folders as the desktop finds it, and the stored record stays without one.
TEST_F(SettingsWindowTest, AnAppWithoutAStoredIconShowsTheIconOfItsDesktopEntry) {
    namespace fs = std::filesystem;
    const fs::path root = fs::path(::testing::TempDir()) / "tessane-settings-icons";
    fs::remove_all(root);
    const fs::path icons = root / "share/icons/hicolor";
    fs::create_directories(icons / "128x128/apps");
    std::ofstream(icons / "index.theme") << "[Icon Theme]\nName=Hicolor\nDirectories=128x128/apps\n\n"
                                            "[128x128/apps]\nSize=128\nType=Fixed\n";
    QImage red(128, 128, QImage::Format_ARGB32);
    red.fill(QColor(220, 30, 30));
    ASSERT_TRUE(red.save(QString::fromStdString((icons / "128x128/apps/org.example.Editor.png").string())));
    fs::create_directories(root / "share/applications");
    std::ofstream(root / "share/applications/org.example.Editor.desktop")
        << "[Desktop Entry]\nType=Application\nName=Editor\nIcon=org.example.Editor\nExec=editor\n";
    const LinuxAppCatalog desktop({.dataHome = root / "home/.local/share", .dataDirs = {root / "share"}, .home = root / "home"},
                                  qt_backend::renderIconPng);
    catalog = &desktop;

    const auto ws = s.manager->createWorkspace("Hand-made");
    s.manager->addApp({.displayName = "Editor", .bundleIdentifier = "org.example.Editor"}, ws.id);
    s.manager->addApp({.displayName = "Lost", .bundleIdentifier = "org.example.Lost"}, ws.id);
    open();
    const auto rows = view().workspacesView()->editorView()->appRows();
    ASSERT_EQ(rows.size(), 2);
    const auto iconOf = [](AppRowView* row) {
        const QImage image = row->findChild<QLabel*>()->grab().toImage();
        return image.pixelColor(image.width() / 2, image.height() / 2);
    };
    EXPECT_EQ(iconOf(rows[0]), QColor(220, 30, 30)) << "the desktop entry's icon";
    EXPECT_NE(iconOf(rows[1]), QColor(220, 30, 30)) << "no entry: the placeholder";
    EXPECT_FALSE(s.manager->workspace(ws.id)->apps[0].iconData) << "nothing is written into the list";
    controller.reset();
    fs::remove_all(root);
}

TEST_F(SettingsWindowTest, ALegacyLayoutLeadsThePickerWithItsOwnEntry) {
    addWorkspace("Side", {"Notes", "Mail"}, LayoutType::mainSidebar);
    open();
    auto* editor = view().workspacesView()->editorView();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->layoutPicker()->count(), 9);
    EXPECT_EQ(editor->layoutPicker()->currentText(), "Main + Sidebar (legacy)");
}

TEST_F(SettingsWindowTest, TheFrameIsStoredUnderItsAutosaveNameAndTheWindowIsCentredAfterIt) {
    auto& w = open();
    const Rect frame = w.frame();
    EXPECT_EQ(QtSettingsWindow::toScreen(QtSettingsWindow::fromScreen(frame)), frame);
    w.resize(700, 450);
    settle();
    const auto stored = s.sim.defaults.stringValue("TessaneSettingsWindow");
    ASSERT_TRUE(stored);
    EXPECT_NE(stored->find(" 700 450"), std::string::npos);

    // A later process: the stored size comes back, centred.
    controller.reset();
    open();
    EXPECT_EQ(qtWindow().size(), QSize(700, 450));
}

TEST_F(SettingsWindowTest, OnlyTheAdvancedTabsCommandsAndLinksCanBeSelected) {
    open();
    clickTab(2);
    QStringList selectable, fixed;
    for (auto* label : view().advancedView()->findChildren<QLabel*>()) {
        if (label->text().isEmpty()) continue;
        (label->textInteractionFlags() & Qt::TextSelectableByMouse ? selectable : fixed) << label->text();
    }
    EXPECT_EQ(selectable.size(), 10);  // four commands and six links
    EXPECT_TRUE(selectable.contains("xdg-open tessane://show/Writing"));
    EXPECT_TRUE(selectable.contains("tessane://focus/next"));
    EXPECT_TRUE(fixed.contains("Automation"));
}

TEST_F(SettingsWindowTest, ScreenshotsOfEveryTabInLightAndDark) {
    addWorkspace("Writing", {"Notes", "Mail"});
    addWorkspace("Studio", {"Terminal", "Music", "Books"}, LayoutType::grid2x2);
    addWorkspace("Empty", {});
    open();
    for (bool dark : {false, true}) {
        themes->apply(dark ? AppTheme::dark : AppTheme::light);
        settle();
        const std::string suffix = dark ? "-dark.png" : "-light.png";
        clickTab(0);
        screenshot("settings-general" + suffix);
        // Small accent text (a link, a tag) reads at 4.5:1 on the window and on framed sections.
        const QColor window = QApplication::palette().color(QPalette::Window);
        const auto readable = [&](QWidget* widget, QPalette::ColorRole role) {
            for (const QColor& ground : {window, dark ? window.lighter(115) : window.darker(108)})
                EXPECT_GE(qt_backend::contrastRatio(widget->palette().color(role), ground), 4.5) << widget->objectName().toStdString();
        };
        readable(find<QPushButton>("showMeHow"), QPalette::ButtonText);
        // The chosen theme segment shows in the selection colour, unlike the others.
        const QColor selection = QApplication::palette().color(QPalette::Highlight);
        for (int i = 0; i < 3; ++i) {
            QPushButton* segment = view().generalView()->themeButton(i);
            const QImage face = segment->grab().toImage();
            EXPECT_EQ(face.pixelColor(face.width() / 6, face.height() / 2) == selection, segment->isChecked()) << i;
        }
        clickTab(1);
        screenshot("settings-workspaces" + suffix);
        auto* list = view().workspacesView()->listView();
        const auto rowAt = [list](int row) { return list->visualRect(list->model()->index(row, 0)).center(); };
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowAt(1));
        settle();
        screenshot("settings-editor-mismatch" + suffix);
        EXPECT_GE(qt_backend::contrastRatio(find<QLabel>("hint")->palette().color(QPalette::WindowText), window), 4.5);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowAt(2));
        settle();
        screenshot("settings-editor-empty" + suffix);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowAt(0));
        settle();
        readable(find<QLabel>("primaryBadge"), find<QLabel>("primaryBadge")->foregroundRole());
        clickTab(2);
        screenshot("settings-advanced" + suffix);
    }
}

}  // namespace
}  // namespace tessane::settings_qt
