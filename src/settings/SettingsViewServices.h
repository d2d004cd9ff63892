#pragma once

#include "settings/GeneralTab.h"
#include "settings/WorkspaceEditor.h"

namespace tessane {

// Everything the settings view reaches beyond its window controller: the General tab's services
// and the workspace editor's (which name the workspace manager and controller).
struct SettingsViewServices {
    GeneralTab::Services general;
    WorkspaceEditor::Services editor;
};

}  // namespace tessane
