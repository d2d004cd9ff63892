#pragma once

#include "platform/Menus.h"

#include <optional>
#include <string>
#include <vector>

namespace tessane::sim {

// Keeps the menus popped up so tests can read them and choose an entry.
class SimMenus final : public Menus {
public:
    struct PoppedUp {
        MenuContent menu;
        Point at;
    };
    void popUp(const MenuContent& menu, Point screenPoint) override { shown_.push_back({menu, screenPoint}); }

    const std::vector<PoppedUp>& shown() const { return shown_; }
    // Runs the action of the last menu's entry titled `title`; false when there is none.
    bool choose(const std::string& title) {
        if (shown_.empty()) return false;
        for (const auto& item : shown_.back().menu.items)
            if (item.kind == MenuItem::Kind::action && item.title == title && item.action) {
                auto action = item.action;
                action();
                return true;
            }
        return false;
    }

private:
    std::vector<PoppedUp> shown_;
};

}  // namespace tessane::sim
