#pragma once

#include "base/Signal.h"
#include "settings/WorkspaceEditor.h"
#include "settings/WorkspaceList.h"

#include <QWidget>

#include <functional>
#include <optional>

class QLabel;
class QListView;
class QStackedWidget;
class QToolButton;

namespace tessane::settings_qt {

class WorkspaceEditorView;
class WorkspaceRowsModel;

// The Workspaces tab: the list of workspaces in a sidebar with + and − below it, and the editor
// of the picked one (or the empty state) beside it. Redraws after every stored change.
class WorkspacesTabView final : public QWidget {
public:
    struct Commands {
        std::function<void()> onNewWorkspace;
        std::function<void()> onDismiss;
        std::function<void()> onReturnToFront;
    };

    WorkspacesTabView(WorkspaceEditor::Services services, Commands commands, QWidget* parent = nullptr);
    ~WorkspacesTabView() override;

    WorkspaceList& list() { return list_; }
    // Rows are made as the view shows them, whatever the number of workspaces.
    QListView* listView() const { return rows_; }
    QToolButton* plusButton() const { return plus_; }
    QToolButton* minusButton() const { return minus_; }
    // The editor shown, or none (the empty state).
    WorkspaceEditorView* editorView() const { return editor_; }
    QWidget* emptyState() const { return empty_; }
    // The context menu of a row, as a right-click opens it.
    void deleteRow(int row);

    // Rows and detail as the manager and the pick now are.
    void refresh();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // The list of workspaces with + and − below it.
    QWidget* makeSidebar();
    // What the detail shows while no workspace is picked.
    QWidget* makeEmptyState();
    void drawSymbols();
    void syncDetail();
    void scheduleRefresh();

    WorkspaceEditor::Services services_;
    Commands commands_;
    WorkspaceList list_;
    WorkspaceRowsModel* model_ = nullptr;
    QListView* rows_ = nullptr;
    QToolButton* plus_ = nullptr;
    QToolButton* minus_ = nullptr;
    QStackedWidget* detail_ = nullptr;
    QWidget* empty_ = nullptr;
    QLabel* emptySymbol_ = nullptr;
    WorkspaceEditorView* editor_ = nullptr;
    bool refreshPending_ = false;
    Subscription workspaces_;
    Subscription selection_;
};

}  // namespace tessane::settings_qt
