#pragma once

#include "chrome/CardLayout.h"
#include "chrome/ChromeView.h"
#include "platform/MainQueue.h"

#include <memory>
#include <utility>
#include <vector>

namespace tessane {

// A card in its panel: draws the laid-out card inside the shadow margin and runs a button's
// action when a press on it is released on it, or the default button's on Return (once a click
// has given the card the keyboard). An action may close the card: the view then must not be
// touched again, so nothing follows the call.
class CardView final : public ChromeView {
public:
    CardView(Panel& panel, CardLayout layout);

    const CardLayout& layout() const { return layout_; }
    // A card's panel: above ordinary windows (level 4), taking the keyboard only when clicked.
    static std::unique_ptr<Panel> makePanel(Panels& panels, std::string name);
    // The panel's frame for a card at `cardFrame`, and back.
    static Rect panelFrame(const Rect& cardFrame);
    static Rect cardFrame(const Rect& panelFrame);

protected:
    PanelDrawing draw(Size bounds) const override;
    void handleInput(const PanelInput& input) override;

private:
    void handleKey(PanelKey key);
    int buttonAt(Point screenPoint) const;
    void setPressed(int index);
    void run(size_t index);

    CardLayout layout_;
    int held_ = -1;     // the button the press began on, -1 none
    int pressed_ = -1;  // the button drawn pressed: the held one while the pointer is over it
    LifetimeToken lifetime_;
};

// Closed cards, ordered out at once and destroyed on the next turn of the queue: a card is
// closed from its own button, inside its panel's input handling, which must not see its panel
// go. Whatever is still waiting goes with the owner.
class CardRetirement {
public:
    explicit CardRetirement(MainQueue& queue) : queue_(queue) {}
    ~CardRetirement();
    void retire(std::unique_ptr<CardView> view, std::unique_ptr<Panel> panel);

private:
    void clear();

    MainQueue& queue_;
    std::vector<std::pair<std::unique_ptr<CardView>, std::unique_ptr<Panel>>> retired_;
    LifetimeToken lifetime_;
};

}  // namespace tessane
