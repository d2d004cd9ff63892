#pragma once

#include "platform/Panels.h"

#include <QColor>
#include <QRegion>
#include <QSize>

#include <optional>
#include <vector>

namespace tessane::qt_backend::panel_x11 {

// What our panels ask of the X server directly, on Qt's own connection so the requests stay in
// order with Qt's (a window Qt just created exists for them). Each does nothing when the
// application does not run on X11 (offscreen tests).
using WindowId = unsigned long;

bool available();
// Learns the atoms the panels name, all in one round trip, so that showing panels asks for none.
void internAtoms();
// A compositing manager owns _NET_WM_CM_S<n> for the default screen.
bool compositing();
// Asks for an event on Qt's connection whenever that selection changes hands (a compositing
// manager started or ended); answers the event's response type, 0 without XFixes.
int watchCompositing();
// An empty input shape: clicks fall through to what lies below.
void setEmptyInputShape(WindowId window);
// Ends the pointer grab a press on one of our windows holds.
void ungrabPointer();
// Input everywhere in a window of `width` x `height`, whatever its bounding shape.
void setFullInputShape(WindowId window, QSize size);
// Input only inside `region` (window coordinates).
void setInputShape(WindowId window, const QRegion& region);
// The window shows only inside `region` (window coordinates, X pixels).
void setBoundingShape(WindowId window, const QRegion& region);
// Moves and sizes the window to `root` (root coordinates, X pixels).
void setGeometry(WindowId window, const QRect& root);
// The server itself fills the window with `color` (opaque) wherever it is exposed, and
// repaints it now: a window shown this way needs no picture of its content in the client.
// `translucent`: the window was made with the toolkit's translucent background (its visual has
// an alpha channel when a compositing manager runs).
void setBackgroundColor(WindowId window, const QColor& color, bool translucent);
// Does ahead, on a window made ready before any panel shows, what the first panel shown would do
// on its way up: learns the pixel layout of its kind of window and loads what shapes and pointer
// cursors need (their extensions, the cursor theme).
void prepareFirstShow(WindowId window, bool translucent);
// Back to no background: the client paints every pixel.
void clearBackground(WindowId window);
// Tells compositing managers to cast no shadow from the window. A raised panel (override-
// redirect) is also typed as part of the desktop: the one type that picom's shipped settings and
// xcompmgr -c both leave without a shadow (and no window manager manages such a window anyway).
// Before mapping: some read it only then.
void markShadowless(WindowId window, bool raised);
// A window that bypasses the window manager has no frame, and says so (_NET_FRAME_EXTENTS, all
// zero): Qt, which asks for the frame of each window it shows, then reads that property rather
// than walking the window tree with three round trips. Before mapping.
void markUnframed(WindowId window);
// The mat's place among managed windows: below the others, on every desktop, in no taskbar
// or pager. Set before mapping, as the window manager reads them when it takes the window.
void markKeptBelow(WindowId window);
// The same, asked of the window manager for a window it already manages.
void requestKeptBelow(WindowId window);
// Asks the window manager to drop the "demands attention" state it may have just given the window
// (sent after the map or raise request that made it do so, which it has then handled). KWin gives
// it to every ordinary window it maps without activating it, as it must a window shown "without
// activating", and to one whose raise it refuses.
void declineAttention(WindowId window);
// A managed window of ours that keeps the place and size we give it: no decorations, and the
// manager may move and resize it but not maximize it (_MOTIF_WM_HINTS), since managers maximize
// a window nearly the work area's size as they map it (Mutter). Before mapping.
void markNeverMaximized(WindowId window);
// Says `root` (root coordinates, X pixels) is the window's only size and where it stands
// (WM_NORMAL_HINTS: position, size, minimum = maximum = size), in X pixels where the toolkit's own
// hints, in its units, may be a pixel off. Before the move that takes it there.
void setFixedSizeHints(WindowId window, const QRect& root);
// Frame sync for a window the toolkit gave a basic sync counter (_NET_WM_SYNC_REQUEST_COUNTER):
// a second counter, made here and listed after the toolkit's, that says when a frame is drawn. A
// compositing manager that reads it (Mutter) tells of each such frame once it has painted it
// (_NET_WM_FRAME_DRAWN). 0 where it can't be made. Before mapping.
unsigned long addFrameCounter(WindowId window);
// The frame counter at `value` (even: a frame is drawn).
void setFrameCounter(unsigned long counter, long value);
void destroyFrameCounter(unsigned long counter);
// The value a window manager's _NET_WM_SYNC_REQUEST (an XCB client message) asks the counter to
// reach once the frame after it is drawn; nullopt for any other event.
std::optional<long> syncRequestValue(const void* xcbEvent);
// The frame a compositing manager says it has put on the screen (_NET_WM_FRAME_DRAWN, an XCB
// client message); nullopt for any other event.
std::optional<long> frameDrawnValue(const void* xcbEvent);
// A floating panel of ours that the window manager takes: kept above normal windows and shown
// on every desktop. Works before mapping (properties) and after (requests).
void requestFloatingOnEveryDesktop(WindowId window);
// An ordinary window of ours kept above other applications' normal windows, or not any more
// (_NET_WM_STATE_ABOVE, asked of the window manager for a window it manages).
void requestKeptAbove(WindowId window, bool above);
// Keeps a window of ours that is not yet mapped out of taskbars and pagers (a dialog with no
// window of its own to belong to).
void markSkipsTaskbar(WindowId window);
// A window that shows nothing and takes the pointer over `root` (root coordinates, X pixels),
// unmapped, out of the window manager's hands: for a shaped panel whose input reaches beyond what
// it draws, since X bounds a window's input by its bounding shape as well.
WindowId makeInputWindow(const QRect& root, PanelCursor cursor);
void setPointerCursor(WindowId window, PanelCursor cursor);
// Maps `window` if it is not, right above `sibling` in the stacking order.
void mapAbove(WindowId window, WindowId sibling);
void destroyWindow(WindowId window);
// The root window of the default screen.
WindowId rootWindow();
// PropertyNotify events of the root reach Qt's connection (its event filters); answers the
// property's atom.
unsigned long watchRootProperty(const char* name);
// Raises one window within what its window manager allows (its layer, for a managed one).
void raise(WindowId window);
// Gives the keyboard to a shown window of ours, while ours is the active application: for handing
// it back from a dialog before the dialog goes, which some window managers would give elsewhere.
void focus(WindowId window);
void flush();
// Waits until the server has handled every request sent on Qt's connection so far.
void sync();
// Maps or unmaps a window of ours without waiting for anything (the toolkit's own show waits for
// the server and reads the window's state back): sent with the next flush.
void mapWindow(WindowId window);
void unmapWindow(WindowId window);
// Unmaps a managed window as ICCCM withdraws one: its manager lets it go, even one that never
// hears the unmap itself.
void withdrawWindow(WindowId window);

}  // namespace tessane::qt_backend::panel_x11
