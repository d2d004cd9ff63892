#pragma once

#include "platform/StatusItem.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace tessane::sim {

// A tray icon that keeps what it was given, so tests can read the icon, the tool tip and the
// menu, open the menu as a host would and choose a row.
class SimStatusItem final : public StatusItem {
public:
    bool available = true;

    bool isAvailable() const override { return available; }
    void setImage(const StatusImage& image) override { image_ = image; }
    void setToolTip(const std::string& text) override { toolTip_ = text; }
    void setMenu(std::shared_ptr<StatusMenu> menu) override {
        menu_ = std::move(menu);
        ++menusInstalled_;
    }
    void menuChanged() override { ++menuChanges_; }
    void setMenuWillOpenHandler(std::function<void()> handler) override { willOpen_ = std::move(handler); }

    const std::optional<StatusImage>& image() const { return image_; }
    const std::string& toolTip() const { return toolTip_; }
    const std::shared_ptr<StatusMenu>& menu() const { return menu_; }
    // How many menus were installed (setMenu calls) and how often rows changed in place.
    int menusInstalled() const { return menusInstalled_; }
    int menuChanges() const { return menuChanges_; }

    // The host is about to open the menu.
    void open() {
        if (willOpen_) willOpen_();
    }
    // The first visible row titled `title` (in `menu`, else the installed menu); null when none.
    std::shared_ptr<StatusMenuRow> row(const std::string& title, const StatusMenu* menu = nullptr) const {
        if (!menu) menu = menu_.get();
        if (!menu) return nullptr;
        for (const auto& r : menu->rows)
            if (r->kind == StatusMenuRow::Kind::action && r->title == title) return r;
        return nullptr;
    }
    // Runs the row's action as a host does for a chosen row: only when it is shown, enabled and
    // has one (also in a submenu, given as `menu`). False when nothing ran.
    bool choose(const std::string& title, const StatusMenu* menu = nullptr) const {
        const auto r = row(title, menu);
        if (!r || r->hidden || !r->enabled || !r->action) return false;
        auto action = r->action;
        action();
        return true;
    }

private:
    std::optional<StatusImage> image_;
    std::string toolTip_;
    std::shared_ptr<StatusMenu> menu_;
    int menusInstalled_ = 0;
    int menuChanges_ = 0;
    std::function<void()> willOpen_;
};

}  // namespace tessane::sim
