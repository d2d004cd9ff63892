#pragma once

#include "base/Base64.h"  // Bytes

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tessane {

class StatusMenu;

// One row of the status menu. Rows are shared objects, like the rows of a platform menu: their
// owner keeps (weak) references to the rows it updates later, changes them in place and then
// tells the status item that the installed menu changed.
struct StatusMenuRow {
    enum class Kind { action, separator };
    Kind kind = Kind::action;
    std::string title;
    std::string shortcut;  // as shown to users ("Super+Alt+1"); empty: none shown
    std::string toolTip;
    bool enabled = true;
    bool hidden = false;
    bool checked = false;  // a check mark before the title
    Bytes iconPNG;         // shown at 16 x 16; empty: no image
    // Run when chosen, from the event loop after the menu has closed; empty: nothing happens.
    std::function<void()> action;
    // A submenu opened from this row; null: none.
    std::shared_ptr<StatusMenu> submenu;
    // Free for the owner: the workspace a row stands for, as text (empty: none).
    std::string representedObject;
};

// A menu as a list of rows.
class StatusMenu {
public:
    std::vector<std::shared_ptr<StatusMenuRow>> rows;

    std::shared_ptr<StatusMenuRow> add(StatusMenuRow row) {
        rows.push_back(std::make_shared<StatusMenuRow>(std::move(row)));
        return rows.back();
    }
    void addSeparator() { add(StatusMenuRow{.kind = StatusMenuRow::Kind::separator}); }
};

// What the status icon shows: a workspace on screen or not, an update waiting or not. The backend
// paints it (in the colours that suit the panel it sits in); `description` is its accessible name.
struct StatusImage {
    bool live = false;
    bool badged = false;
    std::string description;
    bool operator==(const StatusImage&) const = default;
};

// The application's permanent icon in the desktop's status area (tray) and its menu.
//
// Linux (Qt): a tray icon (StatusNotifierItem over D-Bus, or the XEmbed system tray) with a
// QMenu. Some hosts never tell the program that the menu is about to open, so owners refresh the
// rows on every change of state as well as in `onMenuWillOpen`. Main thread only.
class StatusItem {
public:
    virtual ~StatusItem() = default;

    // Whether the desktop has a host that shows status icons. Without one the icon and its menu
    // are kept, and appear if a host turns up later.
    virtual bool isAvailable() const = 0;

    virtual void setImage(const StatusImage& image) = 0;
    virtual void setToolTip(const std::string& text) = 0;

    // Installs a newly built menu in place of the current one.
    virtual void setMenu(std::shared_ptr<StatusMenu> menu) = 0;
    // The rows of the installed menu (or of its submenus) were changed in place, or a row's
    // submenu was replaced: the shown menu follows.
    virtual void menuChanged() = 0;
    // Called just before the menu opens, when the host says so; the handler may change rows and
    // then call menuChanged().
    virtual void setMenuWillOpenHandler(std::function<void()> handler) = 0;
};

}  // namespace tessane
