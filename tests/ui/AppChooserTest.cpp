// The application chooser offscreen: the catalogue's applications by name, narrowed as the user
// types, chosen by the confirm button, a double click or "Other…".
#include "builder/qt/QtAppChooser.h"
#include "platform/sim/SimApplications.h"
#include "ui/OffscreenApplication.h"

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>


namespace tessane::builder_qt {
namespace {

class AppChooserTest : public ::testing::Test {
protected:
    AppChooserTest() {
        uitest::ensureOffscreenApplication();
        for (const char* n : {"Terminal", "notes", "Mail"})
            catalog.installApp(std::string("/Applications/") + n + ".app", {std::string("org.example.") + n, n, n});
        catalog.installApp("/Applications/Broken.app", {"org.example.Broken", "Broken", "Broken", 0, false});
        catalog.addFile("/Applications/Readme.app");  // not an application: not listed
    }

    std::unique_ptr<AppChooserDialog> dialog(bool multiple, AppChooserDialog::OtherPicker other = nullptr) {
        AppChooser::Request request;
        request.message = "Choose an application for this pane.";
        request.multipleSelection = multiple;
        return std::make_unique<AppChooserDialog>(chooser.entries(), request, std::move(other));
    }

    sim::SimApplications catalog;
    QtAppChooser chooser{catalog, [] {
                             return std::vector<std::filesystem::path>{
                                 "/Applications/Terminal.app", "/Applications/notes.app", "/Applications/Mail.app",
                                 "/Applications/Broken.app", "/Applications/Readme.app"};
                         }};
};

TEST_F(AppChooserTest, ListsTheCatalogueByNameWithIcons) {
    auto entries = chooser.entries();
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].name, "Broken");
    // An icon that does not render leaves an empty one in its place, so that the names align.
    ASSERT_FALSE(entries[0].icon.isNull());
    const QImage blank = entries[0].icon.pixmap(32, 32).toImage();
    EXPECT_EQ(blank.size(), QSize(32, 32));
    EXPECT_EQ(qAlpha(blank.pixel(16, 16)), 0);
    EXPECT_EQ(entries[1].name, "Mail");
    EXPECT_FALSE(entries[1].icon.isNull());
    EXPECT_EQ(entries[2].name, "notes");
    EXPECT_EQ(entries[3].name, "Terminal");
}

TEST_F(AppChooserTest, TypingNarrowsAndChooseTakesTheOneLeft) {
    auto d = dialog(false);
    EXPECT_EQ(d->windowTitle(), "Choose an Application");
    d->show();
    EXPECT_TRUE(uitest::saveScreenshot(*d, "chooser.png"));
    EXPECT_FALSE(d->chooseButton()->isEnabled());
    EXPECT_EQ(d->chooseButton()->text(), "Choose");
    d->searchField()->setText("NO");
    EXPECT_EQ(d->visibleNames(), QStringList{"notes"});
    EXPECT_TRUE(d->chooseButton()->isEnabled());
    d->chooseButton()->click();
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(d->chosen(), std::vector<std::filesystem::path>{"/Applications/notes.app"});

    // The exact name first, then the names that start with it, then the rest; a chosen row stays chosen.
    std::vector<AppChooserDialog::Entry> entries;
    for (const char* n : {"Koi8rXTerm", "UXTerm", "XTerm", "XTerm (wide)"}) entries.push_back({n, n, {}});
    AppChooserDialog terms(entries, {}, nullptr);
    terms.list()->item(1)->setSelected(true);
    terms.searchField()->setText("xterm");
    EXPECT_EQ(terms.visibleNames(), (QStringList{"XTerm", "XTerm (wide)", "Koi8rXTerm", "UXTerm"}));
    EXPECT_TRUE(terms.list()->findItems("UXTerm", Qt::MatchExactly).value(0)->isSelected());
    terms.searchField()->clear();
    EXPECT_EQ(terms.visibleNames(), (QStringList{"Koi8rXTerm", "UXTerm", "XTerm", "XTerm (wide)"}));
}

