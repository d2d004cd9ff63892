#pragma once

#include "platform/Panels.h"

#include <QEvent>
#include <QWidget>

#include <functional>

namespace tessane::qt_backend {

// A pointer event of a panel's input window, queued for its canvas. A queued QMouseEvent would not
// keep its own position: Qt keeps the pointer's position in state that every mouse event made
// afterwards writes, so it would arrive with the position of the last one made (a drag's release
// a step short). This one carries its own and becomes a mouse event when it is delivered.
class ForwardedPointer final : public QEvent {
public:
    static QEvent::Type eventType();
    ForwardedPointer(QEvent::Type mouseType, QPointF local, QPointF global, Qt::MouseButton button,
                     Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers)
        : QEvent(eventType()), mouseType(mouseType), local(local), global(global), button(button), buttons(buttons),
          modifiers(modifiers) {}
    const QEvent::Type mouseType;  // a mouse event's type, or Enter or Leave
    const QPointF local, global;
    const Qt::MouseButton button;
    const Qt::MouseButtons buttons;
    const Qt::KeyboardModifiers modifiers;
};

// Paints a panel's drawing and turns Qt's mouse events into panel input (locations in the
// widget's own coordinates; the panel converts them). The drawing is laid out in X pixels, for
// the panel's frame; it is painted at one device pixel per X pixel whatever Qt's scale.
class PanelCanvas final : public QWidget {
public:
    using InputSink = std::function<void(PanelInput::Kind kind, QPointF globalPosition, int clickCount, bool control)>;

    explicit PanelCanvas(QWidget* parent = nullptr);
    void setDrawing(PanelDrawing drawing);
    const PanelDrawing& drawing() const { return drawing_; }
    // The size the drawing is laid out for, in points (empty: the widget's own size).
    void setDrawingSize(QSize points) { drawingSize_ = points; }
    QSize drawingSize() const { return drawingSize_.isEmpty() ? size() : drawingSize_; }
    void setInputSink(InputSink sink) { sink_ = std::move(sink); }
    void setKeySink(std::function<void(PanelKey)> sink) { keySink_ = std::move(sink); }
    // Told when the light or dark appearance changes, after a repaint was asked for.
    void setAppearanceSink(std::function<void()> sink) { appearanceSink_ = std::move(sink); }
    void appearanceChanged();
    // Ends a press the window system will not finish for us (the panel went away).
    // Whether a press was under way.
    bool cancelPress();

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseDoubleClickEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void enterEvent(QEnterEvent*) override;
    void leaveEvent(QEvent*) override;
    void changeEvent(QEvent*) override;
    bool event(QEvent*) override;

private:
    void send(PanelInput::Kind kind, QPointF global, int clicks = 1, bool control = false);

    PanelDrawing drawing_;
    QSize drawingSize_;
    InputSink sink_;
    std::function<void(PanelKey)> keySink_;
    std::function<void()> appearanceSink_;
    bool pressed_ = false;
};

// The one top-level window behind every panel; it hosts the content (a canvas) edge to edge.
class QtPanelWidget final : public QWidget {
public:
    QtPanelWidget(const PanelOptions& options, bool translucent);
    PanelCanvas& canvas() const { return *canvas_; }

protected:
    void hideEvent(QHideEvent*) override;

private:
    PanelCanvas* canvas_;
};

}  // namespace tessane::qt_backend
