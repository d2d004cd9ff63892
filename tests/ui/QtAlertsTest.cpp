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
    AlertResponse run(const AlertSpec& spec, std::function<void(QMessageBox&)> user) {
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
        return QtAlerts().runModal(spec);
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
    AlertSpec spec;
    spec.messageText = "Quit 2 apps in “Write”?";
    spec.informativeText = "Quits the apps.";
    spec.buttons = {"Quit Apps", "Cancel"};
    spec.suppressionTitle = "Don’t ask again";
    const auto response = run(spec, [](QMessageBox& box) {
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
    AlertSpec spec;
    spec.style = AlertSpec::Style::informational;
    spec.messageText = "Blocked";
    spec.buttons = {"Retry", "Dismiss"};
    const auto response = run(spec, [](QMessageBox& box) {
        EXPECT_EQ(box.checkBox(), nullptr);
        click(box, "Dismiss");
    });
    EXPECT_EQ(response, (AlertResponse{1, false}));
}

TEST_F(QtAlertsTest, AnAlertWithoutButtonsGetsOK) {
    AlertSpec spec;
    spec.messageText = "Workspace is too small for this layout";
    const auto response = run(spec, [](QMessageBox& box) { click(box, "OK"); });
    EXPECT_EQ(response, (AlertResponse{0, false}));
    EXPECT_EQ(buttonTitles, (QStringList{"OK"}));
}

TEST_F(QtAlertsTest, ClosingItWithEscapeDismisses) {
    AlertSpec spec;
    spec.messageText = "Blocked";
    spec.buttons = {"Retry", "Dismiss"};
    const auto response = run(spec, [](QMessageBox& box) { box.reject(); });
    EXPECT_EQ(response.button, 1u);
}

}  // namespace
}  // namespace tessane
