#include "platform/qt/QuitShortcut.h"
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

class QuitShortcutTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { uitest::ensureOffscreenApplication(); }
    QuitShortcutTest() {
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
    std::unique_ptr<QuitShortcut> shortcut = std::make_unique<QuitShortcut>([this] { ++quits; });
    QWidget window;
    QWidget other;
    QLineEdit* text;
    ChordField* chords;
};

TEST_F(QuitShortcutTest, CtrlQQuitsFromAnyWindowAfterTheKeyPressIsDone) {
    QTest::keyClick(&other, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(quits, 0) << "not inside the key press";
    turnEventLoop();
    EXPECT_EQ(quits, 1);

    // From a text field too: it has no use for the key, so it reaches the window.
    text->setFocus();
    QTest::keyClicks(text, "aq");
    QTest::keyClick(text, Qt::Key_Q, Qt::ControlModifier);
    turnEventLoop();
    EXPECT_EQ(quits, 2);
    EXPECT_EQ(text->text(), "aq") << "the field got its text and nothing of the chord";
}

TEST_F(QuitShortcutTest, OtherChordsRepeatsAndWidgetsThatTakeTheKeyDoNotQuit) {
    for (Qt::KeyboardModifiers modifiers : {Qt::KeyboardModifiers(Qt::NoModifier), Qt::KeyboardModifiers(Qt::AltModifier),
                                            Qt::ControlModifier | Qt::ShiftModifier, Qt::ControlModifier | Qt::AltModifier})
        QTest::keyClick(&other, Qt::Key_Q, modifiers);
    QTest::keyClick(&other, Qt::Key_W, Qt::ControlModifier);
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Q, Qt::ControlModifier, QString(), /*autorep=*/true);
    QCoreApplication::sendEvent(&other, &repeat);
    turnEventLoop();
    EXPECT_EQ(quits, 0);

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
