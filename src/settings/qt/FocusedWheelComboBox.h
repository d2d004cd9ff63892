#pragma once

#include <QComboBox>

namespace tessane::settings_qt {

// A pop-up box that answers the wheel only once it has the keyboard focus (a click or Tab gives
// it). Each choice in it is stored at once and may hide apps, so a page scrolled with the wheel
// must not change it when it comes under the pointer: unfocused, the wheel goes on to the page.
class FocusedWheelComboBox final : public QComboBox {
public:
    explicit FocusedWheelComboBox(QWidget* parent = nullptr);

protected:
    void wheelEvent(QWheelEvent* event) override;
};

}  // namespace tessane::settings_qt
