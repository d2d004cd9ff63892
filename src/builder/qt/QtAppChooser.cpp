#include "builder/qt/QtAppChooser.h"

#include "platform/Applications.h"
#include "platform/qt/panels/PanelX11.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QPixmap>
#include <QPointer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStyle>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace tessane::builder_qt {

namespace {
constexpr int kPathRole = Qt::UserRole + 1;
constexpr int kOrderRole = Qt::UserRole + 2;  // the row's place in the unfiltered list
constexpr int kIconSide = 32;

// How well a name answers the search: 0 the very name, 1 it starts so, 2 it holds it, 3 not at all.
int matchRank(const QString& name, const QString& needle) {
    if (needle.isEmpty()) return 0;
    if (QString::compare(name, needle, Qt::CaseInsensitive) == 0) return 0;
    if (name.startsWith(needle, Qt::CaseInsensitive)) return 1;
    return name.contains(needle, Qt::CaseInsensitive) ? 2 : 3;
}
}  // namespace

AppChooserDialog::AppChooserDialog(std::vector<Entry> entries, const AppChooser::Request& request, OtherPicker other,
                                   QWidget* parent)
    : QDialog(parent), entries_(std::move(entries)), pickOther_(std::move(other)) {
    setWindowTitle("Choose an Application");
    setModal(true);
    resize(420, 460);
    auto* column = new QVBoxLayout(this);
    if (!request.message.empty()) column->addWidget(new QLabel(QString::fromStdString(request.message), this));

    search_ = new QLineEdit(this);
    search_->setPlaceholderText("Search");
    search_->setClearButtonEnabled(true);
    connect(search_, &QLineEdit::textChanged, this, [this](const QString& text) { filter(text); });
    column->addWidget(search_);

    list_ = new QListWidget(this);
    list_->setIconSize(QSize(kIconSide, kIconSide));
    list_->setSelectionMode(request.multipleSelection ? QAbstractItemView::ExtendedSelection
                                                      : QAbstractItemView::SingleSelection);
    for (const Entry& e : entries_) {
        auto* item = new QListWidgetItem(e.icon, e.name, list_);
        item->setData(kPathRole, QString::fromStdString(e.path.string()));
        item->setData(kOrderRole, list_->count() - 1);
        item->setToolTip(QString::fromStdString(e.path.string()));
    }
    connect(list_, &QListWidget::itemSelectionChanged, this,
            [this] { choose_->setEnabled(!list_->selectedItems().isEmpty()); });
    connect(list_, &QListWidget::itemActivated, this, [this] { acceptSelection(); });
    column->addWidget(list_, 1);

    auto* buttons = new QDialogButtonBox(this);
    other_ = buttons->addButton("Other…", QDialogButtonBox::ResetRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    choose_ = buttons->addButton(QString::fromStdString(request.prompt), QDialogButtonBox::AcceptRole);
    choose_->setDefault(true);
    choose_->setEnabled(false);
    // Every button with the style's icon, as the style gives Cancel its own.
    if (!buttons->button(QDialogButtonBox::Cancel)->icon().isNull()) {
        choose_->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton, nullptr, this));
        other_->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton, nullptr, this));
    }
    const bool multiple = request.multipleSelection;
    connect(other_, &QPushButton::clicked, this, [this, multiple] {
        auto picked = pickOther_ ? pickOther_(this, multiple) : std::vector<std::filesystem::path>{};
        if (picked.empty()) return;
        chosen_ = std::move(picked);
        accept();
    });
    connect(choose_, &QPushButton::clicked, this, [this] { acceptSelection(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    column->addWidget(buttons);
    // A launcher's keys: typing filters, the arrows move in the list, Return takes the selected
    // row, or after typing the first one left.
    search_->installEventFilter(this);
    list_->installEventFilter(this);
    search_->setFocus();
}

bool AppChooserDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (watched == list_) {
        // Typing in the list goes on with the search instead of jumping to a name.
        const QString text = key->text();
        if (text.isEmpty() || !text.at(0).isPrint() || (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
            return false;
        search_->setFocus();
        search_->insert(text);
        return true;
    }
    if (watched != search_) return false;
    switch (key->key()) {
    case Qt::Key_Down: moveSelection(1); return true;
    case Qt::Key_Up: moveSelection(-1); return true;
    case Qt::Key_PageDown: moveSelection(8); return true;
    case Qt::Key_PageUp: moveSelection(-8); return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        if (list_->selectedItems().isEmpty() && !search_->text().trimmed().isEmpty()) moveSelection(1);
        acceptSelection();
        return true;
    }
    default: return false;
    }
}

void AppChooserDialog::done(int result) {
    // Some window managers give the keyboard to another program's window when the focused dialog
    // goes (xfwm4 to an editor under the builder), and the next keys would type there.
    QWidget* served = parentWidget() ? parentWidget()->window() : nullptr;
    if (isVisible() && served && served->isVisible() && qt_backend::panel_x11::available() &&
        QApplication::activeWindow() == this) {
        qt_backend::panel_x11::focus(served->winId());
        qt_backend::panel_x11::flush();
    }
    QDialog::done(result);
}

void AppChooserDialog::moveSelection(int step) {
    std::vector<int> rows;
    for (int i = 0; i < list_->count(); ++i)
        if (!list_->item(i)->isHidden()) rows.push_back(i);
    if (rows.empty()) return;
    const auto current = std::find(rows.begin(), rows.end(), list_->currentRow());
    long at = 0;
    if (current == rows.end() || !list_->currentItem()->isSelected())
        at = step > 0 ? 0 : static_cast<long>(rows.size()) - 1;
    else
        at = std::clamp<long>((current - rows.begin()) + step, 0, static_cast<long>(rows.size()) - 1);
    const int row = rows[static_cast<size_t>(at)];
    list_->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    list_->scrollToItem(list_->item(row));
}

QStringList AppChooserDialog::visibleNames() const {
    QStringList out;
    for (int i = 0; i < list_->count(); ++i)
        if (!list_->item(i)->isHidden()) out << list_->item(i)->text();
    return out;
}

void AppChooserDialog::filter(const QString& text) {
    const QString needle = text.trimmed();
    // The closest matches on top ("xterm" lists XTerm above UXTerm), the list's order otherwise.
    std::vector<std::pair<std::pair<int, int>, QListWidgetItem*>> ranked;
    for (int i = 0; i < list_->count(); ++i) {
        QListWidgetItem* item = list_->item(i);
        ranked.push_back({{matchRank(item->text(), needle), item->data(kOrderRole).toInt()}, item});
    }
    std::sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    bool reordered = false;
    for (int i = 0; i < list_->count(); ++i) reordered |= list_->item(i) != ranked[static_cast<size_t>(i)].second;
    if (reordered) {
        // Taking a row out of the list drops its selection: what was chosen is put back.
        QListWidgetItem* current = list_->currentItem();
        const auto selected = list_->selectedItems();
        const QSignalBlocker quiet(list_);
        while (list_->count() > 0) list_->takeItem(0);
        for (const auto& [rank, item] : ranked) list_->addItem(item);
        if (current) list_->setCurrentItem(current, QItemSelectionModel::NoUpdate);
        for (auto* item : selected) item->setSelected(true);
    }
    for (const auto& [rank, item] : ranked) {
        const bool match = rank.first < 3;
        item->setHidden(!match);
        if (!match) item->setSelected(false);
    }
    // Typing narrows to one application: it is the one Return chooses.
    const QStringList shown = visibleNames();
    if (list_->selectedItems().isEmpty() && shown.size() == 1)
        for (int i = 0; i < list_->count(); ++i)
            if (!list_->item(i)->isHidden()) list_->setCurrentRow(i);
}

void AppChooserDialog::acceptSelection() {
    std::vector<std::filesystem::path> picked;
    for (int i = 0; i < list_->count(); ++i) {
        QListWidgetItem* item = list_->item(i);
        if (item->isSelected() && !item->isHidden()) picked.emplace_back(item->data(kPathRole).toString().toStdString());
    }
    if (picked.empty()) return;
    chosen_ = std::move(picked);
    accept();
}

std::vector<std::filesystem::path> AppChooserDialog::pickEntryFiles(QWidget* parent, bool multiple) {
    const QString start = QDir("/usr/share/applications").exists() ? "/usr/share/applications" : QDir::homePath();
    QFileDialog dialog(parent, "Choose an Application", start, "Applications (*.desktop)");
    dialog.setFileMode(multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    // Qt's own dialog opens at a size that cuts its columns off: sized for the names, sizes, kinds
    // and dates it lists in the font in force, within the screen, each column but the names as
    // wide as its contents. A desktop's own dialog sizes itself.
    const QFontMetrics metrics(dialog.font());
    QSize size(metrics.averageCharWidth() * 120, metrics.height() * 30);
    QScreen* screen = parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen) size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
    dialog.resize(size);
    if (auto* details = dialog.findChild<QTreeView*>()) {
        details->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
        details->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    }
    std::vector<std::filesystem::path> out;
    if (dialog.exec() != QDialog::Accepted) return out;
    for (const QString& f : dialog.selectedFiles()) out.emplace_back(f.toStdString());
    return out;
}

std::vector<AppChooserDialog::Entry> QtAppChooser::entries() const {
    std::vector<AppChooserDialog::Entry> out;
    for (const auto& path : list_ ? list_() : std::vector<std::filesystem::path>{}) {
        const auto bundle = catalog_.bundleAt(path);
        if (!bundle) continue;
        AppChooserDialog::Entry e;
        e.path = path;
        e.name = QString::fromStdString(bundle->displayName.value_or(bundle->bundleName.value_or(path.stem().string())));
        QImage image;
        if (auto png = catalog_.iconPNG(path, kIconSide);
            png && image.loadFromData(png->data(), static_cast<int>(png->size())))
            e.icon = QIcon(QPixmap::fromImage(image));
        if (e.icon.isNull()) {
            // An empty icon of the same size keeps the names of every row in one column.
            QPixmap blank(kIconSide, kIconSide);
            blank.fill(Qt::transparent);
            e.icon = QIcon(blank);
        }
        out.push_back(std::move(e));
    }
    std::stable_sort(out.begin(), out.end(), [](const auto& a, const auto& b) {
        return QString::compare(a.name, b.name, Qt::CaseInsensitive) < 0;
    });
    return out;
}

QWidget* QtAppChooser::servedWindow() {
    // The window whose button asked: the one that has the keyboard, else the topmost of ours
    // that can ask (the builder floats above the settings window).
    if (QWidget* active = QApplication::activeWindow(); active && active->isVisible()) return active;
    QWidget* settings = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (!top->isVisible()) continue;
        if (top->objectName() == "builderPanel") return top;
        if (top->objectName() == "settingsWindow") settings = top;
    }
    return settings;
}

std::vector<std::filesystem::path> QtAppChooser::chooseApplications(const Request& request) {
    // A child of the window it serves, and kept above it: that window may itself be kept above
    // the others, and a modal chooser hidden behind it would leave the user stuck.
    QPointer<QWidget> served = servedWindow();
    AppChooserDialog dialog(entries(), request, &AppChooserDialog::pickEntryFiles, served);
    if (served) dialog.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    // The window that asked is the active one again.
    if (served && served->isVisible()) {
        served->raise();
        served->activateWindow();
    }
    if (!accepted) return {};
    return dialog.chosen();
}

}  // namespace tessane::builder_qt
