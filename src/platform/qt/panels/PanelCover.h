#pragma once

#include <QObject>
#include <QRect>
#include <QRegion>

#include <functional>

class QWindow;

namespace tessane::qt_backend {

// Where our managed windows (the builder, the welcome panel, alerts, the settings window) cover
// the chrome and cards they belong above. Stacking alone can't keep them there on every manager:
// Mutter lifts every override-redirect window over its topmost managed one after a click, and
// takes them back up whenever they are restacked under it. So each panel's window is also cut
// where such a window of ours lies: where the stacking is right, the cut is never seen.

// A top-level window of ours that the window manager manages and shows: what cuts the panels
// under it (not the panels themselves, the mat, popups, tooltips, nor a minimized window).
bool coversPanels(const QWindow& window);

// What a window of ours covers (root coordinates, X pixels): its frame, but for the part of the
// client that the client's own shape (`clientShape`, client coordinates; empty when it has none)
// leaves out, as a panel's rounded corners do.
QRegion windowCover(const QRect& frame, const QRect& client, const QRegion& clientShape);

// The client's shape in X pixels, as the toolkit sets it from `window`'s mask (empty: none).
QRegion nativeMask(const QWindow& window);

// The part of `panel` (root coordinates, X pixels) under `over` (the same), in the panel's own
// coordinates.
QRegion coveredPart(const QRect& panel, const QRegion& over);

// Calls `changed` whenever a window that cuts the panels may have changed where it lies: it is
// shown, hidden, moved, resized, exposed or minimized. Installed on the application.
class CoverWatch final : public QObject {
public:
    explicit CoverWatch(std::function<void()> changed);
    ~CoverWatch() override;

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    std::function<void()> changed_;
};

}  // namespace tessane::qt_backend
