#include "settings/qt/WorkspacesTabView.h"

#include "model/WorkspaceManager.h"
#include "settings/qt/SettingsStyle.h"
#include "settings/qt/SettingsSymbols.h"
#include "settings/qt/WorkspaceEditorView.h"
#include "settings/qt/WorkspaceRows.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
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
    split->addWidget(makeSidebar());
    detail_ = new QStackedWidget;
    detail_->addWidget(makeEmptyState());
    split->addWidget(detail_);
    split->setStretchFactor(1, 1);
    split->setSizes({240, 540});

    connect(plus_, &QToolButton::clicked, this, [this] { if (commands_.onNewWorkspace) commands_.onNewWorkspace(); });
    connect(minus_, &QToolButton::clicked, this, [this] { list_.deleteSelection(); });
    connect(rows_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { list_.select(model_->idAt(current.row())); });
    connect(rows_, &QListView::customContextMenuRequested, this, [this](const QPoint& at) {
        const QModelIndex index = rows_->indexAt(at);
        if (!index.isValid()) return;
        QMenu menu;
        const int row = index.row();
        QObject::connect(menu.addAction(WorkspaceList::kDelete), &QAction::triggered, this, [this, row] { deleteRow(row); });
        menu.exec(rows_->viewport()->mapToGlobal(at));
    });

    drawSymbols();
    workspaces_ = services_.manager->observeWorkspaces([this](const auto&) { scheduleRefresh(); });
    selection_ = list_.observeSelection([this] { scheduleRefresh(); });
    refresh();
}

QWidget* WorkspacesTabView::makeSidebar() {
    auto* sidebar = new QWidget;
    sidebar->setMinimumWidth(200);
    sidebar->setMaximumWidth(320);
    auto* side = new QVBoxLayout(sidebar);
    side->setContentsMargins(0, 0, 0, 0);
    side->setSpacing(0);
    auto* header = caption(WorkspaceList::kHeader);
    header->setContentsMargins(10, 8, 10, 4);
    side->addWidget(header);
    model_ = new WorkspaceRowsModel(*services_.manager, this);
    rows_ = new QListView;
    rows_->setObjectName("workspaceList");
    rows_->setModel(model_);
    rows_->setItemDelegate(new WorkspaceRowDelegate(rows_));
    // Equal rows: the view lays out any number of them without asking each for its size.
    rows_->setUniformItemSizes(true);
    rows_->setSelectionMode(QAbstractItemView::SingleSelection);
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
    return sidebar;
}

QWidget* WorkspacesTabView::makeEmptyState() {
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
    connect(create, &QPushButton::clicked, this, [this] { if (commands_.onNewWorkspace) commands_.onNewWorkspace(); });
    return empty_;
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
    if (const auto id = model_->idAt(row)) list_.deleteWorkspace(*id);
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
        const QSignalBlocker block(rows_->selectionModel());
        model_->reset();
        const int picked = list_.selection() ? model_->rowOf(*list_.selection()) : -1;
        if (picked >= 0) {
            const QModelIndex index = model_->index(picked);
            rows_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        }
    }
    rows_->viewport()->update();
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
