#include "chrome/ChromeView.h"

namespace tessane {

ChromeView::ChromeView(Panel& panel) : panel_(panel) {
    panel_.setInputHandler(lifetime_.guard([this](const PanelInput& input) { handleInput(input); }));
}

void ChromeView::display() { panel_.setDrawing(draw(panel_.frame().size)); }

void ChromeView::setPanelFrame(const Rect& frame) {
    const Rect old = panel_.frame();
    if (old == frame) return;
    panel_.setFrame(frame);
    if (old.width() != frame.width() || old.height() != frame.height()) display();
}

}  // namespace tessane
