#pragma once

#include "base/Uuid.h"

#include <QAbstractListModel>
#include <QStyledItemDelegate>

#include <optional>

namespace tessane {
class WorkspaceManager;
}

namespace tessane::settings_qt {

// The workspaces as rows of a list view, read from the manager's list when the view asks for a
// row: a list of any length costs only the rows on screen. reset() after the list changed.
class WorkspaceRowsModel final : public QAbstractListModel {
public:
    static constexpr int kIdRole = Qt::UserRole + 1;       // the workspace id, as text
    static constexpr int kSummaryRole = Qt::UserRole + 2;  // its apps on one line

    explicit WorkspaceRowsModel(const WorkspaceManager& manager, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // After the manager's list changed: a new length resets the view, the same one repaints it.
    void reset();
    std::optional<Uuid> idAt(int row) const;
    // The row of the workspace with this id; -1 when there is none.
    int rowOf(const Uuid& id) const;

private:
    const WorkspaceManager& manager_;
    int shownCount_ = -1;
};

// Paints one row: the name (medium weight) and below it the apps in the caption font, cut to
// the row's width. Every row has the same height.
class WorkspaceRowDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

}  // namespace tessane::settings_qt
