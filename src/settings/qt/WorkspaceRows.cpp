#include "settings/qt/WorkspaceRows.h"

#include "model/WorkspaceManager.h"
#include "settings/qt/SettingsStyle.h"

#include <QApplication>
#include <QPainter>

namespace tessane::settings_qt {

namespace {

constexpr int kHorizontalMargin = 8;
constexpr int kVerticalMargin = 2;
constexpr int kLineSpacing = 2;

QFont nameFont(const QFont& base) {
    QFont medium = base;
    medium.setWeight(QFont::Medium);
    return medium;
}

}  // namespace

WorkspaceRowsModel::WorkspaceRowsModel(const WorkspaceManager& manager, QObject* parent)
    : QAbstractListModel(parent), manager_(manager), shownCount_(rowCount()) {}

int WorkspaceRowsModel::rowCount(const QModelIndex& parent) const {
    // The view is told of a new length only by reset(): until then it sees the length it knows.
    if (parent.isValid()) return 0;
    return shownCount_ >= 0 ? shownCount_ : static_cast<int>(manager_.workspaces().get().size());
}

QVariant WorkspaceRowsModel::data(const QModelIndex& index, int role) const {
    const auto& list = manager_.workspaces().get();
    if (!index.isValid() || index.row() < 0 || static_cast<size_t>(index.row()) >= list.size()) return {};
    const Workspace& ws = list[static_cast<size_t>(index.row())];
    switch (role) {
        case Qt::DisplayRole:
            return QString::fromStdString(ws.name);
        case kSummaryRole:
        case Qt::ToolTipRole:
            return QString::fromStdString(ws.appsSummary());
        case kIdRole:
            return QString::fromStdString(ws.id.string());
        default:
            return {};
    }
}

void WorkspaceRowsModel::reset() {
    const int count = static_cast<int>(manager_.workspaces().get().size());
    if (count == shownCount_) {
        // Same number of rows: the view repaints what it shows and keeps its scroll position.
        if (count > 0) Q_EMIT dataChanged(index(0), index(count - 1));
        return;
    }
    beginResetModel();
    shownCount_ = count;
    endResetModel();
}

std::optional<Uuid> WorkspaceRowsModel::idAt(int row) const {
    const auto& list = manager_.workspaces().get();
    if (row < 0 || static_cast<size_t>(row) >= list.size()) return std::nullopt;
    return list[static_cast<size_t>(row)].id;
}

int WorkspaceRowsModel::rowOf(const Uuid& id) const {
    const auto& list = manager_.workspaces().get();
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].id == id) return static_cast<int>(i);
    return -1;
}

void WorkspaceRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    background.text.clear();
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &background, painter, widget);

    const bool selected = option.state & QStyle::State_Selected;
    const QPalette& palette = option.palette;
    const QRect inner = option.rect.adjusted(kHorizontalMargin, kVerticalMargin, -kHorizontalMargin, -kVerticalMargin);
    const QFont name = nameFont(option.font);
    const QFont summary = captionFont();
    const int nameHeight = QFontMetrics(name).height();

    painter->save();
    painter->setFont(name);
    painter->setPen(palette.color(selected ? QPalette::HighlightedText : QPalette::WindowText));
    const QRect nameRect(inner.left(), inner.top(), inner.width(), nameHeight);
    painter->drawText(nameRect, Qt::AlignLeft | Qt::AlignVCenter,
                      QFontMetrics(name).elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight, inner.width()));
    painter->setFont(summary);
    // On the selection colour both lines take its text colour.
    painter->setPen(palette.color(selected ? QPalette::HighlightedText : QPalette::PlaceholderText));
    const QRect summaryRect(inner.left(), nameRect.bottom() + 1 + kLineSpacing, inner.width(),
                            QFontMetrics(summary).height());
    painter->drawText(summaryRect, Qt::AlignLeft | Qt::AlignVCenter,
                      QFontMetrics(summary).elidedText(index.data(WorkspaceRowsModel::kSummaryRole).toString(),
                                                       Qt::ElideRight, inner.width()));
    painter->restore();
}

QSize WorkspaceRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    const int height = 2 * kVerticalMargin + QFontMetrics(nameFont(option.font)).height() + kLineSpacing +
                       QFontMetrics(captionFont()).height();
    return {2 * kHorizontalMargin, height};
}

}  // namespace tessane::settings_qt
