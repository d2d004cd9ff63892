#pragma once

#include <QObject>

#include <functional>

namespace tessane::qt_backend {

// Ctrl+Q quits from any window of the application. Linux desktops have no global menu bar to
// carry the key, so it is watched for on the whole application: a press that no widget of the
// window took quits, and `quit` runs from the event loop after the key press has been handled. The Edit keys (undo, redo, cut, copy, paste, select all)
// need nothing of the kind: Qt's text widgets handle the standard Ctrl keys themselves.
class QuitShortcut final : public QObject {
public:
    explicit QuitShortcut(std::function<void()> quit);
    ~QuitShortcut() override;

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> quit_;
};

}  // namespace tessane::qt_backend
