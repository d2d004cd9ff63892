#include "builder/qt/BuilderView.h"

#include "builder/qt/BuilderWidgets.h"
#include "builder/qt/FloatingPanel.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace tessane::builder_qt {

namespace {

// Lays its pane cells out by the layout engine whenever it changes size.
class PaneArea final : public QWidget {
public:
    explicit PaneArea(std::function<void()> onResize, QWidget* parent) : QWidget(parent), onResize_(std::move(onResize)) {
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    }

protected:
    void resizeEvent(QResizeEvent*) override { onResize_(); }

private:
    std::function<void()> onResize_;
};

QPalette textPalette(QPalette palette, bool dark) {
    palette.setColor(QPalette::Window, color(ColorRole::windowBackground, dark));
    palette.setColor(QPalette::WindowText, color(ColorRole::label, dark));
    palette.setColor(QPalette::Base, color(ColorRole::underPageBackground, dark));
    palette.setColor(QPalette::Text, color(ColorRole::label, dark));
    palette.setColor(QPalette::PlaceholderText, color(ColorRole::secondaryLabel, dark));
    palette.setColor(QPalette::Button, color(ColorRole::underPageBackground, dark));
    palette.setColor(QPalette::ButtonText, color(ColorRole::label, dark));
    palette.setColor(QPalette::Highlight, color(ColorRole::accent, dark));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, color(ColorRole::secondaryLabel, dark, 0.6));
    return palette;
}

}  // namespace

BuilderView::BuilderView(const std::vector<ManagedApp>& seed, BuilderActions actions, IconLookup iconLookup,
                         bool dark, QWidget* parent)
    : QWidget(parent), state_(seed), actions_(std::move(actions)), iconLookup_(std::move(iconLookup)), dark_(dark) {
    setFixedSize(kWidth, kHeight);
    setPalette(textPalette(palette(), dark));
    setAttribute(Qt::WA_TranslucentBackground);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(18, 18, 18, 18);
    column->setSpacing(14);

    name_ = new QLineEdit(QString::fromStdString(state_.name), this);
    name_->setPlaceholderText("Workspace name");
    // As wide as the design allows, so that a long suggested name shows whole.
    name_->setFixedWidth(kNameWidth);
    // Any change but the one refresh() makes for the apps is the user's own name.
    connect(name_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!followingApps_) state_.typeName(text.toStdString());
    });
    column->addWidget(name_, 0, Qt::AlignHCenter);

    // Every layout in view at once: the gallery wraps into rows instead of hiding some
    // behind a scroll nobody can see.
    auto* galleryLayout = new QGridLayout;
    galleryLayout->setContentsMargins(2, 0, 2, 0);
    galleryLayout->setHorizontalSpacing(10);
    galleryLayout->setVerticalSpacing(4);
    for (LayoutType type : layout_types::offeredInPickers()) {
        auto* button = new GalleryButton(type, dark, this);
        connect(button, &QAbstractButton::clicked, this, [this, type] { chooseLayout(type); });
        const int at = static_cast<int>(gallery_.size());
        galleryLayout->addWidget(button, at / kGalleryColumns, at % kGalleryColumns);
        gallery_.push_back(button);
    }
    column->addLayout(galleryLayout);

    paneArea_ = new PaneArea([this] { layoutPanes(); }, this);
    column->addWidget(paneArea_, 1);

    notes_ = new QWidget(this);
    notesLayout_ = new QVBoxLayout(notes_);
    notesLayout_->setContentsMargins(0, 0, 0, 0);
    notesLayout_->setSpacing(4);
    column->addWidget(notes_);

    auto* footer = new QHBoxLayout;
    cancel_ = new QPushButton("Cancel", this);
    connect(cancel_, &QPushButton::clicked, this, [this] { cancel(); });
    footer->addWidget(cancel_, 0, Qt::AlignVCenter);
    footer->addStretch(1);
    status_ = new QLabel(this);
    status_->setFont(captionFont());
    QPalette secondary = status_->palette();
    secondary.setColor(QPalette::WindowText, color(ColorRole::secondaryLabel, dark));
    status_->setPalette(secondary);
    footer->addWidget(status_, 0, Qt::AlignVCenter);
    create_ = new QPushButton("Create && Show", this);  // "&&": a plain ampersand, not a mnemonic
    create_->setDefault(true);
    connect(create_, &QPushButton::clicked, this, [this] { createAndShow(); });
    footer->addWidget(create_, 0, Qt::AlignVCenter);
    column->addLayout(footer);

    // Escape cancels; Return creates while Create is allowed.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, [this] { cancel(); });
    for (auto key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* enter = new QShortcut(QKeySequence(key), this);
        connect(enter, &QShortcut::activated, this, [this] {
            if (create_->isEnabled()) createAndShow();
        });
    }

    state_.resizeSlots();
    rebuildPanes();
    refresh();
}

