#pragma once

#include <filesystem>
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
//   entry's location, %% a percent sign (in quotes too); the deprecated %d %D %n %N %v %m and
//   unknown codes are removed. An argument that was a field code alone and expands to nothing
//   is dropped.
// - Refused (the format forbids them, and they are how a document's name turns into commands
//   or into the program): a field code other than %% inside quotes or in the same argument as
//   quoted text (`sh -c "prog "%f`, `"%f"`, `x"%u"`), and a field code in the program itself
//   (`Exec=%f`).
// - A line that takes one document (%f or %u) but is given several is run once per document.
// - Documents are handed over as file paths, which the Desktop Entry format allows for %u and
//   %U too; documentArgument makes them absolute first.
class ExecLine {
public:
    struct Context {
        std::string icon;            // the entry's Icon value, "" when none
        std::string translatedName;  // the entry's Name for the user's locale
        std::string entryPath;       // where the entry is
    };

    // The command lines to run, at least one; nullopt when the line is refused (see refusal).
    static std::optional<std::vector<std::vector<std::string>>> expand(
        const std::string& exec, const std::vector<std::string>& documents, const Context& context);

    // Why the line cannot be run, in words for a log line ("a field code sits inside a quoted
    // argument"); nullopt when it can.
    static std::optional<std::string> refusal(const std::string& exec);

    // Only splits (quoting rules, no field codes expanded); nullopt when unreadable.
    static std::optional<std::vector<std::string>> split(const std::string& exec);

    // Whether the line hands documents over (has %f, %F, %u or %U outside quotes).
    static bool takesDocuments(const std::string& exec);

    // A document as an application receives it: a URL ("scheme:...") as it is, a path made
    // absolute against `base` (our working folder), so that no name, such as "-rf", can be
    // taken for an option.
    static std::string documentArgument(const std::string& document, const std::filesystem::path& base);
};

}  // namespace tessane::linux_desktop
