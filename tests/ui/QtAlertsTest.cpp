#include "platform/qt/QtAlerts.h"
#include "ui/OffscreenApplication.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QIcon>
#include <QMessageBox>
#include <QPixmap>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace tessane {
namespace {

class QtAlertsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { uitest::ensureOffscreenApplication(); }

    // Runs the alert; `user` acts on the box once it is up.
    AlertResponse run(const AlertSpec& details, std::function<void(QMessageBox&)> user) {
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                poll.stop();
                seen = box;
                texts = {box->text(), box->informativeText()};
                buttonTitles.clear();
                for (auto* button : box->buttons()) buttonTitles << button->text();
                user(*box);
            }
        });
        poll.start();
        return QtAlerts().runModal(details);
    }
    static void click(QMessageBox& box, const QString& title) {
        for (auto* button : box.buttons())
            if (button->text() == title) button->click();
    }

    QMessageBox* seen = nullptr;
    QStringList texts;
    QStringList buttonTitles;
};

TEST_F(QtAlertsTest, TheFirstButtonWithTheSuppressionBoxTicked) {
    AlertSpec details;
    details.messageText = "Quit 2 apps in “Write”?";
    details.informativeText = "Quits the apps.";
    details.buttons = {"Quit Apps", "Cancel"};
    details.suppressionTitle = "Don’t ask again";
    const auto response = run(details, [](QMessageBox& box) {
        ASSERT_NE(box.checkBox(), nullptr);
        EXPECT_EQ(box.checkBox()->text(), QString::fromUtf8("Don’t ask again"));
        box.checkBox()->setChecked(true);
        click(box, "Quit Apps");
    });
    EXPECT_EQ(response, (AlertResponse{0, true}));
    EXPECT_EQ(texts, (QStringList{QString::fromUtf8("Quit 2 apps in “Write”?"), "Quits the apps."}));
    EXPECT_TRUE(buttonTitles.contains("Quit Apps"));
    EXPECT_TRUE(buttonTitles.contains("Cancel"));
}

TEST_F(QtAlertsTest, TheSecondButtonAndNoBoxWhenNoneIsAsked) {
    AlertSpec details;
    details.style = AlertSpec::Style::informational;
    details.messageText = "Blocked";
    details.buttons = {"Retry", "Dismiss"};
    const auto response = run(details, [](QMessageBox& box) {
        EXPECT_EQ(box.checkBox(), nullptr);
        click(box, "Dismiss");
    });
    EXPECT_EQ(response, (AlertResponse{1, false}));
}

// Titled with the program's name; a question or notice shows the program's icon, a warning the
// warning sign.
TEST_F(QtAlertsTest, TitledTessaneWithTheProgramsIconForAQuestion) {
    QPixmap own(64, 64);
    own.fill(QColor(0x3d, 0x8f, 0xf5));
    QApplication::setWindowIcon(QIcon(own));
    AlertSpec question;
    question.style = AlertSpec::Style::informational;
    question.messageText = "Add a second Notes pane?";
    question.informativeText = "Tessane can ask it for one using its own menu command: File\u00A0▸\u00A0New\u00A0Window";
    question.buttons = {"File ▸ New Window", "Cancel"};
    run(question, [](QMessageBox& box) {
        EXPECT_EQ(box.windowTitle(), "Tessane");
        EXPECT_EQ(box.icon(), QMessageBox::NoIcon);
        EXPECT_EQ(box.iconPixmap().toImage().pixelColor(32, 32), QColor(0x3d, 0x8f, 0xf5));
        box.adjustSize();
        EXPECT_TRUE(uitest::saveScreenshot(box, "alert-question.png"));
        click(box, "Cancel");
    });
    AlertSpec warning;
    warning.messageText = "Blocked";
    run(warning, [](QMessageBox& box) {
        EXPECT_EQ(box.icon(), QMessageBox::Warning);
        click(box, "OK");
    });
    QApplication::setWindowIcon(QIcon());
}

TEST_F(QtAlertsTest, AnAlertWithoutButtonsGetsOK) {
    AlertSpec details;
    details.messageText = "Workspace is too small for this layout";
    const auto response = run(details, [](QMessageBox& box) { click(box, "OK"); });
    EXPECT_EQ(response, (AlertResponse{0, false}));
    EXPECT_EQ(buttonTitles, (QStringList{"OK"}));
}

TEST_F(QtAlertsTest, ClosingItWithEscapeDismisses) {
    AlertSpec details;
    details.messageText = "Blocked";
    details.buttons = {"Retry", "Dismiss"};
    const auto response = run(details, [](QMessageBox& box) { box.reject(); });
    EXPECT_EQ(response.button, 1u);
}

}  // namespace
}  // namespace tessane
