#include "platform/qt/QtAlerts.h"

#include "platform/qt/panels/PanelX11.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QIcon>
#include <QMessageBox>
#include <QPushButton>
#include <QString>
#include <QTimer>

namespace tessane {

namespace {

// The buttons and the suppression box made for an alert, to read its answer from.
struct Controls {
    std::vector<QPushButton*> buttons;
    QCheckBox* suppression = nullptr;
};

Controls build(QMessageBox& box, const AlertSpec& details) {
    box.setWindowTitle("Tessane");
    // A question or a notice from the program shows the program's icon; a warning the warning sign.
    const QIcon own = QApplication::windowIcon();
    if (details.style == AlertSpec::Style::warning || own.isNull())
        box.setIcon(details.style == AlertSpec::Style::warning ? QMessageBox::Warning : QMessageBox::Information);
    else
        box.setIconPixmap(own.pixmap(QSize(64, 64), box.devicePixelRatioF()));
    box.setText(QString::fromStdString(details.messageText));
    box.setInformativeText(QString::fromStdString(details.informativeText));
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    // A dialog of ours, not a program of its own: no button in the taskbar (Qt keeps this state
    // when it adds its own on mapping).
    if (qt_backend::panel_x11::available()) qt_backend::panel_x11::markSkipsTaskbar(box.winId());
    // Wide enough for a sentence and a menu path per line, as desktop dialogs are; Qt's own
    // measure wraps short texts into a narrow column.
    box.setStyleSheet("QLabel#qt_msgbox_informativelabel { min-width: 360px; }");

    Controls controls;
    const std::vector<std::string> titles = details.buttons.empty() ? std::vector<std::string>{"OK"} : details.buttons;
    for (size_t i = 0; i < titles.size(); ++i) {
        // The first button is the action, the others dismiss: Qt orders buttons by role.
        const auto role = i == 0 ? QMessageBox::AcceptRole : QMessageBox::RejectRole;
        controls.buttons.push_back(box.addButton(QString::fromStdString(titles[i]), role));
    }
    box.setDefaultButton(controls.buttons.front());
    if (controls.buttons.size() > 1) box.setEscapeButton(controls.buttons.back());

    if (details.suppressionTitle) {
        controls.suppression = new QCheckBox(QString::fromStdString(*details.suppressionTitle));
        box.setCheckBox(controls.suppression);  // the box owns it
    }

    // Tessane is an accessory application: bring it and the alert in front of whatever the user
    // was working in, once the dialog is mapped.
    QTimer::singleShot(0, &box, [&box] {
        box.raise();
        box.activateWindow();
    });
    return controls;
}

AlertResponse responseOf(const QMessageBox& box, const Controls& controls) {
    AlertResponse response;
    for (size_t i = 0; i < controls.buttons.size(); ++i)
        if (box.clickedButton() == controls.buttons[i]) response.button = i;
    // Closed without a button (window manager close, Escape with no dismiss button): the last
    // button, which dismisses.
    if (!box.clickedButton()) response.button = controls.buttons.size() - 1;
    response.suppressed = controls.suppression && controls.suppression->isChecked();
    return response;
}

}  // namespace

AlertResponse QtAlerts::runModal(const AlertSpec& details) {
    QMessageBox box;
    const Controls controls = build(box, details);
    box.exec();
    return responseOf(box, controls);
}

void QtAlerts::present(const AlertSpec& details, std::function<void(AlertResponse)> done) {
    auto* box = new QMessageBox;
    const Controls controls = build(*box, details);
    box->setWindowModality(Qt::NonModal);
    QObject::connect(box, &QDialog::finished, box, [box, controls, done = std::move(done)] {
        box->deleteLater();
        if (done) done(responseOf(*box, controls));
    });
    box->show();
}

}  // namespace tessane
