// The peer of the program's idle memory: a Qt "hello world" of the tray, a QApplication with one
// QSystemTrayIcon and its menu and nothing else; its icon carries a letter, so it has drawn text once. app_runs_bench starts it on the same server,
// window manager and tray as the program and reads its resident memory the same way.
// Prints "ready" once the icon is shown (docked when a tray runs).
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    QPixmap pixmap(22, 22);
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(Qt::black);
        painter.drawEllipse(3, 3, 16, 16);
        // Text drawn once, as any real tray program does somewhere (its menu, a tool tip): the
        // fonts and the shaping are loaded, as the program's chrome loads them.
        painter.setPen(Qt::white);
        painter.drawText(pixmap.rect(), Qt::AlignCenter, "H");
    }
    QMenu menu;
    menu.addAction("Hello");
    QObject::connect(menu.addAction("Quit"), &QAction::triggered, &app, &QApplication::quit);
    QSystemTrayIcon icon{QIcon(pixmap)};
    icon.setContextMenu(&menu);
    icon.setToolTip("Hello");
    icon.show();
    QTimer::singleShot(0, [] {
        std::printf("ready\n");
        std::fflush(stdout);
    });
    return app.exec();
}
