#include "model/AppCompatibilityNotes.h"

#include <map>
#include <set>

namespace tessane::app_compatibility_notes {
namespace {

const std::map<std::string, Note>& table() {
    static const std::map<std::string, Note> notes = {
        {"com.google.GeminiMacOS",
         {"Gemini can move its own window",
          "When this workspace moves to another display, Gemini sometimes pulls its window back to the display it "
          "was on. Tessane puts it back in its pane \u2014 if the pane is ever left empty, show the workspace "
          "again."}},
    };
    return notes;
}

}  // namespace

std::vector<AppNote> notesFor(const std::vector<ManagedApp>& apps) {
    std::vector<AppNote> result;
    std::set<std::string> seen;
    for (const auto& app : apps) {
        if (!seen.insert(app.bundleIdentifier).second) continue;
        auto it = table().find(app.bundleIdentifier);
        if (it != table().end()) result.push_back({app.displayName, it->second});
    }
    return result;
}

}  // namespace tessane::app_compatibility_notes
