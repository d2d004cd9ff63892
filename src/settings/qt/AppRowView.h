#pragma once

#include "settings/WorkspaceEditor.h"

#include <QWidget>

#include <functional>

class QToolButton;

namespace tessane::settings_qt {

// One app of the editor's list: icon, name and bundle identifier, the pane label as a pill, the
// "Primary" badge and the ⋯ menu (Make Primary, Move Up, Move Down, Remove).
class AppRowView final : public QWidget {
public:
    struct Commands {
        std::function<void()> makePrimary, moveUp, moveDown, remove;
    };

    // `icon`: the PNG the row shows (WorkspaceEditor::rowIcon); none or unreadable: a dashed app.
    AppRowView(const WorkspaceEditor::AppRow& row, const std::optional<Bytes>& icon, Commands commands,
               QWidget* parent = nullptr);

    QToolButton* menuButton() const { return menu_; }

private:
    QToolButton* menu_ = nullptr;
};

// The pane label's pill.
class PillLabel final : public QWidget {
public:
    explicit PillLabel(const QString& text, QWidget* parent = nullptr);
    QSize sizeHint() const override;
    QString text() const { return text_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QString text_;
};

}  // namespace tessane::settings_qt
