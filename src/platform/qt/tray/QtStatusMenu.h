#pragma once

#include "platform/StatusItem.h"

#include <memory>
#include <vector>

class QAction;
class QMenu;

namespace tessane::qt_backend {

// A QMenu that mirrors a status menu's rows and follows their changes in place: each row keeps
// its QAction for as long as the row is in the menu, so a menu that is open while its owner
// refreshes the rows stays open and current. A chosen row's action runs from the event loop once
// the menu has closed, never inside the click.
class QtStatusMenu {
public:
    // `source` is not null. `parent`: the menu this one opens from (which then owns the QMenu);
    // null for a top menu.
    explicit QtStatusMenu(std::shared_ptr<StatusMenu> source, QMenu* parent = nullptr);
    ~QtStatusMenu();
    QtStatusMenu(const QtStatusMenu&) = delete;
    QtStatusMenu& operator=(const QtStatusMenu&) = delete;

    QMenu* menu() const { return menu_; }
    const std::shared_ptr<StatusMenu>& source() const { return source_; }

    // Brings the QMenu and its submenus in step with the rows: rows still there keep their
    // QActions (moved when the rows moved), new rows get new ones, a replaced submenu is built
    // anew and the old one dropped.
    void sync();

    // The QAction that stands for a row of this menu or of one of its submenus; null if none.
    QAction* actionFor(const StatusMenuRow& row) const;

private:
    struct Row {
        std::shared_ptr<StatusMenuRow> row;
        QAction* action = nullptr;  // owned by the QMenu
        Bytes iconPNG;              // the image the action shows now
        bool iconChecked = false;   // whether that image carries the check mark
        std::unique_ptr<QtStatusMenu> submenu;
    };
    Row makeRow(const std::shared_ptr<StatusMenuRow>& row);
    void layOut();
    void update(Row& row);
    void updateSubmenu(Row& row);

    std::shared_ptr<StatusMenu> source_;
    QMenu* menu_;
    std::vector<Row> rows_;
};

}  // namespace tessane::qt_backend
