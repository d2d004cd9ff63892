#include "platform/qt/tray/QtMenus.h"

#include "platform/linux/x11/X11ScreenSpace.h"
#include "platform/qt/DeviceSpace.h"

#include <QAction>
#include <QMenu>
#include <QTimer>


namespace tessane::qt_backend {

QMenu* QtMenus::build(const MenuContent& content) {
    auto* menu = new QMenu;
    menu->setToolTipsVisible(true);
    for (const MenuItem& item : content.items) {
        switch (item.kind) {
        case MenuItem::Kind::separator:
            menu->addSeparator();
            break;
        case MenuItem::Kind::header:
            menu->addAction(QString::fromStdString(item.title))->setEnabled(false);
            break;
        case MenuItem::Kind::action: {
            // The text after a tab is shown in the menu's shortcut column.
            QString text = QString::fromStdString(item.title);
            if (!item.shortcut.empty()) text += '\t' + QString::fromStdString(item.shortcut);
            QAction* action = menu->addAction(text);
            if (!item.toolTip.empty()) action->setToolTip(QString::fromStdString(item.toolTip));
            QObject::connect(action, &QAction::triggered, [run = item.action] {
                // After the menu has closed and whoever opened it has returned: the action may
                // tear down the chrome that asked for the menu.
                if (run) QTimer::singleShot(0, run);
            });
            break;
        }
        }
    }
    return menu;
}

void QtMenus::popUp(const MenuContent& content, Point screenPoint) {
    QMenu* menu = build(content);
    const Rect root = space_.rootFromScreen({screenPoint.x, screenPoint.y, 0, 0});
    menu->exec(qtFromRoot(root.origin));
    menu->deleteLater();
}

}  // namespace tessane::qt_backend
