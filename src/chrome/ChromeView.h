#pragma once

#include "base/Lifetime.h"
#include "platform/Panels.h"

namespace tessane {

// The content of one panel: state that decides what it draws and how it answers input. The
// panel belongs to whoever made the view; the view must not outlive it.
class ChromeView {
public:
    explicit ChromeView(Panel& panel);
    virtual ~ChromeView() = default;
    ChromeView(const ChromeView&) = delete;
    ChromeView& operator=(const ChromeView&) = delete;

    Panel& panel() const { return panel_; }
    // Draws the current state into the panel.
    void display();
    // Moves the panel; redraws only when its size changes (a pure move keeps the drawing).
    void setPanelFrame(const Rect& frame);

protected:
    virtual PanelDrawing draw(Size bounds) const = 0;
    virtual void handleInput(const PanelInput&) {}

private:
    Panel& panel_;
    LifetimeToken lifetime_;
};

// A rounded rectangle filled, then outlined: the shape of every card the chrome draws.
void addOutlinedRoundedRect(PanelDrawing& ops, const Rect& rect, double radius, PaintColor fill,
                            PaintColor stroke, double lineWidth);

}  // namespace tessane
