#pragma once

#include "settings/WorkspaceEditor.h"

#include <QScrollArea>

#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class QVBoxLayout;

namespace tessane::settings_qt {

class AppRowView;

// The editor of one workspace: name, apps, layout, primary app and actions. It shows what the
// WorkspaceEditor reads from the manager and hands every edit to it; refresh() redraws after a
// stored change.
class WorkspaceEditorView final : public QScrollArea {
public:
    explicit WorkspaceEditorView(std::unique_ptr<WorkspaceEditor> editor, QWidget* parent = nullptr);
    ~WorkspaceEditorView() override;

    WorkspaceEditor& editor() const { return *editor_; }
    void refresh();

    QLineEdit* nameField() const { return name_; }
    QComboBox* layoutPicker() const { return layout_; }
    QComboBox* primaryPicker() const { return primary_; }
    QPushButton* addAppButton() const { return addApp_; }
    QLabel* hintLabel() const { return hint_; }
    QLabel* countLabel() const { return count_; }
    QPushButton* actionButton(size_t index) const { return actions_.at(index); }
    // The app rows, in order.
    QList<AppRowView*> appRows() const;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Each fills its section of the editor's column with its controls and hands their input to the editor.
    void addNameSection(QVBoxLayout* into);
    void addAppsSection(QVBoxLayout* into);
    void addLayoutSection(QVBoxLayout* into);
    void addPrimarySection(QVBoxLayout* into);
    void addActionsSection(QVBoxLayout* into);
    void rebuildApps(const Workspace& workspace);
    void colourHint();

    std::unique_ptr<WorkspaceEditor> editor_;
    QStackedWidget* pages_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLabel* count_ = nullptr;
    QWidget* appsHolder_ = nullptr;
    QVBoxLayout* appsLayout_ = nullptr;
    QPushButton* addApp_ = nullptr;
    QLabel* hint_ = nullptr;
    QComboBox* layout_ = nullptr;
    QLabel* layoutCaption_ = nullptr;
    QComboBox* primary_ = nullptr;
    QLabel* noPrimary_ = nullptr;
    std::vector<QPushButton*> actions_;
    std::vector<WorkspaceEditor::LayoutItem> layoutItems_;
    QList<AppRowView*> rows_;
};

}  // namespace tessane::settings_qt
