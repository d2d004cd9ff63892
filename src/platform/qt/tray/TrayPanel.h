#pragma once

#include <QColor>
#include <QImage>
#include <QRect>

#include <optional>

namespace tessane::qt_backend {

// What the X screen's system tray tells about the panel it sits in. Empty answers without an X11
// connection (offscreen) or without a tray.

// The foreground colour the tray announces for its icons (_NET_SYSTEM_TRAY_COLORS on the window
// that owns the screen's tray selection), asked of the server without waiting for its answer: the
// main thread must not stand behind a server busy with others (a manager restacking a thousand
// windows) for a colour. ask() sends the question, unless one is still open; take() is true once
// its answer has come, which foreground() then holds. Each answer takes the server three
// requests in turn (the tray's atoms once, its owner, the property), sent as each reply comes.
class TrayColours {
public:
    TrayColours();
    ~TrayColours();
    TrayColours(const TrayColours&) = delete;
    TrayColours& operator=(const TrayColours&) = delete;

    void ask();
    bool open() const { return step_ != Step::none; }
    // Takes whatever replies have come, without waiting; true when the question was answered.
    bool take();
    const std::optional<QColor>& foreground() const { return foreground_; }

private:
    enum class Step { none, atoms, owner, colours };
    void answer(std::optional<QColor> foreground);
    Step step_ = Step::none;
    unsigned int selectionAtom_ = 0, coloursAtom_ = 0;
    // The open requests' sequence numbers (the atoms' two, else one).
    unsigned int pending_[2] = {0, 0};
    std::optional<QColor> foreground_;
};

// The screen as shown within `area` (device pixels of the virtual desktop).
QImage grabScreenArea(const QRect& area);

// What the window `icon` is docked in holds behind it, the icon included, read from that window
// itself: under a compositing manager the screen shows a newly mapped panel only once the
// compositor has drawn it. The screen within `area` while the icon is not docked (a child of the
// root) or is docked in a window with an alpha channel, which reads back clear, not as the panel.
QImage grabDockedArea(unsigned long icon, const QRect& area);

}  // namespace tessane::qt_backend
