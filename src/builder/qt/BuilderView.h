#pragma once

#include "base/Base64.h"
#include "builder/BuilderPanel.h"
#include "builder/BuilderState.h"

#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

namespace tessane::builder_qt {

class GalleryButton;

// The builder panel's content: the name field, the gallery of layouts, one cell per pane, the
// compatibility notes of the chosen applications and the footer with Cancel, the status line and
// "Create & Show". It holds the user's choices in a BuilderState and talks to the outside only
// through the actions it is given.
class BuilderView final : public QWidget {
public:
    // The icon of an application's file as the system finds it by bundle identifier (PNG).
    using IconLookup = std::function<std::optional<Bytes>(const ManagedApp&)>;

    static constexpr int kWidth = 580;
    static constexpr int kHeight = 480;
    static constexpr double kCornerRadius = 14;
    static constexpr int kNameWidth = 260;
    static constexpr int kGalleryColumns = 4;

    BuilderView(const std::vector<ManagedApp>& seed, BuilderActions actions, IconLookup iconLookup, bool dark,
                QWidget* parent = nullptr);

    const BuilderState& state() const { return state_; }
    // The image shown for an application: its stored icon, else the system's, else nothing.
    QPixmap icon(const ManagedApp& app) const;

    // The view's own parts, for the panel and for tests.
    QLineEdit* nameField() const { return name_; }
    QPushButton* createButton() const { return create_; }
    QPushButton* cancelButton() const { return cancel_; }
    QLabel* statusLabel() const { return status_; }
    std::vector<GalleryButton*> galleryButtons() const { return gallery_; }
    QWidget* paneArea() const { return paneArea_; }

    // The user's actions, as the buttons run them.
    void chooseLayout(LayoutType type);
    void addApp(size_t pane);
    void removeApp(size_t pane);
    void createAndShow();
    void cancel();

protected:
    void paintEvent(QPaintEvent*) override;

private:
    void refresh();
    void rebuildPanes();
    void layoutPanes();
    void rebuildNotes();
    void focusPane(size_t pane);
    void orderTabs();

    BuilderState state_;
    BuilderActions actions_;
    IconLookup iconLookup_;
    bool dark_;

    QLineEdit* name_ = nullptr;
    bool followingApps_ = false;  // refresh() is putting the apps' name into the field
    std::vector<GalleryButton*> gallery_;
    QWidget* paneArea_ = nullptr;
    std::vector<QWidget*> cells_;
    QWidget* notes_ = nullptr;
    QVBoxLayout* notesLayout_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* create_ = nullptr;
};

}  // namespace tessane::builder_qt
