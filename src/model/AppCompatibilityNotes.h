#pragma once

#include "model/ManagedApp.h"

#include <string>
#include <vector>

namespace tessane {

// Short notes about other makers' applications whose windows misbehave when tiled, shown while a
// workspace is edited or put together. They change nothing in the tiling.
namespace app_compatibility_notes {

struct Note {
    std::string title;
    std::string message;
    bool operator==(const Note&) const = default;
};

struct AppNote {
    std::string name;  // the display name of the first app the note applies to
    Note note;
    bool operator==(const AppNote&) const = default;
};

// The notes that apply to `apps`, in app order, each bundle identifier once (at its first app);
// identifiers match exactly.
std::vector<AppNote> notesFor(const std::vector<ManagedApp>& apps);

}  // namespace app_compatibility_notes
}  // namespace tessane
