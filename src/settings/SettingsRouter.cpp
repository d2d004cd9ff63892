#include "settings/SettingsRouter.h"

namespace tessane {

const SettingsRouter::Tab SettingsRouter::kTabs[3] = {Tab::general, Tab::workspaces, Tab::advanced};

const char* SettingsRouter::title(Tab tab) {
    switch (tab) {
    case Tab::general: return "General";
    case Tab::workspaces: return "Workspaces";
    case Tab::advanced: return "Advanced";
    }
    return "Workspaces";
}

}  // namespace tessane
