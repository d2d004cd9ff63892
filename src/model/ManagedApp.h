#pragma once

#include "base/Base64.h"
#include "base/SharedBytes.h"
#include "base/Uuid.h"
#include "model/RawEnum.h"
#include "model/SizeModel.h"

#include <optional>
#include <string>

namespace tessane {

enum class AppRole { primary, secondary };

const char* toString(AppRole role);
template <>
std::optional<AppRole> fromString<AppRole>(std::string_view raw);

// One application of a workspace, identified by its bundle identifier (on Linux the desktop-file
// id, e.g. "org.gnome.TextEditor").
struct ManagedApp {
    Uuid id = Uuid::random();
    std::string displayName;
    std::string bundleIdentifier;
    std::optional<Bytes> appURLBookmark;        // finds the app again after it moved
    std::optional<std::string> appPath;          // where the app was (linux: the .desktop file)
    std::optional<SharedBytes> iconData;         // PNG, 128 x 128; a loaded list shares equal icons
    std::optional<std::string> preferredPaneId;  // kept and written back, not interpreted
    AppRole role = AppRole::secondary;
    std::optional<SizeModel> observedMinSize;    // the smallest size the app was seen to accept
    std::optional<std::string> lastDocumentPath; // the document it last showed in its pane

    bool operator==(const ManagedApp&) const = default;
};

}  // namespace tessane
