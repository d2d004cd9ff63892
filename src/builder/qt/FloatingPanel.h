#pragma once

#include <QPointer>
#include <QWidget>

#include <optional>

namespace tessane::builder_qt {

// The window of our own floating panels (the builder, the welcome panel): frameless, above normal
// windows, on every desktop, able to take keyboard focus, moved by dragging its background (once the
// pointer has gone the drag distance with the button held: a tap or a click moves nothing). Rounded
// where a compositing manager blends its corners: then shaped to its rounded rectangle too, since
// the window manager's frame around it is opaque and would show in the corners. Says when each
// frame is drawn (extended frame sync), so that a compositing manager that loses one is caught.
class FloatingPanelWindow : public QWidget {
public:
    FloatingPanelWindow(const char* objectName, QSize size, const QString& title, double cornerRadius);

    ~FloatingPanelWindow() override;

protected:
    bool event(QEvent* event) override;
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    double cornerRadius_;
    // Where the left button went down on the background, while it is held and no move began.
    std::optional<QPoint> pressedAt_;
    // The pointer's offset from the window while we move it ourselves.
    std::optional<QPoint> dragOffset_;
    // Frame sync with the compositing manager: the counter, and the value it reaches at the next
    // frame drawn (even; raised to what the window manager asks for).
    unsigned long frameCounter_ = 0;
    long nextFrame_ = 2;
    long lastFrame_ = 0;   // the last frame drawn for a change of our own
    long repaired_ = 0;    // the last of those drawn again whole
    bool repairing_ = false;
};

// The panel's surface behind `view`, which fills its window: a rounded shape where a compositing
// manager blends the corners; without one, the whole rectangle with a border that keeps it apart
// from whatever lies behind it.
void paintPanelSurface(QWidget& view, const QColor& fill, double radius, bool dark);

// Shows, raises and focuses the window and brings our application forward.
void bringFloatingPanelToFront(QWidget* window);
// Centres the window on the screen under the pointer, asks for it on every desktop and brings it
// to the front.
void presentFloatingPanel(QWidget* window);

// A panel (builder or welcome) over its window. Closing hides the window at once and deletes it
// on the next turn of the event loop (the click that closed it may still be on its way out).
template <typename Panel, typename Window>
class QtFloatingPanel final : public Panel {
public:
    explicit QtFloatingPanel(Window* window) : window_(window) {}
    ~QtFloatingPanel() override { close(); }
    void bringToFront() override {
        if (window_) bringFloatingPanelToFront(window_);
    }
    void close() override {
        if (!window_) return;
        window_->hide();
        window_->deleteLater();
        window_ = nullptr;
    }
    Window* window() const { return window_; }

private:
    QPointer<Window> window_;
};

}  // namespace tessane::builder_qt
