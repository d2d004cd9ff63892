#include "platform/qt/WindowShortcuts.h"
#include "ui/OffscreenApplication.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <memory>

namespace tessane::qt_backend {
namespace {

// A field that records key chords, as a shortcut recorder does: it takes every key press.
class ChordField final : public QLineEdit {
protected:
    void keyPressEvent(QKeyEvent* event) override {
        const bool modifierAlone = event->key() == Qt::Key_Control || event->key() == Qt::Key_Shift ||
                                   event->key() == Qt::Key_Alt || event->key() == Qt::Key_Meta;
        if (!modifierAlone) chords << QKeySequence(event->keyCombination()).toString();
        event->accept();
    }

public:
    QStringList chords;
};

class WindowShortcutsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { uitest::ensureOffscreenApplication(); }
    WindowShortcutsTest() {
        auto* layout = new QVBoxLayout(&window);
        text = new QLineEdit;
        chords = new ChordField;
        layout->addWidget(text);
        layout->addWidget(chords);
        window.show();
        other.show();
    }
    void turnEventLoop() { QCoreApplication::processEvents(); }

    int quits = 0;
    int settingsOpened = 0;
    std::unique_ptr<WindowShortcuts> shortcut =
        std::make_unique<WindowShortcuts>([this] { ++quits; }, [this] { ++settingsOpened; });
    QWidget window;
    QWidget other;
    QLineEdit* text;
    ChordField* chords;
};

TEST_F(WindowShortcutsTest, CtrlQQuitsAndCtrlCommaOpensSettingsFromAnyWindowAfterTheKeyPressIsDone) {
    QTest::keyClick(&other, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(quits, 0) << "not inside the key press";
    turnEventLoop();
    EXPECT_EQ(quits, 1);
    QTest::keyClick(&window, Qt::Key_Comma, Qt::ControlModifier);
    turnEventLoop();
    EXPECT_EQ(settingsOpened, 1);
    EXPECT_EQ(quits, 1);

    // From a text field too: it has no use for the key, so it reaches the window.
    text->setFocus();
    QTest::keyClicks(text, "aq");
    QTest::keyClick(text, Qt::Key_Q, Qt::ControlModifier);
    QTest::keyClick(text, Qt::Key_Comma, Qt::ControlModifier);
    turnEventLoop();
    EXPECT_EQ(quits, 2);
    EXPECT_EQ(settingsOpened, 2);
    EXPECT_EQ(text->text(), "aq") << "the field got its text and nothing of the chord";
}

TEST_F(WindowShortcutsTest, OtherChordsRepeatsAndWidgetsThatTakeTheKeyDoNotQuit) {
    for (Qt::KeyboardModifiers modifiers : {Qt::KeyboardModifiers(Qt::NoModifier), Qt::KeyboardModifiers(Qt::AltModifier),
                                            Qt::ControlModifier | Qt::ShiftModifier, Qt::ControlModifier | Qt::AltModifier})
        QTest::keyClick(&other, Qt::Key_Q, modifiers);
    QTest::keyClick(&other, Qt::Key_W, Qt::ControlModifier);
    QTest::keyClick(&other, Qt::Key_Comma, Qt::ControlModifier | Qt::ShiftModifier);
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Q, Qt::ControlModifier, QString(), /*autorep=*/true);
    QCoreApplication::sendEvent(&other, &repeat);
    turnEventLoop();
    EXPECT_EQ(quits, 0);
    EXPECT_EQ(settingsOpened, 0);

    QTest::keyClick(chords, Qt::Key_Q, Qt::ControlModifier);
    turnEventLoop();
    EXPECT_EQ(quits, 0);
    EXPECT_EQ(chords->chords, QStringList{"Ctrl+Q"});

    shortcut.reset();
    QTest::keyClick(&other, Qt::Key_Q, Qt::ControlModifier);
    turnEventLoop();
    EXPECT_EQ(quits, 0) << "gone with its object";
}

}  // namespace
}  // namespace tessane::qt_backend
