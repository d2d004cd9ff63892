#pragma once

#include "base/Signal.h"

#include <QScrollArea>

class QCheckBox;
class QLabel;
class QPushButton;
class QButtonGroup;

namespace tessane {
class GeneralTab;
}

namespace tessane::settings_qt {

// The General tab's form: Startup, Appearance, Keyboard Shortcuts and About. Every decision is
// the GeneralTab's; this only shows its state and hands clicks on.
class GeneralTabView final : public QScrollArea {
public:
    explicit GeneralTabView(GeneralTab& tab, QWidget* parent = nullptr);

    QCheckBox* launchAtLoginToggle() const { return launch_; }
    QPushButton* themeButton(int index) const;
    QPushButton* showMeHowButton() const { return showMeHow_; }
    QPushButton* copyDiagnosticsButton() const { return copy_; }
    QLabel* copiedLabel() const { return copied_; }
    QCheckBox* keepLogFileToggle() const { return keepLog_; }
    QPushButton* showInFilesButton() const { return showInFiles_; }

    // Reads the tab's state into the controls.
    void refresh();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Each fills its section's box with its controls and hands their clicks to the tab.
    void buildStartup(QWidget* box);
    void buildAppearance(QWidget* box);
    void buildShortcuts(QWidget* box);
    void buildAbout(QWidget* box);
    void styleAccents();

    GeneralTab& tab_;
    QCheckBox* launch_ = nullptr;
    QLabel* startupCaption_ = nullptr;
    QLabel* loginError_ = nullptr;
    QButtonGroup* theme_ = nullptr;
    QWidget* segments_ = nullptr;
    QPushButton* showMeHow_ = nullptr;
    QLabel* version_ = nullptr;
    QPushButton* copy_ = nullptr;
    QLabel* copied_ = nullptr;
    QCheckBox* keepLog_ = nullptr;
    QPushButton* showInFiles_ = nullptr;
    Subscription changes_;
};

}  // namespace tessane::settings_qt
