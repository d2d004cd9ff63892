#include "settings/qt/WorkspacesTabView.h"

#include "model/WorkspaceManager.h"
#include "settings/qt/SettingsStyle.h"
#include "settings/qt/SettingsSymbols.h"
#include "settings/qt/WorkspaceEditorView.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace tessane::settings_qt {

namespace {

constexpr int kIdRole = Qt::UserRole + 1;

// One row: the name, and the apps on one line below it.
QWidget* rowWidget(const WorkspaceList::Row& row, bool selected) {
    auto* w = new QWidget;
    auto* v = new QVBoxLayout(w);
    v->setContentsMargins(8, 2, 8, 2);
    v->setSpacing(2);
    auto* name = new QLabel(QString::fromStdString(row.name));
    QFont medium = name->font();
    medium.setWeight(QFont::Medium);
    name->setFont(medium);
    auto* apps = caption({});
    apps->setWordWrap(false);
    apps->setObjectName("appsSummary");
    const QString summary = QString::fromStdString(row.appsSummary);
    apps->setText(summary);
    apps->setToolTip(summary);
    apps->setMinimumWidth(1);  // the sidebar's width cuts it to one line
    if (selected) {
        // On the selection colour both lines take its text colour.
        name->setForegroundRole(QPalette::HighlightedText);
        apps->setForegroundRole(QPalette::HighlightedText);
    }
    v->addWidget(name);
    v->addWidget(apps);
    return w;
}

QToolButton* barButton(const char* tip) {
    auto* b = new QToolButton;
    b->setAutoRaise(true);
    b->setFixedSize(24, 20);
    b->setToolTip(QString::fromUtf8(tip));
    return b;
}

}  // namespace

WorkspacesTabView::WorkspacesTabView(WorkspaceEditor::Services services, Commands commands, QWidget* parent)
    : QWidget(parent), services_(services), commands_(std::move(commands)), list_(*services.manager, *services.controller) {
    setObjectName("workspacesTab");
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* split = new QSplitter(Qt::Horizontal);
    outer->addWidget(split);

    auto* sidebar = new QWidget;
    sidebar->setMinimumWidth(200);
    sidebar->setMaximumWidth(320);
    auto* side = new QVBoxLayout(sidebar);
    side->setContentsMargins(0, 0, 0, 0);
    side->setSpacing(0);
    auto* header = caption(WorkspaceList::kHeader);
    header->setContentsMargins(10, 8, 10, 4);
    side->addWidget(header);
    rows_ = new QListWidget;
    rows_->setObjectName("workspaceList");
    rows_->setFrameShape(QFrame::NoFrame);
    rows_->setContextMenuPolicy(Qt::CustomContextMenu);
    rows_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    side->addWidget(rows_, 1);
    auto* bar = new QWidget;
    bar->setAutoFillBackground(true);
    bar->setBackgroundRole(QPalette::Button);
    auto* h = new QHBoxLayout(bar);
    h->setContentsMargins(8, 4, 8, 4);
    h->setSpacing(0);
    plus_ = barButton(WorkspaceList::kNewWorkspaceTip);
    plus_->setObjectName("plus");
    minus_ = barButton(WorkspaceList::kDeleteWorkspaceTip);
    minus_->setObjectName("minus");
    h->addWidget(plus_);
    h->addWidget(minus_);
    h->addStretch();
    side->addWidget(bar);
    split->addWidget(sidebar);

    detail_ = new QStackedWidget;
    empty_ = new QWidget;
    empty_->setObjectName("emptyDetail");
    auto* e = new QVBoxLayout(empty_);
    e->setSpacing(8);
    e->addStretch();
    emptySymbol_ = new QLabel;
    emptySymbol_->setAlignment(Qt::AlignCenter);
    auto* title = new QLabel(WorkspaceList::kEmptyTitle);
    QFont title3 = title->font();
    title3.setPointSizeF(title3.pointSizeF() * 1.3);
    title->setFont(title3);
    title->setAlignment(Qt::AlignCenter);
    auto* message = new QLabel(WorkspaceList::kEmptyMessage);
    message->setFont(calloutFont());
    makeSecondary(message);
    message->setAlignment(Qt::AlignCenter);
    auto* create = new QPushButton(WorkspaceList::kNewWorkspace);
    create->setObjectName("emptyNewWorkspace");
    e->addWidget(emptySymbol_);
    e->addWidget(title);
    e->addWidget(message);
    e->addSpacing(4);
    e->addWidget(create, 0, Qt::AlignCenter);
    e->addStretch();
    detail_->addWidget(empty_);
    split->addWidget(detail_);
    split->setStretchFactor(1, 1);
    split->setSizes({240, 540});

    connect(plus_, &QToolButton::clicked, this, [this] { if (commands_.onNewWorkspace) commands_.onNewWorkspace(); });
    connect(create, &QPushButton::clicked, this, [this] { if (commands_.onNewWorkspace) commands_.onNewWorkspace(); });
    connect(minus_, &QToolButton::clicked, this, [this] { list_.deleteSelection(); });
    connect(rows_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        list_.select(item ? Uuid::parse(item->data(kIdRole).toString().toStdString()) : std::nullopt);
    });
    connect(rows_, &QListWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        auto* item = rows_->itemAt(at);
        if (!item) return;
        QMenu menu;
        const int row = rows_->row(item);
        QObject::connect(menu.addAction(WorkspaceList::kDelete), &QAction::triggered, this, [this, row] { deleteRow(row); });
        menu.exec(rows_->viewport()->mapToGlobal(at));
    });

    drawSymbols();
    workspaces_ = services_.manager->observeWorkspaces([this](const auto&) { scheduleRefresh(); });
    selection_ = list_.observeSelection([this] { scheduleRefresh(); });
    refresh();
}

