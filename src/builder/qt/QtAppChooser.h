#pragma once

#include "builder/AppChooser.h"

#include <QDialog>
#include <QIcon>

#include <filesystem>
#include <functional>
#include <vector>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace tessane {
class AppCatalog;
}

namespace tessane::builder_qt {

// The installed applications in a list with their icons and names, filtered as the user types;
// one or several may be chosen. "Other…" picks a desktop entry file anywhere instead.
class AppChooserDialog final : public QDialog {
public:
    struct Entry {
        std::filesystem::path path;
        QString name;
        QIcon icon;
    };
    // Picks entry files in a file dialog; empty when cancelled.
    using OtherPicker = std::function<std::vector<std::filesystem::path>(QWidget* parent, bool multiple)>;

    AppChooserDialog(std::vector<Entry> entries, const AppChooser::Request& request, OtherPicker other,
                     QWidget* parent = nullptr);

    // What was chosen when the dialog was accepted.
    const std::vector<std::filesystem::path>& chosen() const { return chosen_; }

    QLineEdit* searchField() const { return search_; }
    QListWidget* list() const { return list_; }
    QPushButton* chooseButton() const { return choose_; }
    QPushButton* otherButton() const { return other_; }
    // The names of the rows the search leaves visible, in order.
    QStringList visibleNames() const;

    // The file dialog on *.desktop files that "Other…" opens by default.
    static std::vector<std::filesystem::path> pickEntryFiles(QWidget* parent, bool multiple);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Hands the keyboard back to the window that asked before the dialog goes.
    void done(int result) override;

private:
    void filter(const QString& text);
    void acceptSelection();
    // Makes the visible row `step` rows after the current one (before, when negative) the current
    // and only selected one; from no visible current row, Down starts at the first, Up at the last.
    void moveSelection(int step);

    std::vector<Entry> entries_;
    OtherPicker pickOther_;
    std::vector<std::filesystem::path> chosen_;
    QLineEdit* search_ = nullptr;
    QListWidget* list_ = nullptr;
    QPushButton* choose_ = nullptr;
    QPushButton* other_ = nullptr;
};

// The application chooser over the app catalogue: lists the installed applications that
// `listApplications` names, with the catalogue's names and icons, sorted by name.
class QtAppChooser final : public AppChooser {
public:
    using ListApplications = std::function<std::vector<std::filesystem::path>()>;

    QtAppChooser(const AppCatalog& catalog, ListApplications listApplications)
        : catalog_(catalog), list_(std::move(listApplications)) {}

    std::vector<std::filesystem::path> chooseApplications(const Request& request) override;
    // The rows the dialog shows.
    std::vector<AppChooserDialog::Entry> entries() const;
    // The window of ours the chooser opens for, over which it is shown; null when none is open.
    static QWidget* servedWindow();

private:
    const AppCatalog& catalog_;
    ListApplications list_;
};

}  // namespace tessane::builder_qt
