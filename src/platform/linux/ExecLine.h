#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tessane::linux_desktop {

// The Exec key of a desktop entry as command lines (the XDG Desktop Entry format): split into
// arguments by its quoting rules, field codes expanded.
//
// - Arguments are separated by spaces; an argument (or part of one) in double quotes keeps its
//   spaces, and inside the quotes a backslash escapes the next character ('"', '`', '$', '\').
//   Quotes that are never closed make the line unreadable.
// - Field codes: %f / %u one document, %F / %U every document (only as an argument of their
//   own), %i "--icon <Icon>" (nothing without an icon), %c the entry's translated name, %k the
//   entry's location, %% a percent sign; the deprecated %d %D %n %N %v %m and unknown codes are
//   removed. An argument that was a field code alone and expands to nothing is dropped.
// - Field codes inside quotes are left as they are: they would end up in a shell's command
//   text, where a document's name must never be taken for commands.
// - A line that takes one document (%f or %u) but is given several is run once per document.
// - Documents are handed over as file paths, which the Desktop Entry format allows for %u and %U too.
class ExecLine {
public:
    struct Context {
        std::string icon;            // the entry's Icon value, "" when none
        std::string translatedName;  // the entry's Name for the user's locale
        std::string entryPath;       // where the entry is
    };

    // The command lines to run, at least one; nullopt when the line is empty or unreadable.
    static std::optional<std::vector<std::vector<std::string>>> expand(
        const std::string& exec, const std::vector<std::string>& documents, const Context& context);

    // Only splits (quoting rules, no field codes expanded); nullopt when unreadable.
    static std::optional<std::vector<std::string>> split(const std::string& exec);

    // Whether the line hands documents over (has %f, %F, %u or %U outside quotes).
    static bool takesDocuments(const std::string& exec);
};

}  // namespace tessane::linux_desktop
