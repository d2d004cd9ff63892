#include "settings/qt/AppRowView.h"

#include "settings/qt/SettingsStyle.h"
#include "settings/qt/SettingsSymbols.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace tessane::settings_qt {

namespace {

// Opens a button's menu inside the button's window: under the button with their right edges in
// line (the button sits at the row's end), above it when there is no room below. Moved as it is
// shown, before it is mapped, so it never appears elsewhere first.
class MenuInsideWindow final : public QObject {
public:
    MenuInsideWindow(QWidget* button, QMenu* menu) : QObject(menu), button_(button) { menu->installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Show) return false;
        auto* menu = static_cast<QMenu*>(watched);
        const QRect window = button_->window()->geometry();
        const QRect anchor(button_->mapToGlobal(QPoint(0, 0)), button_->size());
        const QSize size = menu->sizeHint();
        QPoint at(anchor.right() + 1 - size.width(), anchor.bottom() + 1);
        if (at.y() + size.height() > window.bottom() + 1) at.setY(anchor.top() - size.height());
        at.setX(std::clamp(at.x(), window.left(), std::max(window.left(), window.right() + 1 - size.width())));
        at.setY(std::max(at.y(), window.top()));
        menu->move(at);
        return false;
    }

private:
    QWidget* button_;
};

}  // namespace

PillLabel::PillLabel(const QString& text, QWidget* parent) : QWidget(parent), text_(text) {
    setFont(captionFont());
    setObjectName("paneLabel");
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize PillLabel::sizeHint() const {
    const QFontMetrics m(font());
    return {m.horizontalAdvance(text_) + 12, m.height() + 4};
}

void PillLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QColor fill = palette().color(QPalette::WindowText);
    fill.setAlphaF(0.1);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    const QRectF r = QRectF(rect());
    p.drawRoundedRect(r, r.height() / 2, r.height() / 2);
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(r, Qt::AlignCenter, text_);
}

AppRowView::AppRowView(const WorkspaceEditor::AppRow& row, const std::optional<Bytes>& iconPNG, Commands commands,
                       QWidget* parent)
    : QWidget(parent) {
    setObjectName(QString::fromStdString(row.app.displayName));
    auto* h = new QHBoxLayout(this);
    h->setContentsMargins(12, 8, 12, 8);
    h->setSpacing(10);

    auto* icon = new QLabel;
    icon->setFixedSize(24, 24);
    QPixmap pixmap;
    if (iconPNG && pixmap.loadFromData(iconPNG->data(), static_cast<uint>(iconPNG->size()))) {
        icon->setPixmap(pixmap.scaled(48, 48, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        icon->setScaledContents(true);
    } else {
        QColor secondary = palette().color(QPalette::WindowText);
        secondary.setAlphaF(0.5);
        icon->setPixmap(symbolPixmap(Symbol::appDashed, 24, secondary));
    }
    h->addWidget(icon);

    auto* names = new QVBoxLayout;
    names->setSpacing(1);
    names->addWidget(new QLabel(QString::fromStdString(row.app.displayName)));
    auto* bundle = new QLabel(QString::fromStdString(row.app.bundleIdentifier));
    bundle->setFont(captionFont());
    makeSecondary(bundle);
    names->addWidget(bundle);
    h->addLayout(names);
    h->addStretch();

    h->addWidget(new PillLabel(QString::fromStdString(row.paneLabel)));
    if (row.isPrimary) {
        auto* badge = new QLabel(WorkspaceEditor::kPrimaryBadge);
        badge->setObjectName("primaryBadge");
        badge->setFont(captionFont());
        // The link colour: an accent the theme keeps readable as small text.
        badge->setForegroundRole(QPalette::Link);
        h->addWidget(badge);
    }

    menu_ = new QToolButton;
    menu_->setObjectName("rowMenu");
    menu_->setAutoRaise(true);
    menu_->setIcon(symbolIcon(Symbol::ellipsisCircle, 16, palette().color(QPalette::WindowText)));
    menu_->setPopupMode(QToolButton::InstantPopup);
    menu_->setStyleSheet("QToolButton::menu-indicator { image: none; }");
    auto* menu = new QMenu(menu_);
    if (!row.isPrimary) QObject::connect(menu->addAction(WorkspaceEditor::kMakePrimary), &QAction::triggered, this, [c = commands.makePrimary] { c(); });
    auto* up = menu->addAction(WorkspaceEditor::kMoveUp);
    up->setEnabled(row.canMoveUp);
    QObject::connect(up, &QAction::triggered, this, [c = commands.moveUp] { c(); });
    auto* down = menu->addAction(WorkspaceEditor::kMoveDown);
    down->setEnabled(row.canMoveDown);
    QObject::connect(down, &QAction::triggered, this, [c = commands.moveDown] { c(); });
    menu->addSeparator();
    QObject::connect(menu->addAction(WorkspaceEditor::kRemove), &QAction::triggered, this, [c = commands.remove] { c(); });
    new MenuInsideWindow(menu_, menu);
    menu_->setMenu(menu);
    h->addWidget(menu_);
}

}  // namespace tessane::settings_qt
