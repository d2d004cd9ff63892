#include "platform/linux/desktop/RecentDocuments.h"

#include "base/FileURL.h"
#include "platform/linux/desktop/ExecLine.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <utility>

namespace tessane::linux_desktop {

namespace {

std::string lower(std::string_view text) {
    std::string out(text);
    for (auto& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

void appendUtf8(std::string& out, uint32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// The longest reference between '&' and ';' that is looked at ("#x10FFFF" and the names fit).
constexpr size_t kMaxReference = 9;

// An attribute's text with XML's references resolved; one it does not know stays as written.
std::string unescape(std::string_view text) {
    static const std::map<std::string_view, char> named = {
        {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
    std::string out;
    out.reserve(text.size());
    size_t copied = 0;  // text before this is in `out`
    for (size_t i = text.find('&'); i != std::string_view::npos;) {
        // A reference is short and holds no '&': its end is looked for only that far, or text of
        // many a '&' and no ';' would be searched to its end once for each.
        const size_t limit = std::min(text.size() - i, kMaxReference + 2);
        size_t length = 1;
        while (length < limit && text[i + length] != ';' && text[i + length] != '&') ++length;
        if (length == limit || text[i + length] == '&') {  // a '&' as it is
            i = length < limit ? i + length : text.find('&', i + length);
            continue;
        }
        const size_t semicolon = i + length;
        out.append(text.substr(copied, i - copied));
        copied = semicolon + 1;
        const std::string_view ref = text.substr(i + 1, semicolon - i - 1);
        if (auto it = named.find(ref); it != named.end()) {
            out.push_back(it->second);
        } else if (ref.size() > 1 && ref[0] == '#') {
            const bool hex = ref[1] == 'x' || ref[1] == 'X';
            uint32_t code = 0;
            bool ok = ref.size() > (hex ? 2u : 1u);
            for (char c : ref.substr(hex ? 2 : 1)) {
                const int d = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                              : hex && std::isxdigit(static_cast<unsigned char>(c))
                                  ? std::tolower(static_cast<unsigned char>(c)) - 'a' + 10
                                  : -1;
                if (d < 0 || code > 0x10FFFF) ok = false;
                if (!ok) break;
                code = code * (hex ? 16 : 10) + static_cast<uint32_t>(d);
            }
            if (!ok || code == 0 || code > 0x10FFFF) {
                out.append(text.substr(i, semicolon - i + 1));
            } else {
                appendUtf8(out, code);
            }
        } else {
            out.append(text.substr(i, semicolon - i + 1));
        }
        i = text.find('&', semicolon + 1);
    }
    out.append(text.substr(copied));
    return out;
}

// A tag as it stands in the text: nothing is copied or unescaped until asked for.
struct Tag {
    std::string_view name;
    std::vector<std::pair<std::string_view, std::string_view>> attributes;  // values still escaped
    bool closing = false;      // </name>
    bool selfClosing = false;  // <name/>

    std::optional<std::string> attribute(std::string_view key) const {
        for (const auto& [k, v] : attributes)
            if (k == key) return unescape(v);
        return std::nullopt;
    }
};

// Reads the tag at text[at] == '<' into `tag` (whose storage is reused); moves `at` past it.
// False when it is not closed.
bool readTag(std::string_view text, size_t& at, Tag& tag) {
    tag.attributes.clear();
    tag.closing = tag.selfClosing = false;
    size_t i = at + 1;
    if (i < text.size() && text[i] == '/') {
        tag.closing = true;
        ++i;
    }
    auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    const size_t nameStart = i;
    while (i < text.size() && !isSpace(text[i]) && text[i] != '/' && text[i] != '>') ++i;
    tag.name = text.substr(nameStart, i - nameStart);
    while (true) {
        while (i < text.size() && isSpace(text[i])) ++i;
        if (i >= text.size()) return false;
        if (text[i] == '>') break;
        if (text[i] == '/') {
            tag.selfClosing = true;
            ++i;
            continue;
        }
        const size_t keyStart = i;
        while (i < text.size() && !isSpace(text[i]) && text[i] != '=' && text[i] != '>' && text[i] != '/') ++i;
        const std::string_view key = text.substr(keyStart, i - keyStart);
        while (i < text.size() && isSpace(text[i])) ++i;
        if (i >= text.size() || text[i] != '=') {
            if (key.empty()) return false;
            continue;  // an attribute without a value is not XML; it is left out
        }
        ++i;
        while (i < text.size() && isSpace(text[i])) ++i;
        if (i >= text.size() || (text[i] != '"' && text[i] != '\'')) return false;
        const char quote = text[i++];
        const size_t end = text.find(quote, i);
        if (end == std::string_view::npos) return false;
        tag.attributes.emplace_back(key, text.substr(i, end - i));
        i = end + 1;
    }
    at = i + 1;
    return true;
}

std::optional<double> attributeTime(const Tag& tag, std::string_view iso, std::string_view seconds) {
    if (auto text = tag.attribute(iso))
        if (auto t = parseIsoTime(*text)) return t;
    if (auto text = tag.attribute(seconds); text && !text->empty()) {
        char* end = nullptr;
        const double t = std::strtod(text->c_str(), &end);
        if (end && *end == '\0') return t;
    }
    return std::nullopt;
}

std::string_view localName(std::string_view name) {
    const auto colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

// The program an exec text runs ("'mousepad %u'" runs mousepad), lower case.
std::string programOf(std::string_view exec) {
    if (!exec.empty() && exec.front() == '\'') exec.remove_prefix(1);
    const auto end = exec.find_first_of(" \t'");
    return lower(std::filesystem::path(std::string(exec.substr(0, end))).filename().string());
}

int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

}  // namespace

std::optional<double> parseIsoTime(std::string_view text) {
    auto number = [&](size_t at, size_t digits) -> std::optional<int> {
        if (at + digits > text.size()) return std::nullopt;
        int v = 0;
        for (size_t i = at; i < at + digits; ++i) {
            if (!std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
            v = v * 10 + (text[i] - '0');
        }
        return v;
    };
    const auto y = number(0, 4), mo = number(5, 2), d = number(8, 2), h = number(11, 2), mi = number(14, 2),
               s = number(17, 2);
    if (!y || !mo || !d || !h || !mi || !s || text[4] != '-' || text[7] != '-' || (text[10] != 'T' && text[10] != ' ') ||
        text[13] != ':' || text[16] != ':' || *mo < 1 || *mo > 12 || *d < 1 || *d > 31 || *h > 23 || *mi > 59 ||
        *s > 60)
        return std::nullopt;
    double t = static_cast<double>(daysFromCivil(*y, static_cast<unsigned>(*mo), static_cast<unsigned>(*d))) * 86400 +
               *h * 3600 + *mi * 60 + *s;
    size_t i = 19;
    if (i < text.size() && (text[i] == '.' || text[i] == ',')) {
        double scale = 0.1;
        for (++i; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i, scale /= 10)
            t += (text[i] - '0') * scale;
    }
    if (i == text.size()) return t;
    if (text[i] == 'Z' && i + 1 == text.size()) return t;
    if (text[i] == '+' || text[i] == '-') {
        const auto oh = number(i + 1, 2), om = number(i + 4, 2);
        if (!oh || !om || i + 6 != text.size() || text[i + 3] != ':') return std::nullopt;
        const double offset = *oh * 3600 + *om * 60;
        return text[i] == '+' ? t - offset : t + offset;
    }
    return std::nullopt;
}

RecentlyUsedList parseRecentlyUsed(std::string_view xbel) {
    RecentlyUsedList out;
    std::optional<RecentFile> current;
    bool local = false;
    Tag tag;
    size_t at = 0;
    auto skipPast = [&](std::string_view end) {
        const size_t found = xbel.find(end, at);
        if (found == std::string_view::npos) return false;
        at = found + end.size();
        return true;
    };
    while ((at = xbel.find('<', at)) != std::string_view::npos) {
        const std::string_view rest = xbel.substr(at);
        if (rest.starts_with("<!--") || rest.starts_with("<![CDATA[") || rest.starts_with("<?") ||
            rest.starts_with("<!")) {
            const std::string_view end = rest.starts_with("<!--")        ? "-->"
                                         : rest.starts_with("<![CDATA[") ? "]]>"
                                         : rest.starts_with("<?")        ? "?>"
                                                                         : ">";
            if (!skipPast(end)) {
                out.error = "a declaration or comment is not closed";
                return out;
            }
            continue;
        }
        if (!readTag(xbel, at, tag)) {
            out.error = "a tag is not closed";
            return out;
        }
        if (tag.name == "bookmark" && !tag.closing) {
            current.emplace();
            const auto href = tag.attribute("href");
            const auto path = href ? filePathFromURL(*href) : std::nullopt;
            local = path.has_value();
            if (path) current->path = *path;
        } else if (current && !tag.closing && localName(tag.name) == "application" && tag.name != "application") {
            RecentFile::Use use;
            use.name = tag.attribute("name").value_or("");
            use.exec = tag.attribute("exec").value_or("");
            use.time = attributeTime(tag, "modified", "timestamp").value_or(0);
            current->uses.push_back(std::move(use));
        }
        if (tag.name == "bookmark" && (tag.closing || tag.selfClosing) && current) {
            if (local && !current->uses.empty()) out.files.push_back(std::move(*current));
            current.reset();
        }
    }
    if (current) out.error = "it ends inside a bookmark";
    return out;
}

std::optional<RecentFile> parseKdeRecentDocument(std::string_view text, double time, const std::string& home) {
    const auto entry = DesktopEntry::parse(text);
    if (!entry) return std::nullopt;
    // "[$e]": the value may name $HOME, which KDE writes for files in the home folder.
    const std::string raw = entry->value("URL[$e]").value_or(entry->value("URL").value_or(""));
    std::string url;
    for (size_t at = 0;;) {
        const size_t found = raw.find("$HOME", at);
        url.append(raw, at, found == std::string::npos ? std::string::npos : found - at);
        if (found == std::string::npos) break;
        url += home;
        at = found + 5;
    }
    const auto path = filePathFromURL(url);
    if (!path) return std::nullopt;
    RecentFile file;
    file.path = *path;
    file.uses.push_back({entry->value("X-KDE-LastOpenedWith").value_or(""), "", time});
    return file;
}

std::set<std::string> applicationNames(const std::string& desktopId, const DesktopEntry& entry) {
    std::set<std::string> names;
    std::string id = lower(desktopId);
    if (id.ends_with(".desktop")) id.resize(id.size() - 8);
    names.insert(id);
    names.insert(id.substr(id.rfind('.') + 1));
    if (auto name = entry.value("Name")) names.insert(lower(*name));
    if (auto wmClass = entry.value("StartupWMClass")) names.insert(lower(*wmClass));
    if (auto tryExec = entry.value("TryExec")) names.insert(programOf(*tryExec));
    if (auto exec = entry.value("Exec"))
        if (auto args = ExecLine::split(*exec); args && !args->empty())
            names.insert(lower(std::filesystem::path(args->front()).filename().string()));
    names.erase("");
    return names;
}

bool usedBy(const RecentFile::Use& use, const std::set<std::string>& names) {
    return names.count(lower(use.name)) || names.count(programOf(use.exec));
}

}  // namespace tessane::linux_desktop
