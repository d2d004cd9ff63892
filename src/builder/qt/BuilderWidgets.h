#pragma once

#include "model/LayoutType.h"
#include "platform/PanelDrawing.h"

#include <QAbstractButton>
#include <QColor>
#include <QPixmap>
#include <QWidget>

#include <functional>

namespace tessane::builder_qt {

// The builder's colours: the chrome's semantic roles in the current appearance.
QColor color(ColorRole role, bool dark, double alpha = 1.0);
// Fonts of the builder's text styles.
QFont captionFont();
QFont caption2Font();
QFont calloutFont();

// The small drawing of a layout: each pane a rounded rectangle in the secondary colour.
void paintLayoutThumbnail(QPainter& painter, LayoutType type, const QRectF& area, bool dark);

// A tile the keyboard can reach: Tab stops on it and shows a focus ring, Space and Return press
// it, and the arrow keys move to the nearest visible tile of the same group in that direction.
class KeyTile : public QAbstractButton {
public:
    enum class Group { gallery, panes };
    KeyTile(Group group, QWidget* parent);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // The ring drawn around `r` while the tile has the keyboard focus.
    void paintFocusRing(QPainter& painter, const QRectF& r, double radius, bool dark) const;

private:
    Group group_;
};

// One entry of the layout gallery: the thumbnail on its tile and the layout's name below.
class GalleryButton final : public KeyTile {
public:
    GalleryButton(LayoutType type, bool dark, QWidget* parent = nullptr);
    LayoutType type() const { return type_; }
    void setSelected(bool selected);
    bool isSelected() const { return selected_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    LayoutType type_;
    bool dark_;
    bool selected_ = false;
};

// One pane of the pane area: a dashed, rounded cell holding either an application (icon, name,
// Remove) or, when empty, an "Add App" button that takes the whole cell.
class PaneCell final : public QWidget {
public:
    struct Content {
        bool filled = false;
        QString name;
        QPixmap icon;
    };
    PaneCell(const Content& content, bool dark, std::function<void()> onAdd, std::function<void()> onRemove,
             QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    bool dark_;
};

}  // namespace tessane::builder_qt
