#pragma once

#include "platform/StatusItem.h"
#include "platform/qt/tray/StatusIconPainter.h"

#include <QColor>
#include <QIcon>

#include <functional>
#include <map>
#include <memory>
#include <optional>

class QMenu;
class QObject;
class QSystemTrayIcon;
class QTimer;

namespace tessane::qt_backend {

class QtStatusMenu;
class TrayColours;

// The status item as a QSystemTrayIcon with a QMenu. Qt shows it as a StatusNotifierItem when the
// session has a host for those, else in the XEmbed system tray of the X screen (and docks it in a
// tray that starts later). The menu opens on a right click (the host's context menu) and, as users
// expect, on a left click too. The icon is inked to stand out from the panel it is docked in: in
// the foreground colour the tray announces, else against the panel's colour as seen around the
// docked icon (read again when the icon moves, the palette changes or the menu opens), else in the
// palette's ink with an outline of the opposite one. Needs a QApplication; main thread only.
//
// The icon's description has no place in a tray icon that Qt offers (a tray icon has no
// accessible name); it is kept here, and the tooltip tells the same state in words.
class QtStatusItem final : public StatusItem {
public:
    QtStatusItem();
    ~QtStatusItem() override;

    bool isAvailable() const override;
    void setImage(const StatusImage& image) override;
    void setToolTip(const std::string& text) override;
    void setMenu(std::shared_ptr<StatusMenu> menu) override;
    void menuChanged() override;
    void setMenuWillOpenHandler(std::function<void()> handler) override;

    QSystemTrayIcon& trayIcon() const { return *icon_; }
    // The installed menu's QMenu; null before the first setMenu.
    QMenu* menu() const;
    const QtStatusMenu* statusMenu() const { return menu_.get(); }
    const std::string& description() const { return image_.description; }
    QColor iconColour() const { return ink_.ink; }
    const StatusIconInk& iconInk() const { return ink_; }
    // Reads the tray's colours and the panel behind the icon again and repaints if the ink changed.
    // The colours are asked without waiting: the icon is inked again once they are told.
    void refreshInk();

private:
    // Inks the icon for the colours last told and the panel behind it now.
    void applyInk();
    void takeColours();
    void repaint();
    void openMenuAtPointer();

    std::unique_ptr<QSystemTrayIcon> icon_;
    std::unique_ptr<QtStatusMenu> menu_;
    std::function<void()> willOpen_;
    StatusImage image_;
    StatusIconInk ink_;
    // Each state's icon (live, badged), made once for the ink in force and shown again as the
    // state comes back: a new icon at every change would leave its sizes cached behind it.
    std::map<std::pair<bool, bool>, QIcon> icons_;
    unsigned long placeChanges_ = 0;  // the reads after a change stand down for a newer one
    static constexpr int kPlaceReads = 20;
    int placeReads_ = 0;
    std::unique_ptr<QObject> watch_;
    std::unique_ptr<TrayColours> colours_;
    std::optional<QColor> inkedFor_;       // the announced colour the ink was last chosen for
    std::unique_ptr<QTimer> coloursPoll_;  // looks for the colours' answer while it is asked
};

}  // namespace tessane::qt_backend
