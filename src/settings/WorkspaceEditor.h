#pragma once

#include "base/Uuid.h"
#include "model/LayoutType.h"
#include "model/ManagedApp.h"
#include "model/Workspace.h"

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tessane {

class Alerts;
class AppCatalog;
class AppChooser;
class SecondPaneGate;
class WorkspaceController;
class WorkspaceManager;

// The editor of one stored workspace: its name, apps, layout and primary app, and the five
// run-time actions. It keeps no copy of the workspace: every question reads the manager anew and
// every edit goes straight to it (stored at once, no Save step). Run-time actions go to the
// workspace controller. One editor per picked workspace. Main thread only.
class WorkspaceEditor {
public:
    struct Services {
        WorkspaceManager* manager = nullptr;
        WorkspaceController* controller = nullptr;
        Alerts* alerts = nullptr;
        const AppCatalog* catalog = nullptr;
        AppChooser* chooser = nullptr;
        SecondPaneGate* secondPane = nullptr;  // none: a second pane of an app is never added
    };

    struct AppRow {
        ManagedApp app;
        std::string paneLabel;
        bool isPrimary = false;
        bool canMoveUp = false;
        bool canMoveDown = false;
    };

    // One entry of the layout picker. The legacy entry stands for the stored layout that the
    // picker no longer offers; it has no type of its own, so choosing it writes nothing.
    struct LayoutItem {
        std::string label;
        std::optional<LayoutType> type;  // none: the legacy entry
        bool operator==(const LayoutItem&) const = default;
    };

    struct ActionButton {
        std::string title;
        bool enabled = true;
        std::string help;  // tool tip; empty for none
    };

    static constexpr const char* kNotFound = "Select a workspace";
    static constexpr const char* kNameTitle = "Name";
    static constexpr const char* kNamePlaceholder = "Workspace name";
    static constexpr const char* kAppsTitle = "Apps";
    static constexpr const char* kNoAppsTitle = "No apps yet";
    static constexpr const char* kNoAppsMessage = "Add 2\u20134 apps to this workspace.";
    static constexpr const char* kAppsCaption = "Apps fill the layout in this order. Use \u22EF to reorder or set the primary.";
    static constexpr const char* kAddApp = "Add App";
    static constexpr const char* kChooserPrompt = "Add";
    static constexpr const char* kChooserMessage = "Choose an app to add to this workspace.";
    static constexpr const char* kLayoutTitle = "Layout";
    static constexpr const char* kLegacyCaption =
        "This workspace uses a legacy layout. Pick one of the layouts above to continue editing.";
    static constexpr const char* kPrimaryTitle = "Primary App";
    static constexpr const char* kNoPrimary = "Add an app first.";
    static constexpr const char* kActionsTitle = "Actions";
    static constexpr const char* kPrimaryBadge = "Primary";
    static constexpr const char* kMakePrimary = "Make Primary";
    static constexpr const char* kMoveUp = "Move Up";
    static constexpr const char* kMoveDown = "Move Down";
    static constexpr const char* kRemove = "Remove";

    WorkspaceEditor(Services services, Uuid workspaceID, std::function<void()> onDismiss,
                    std::function<void()> onReturnToFront);

    const Uuid& workspaceID() const { return workspaceID_; }
    // The stored workspace, read anew; none once it is gone ("Select a workspace").
    std::optional<Workspace> workspace() const;

    // ------------------------------------------------------------------ name
    // Each time the editor comes on screen the field takes the stored name.
    void appear();
    const std::string& nameBuffer() const { return nameBuffer_; }
    // Every keystroke: the text as typed goes to the manager, which trims it and ignores an
    // empty or unchanged name. The field keeps what was typed.
    void typeName(const std::string& text);

    // ------------------------------------------------------------------ apps
    static std::vector<AppRow> appRows(const Workspace& workspace);
    // The icon a row shows (PNG): the app's stored icon, else (a hand-edited list stores none)
    // the icon of the application the system finds for its bundle identifier, asked once per
    // identifier while this editor lives; none when neither gives one.
    std::optional<Bytes> rowIcon(const ManagedApp& app) const;
    static std::string countText(const Workspace& workspace);  // "n of m"
    static bool canAddApp(const Workspace& workspace);
    void makePrimary(const Uuid& appID);
    void moveUp(const Uuid& appID);
    void moveDown(const Uuid& appID);
    void remove(const Uuid& appID);
    // "Add App": the chooser, then each chosen app in turn with its checks and alerts.
    void addApps();
    void addApp(const std::filesystem::path& path);
    void presentAppOccupied(const std::string& appName, const std::string& ownerName);

    // ------------------------------------------------------------------ layout and primary
    static std::vector<LayoutItem> layoutItems(const Workspace& workspace);
    static LayoutItem selectedLayoutItem(const Workspace& workspace);
    static std::string layoutCaption(const Workspace& workspace);
    // Choosing the entry already shown, or the legacy entry, writes nothing.
    void chooseLayout(const LayoutItem& item);

    // What the apps section says when the apps don't fit the layout: how many to add or remove,
    // and, when an edit here took the shown workspace off screen for it, that it was hidden.
    std::optional<std::string> countHint(const Workspace& workspace) const;
    static constexpr const char* kWithdrawnNote = " It was hidden until then \u2014 Show it again once it fits.";
    // The id the primary picker shows: the primary app's, else none (no apps).
    static std::optional<Uuid> selectedPrimary(const Workspace& workspace);
    void choosePrimary(const Uuid& appID);

    // ------------------------------------------------------------------ actions
    // Show, Show & Close, Hide, Restore, Save.
    static std::vector<ActionButton> actionButtons(const Workspace& workspace);
    void runAction(size_t index);
    void show();          // keeps Settings in front
    void showAndClose();  // puts Settings away
    void hide();
    void restore();
    void save();

private:
    Services services_;
    Uuid workspaceID_;
    std::function<void()> onDismiss_;
    std::function<void()> onReturnToFront_;
    std::string nameBuffer_;
    bool withdrawnByEdit_ = false;
    mutable std::map<std::string, std::optional<Bytes>> systemIcons_;  // by bundle identifier

    // Notes whether an edit that is about to run takes a shown workspace off screen.
    void noteWithdrawal(const std::function<void()>& edit);
};

}  // namespace tessane
