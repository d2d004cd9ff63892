#pragma once

#include "platform/Panels.h"

#include <memory>
#include <string>
#include <vector>

namespace tessane::sim {

class SimPanels;

// A recorded panel: its state and every call made on it, in the order made.
class SimPanel final : public Panel {
public:
    SimPanel(SimPanels& owner, int id, PanelOptions options);
    ~SimPanel() override;

    const PanelOptions& options() const override { return options_; }
    Rect frame() const override { return frame_; }
    void setFrame(const Rect& frame) override;
    void orderFront() override;
    void orderOut() override;
    bool isVisible() const override { return visible_; }
    double alpha() const override { return alpha_; }
    void setAlpha(double alpha) override;
    bool hasShadow() const override { return shadow_; }
    void setHasShadow(bool hasShadow) override;
    void setDrawing(PanelDrawing drawing) override;
    void setCursor(PanelCursor cursor) override;
    void setInputHandler(std::function<void(const PanelInput&)> handler) override;
    void setKeyHandler(std::function<void(PanelKey)> handler) override;
    void setInputArea(std::optional<std::vector<Rect>> area) override { inputArea_ = std::move(area); }

    int id() const { return id_; }
    const PanelDrawing& drawing() const { return drawing_; }
    int drawCount() const { return drawCount_; }
    PanelCursor cursor() const { return cursor_; }
    // The order-front sequence number of its last orderFront (0 if never).
    long frontSequence() const { return frontSequence_; }
    // Delivers input as the window system would; nothing for a panel that ignores the mouse.
    void deliver(const PanelInput& input);
    // A key, as if the panel had been clicked and so had the keyboard; nothing for a panel that
    // can never take it.
    void deliverKey(PanelKey key);
    std::weak_ptr<bool> lifetime() const { return alive_; }
    // Takes the mouse at p (screen coordinates): within its frame (half-open) and input area.
    bool takesPointerAt(Point p) const;

private:
    void record(const std::string& call);

    SimPanels& owner_;
    int id_;
    PanelOptions options_;
    Rect frame_;
    bool visible_ = false;
    double alpha_ = 1;
    bool shadow_;
    PanelDrawing drawing_;
    int drawCount_ = 0;
    PanelCursor cursor_ = PanelCursor::arrow;
    std::optional<std::vector<Rect>> inputArea_;
    long frontSequence_ = 0;
    std::function<void(const PanelInput&)> input_;
    std::function<void(PanelKey)> key_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// Every panel made, with one journal of calls over all of them ("rail#1 orderFront",
// "shield#3 setFrame (0, 0, 10, 20)"), so tests can check state after each step and the order
// in which things happened.
class SimPanels final : public Panels {
public:
    std::unique_ptr<Panel> makePanel(const PanelOptions& options) override;
    // Deterministic metrics, so fitted sizes can be asserted: every character is half the font
    // size wide (bold ones 0.55), a space included; a line is 1.25 times the size high.
    Size measureText(const PanelText& text, double maxWidth) const override;

    // Panels alive now, in order of creation.
    const std::vector<SimPanel*>& panels() const { return panels_; }
    std::vector<SimPanel*> panelsNamed(const std::string& name) const;
    // Panels ordered in, back to front: by level, then by order-front sequence.
    std::vector<SimPanel*> stackingOrder() const;
    // The front-most ordered-in panel that takes the mouse at p.
    SimPanel* panelAt(Point p) const;
    int createdCount() const { return nextId_ - 1; }

    const std::vector<std::string>& journal() const { return journal_; }
    void clearJournal() { journal_.clear(); }
    // Off, calls are no longer written down (for measurements; state is still kept).
    void setJournalEnabled(bool enabled) { journalEnabled_ = enabled; }

private:
    friend class SimPanel;
    std::vector<SimPanel*> panels_;
    std::vector<std::string> journal_;
    bool journalEnabled_ = true;
    int nextId_ = 1;
    long frontSequence_ = 0;
};

}  // namespace tessane::sim
