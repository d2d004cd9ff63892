#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tessane {

// The path of a file URL ("file:///home/me/a%20b.txt"), percent-decoded and standardized ("."
// and ".." resolved, no trailing slash); none for anything that is not a well-formed file URL
// (another scheme, no absolute path, a broken or NUL escape). A host is not looked at.
std::optional<std::string> filePathFromURL(std::string_view url);

}  // namespace tessane