WorkspacesTabView::~WorkspacesTabView() = default;

void WorkspacesTabView::drawSymbols() {
    const QColor ink = palette().color(QPalette::WindowText);
    plus_->setIcon(symbolIcon(Symbol::plus, 12, ink));
    minus_->setIcon(symbolIcon(Symbol::minus, 12, ink));
    QColor secondary = ink;
    secondary.setAlphaF(0.5);
    emptySymbol_->setPixmap(symbolPixmap(Symbol::splitRectangle, 36, secondary));
}

void WorkspacesTabView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::PaletteChange) return;
    // The drawn symbols and the rows take the new theme's colours.
    drawSymbols();
    scheduleRefresh();
}

void WorkspacesTabView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    list_.appear();
    refresh();
}

void WorkspacesTabView::deleteRow(int row) {
    if (auto* item = rows_->item(row)) {
        if (const auto id = Uuid::parse(item->data(kIdRole).toString().toStdString())) list_.deleteWorkspace(*id);
    }
}

void WorkspacesTabView::scheduleRefresh() {
    // The manager tells before it changes: read it on the next turn.
    if (refreshPending_) return;
    refreshPending_ = true;
    QTimer::singleShot(0, this, [this] {
        refreshPending_ = false;
        refresh();
    });
}

void WorkspacesTabView::refresh() {
    {
        const QSignalBlocker block(rows_);
        rows_->clear();
        for (const auto& row : list_.rows()) {
            auto* item = new QListWidgetItem;
            item->setData(kIdRole, QString::fromStdString(row.id.string()));
            auto* widget = rowWidget(row, list_.selection() == row.id);
            item->setSizeHint(widget->sizeHint());
            rows_->addItem(item);
            rows_->setItemWidget(item, widget);
            if (list_.selection() == row.id) rows_->setCurrentItem(item);
        }
    }
    minus_->setEnabled(list_.canDeleteSelection());
    syncDetail();
}

void WorkspacesTabView::syncDetail() {
    const auto picked = list_.pickedWorkspace();
    if (!picked) {
        if (editor_) {
            detail_->removeWidget(editor_);
            editor_->deleteLater();
            editor_ = nullptr;
        }
        detail_->setCurrentWidget(empty_);
        return;
    }
    if (editor_ && editor_->editor().workspaceID() == picked->id) {
        editor_->refresh();
        return;
    }
    // Another pick: a fresh editor, so a half-typed name does not carry over.
    if (editor_) {
        detail_->removeWidget(editor_);
        editor_->deleteLater();
    }
    editor_ = new WorkspaceEditorView(std::make_unique<WorkspaceEditor>(services_, picked->id, commands_.onDismiss,
                                                                        commands_.onReturnToFront));
    detail_->addWidget(editor_);
    detail_->setCurrentWidget(editor_);
}

}  // namespace tessane::settings_qt
