#include "settings/qt/WorkspaceEditorView.h"

#include "model/AppCompatibilityNotes.h"
#include "platform/qt/panels/TextContrast.h"
#include "settings/PaneLabels.h"
#include "settings/qt/AppRowView.h"
#include "settings/qt/FocusedWheelComboBox.h"
#include "settings/qt/SettingsStyle.h"
#include "settings/qt/SettingsSymbols.h"

#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace tessane::settings_qt {

namespace {

QLabel* headline(const char* text) {
    auto* label = new QLabel(QString::fromUtf8(text));
    label->setFont(headlineFont());
    return label;
}

QVBoxLayout* section(QVBoxLayout* into, int spacing) {
    auto* v = new QVBoxLayout;
    v->setSpacing(spacing);
    into->addLayout(v);
    return v;
}

// A rounded panel on the control background, outlined (dashed for the empty state).
class RoundedPanel final : public QFrame {
public:
    explicit RoundedPanel(bool dashed) : dashed_(dashed) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QColor line = palette().color(QPalette::WindowText);
        line.setAlphaF(0.2);
        QPen pen(line, 1);
        if (dashed_) pen.setDashPattern({4, 4});
        p.setPen(pen);
        p.setBrush(palette().color(QPalette::Base));
        p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
    }

private:
    bool dashed_;
};

QFrame* divider() {
    auto* line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setForegroundRole(QPalette::Mid);
    return line;
}

}  // namespace

WorkspaceEditorView::WorkspaceEditorView(std::unique_ptr<WorkspaceEditor> editor, QWidget* parent)
    : QScrollArea(parent), editor_(std::move(editor)) {
    setObjectName("workspaceEditor");
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    pages_ = new QStackedWidget;

    auto* missing = new QLabel(WorkspaceEditor::kNotFound);
    missing->setAlignment(Qt::AlignCenter);
    makeSecondary(missing);
    pages_->addWidget(missing);

    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(20, 20, 20, 20);
    column->setSpacing(20);

    addNameSection(section(column, 6));
    addAppsSection(section(column, 8));
    addLayoutSection(section(column, 6));
    addPrimarySection(section(column, 6));
    addActionsSection(section(column, 6));
    column->addStretch();

    pages_->addWidget(content);
    setWidget(pages_);
    refresh();
}

void WorkspaceEditorView::addNameSection(QVBoxLayout* into) {
    into->addWidget(headline(WorkspaceEditor::kNameTitle));
    name_ = new QLineEdit;
    name_->setObjectName("name");
    name_->setPlaceholderText(WorkspaceEditor::kNamePlaceholder);
    name_->setMaximumWidth(320);
    into->addWidget(name_);
    connect(name_, &QLineEdit::textEdited, this, [this](const QString& text) { editor_->typeName(text.toStdString()); });
}

void WorkspaceEditorView::addAppsSection(QVBoxLayout* into) {
    auto* header = new QHBoxLayout;
    header->addWidget(headline(WorkspaceEditor::kAppsTitle));
    header->addStretch();
    count_ = caption({});
    count_->setWordWrap(false);
    count_->setObjectName("count");
    header->addWidget(count_);
    into->addLayout(header);
    appsHolder_ = new QWidget;
    appsLayout_ = new QVBoxLayout(appsHolder_);
    appsLayout_->setContentsMargins(0, 0, 0, 0);
    appsLayout_->setSpacing(8);
    into->addWidget(appsHolder_);
    addApp_ = new QPushButton(WorkspaceEditor::kAddApp);
    addApp_->setObjectName("addApp");
    auto* addRow = new QHBoxLayout;
    addRow->addWidget(addApp_);
    addRow->addStretch();
    into->addLayout(addRow);
    hint_ = new QLabel;
    hint_->setObjectName("hint");
    hint_->setFont(captionFont());
    colourHint();
    into->addWidget(hint_);
    connect(addApp_, &QPushButton::clicked, this, [this] { editor_->addApps(); });
}

void WorkspaceEditorView::addLayoutSection(QVBoxLayout* into) {
    into->addWidget(headline(WorkspaceEditor::kLayoutTitle));
    layout_ = new FocusedWheelComboBox;
    layout_->setObjectName("layout");
    layout_->setMaximumWidth(320);
    into->addWidget(layout_);
    layoutCaption_ = caption({});
    into->addWidget(layoutCaption_);
    connect(layout_, &QComboBox::activated, this, [this](int index) {
        if (index >= 0 && static_cast<size_t>(index) < layoutItems_.size())
            editor_->chooseLayout(layoutItems_[static_cast<size_t>(index)]);
    });
}

void WorkspaceEditorView::addPrimarySection(QVBoxLayout* into) {
    into->addWidget(headline(WorkspaceEditor::kPrimaryTitle));
    primary_ = new FocusedWheelComboBox;
    primary_->setObjectName("primary");
    primary_->setMaximumWidth(320);
    into->addWidget(primary_);
    noPrimary_ = new QLabel(WorkspaceEditor::kNoPrimary);
    noPrimary_->setFont(calloutFont());
    makeSecondary(noPrimary_);
    into->addWidget(noPrimary_);
    connect(primary_, &QComboBox::activated, this, [this](int index) {
        if (const auto id = Uuid::parse(primary_->itemData(index).toString().toStdString()))
            editor_->choosePrimary(*id);
    });
}

void WorkspaceEditorView::addActionsSection(QVBoxLayout* into) {
    into->addWidget(headline(WorkspaceEditor::kActionsTitle));
    auto* buttons = new QHBoxLayout;
    for (size_t i = 0; i < 5; ++i) {
        auto* b = new QPushButton;
        actions_.push_back(b);
        buttons->addWidget(b);
        connect(b, &QPushButton::clicked, this, [this, i] { editor_->runAction(i); });
    }
    buttons->addStretch();
    into->addLayout(buttons);
}

