#include "platform/qt/tray/QtStatusMenu.h"

#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QMenu>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QTimer>

#include <algorithm>

namespace tessane::qt_backend {

namespace {

// Rows show user text (workspace names): an ampersand in it is a character, not a mnemonic.
QString menuText(const StatusMenuRow& row) {
    QString text = QString::fromStdString(row.title).replace('&', "&&");
    // The text after a tab is shown in the menu's shortcut column.
    if (!row.shortcut.empty()) text += '\t' + QString::fromStdString(row.shortcut);
    return text;
}

// A check mark on the image's lower right corner: in a menu the row's image takes the place
// where the check mark would go, and styles show a checked image as a faint frame at most.
void paintCheckBadge(QPixmap& image) {
    const double side = image.width() / image.devicePixelRatio();
    const QRectF badge(side * 0.42, side * 0.42, side * 0.58, side * 0.58);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QApplication::palette().color(QPalette::Base), side / 16));
    p.setBrush(QApplication::palette().color(QPalette::Highlight));
    p.drawEllipse(badge);
    QPen tick(QApplication::palette().color(QPalette::HighlightedText), side / 10);
    tick.setCapStyle(Qt::RoundCap);
    tick.setJoinStyle(Qt::RoundJoin);
    p.setPen(tick);
    p.setBrush(Qt::NoBrush);
    const auto at = [&](double x, double y) { return QPointF(badge.x() + x * badge.width(), badge.y() + y * badge.height()); };
    const QPointF points[] = {at(0.27, 0.52), at(0.44, 0.68), at(0.74, 0.34)};
    p.drawPolyline(points, 3);
}

// The row's image at 16 x 16 (and 32 x 32 for dense screens), with a check mark on a checked row;
// an empty icon when the bytes make no image.
QIcon rowIcon(const Bytes& png, bool checked) {
    QPixmap image;
    if (png.empty() || !image.loadFromData(png.data(), static_cast<uint>(png.size()), "PNG")) return {};
    QIcon icon;
    for (int side : {16, 32}) {
        QPixmap scaled = image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        if (checked) paintCheckBadge(scaled);
        icon.addPixmap(scaled);
    }
    return icon;
}

// A menu's QActions go in the event loop's good time: one may be deleted while its own signal is
// being delivered (a row dropped by the refresh that runs as the menu opens).
void dropAction(QMenu* menu, QAction* action) {
    menu->removeAction(action);
    action->deleteLater();
}

}  // namespace

QtStatusMenu::QtStatusMenu(std::shared_ptr<StatusMenu> source, QMenu* parent)
    : source_(std::move(source)), menu_(new QMenu(parent)) {
    menu_->setToolTipsVisible(true);
    layOut();
}

QtStatusMenu::~QtStatusMenu() {
    rows_.clear();
    // The menu may be open, or may be emitting the signal that led here.
    menu_->hide();
    menu_->deleteLater();
}

QtStatusMenu::Row QtStatusMenu::makeRow(const std::shared_ptr<StatusMenuRow>& row) {
    Row built;
    built.row = row;
    built.action = new QAction(menu_);
    built.action->setSeparator(row->kind == StatusMenuRow::Kind::separator);
    std::weak_ptr<StatusMenuRow> weak = row;
    QAction* action = built.action;
    QObject::connect(action, &QAction::triggered, action, [weak, action] {
        auto chosen = weak.lock();
        if (!chosen) return;
        // A check mark is the owner's to set: clicking a checked row must not take it off here.
        action->setChecked(chosen->checked);
        // After the menu has closed: the action may rebuild or replace this very menu.
        if (chosen->action) QTimer::singleShot(0, chosen->action);
    });
    update(built);
    return built;
}

void QtStatusMenu::layOut() {
    std::vector<Row> old = std::move(rows_);
    rows_.clear();
    for (Row& row : old) menu_->removeAction(row.action);
    for (const auto& row : source_->rows) {
        if (!row) continue;
        auto kept = std::find_if(old.begin(), old.end(), [&](const Row& r) { return r.row == row && r.action; });
        if (kept != old.end()) {
            rows_.push_back(std::move(*kept));
            kept->action = nullptr;
            update(rows_.back());
        } else {
            rows_.push_back(makeRow(row));
        }
        menu_->addAction(rows_.back().action);
    }
    for (Row& row : old)
        if (row.action) {
            row.submenu.reset();
            dropAction(menu_, row.action);
        }
}

void QtStatusMenu::sync() {
    const auto& rows = source_->rows;
    const bool sameRows = std::equal(rows.begin(), rows.end(), rows_.begin(), rows_.end(),
                                     [](const auto& row, const Row& built) { return row == built.row; });
    if (!sameRows) return layOut();
    for (Row& row : rows_) update(row);
}

void QtStatusMenu::update(Row& built) {
    const StatusMenuRow& row = *built.row;
    QAction* action = built.action;
    action->setVisible(!row.hidden);
    if (row.kind == StatusMenuRow::Kind::separator) return;
    action->setText(menuText(row));
    action->setToolTip(QString::fromStdString(row.toolTip));
    action->setEnabled(row.enabled);
    // Only a checked row is checkable: an unchecked one shows no box of its own.
    action->setCheckable(row.checked);
    action->setChecked(row.checked);
    if (row.iconPNG != built.iconPNG || row.checked != built.iconChecked) {
        action->setIcon(rowIcon(row.iconPNG, row.checked));
        built.iconPNG = row.iconPNG;
        built.iconChecked = row.checked;
    }
    updateSubmenu(built);
}

void QtStatusMenu::updateSubmenu(Row& built) {
    const auto& wanted = built.row->submenu;
    if (built.submenu && built.submenu->source() == wanted) {
        built.submenu->sync();
        return;
    }
    auto replaced = std::move(built.submenu);
    if (wanted) built.submenu = std::make_unique<QtStatusMenu>(wanted, menu_);
    built.action->setMenu(built.submenu ? built.submenu->menu() : nullptr);
}

QAction* QtStatusMenu::actionFor(const StatusMenuRow& row) const {
    for (const Row& built : rows_) {
        if (built.row.get() == &row) return built.action;
        if (built.submenu)
            if (QAction* inner = built.submenu->actionFor(row)) return inner;
    }
    return nullptr;
}

}  // namespace tessane::qt_backend