// A launcher's keys, all from the search field: typing filters, Down and Up move among the rows
// left, Return takes the selected row or the first one left, Escape cancels.
TEST_F(AppChooserTest, TheKeyboardAloneChoosesFromTheSearchField) {
    auto d = dialog(false);
    d->show();
    QTest::keyClick(d->searchField(), Qt::Key_Return);
    EXPECT_TRUE(d->isVisible()) << "nothing typed nor selected: Return takes nothing";
    QTest::keyClicks(d->searchField(), "m");  // Mail and Terminal
    QTest::keyClick(d->searchField(), Qt::Key_Down);
    QTest::keyClick(d->searchField(), Qt::Key_Down);
    QTest::keyClick(d->searchField(), Qt::Key_Down);  // stays on the last
    QTest::keyClick(d->searchField(), Qt::Key_Up);
    EXPECT_EQ(d->list()->selectedItems().size(), 1);
    EXPECT_TRUE(d->chooseButton()->isEnabled());
    QTest::keyClick(d->searchField(), Qt::Key_Return);
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(d->chosen(), std::vector<std::filesystem::path>{"/Applications/Mail.app"});

    auto multiple = dialog(true);
    multiple->show();
    multiple->list()->setFocus();
    QTest::keyClicks(multiple->list(), "t");  // typed in the list, it goes on with the search
    EXPECT_EQ(multiple->visibleNames(), (QStringList{"Terminal", "notes"}));
    QTest::keyClick(multiple->searchField(), Qt::Key_Enter);
    EXPECT_EQ(multiple->chosen(), std::vector<std::filesystem::path>{"/Applications/Terminal.app"});

    auto cancelled = dialog(false);
    cancelled->show();
    QTest::keyClick(cancelled->searchField(), Qt::Key_Down);
    QTest::keyClick(cancelled->searchField(), Qt::Key_Escape);
    EXPECT_EQ(cancelled->result(), QDialog::Rejected);
    EXPECT_FALSE(cancelled->isVisible());
}

TEST_F(AppChooserTest, SeveralMayBeChosenAndHiddenRowsAreNot) {
    auto d = dialog(true);
    for (int i = 0; i < d->list()->count(); ++i) d->list()->item(i)->setSelected(true);
    d->searchField()->setText("m");  // Mail and Terminal
    EXPECT_EQ(d->visibleNames(), (QStringList{"Mail", "Terminal"}));
    d->chooseButton()->click();
    EXPECT_EQ(d->chosen(), (std::vector<std::filesystem::path>{"/Applications/Mail.app", "/Applications/Terminal.app"}));
}

TEST_F(AppChooserTest, OtherFallsBackToAFileDialog) {
    bool askedMultiple = true;
    std::vector<std::filesystem::path> answer;
    auto d = dialog(false, [&](QWidget*, bool multiple) {
        askedMultiple = multiple;
        return answer;
    });
    d->otherButton()->click();  // cancelled: the chooser stays
    EXPECT_FALSE(askedMultiple);
    EXPECT_NE(d->result(), QDialog::Accepted);
    answer = {"/home/me/.local/share/applications/tool.desktop"};
    d->otherButton()->click();
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(d->chosen(), answer);
}

// The chooser serves the window whose button asked: the active one, else the builder floating
// above the settings window, else the settings window; none when neither is open.
TEST_F(AppChooserTest, ItServesTheBuilderOrTheSettingsWindow) {
    EXPECT_EQ(QtAppChooser::servedWindow(), nullptr);
    QWidget settings, builder;
    settings.setObjectName("settingsWindow");
    builder.setObjectName("builderPanel");
    settings.show();
    EXPECT_EQ(QtAppChooser::servedWindow(), &settings);
    builder.show();
    EXPECT_EQ(QtAppChooser::servedWindow(), &builder);
    settings.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&settings));
    EXPECT_EQ(QtAppChooser::servedWindow(), &settings);
}

}  // namespace
}  // namespace tessane::builder_qt
