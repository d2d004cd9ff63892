#pragma once

#include "base/Uuid.h"
#include "model/Workspace.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessane {

// Link commands of the tessane: scheme (tessane://show/Writing): the parser, the matching of a
// target to a workspace and the table of advertised verbs. Keeps no state.
namespace TessaneURL {

struct Command {
    enum class Kind { show, hide, toggle, bringHere, focus, solo };

    Kind kind = Kind::show;
    // show and toggle always carry one; hide and bringHere may; focus and solo never.
    std::optional<std::string> target;
    int offset = 0;  // focus only

    static Command show(std::string target) { return {Kind::show, std::move(target)}; }
    static Command hide(std::optional<std::string> target) { return {Kind::hide, std::move(target)}; }
    static Command toggle(std::string target) { return {Kind::toggle, std::move(target)}; }
    static Command bringHere(std::optional<std::string> target) { return {Kind::bringHere, std::move(target)}; }
    static Command focus(int offset) { return {Kind::focus, std::nullopt, offset}; }
    static Command solo() { return {Kind::solo}; }

    // The case with its labelled argument: show(target: "Writing"), hide(target: nil),
    // focus(offset: -1), solo. Quotes, backslashes and control characters of the target are
    // escaped, so a target can never break a log line.
    std::string description() const;

    bool operator==(const Command&) const = default;
};

struct Verb {
    std::string summary;
    std::string url;
    const std::string& id() const { return url; }
    bool operator==(const Verb&) const = default;
};

// The six advertised verbs, in the order the settings window lists them.
const std::vector<Verb>& verbReference();
// "xdg-open <url>" (the desktop's opener) for the first four verbs, "<name>" replaced by "Writing".
std::vector<std::string> advertisedExamples();

std::optional<Command> parse(std::string_view url);
// The first non-empty value of the query items "workspace", "name", "index" (names compared
// lower-cased; only the first item of each name counts).
std::optional<std::string> queryTarget(std::string_view url);
// The workspace the target names: by name ignoring case and diacritics, else by its 1-based
// position. Surrounding white space is ignored.
std::optional<Uuid> resolve(std::string_view target, const std::vector<Workspace>& workspaces);

// A link or a target as a log line may carry it: C0 and C1 controls, DEL and the Unicode line and
// paragraph separators written as escapes (\n, \u{85}), and bytes that are not UTF-8 as \x{..}.
std::string logSafe(std::string_view text);

}  // namespace TessaneURL

}  // namespace tessane