WorkspaceEditorView::~WorkspaceEditorView() = default;

void WorkspaceEditorView::colourHint() {
    // Orange, as dark as the theme's window and fields need to read it as small text.
    QPalette orange = hint_->palette();
    orange.setColor(QPalette::WindowText, qt_backend::readableOn(QColor(0xE0, 0x7B, 0x00), {palette().color(QPalette::Window),
                                                                                             palette().color(QPalette::Base)}));
    hint_->setPalette(orange);
}

void WorkspaceEditorView::changeEvent(QEvent* event) {
    QScrollArea::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && hint_) colourHint();
}

void WorkspaceEditorView::showEvent(QShowEvent* event) {
    QScrollArea::showEvent(event);
    editor_->appear();
    name_->setText(QString::fromStdString(editor_->nameBuffer()));
}

QList<AppRowView*> WorkspaceEditorView::appRows() const { return rows_; }

void WorkspaceEditorView::rebuildApps(const Workspace& workspace) {
    rows_.clear();
    while (auto* item = appsLayout_->takeAt(0)) {
        if (auto* w = item->widget()) {
            // Out of the tree at once (a row's own menu may still be finishing); freed later.
            w->hide();
            w->setParent(nullptr);
            w->deleteLater();
        }
        delete item;
    }
    if (workspace.apps.empty()) {
        auto* empty = new RoundedPanel(true);
        empty->setObjectName("noApps");
        auto* v = new QVBoxLayout(empty);
        v->setContentsMargins(0, 24, 0, 24);
        v->setSpacing(6);
        auto* title = new QLabel(WorkspaceEditor::kNoAppsTitle);
        makeSecondary(title);
        title->setAlignment(Qt::AlignCenter);
        auto* message = caption(QString::fromUtf8(WorkspaceEditor::kNoAppsMessage));
        message->setAlignment(Qt::AlignCenter);
        v->addWidget(title);
        v->addWidget(message);
        appsLayout_->addWidget(empty);
        return;
    }
    auto* list = new RoundedPanel(false);
    list->setObjectName("appList");
    auto* v = new QVBoxLayout(list);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    const auto rows = WorkspaceEditor::appRows(workspace);
    for (size_t i = 0; i < rows.size(); ++i) {
        const Uuid id = rows[i].app.id;
        WorkspaceEditor* e = editor_.get();
        auto* row = new AppRowView(rows[i], e->rowIcon(rows[i].app),
                                   {.makePrimary = [e, id] { e->makePrimary(id); },
                                    .moveUp = [e, id] { e->moveUp(id); },
                                    .moveDown = [e, id] { e->moveDown(id); },
                                    .remove = [e, id] { e->remove(id); }});
        rows_.push_back(row);
        v->addWidget(row);
        if (i + 1 < rows.size()) v->addWidget(divider());
    }
    appsLayout_->addWidget(list);
    appsLayout_->addWidget(caption(QString::fromUtf8(WorkspaceEditor::kAppsCaption)));
    for (const auto& note : app_compatibility_notes::notesFor(workspace.apps)) {
        auto* label = caption(QString::fromStdString(note.name + ": " + note.note.title + " — " + note.note.message));
        label->setObjectName("compatibilityNote");
        appsLayout_->addWidget(label);
    }
}

void WorkspaceEditorView::refresh() {
    const auto workspace = editor_->workspace();
    if (!workspace) {
        pages_->setCurrentIndex(0);
        return;
    }
    pages_->setCurrentIndex(1);
    const Workspace& w = *workspace;
    count_->setText(QString::fromStdString(WorkspaceEditor::countText(w)));
    rebuildApps(w);
    addApp_->setEnabled(WorkspaceEditor::canAddApp(w));
    addApp_->setIcon(symbolIcon(Symbol::plus, 12, palette().color(QPalette::ButtonText)));
    const auto hint = editor_->countHint(w);
    hint_->setText(hint ? QString::fromStdString(*hint) : QString());
    hint_->setVisible(hint.has_value());

    {
        const QSignalBlocker block(layout_);
        layoutItems_ = WorkspaceEditor::layoutItems(w);
        layout_->clear();
        const auto selected = WorkspaceEditor::selectedLayoutItem(w);
        for (size_t i = 0; i < layoutItems_.size(); ++i) {
            layout_->addItem(QString::fromStdString(layoutItems_[i].label));
            if (layoutItems_[i] == selected) layout_->setCurrentIndex(static_cast<int>(i));
        }
    }
    layoutCaption_->setText(QString::fromStdString(WorkspaceEditor::layoutCaption(w)));

    {
        const QSignalBlocker block(primary_);
        primary_->clear();
        const auto selected = WorkspaceEditor::selectedPrimary(w);
        for (const auto& app : w.apps) {
            primary_->addItem(QString::fromStdString(app.displayName), QString::fromStdString(app.id.string()));
            if (selected == app.id) primary_->setCurrentIndex(primary_->count() - 1);
        }
    }
    primary_->setVisible(!w.apps.empty());
    noPrimary_->setVisible(w.apps.empty());

    const auto buttons = WorkspaceEditor::actionButtons(w);
    for (size_t i = 0; i < buttons.size(); ++i) {
        // "&" would mark a mnemonic: "Show & Close" is written with a doubled one.
        actions_[i]->setText(QString::fromStdString(buttons[i].title).replace("&", "&&"));
        actions_[i]->setEnabled(buttons[i].enabled);
        actions_[i]->setToolTip(QString::fromStdString(buttons[i].help));
        actions_[i]->setObjectName(QString::fromStdString(buttons[i].title));
    }
}

}  // namespace tessane::settings_qt
