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
    EXPECT_FALSE(d->chooseButton()->isEnabled());
    EXPECT_EQ(d->chooseButton()->text(), "Choose");
    d->searchField()->setText("NO");
    EXPECT_EQ(d->visibleNames(), QStringList{"notes"});
    EXPECT_TRUE(d->chooseButton()->isEnabled());
    d->chooseButton()->click();
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(d->chosen(), std::vector<std::filesystem::path>{"/Applications/notes.app"});
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

}  // namespace
}  // namespace tessane::builder_qt
