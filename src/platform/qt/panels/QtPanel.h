#pragma once

#include "platform/Panels.h"

#include <QColor>
#include <QPointer>
#include <QRect>
#include <QRegion>
#include <QVariantAnimation>

#include <xcb/xcb.h>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tessane::qt_backend {

class QtPanels;
class QtPanelWidget;

// One panel: a top-level Qt window. It is mapped while it is ordered in, has a frame with area
// and, without a compositing manager, an alpha above 0.
class QtPanel final : public Panel {
public:
    QtPanel(QtPanels& owner, PanelOptions options);
    ~QtPanel() override;

    const PanelOptions& options() const override { return options_; }
    Rect frame() const override { return frame_; }
    void setFrame(const Rect& frame) override;
    void orderFront() override;
    void orderOut() override;
    bool isVisible() const override { return orderedIn_; }
    double alpha() const override { return alpha_; }
    void setAlpha(double alpha) override;
    bool hasShadow() const override { return shadow_; }
    void setHasShadow(bool hasShadow) override { shadow_ = hasShadow; }
    void setDrawing(PanelDrawing drawing) override;
    void setCursor(PanelCursor cursor) override;
    void setInputHandler(std::function<void(const PanelInput&)> handler) override;
    void setKeyHandler(std::function<void(PanelKey)> handler) override;
    void setInputArea(std::optional<std::vector<Rect>> area) override;

    QtPanelWidget& widget() const { return *widget_; }
    bool isMapped() const;
    // Shows a panel Qt shows (a mat), if it is still wanted: true when its window was mapped.
    bool showDeferred();
    // A panel out of the window manager's hands that never takes the keyboard: once Qt has shown
    // its window, it is mapped and unmapped here, with no wait (see QtPanels::mapQueued()).
    bool mapsItself() const;
    // Unmaps and maps again the window of a mapped panel that maps itself, in place, so that a
    // compositing manager painting windows in the order they were mapped paints it above those
    // mapped before (see QtPanels::mapBatch()).
    void mapAgain();
    // Ordered out while a compositing manager runs, a panel that maps itself stays mapped with
    // nothing in its shape: a window mapped again is painted above the others until the manager
    // hears where it stands (KWin, Mutter), so the chrome shown again would flash over the cards.
    // Shown again, it keeps its place in the stack and only gets its shape back.
    bool hiddenByShape() const { return hiddenByShape_; }
    void reveal();
    // A mat's window, once mapped, stays mapped while anything of ours is up: ordered out (or its
    // panel gone, its window kept for the next), it is shaped to nothing. Mapped anew, a managed
    // window is framed, and some managers (Xfwm) then restack every window they manage, one
    // request each: with our chrome up over the workspace's windows each of those requests moves a
    // window past it, seconds of the server's time on a crowded desktop. A shape costs the manager
    // nothing. Once nothing is up it is withdrawn (see withdraw()).
    bool keepsMapped() const;
    // Unmaps the window of a mat shaped to nothing, so that no window list names it while nothing
    // is shown (taskbars that ignore "skip taskbar" would).
    void withdraw();
    // Says its shape again once its window manager has mapped it: a compositing manager (Marco)
    // that saw it shaped to nothing before it was withdrawn keeps to that until it hears of a
    // shape while the window is mapped.
    void reshapeMapped() { applyShapes(); }
    unsigned long windowId() const;
    long frontSequence() const { return frontSequence_; }
    // The frame in root coordinates, X pixels.
    const QRect& rootFrame() const { return rootFrame_; }
    // The window that takes the pointer over all of a shaped panel (0 when there is none), kept
    // right above the panel's own; its pointer events go to the panel as if they were its own.
    unsigned long inputWindow() const { return inputWindow_; }
    void syncInputWindow();
    // Cuts the window again where windows of ours that belong above it now lie (see PanelCover).
    void recut();
    void forwardPointer(const xcb_generic_event_t* event);

    // The animator's bookkeeping: one animation at a time, its completion run when it ends or
    // is replaced, never after the panel is gone.
    void startAnimation(QVariantAnimation* animation, std::function<void()> completion);
    void finishAnimation();
    bool isCurrentAnimation(const QVariantAnimation* animation) const { return animation_ == animation; }

private:
    // Whether the panel should be on the screen now.
    bool wanted() const;
    void syncMapped();
    void afterShow();
    // Shapes a mapped mat to nothing (see keepsMapped()).
    void hideByShape();
    // Puts the native window on `rootFrame_` to the X pixel where the toolkit may miss it (at a
    // scale other than 1), or `always`.
    void placeExactly(bool always = false);
    // Needs the native window. `newDrawing` is false when only the size changed.
    void applyShape(bool newDrawing = true);
    void applyShapes();
    // The input window takes no pointer where the panel is cut.
    void cutInputWindow();
    // Where the window takes the pointer (its input area, or all of it), in its pixels.
    QRegion inputRegion(QSize pixels) const;
    // What draws everywhere in its window is shown whole (a shaped window keeps a shape).
    void uncut(QSize pixels);
    // Chooses how the window shows its drawing: a single opaque fill is left to the X server
    // (the window's background colour, no backing store the size of the panel), anything else
    // is painted by Qt.
    void applySurface(bool newDrawing);

    QtPanels& owner_;
    PanelOptions options_;
    std::unique_ptr<QtPanelWidget> widget_;
    Rect frame_;
    QRect rootFrame_;  // the frame in root coordinates, X pixels
    bool shaped_ = false;  // a bounding shape is set on the window
    QSize wholeShape_;     // the size it covers, when that shape is the whole window
    bool widerInput_ = false;  // shaped, it takes the pointer beyond its shape: over its frame
    unsigned long inputWindow_ = 0;
    std::optional<QRegion> inputShape_;  // the input window's input shape, once one is set
    std::optional<std::vector<Rect>> inputArea_;  // see Panel::setInputArea
    QRegion cut_;  // where the window is cut for windows of ours above it (its coordinates, X pixels)
    PanelCursor cursor_ = PanelCursor::arrow;
    unsigned lastPressTime_ = 0, lastPressButton_ = 0;  // for double clicks on the input window
    bool marked_ = false;  // the compositor's hints are on the window
    bool orderedIn_ = false;
    bool mapped_ = false;  // when it maps itself: whether its window is mapped (or about to be)
    bool hiddenByShape_ = false;  // its window mapped, shaped to nothing (see hiddenByShape())
    bool withdrawn_ = false;      // a mat's window shown by Qt, unmapped by us (see withdraw())
    double alpha_ = 1;
    bool shadow_;
    std::optional<QColor> serverFill_;  // the window's background colour, when the server fills it
    long frontSequence_ = 0;
    long peerSequence_ = 0;  // when the window sharing the cards' level was last focused
    std::function<void(const PanelInput&)> input_;
    QPointer<QVariantAnimation> animation_;
    std::function<void()> animationDone_;
};

}  // namespace tessane::qt_backend
