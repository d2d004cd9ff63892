#pragma once

#include "platform/Menus.h"

class QMenu;

namespace tessane::linux_backend {
class X11ScreenSpace;
}

namespace tessane::qt_backend {

// Pop-up menus as QMenu, run modally like the platform's own pop-up menus.
class QtMenus final : public Menus {
public:
    explicit QtMenus(const linux_backend::X11ScreenSpace& space) : space_(space) {}
    void popUp(const MenuContent& menu, Point screenPoint) override;

    // The QMenu for a menu's content; each action's trigger runs the entry's action from the event loop.
    static QMenu* build(const MenuContent& menu);

private:
    const linux_backend::X11ScreenSpace& space_;
};

}  // namespace tessane::qt_backend
