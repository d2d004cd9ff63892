#pragma once

#include "chrome/PaneViews.h"
#include "platform/Panels.h"

#include <memory>
#include <optional>
#include <vector>

namespace tessane {

// The mat behind one container's panes and the click shields over its gutters. Panels are made
// on demand and reused: the mat on the first update, shields up to the largest number of strips
// ever laid out. A shield is on screen exactly when it is among the first activeShieldCount(),
// the mat is visible and the shields are not hidden.
class PaneMatWindowController {
public:
    explicit PaneMatWindowController(Panels& panels);
    // What its panels are made with.
    static PanelOptions matPanelOptions() { return {.level = PanelLevel::mat, .name = "mat"}; }
    static PanelOptions shieldPanelOptions() { return {.level = PanelLevel::shield, .name = "shield"}; }
    // Orders out and destroys every panel it made.
    ~PaneMatWindowController();
    PaneMatWindowController(const PaneMatWindowController&) = delete;
    PaneMatWindowController& operator=(const PaneMatWindowController&) = delete;

    // Frames the mat to the container (making it on first use) and lays out the strips.
    void update(const Rect& frame, const std::optional<std::vector<Rect>>& shieldStrips);
    void layoutShieldStrips(const std::vector<Rect>& rects);
    // Hiding orders every shield out; showing fronts the active ones, but only while the mat is
    // visible (otherwise the next orderForWorkspaceVisible() does).
    void setShieldsHidden(bool hidden);
    // Fronts the mat and, unless hidden, the active shields. Nothing before the first update.
    void orderForWorkspaceVisible();
    void orderOut();

    Panel* matPanel() const { return matPanel_.get(); }
    const std::vector<std::unique_ptr<Panel>>& shieldPanels() const { return shieldPanels_; }
    int activeShieldCount() const { return activeShieldCount_; }
    bool shieldsHidden() const { return shieldsHidden_; }
    bool isVisible() const { return isVisible_; }

private:
    void frontActiveShields();

    Panels& panels_;
    std::unique_ptr<Panel> matPanel_;
    std::unique_ptr<PaneMatView> matView_;
    std::vector<std::unique_ptr<Panel>> shieldPanels_;
    std::vector<std::unique_ptr<PaneClickShieldView>> shieldViews_;
    int activeShieldCount_ = 0;
    bool shieldsHidden_ = false;
    bool isVisible_ = false;
};

}  // namespace tessane
