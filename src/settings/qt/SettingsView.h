#pragma once

#include "base/Signal.h"
#include "settings/GeneralTab.h"
#include "settings/SettingsRouter.h"
#include "settings/SettingsViewServices.h"
#include "settings/SettingsWindowController.h"

#include <QTabWidget>

#include <memory>

namespace tessane::settings_qt {

class GeneralTabView;
class WorkspacesTabView;
class AdvancedTabView;

// The settings window's root: the General, Workspaces and Advanced tabs, bound both ways to
// the router (a click selects through it, a tab written into it is shown at once).
class SettingsView final : public QTabWidget {
public:
    SettingsView(const SettingsViewServices& services, const SettingsViewContext& context, QWidget* parent = nullptr);
    ~SettingsView() override;

    GeneralTab& generalTab() { return *general_; }
    GeneralTabView* generalView() const { return generalView_; }
    WorkspacesTabView* workspacesView() const { return workspacesView_; }
    AdvancedTabView* advancedView() const { return advancedView_; }

    // Redraws the drawn tab symbols in the palette in force.
    void refreshSymbols();

protected:
    void changeEvent(QEvent* event) override;

private:
    SettingsRouter& router_;
    std::unique_ptr<GeneralTab> general_;
    GeneralTabView* generalView_ = nullptr;
    WorkspacesTabView* workspacesView_ = nullptr;
    AdvancedTabView* advancedView_ = nullptr;
    bool following_ = false;  // showing a tab the router is about to hold
    Subscription tab_;
};

}  // namespace tessane::settings_qt
