#pragma once

#include <QObject>

#include <functional>

namespace tessane::qt_backend {

// The application's own keys from any of its windows: Ctrl+Q quits and Ctrl+, opens Settings, as
// the status menu shows them. Linux desktops have no global menu bar to carry the keys, so they
// are watched for on the whole application: a press that no widget of the window took runs its
// action from the event loop, after the key press has been handled. The Edit keys (undo, redo,
// cut, copy, paste, select all) need nothing of the kind: Qt's text widgets handle them.
class WindowShortcuts final : public QObject {
public:
    WindowShortcuts(std::function<void()> quit, std::function<void()> openSettings);
    ~WindowShortcuts() override;

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> quit_;
    std::function<void()> openSettings_;
};

}  // namespace tessane::qt_backend
