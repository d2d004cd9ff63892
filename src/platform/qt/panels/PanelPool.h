#pragma once

#include "platform/Panels.h"

#include <QColor>
#include <QObject>
#include <QTimer>

#include <memory>
#include <optional>
#include <vector>

namespace tessane::qt_backend {

class QtPanelWidget;

// What a panel's window carries from the start: some compositing managers read a window's type
// when they hear it was made.
void markNewPanelWindow(unsigned long window, const PanelOptions& options);

// The windows kept for panels, unmapped (a mat's mapped, shaped to nothing, until withdrawn: see
// QtPanel::keepsMapped()): a released panel's window, and the windows made ahead for what
// prepare() names, so that a show maps windows that exist rather than making new ones.
// Windows are made in one place (fill) and dropped in one place (prune).
class PanelPool {
public:
    // A kept window and what is set on it natively.
    struct KeptWindow {
        std::unique_ptr<QtPanelWidget> widget;
        bool shaped = false;
        bool marked = false;
        std::optional<QColor> serverFill;
        bool withdrawn = false;  // a mat's, shown by Qt and unmapped by us
    };
    explicit PanelPool(bool compositing);
    ~PanelPool();
    PanelPool(const PanelPool&) = delete;
    PanelPool& operator=(const PanelPool&) = delete;

    // A kept window made like `options`, if any. What was made ahead for it is made again once
    // the show that took it is over.
    std::optional<KeptWindow> take(const PanelOptions& options);
    // A released panel's window, kept for the next panel made like it.
    void keep(const PanelOptions& options, KeptWindow window);
    // Makes kept windows for `wanted` now, less those there are already (kept, or `inUse` by
    // panels), and keeps that many made ahead from now on.
    void prepare(const std::vector<PanelOptions>& wanted, const std::vector<PanelOptions>& inUse);
    // Unmaps the kept mats' windows (see QtPanels::withdrawIdleMats()).
    void withdrawMats();
    // A compositing manager came or went: new windows are of the kind that suits, kept ones of
    // the other kind go.
    void setCompositing(bool compositing);

private:
    // Makes up to `atMost` windows for entries of prepared_ that no window kept, or in `inUse`,
    // stands for; answers how many it made. The first of a `firstShow` fill is readied for the
    // first show (see panel_x11::prepareFirstShow); only such a fill makes a mat's window.
    size_t fill(std::vector<PanelOptions> inUse, size_t atMost, bool firstShow);
    void make(const PanelOptions& options, bool first);
    // Drops what is kept beyond the bound, and windows of the kind that no longer suits.
    void prune();
    // The prepared windows are made again one per turn of the event loop (each a wait for the
    // server), once takes have stopped for a while.
    void scheduleFill();

    bool compositing_;
    std::vector<std::pair<PanelOptions, KeptWindow>> kept_;
    std::vector<PanelOptions> prepared_;  // what prepare() was asked to keep made ahead
    QObject context_;
    QTimer fillTimer_;
};

}  // namespace tessane::qt_backend
