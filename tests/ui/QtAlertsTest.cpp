#include "platform/qt/QtAlerts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace tessane {
namespace {

class QtAlertsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "tests";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance()) new QApplication(argc, argv);
    }

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
