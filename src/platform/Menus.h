#pragma once

#include "base/Geometry.h"

#include <functional>
#include <string>
#include <vector>

namespace tessane {

// One entry of a pop-up menu.
struct MenuItem {
    enum class Kind {
        action,     // chosen: `action` runs
        header,     // a disabled title line
        separator,
    };
    Kind kind = Kind::action;
    std::string title;
    std::string shortcut;  // as shown to users ("Super+Ctrl+Right"); empty: none shown
    std::string toolTip;
    std::function<void()> action;
};

// A menu as data: what it holds and what each entry does, for a backend to show.
struct MenuContent {
    std::vector<MenuItem> items;
};

// Shows pop-up menus. Main thread only.
//
// Linux (Qt): a QMenu run modally at the point (tool tips shown); the chosen entry's action runs
// from the event loop after the menu has closed, never inside popUp().
class Menus {
public:
    virtual ~Menus() = default;
    // At a screen point (y up), with no entry pre-selected.
    virtual void popUp(const MenuContent& menu, Point screenPoint) = 0;
};

}  // namespace tessane
