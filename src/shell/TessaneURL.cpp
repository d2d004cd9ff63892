#include "shell/TessaneURL.h"

#include "base/LogText.h"
#include "base/Text.h"
#include "shell/LinkURL.h"

#include <charconv>
#include <cstdint>

namespace tessane::TessaneURL {

namespace {

std::string asciiLower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string replacingAll(std::string s, std::string_view what, std::string_view with) {
    for (size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + with.size()))
        s.replace(at, what.size(), with);
    return s;
}

std::optional<std::string> queryTargetOf(const LinkURL& url) {
    if (!url.queryItems || url.queryItems->empty()) return std::nullopt;
    for (std::string_view key : {"workspace", "name", "index"}) {
        for (const auto& item : *url.queryItems) {
            if (text::lowercased(item.name) != key) continue;
            if (item.value && !item.value->empty()) return item.value;
            break;  // later items of the same name are not looked at
        }
    }
    return std::nullopt;
}

std::optional<int> focusOffset(const std::optional<std::string>& target) {
    if (!target) return 1;
    const std::string t = text::lowercased(*target);
    if (t == "next" || t == "right" || t == "+1") return 1;
    if (t == "previous" || t == "prev" || t == "left" || t == "-1") return -1;
    return std::nullopt;
}

// An optional sign, then ASCII digits only, within the range of a signed 64-bit integer.
std::optional<int64_t> decimalInteger(std::string_view s) {
    std::string_view digits = s;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) digits.remove_prefix(1);
    if (digits.empty()) return std::nullopt;
    for (char c : digits)
        if (c < '0' || c > '9') return std::nullopt;
    // from_chars takes a leading "-" but not a "+".
    if (s.front() == '+') s.remove_prefix(1);
    int64_t value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    return value;
}

}  // namespace

std::string logSafe(std::string_view text) { return tessane::logSafe(text); }

std::string Command::description() const {
    auto quoted = [](const std::optional<std::string>& t) {
        if (!t) return std::string("nil");
        std::string out = "\"";
        appendLogSafe(out, *t, true);
        return out + "\"";
    };
    switch (kind) {
    case Kind::show: return "show(target: " + quoted(target) + ")";
    case Kind::hide: return "hide(target: " + quoted(target) + ")";
    case Kind::toggle: return "toggle(target: " + quoted(target) + ")";
    case Kind::bringHere: return "bringHere(target: " + quoted(target) + ")";
    case Kind::focus: return "focus(offset: " + std::to_string(offset) + ")";
    case Kind::solo: return "solo";
    }
    return "solo";
}

const std::vector<Verb>& verbReference() {
    static const std::vector<Verb> verbs{
        {"Show a workspace", "tessane://show/<name>"},
        {"Show it, or hide it if it's already up", "tessane://toggle/<name>"},
        {"Hide the workspace in front", "tessane://hide"},
        {"Bring a workspace to this display", "tessane://bring/<name>"},
        {"Move focus to the next / previous app", "tessane://focus/next"},
        {"Zoom the focused app to fill the workspace", "tessane://solo"},
    };
    return verbs;
}

std::vector<std::string> advertisedExamples() {
    std::vector<std::string> out;
    const auto& verbs = verbReference();
    for (size_t i = 0; i < 4 && i < verbs.size(); ++i)
        out.push_back("xdg-open " + replacingAll(verbs[i].url, "<name>", "Writing"));
    return out;
}

std::optional<std::string> queryTarget(std::string_view url) {
    const auto split = LinkURL::split(url);
    if (!split) return std::nullopt;
    return queryTargetOf(*split);
}

std::optional<Command> parse(std::string_view text) {
    const auto url = LinkURL::split(text);
    if (!url || asciiLower(url->scheme) != "tessane") return std::nullopt;

    std::vector<std::string> tokens;
    if (url->host) tokens.push_back(*url->host);
    for (const auto& segment : url->pathSegments)
        if (segment != "/") tokens.push_back(segment);
    if (tokens.empty()) return std::nullopt;

    const std::string verb = text::lowercased(tokens.front());
    std::optional<std::string> target;
    if (auto fromQuery = queryTargetOf(*url)) {
        target = std::move(fromQuery);
    } else {
        std::string joined;
        for (size_t i = 1; i < tokens.size(); ++i) joined += (i > 1 ? "/" : "") + tokens[i];
        if (!joined.empty()) target = std::move(joined);
    }

    if (verb == "show") return target ? std::optional(Command::show(*target)) : std::nullopt;
    if (verb == "hide") return Command::hide(target);
    if (verb == "toggle") return target ? std::optional(Command::toggle(*target)) : std::nullopt;
    if (verb == "bring" || verb == "bringhere" || verb == "bring-here") return Command::bringHere(target);
    if (verb == "focus") {
        const auto offset = focusOffset(target);
        return offset ? std::optional(Command::focus(*offset)) : std::nullopt;
    }
    if (verb == "solo") return Command::solo();
    return std::nullopt;
}

std::optional<Uuid> resolve(std::string_view target, const std::vector<Workspace>& workspaces) {
    const std::string trimmed = text::trimmed(target);
    if (trimmed.empty()) return std::nullopt;
    for (const auto& workspace : workspaces)
        if (text::equalsIgnoringCaseAndDiacritics(workspace.name, trimmed)) return workspace.id;
    const auto n = decimalInteger(trimmed);
    if (n && *n >= 1 && static_cast<uint64_t>(*n) <= workspaces.size()) return workspaces[static_cast<size_t>(*n - 1)].id;
    return std::nullopt;
}

}  // namespace tessane::TessaneURL
