#pragma once

#include "settings/SettingsWindow.h"

#include <QWidget>

namespace tessane {
class Defaults;
}

namespace tessane::settings_qt {

// The settings window on the desktop: an ordinary titled, resizable top-level window that
// closing hides. Its frame is the client area, in screen coordinates (y up from the primary
// display's bottom edge). The autosaved frame lives in the user defaults under its name.
class QtSettingsWindow final : public QWidget, public SettingsWindow {
public:
    QtSettingsWindow(QWidget* content, Defaults& defaults, QSize contentSize, QSize minimumSize, const QString& title);

    Rect frame() const override;
    void setFrame(const Rect& frame) override;
    bool isVisible() const override { return QWidget::isVisible(); }
    void setKeptAbove(bool above) override;
    bool isKeptAbove() const override { return keptAbove_; }
    void setFrameAutosaveName(const std::string& name) override;
    void center() override;
    void orderFrontAndFocus() override;
    void orderOut() override { hide(); }

    // Between Qt's global coordinates (y down) and screen coordinates.
    static Rect toScreen(const QRect& global);
    static QRect fromScreen(const Rect& screen);

protected:
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void saveFrame();

    Defaults& defaults_;
    std::string autosaveName_;
    bool keptAbove_ = false;
};

}  // namespace tessane::settings_qt