QPixmap BuilderView::icon(const ManagedApp& app) const {
    QImage image;
    if (app.iconData && image.loadFromData(app.iconData->data(), static_cast<int>(app.iconData->size())))
        return QPixmap::fromImage(image);
    if (iconLookup_) {
        if (auto png = iconLookup_(app); png && image.loadFromData(png->data(), static_cast<int>(png->size())))
            return QPixmap::fromImage(image);
    }
    return {};
}

void BuilderView::chooseLayout(LayoutType type) {
    state_.chooseLayout(type);
    rebuildPanes();
    refresh();
}

void BuilderView::addApp(size_t pane) {
    if (!actions_.pick) return;
    auto app = actions_.pick(state_.chosen());
    if (!app) return;
    const bool keys = paneArea_->isAncestorOf(focusWidget());
    state_.fill(pane, std::move(*app));
    rebuildPanes();
    refresh();
    if (keys) focusPane(pane);
}

void BuilderView::removeApp(size_t pane) {
    const bool keys = paneArea_->isAncestorOf(focusWidget());
    state_.remove(pane);
    rebuildPanes();
    refresh();
    if (keys) focusPane(pane);
}

void BuilderView::focusPane(size_t pane) {
    // The cell that had the keyboard was rebuilt: the keyboard stays on the same pane.
    if (pane >= cells_.size()) return;
    for (auto* child : cells_[pane]->findChildren<QWidget*>())
        if (child->focusPolicy() & Qt::TabFocus) {
            child->setFocus(Qt::OtherFocusReason);
            return;
        }
}

void BuilderView::orderTabs() {
    // Top to bottom as the eye reads the panel: name, layouts, panes, then the footer.
    std::vector<QWidget*> chain{name_};
    chain.insert(chain.end(), gallery_.begin(), gallery_.end());
    for (auto* cell : cells_)
        for (auto* child : cell->findChildren<QWidget*>())
            if (child->focusPolicy() & Qt::TabFocus) chain.push_back(child);
    chain.push_back(cancel_);
    chain.push_back(create_);
    for (size_t i = 1; i < chain.size(); ++i) setTabOrder(chain[i - 1], chain[i]);
}

void BuilderView::createAndShow() {
    if (!state_.canCreate() || !actions_.create) return;
    // The controller drops the panel (and this view, later) before it hands the values on.
    actions_.create(state_.nameToCreate(), state_.layout, state_.chosen());
}

void BuilderView::cancel() {
    if (actions_.cancel) actions_.cancel();
}

void BuilderView::refresh() {
    if (const auto name = QString::fromStdString(state_.name); name_->text() != name) {
        followingApps_ = true;
        name_->setText(name);
        followingApps_ = false;
    }
    for (auto* button : gallery_) button->setSelected(button->type() == state_.layout);
    status_->setText(QString::fromStdString(state_.statusText()));
    create_->setEnabled(state_.canCreate());
    rebuildNotes();
}

void BuilderView::rebuildPanes() {
    // The old cells go at once from view; their deletion waits for the click that may be running in one.
    for (auto* cell : cells_) {
        cell->hide();
        cell->setObjectName({});
        cell->deleteLater();
    }
    cells_.clear();
    for (size_t i = 0; i < state_.slots.size(); ++i) {
        PaneCell::Content content;
        if (const auto& slot = state_.slots[i]) {
            content.filled = true;
            content.name = QString::fromStdString(slot->displayName);
            content.icon = icon(*slot);
        }
        auto* cell = new PaneCell(
            content, dark_, [this, i] { addApp(i); }, [this, i] { removeApp(i); }, paneArea_);
        cell->setObjectName(QString("pane%1").arg(i));
        cells_.push_back(cell);
        cell->show();
    }
    layoutPanes();
    orderTabs();
}

void BuilderView::layoutPanes() {
    const auto rects = BuilderState::paneCells(state_.layout, {double(paneArea_->width()), double(paneArea_->height())},
                                               BuilderState::kPaneGutter);
    for (size_t i = 0; i < cells_.size() && i < rects.size(); ++i) {
        const Rect& r = rects[i];
        cells_[i]->setGeometry(int(std::lround(r.minX())), int(std::lround(r.minY())),
                               std::max(1, int(std::lround(r.width()))), std::max(1, int(std::lround(r.height()))));
    }
}

void BuilderView::rebuildNotes() {
    while (auto* item = notesLayout_->takeAt(0)) {
        if (auto* w = item->widget()) w->deleteLater();
        delete item;
    }
    for (const auto& note : state_.compatibilityNotes()) {
        auto* label = new QLabel(notes_);
        label->setWordWrap(true);
        label->setFont(captionFont());
        label->setText(QString("<b>%1 — %2</b> %3")
                           .arg(QString::fromStdString(note.name).toHtmlEscaped(),
                                QString::fromStdString(note.note.title).toHtmlEscaped(),
                                QString::fromStdString(note.note.message).toHtmlEscaped()));
        notesLayout_->addWidget(label);
    }
    notes_->setVisible(notesLayout_->count() > 0);
}

void BuilderView::paintEvent(QPaintEvent*) { paintPanelSurface(*this, color(ColorRole::windowBackground, dark_), kCornerRadius, dark_); }

}  // namespace tessane::builder_qt
