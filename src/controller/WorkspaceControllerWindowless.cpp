// What a show says of the applications it waits for, and the document choosers of a workspace's
// applications, which count as its own windows.
#include "controller/WorkspaceController.h"

namespace tessane {

namespace {

std::string joined(const std::vector<std::string>& parts, const std::string& separator) {
    std::string out;
    for (const auto& part : parts) out += (out.empty() ? "" : separator) + part;
    return out;
}

}  // namespace

std::optional<std::pair<std::string, std::string>> WorkspaceController::windowlessWaitMessage(
    const std::vector<WindowlessApp>& apps) {
    if (apps.empty()) return std::nullopt;
    std::vector<std::string> names;
    bool allAnother = true, allChooser = true;
    for (const auto& app : apps) {
        names.push_back(app.name);
        allAnother = allAnother && app.needsAnotherWindow;
        allChooser = allChooser && app.isOnDocumentChooser;
    }
    const std::string what = allAnother ? "another window" : allChooser ? "a document" : "a window";
    return std::pair{"Waiting for " + joined(names, " and "),
                     "Open " + what + " in " + (apps.size() == 1 ? "it" : "each") +
                         " and this workspace finishes tiling."};
}

std::string WorkspaceController::shortOfWindowsEntries(const std::vector<ShortOfWindows>& shortApps) {
    std::string out;
    for (const auto& s : shortApps)
        out += (out.empty() ? "" : ", ") + s.appName + " " + std::to_string(s.windows) + "/" + std::to_string(s.panes);
    return out;
}

void WorkspaceController::noteOwnChooser(const AXElement& chooser, const Uuid& workspaceID) {
    if (const auto number = axController.windowNumber(chooser)) ownChooserWindowIDs[workspaceID].insert(*number);
}

}  // namespace tessane
