#include "platform/linux/DocumentMatch.h"

#include "base/FileURL.h"

#include <algorithm>
#include <cctype>

namespace tessane::linux_desktop {
namespace fs = std::filesystem;

namespace {

bool isWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// Text an argument of the Exec line stands for literally: "%%" is a percent sign. None when
// it holds a field code.
std::optional<std::string> literal(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size()) {
            if (text[i + 1] != '%') return std::nullopt;
            ++i;
        }
        out.push_back(text[i]);
    }
    return out;
}

// An argument of the Exec line with one document code and text around it ("--file=%u").
struct Pattern {
    std::string prefix, suffix;
};

std::optional<Pattern> patternOf(const std::string& arg) {
    for (size_t i = 0; i + 1 < arg.size(); ++i) {
        if (arg[i] != '%') continue;
        const char code = arg[i + 1];
        if (code == 'f' || code == 'u' || code == 'F' || code == 'U') {
            if (arg.size() == 2) return std::nullopt;  // the code alone: a plain argument
            auto prefix = literal(std::string_view(arg).substr(0, i));
            auto suffix = literal(std::string_view(arg).substr(i + 2));
            if (!prefix || !suffix) return std::nullopt;
            return Pattern{*prefix, *suffix};
        }
        ++i;
    }
    return std::nullopt;
}

// "scheme:..." with a scheme of two or more characters (one letter is a file name, "c:notes").
bool hasScheme(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (std::isalnum(static_cast<unsigned char>(text[i])) || text[i] == '+' ||
                               text[i] == '-' || text[i] == '.'))
        ++i;
    return i >= 2 && i < text.size() && text[i] == ':' && std::isalpha(static_cast<unsigned char>(text[0]));
}

std::optional<std::string> pathOf(const std::string& argument, const fs::path& cwd) {
    if (argument.empty()) return std::nullopt;
    if (hasScheme(argument)) return filePathFromURL(argument);
    const fs::path path(argument);
    if (path.is_absolute()) return path.lexically_normal().string();
    if (cwd.empty()) return std::nullopt;
    return (cwd / path).lexically_normal().string();
}

}  // namespace

bool titleNamesFile(std::string_view title, std::string_view fileName) {
    if (fileName.empty()) return false;
    for (size_t at = title.find(fileName); at != std::string_view::npos; at = title.find(fileName, at + 1)) {
        if (at > 0) {
            const char before = title[at - 1];
            if (isWordChar(before) || before == '.' || before == '-') continue;
        }
        const size_t end = at + fileName.size();
        if (end < title.size()) {
            const char after = title[end];
            if (isWordChar(after)) continue;
            // "notes.txt.bak", "notes.txt-old": a longer name; "notes.txt." ends a sentence.
            if ((after == '.' || after == '-') && end + 1 < title.size() && isWordChar(title[end + 1])) continue;
        }
        return true;
    }
    return false;
}

std::optional<std::string> pickDocument(std::string_view title, const std::vector<DocumentCandidate>& candidates,
                                        const std::function<bool(const std::string&)>& isFile) {
    std::vector<DocumentCandidate> named;
    for (const auto& c : candidates) {
        if (!titleNamesFile(title, fs::path(c.path).filename().string())) continue;
        auto same = std::find_if(named.begin(), named.end(), [&](const auto& n) { return n.path == c.path; });
        if (same == named.end()) named.push_back(c);
        else same->time = std::max(same->time, c.time);
    }
    std::stable_sort(named.begin(), named.end(), [](const auto& a, const auto& b) { return a.time > b.time; });
    std::optional<DocumentCandidate> best;
    for (const auto& c : named) {
        if (best && c.time < best->time) break;
        if (!isFile(c.path)) continue;
        if (best) return std::nullopt;  // two files, equally recent
        best = c;
    }
    return best ? std::optional(best->path) : std::nullopt;
}

std::vector<std::string> commandLineDocuments(const std::vector<std::string>& argv, const std::string& exec,
                                              const ExecLine::Context& context, const fs::path& cwd) {
    if (argv.empty() || !ExecLine::takesDocuments(exec)) return {};
    const auto commands = ExecLine::expand(exec, {}, context);
    const auto raw = ExecLine::split(exec);
    if (!commands || commands->empty() || commands->front().empty() || !raw) return {};
    std::vector<std::string> fixed(commands->front().begin() + 1, commands->front().end());
    std::vector<Pattern> patterns;
    for (const auto& arg : *raw)
        if (auto p = patternOf(arg)) patterns.push_back(*p);

    // The program may run under an interpreter or a wrapper: its arguments follow its own name.
    const std::string program = fs::path(commands->front().front()).filename().string();
    size_t first = 1;
    if (fs::path(argv.front()).filename() != program)
        for (size_t i = 1; i < argv.size(); ++i)
            if (fs::path(argv[i]).filename() == program) {
                first = i + 1;
                break;
            }

    std::vector<std::string> out;
    bool optionsEnded = false;
    for (size_t i = first; i < argv.size(); ++i) {
        const std::string& arg = argv[i];
        std::optional<std::string> document;
        if (optionsEnded) {
            document = arg;
        } else if (arg == "--") {
            optionsEnded = true;
            if (auto f = std::find(fixed.begin(), fixed.end(), arg); f != fixed.end()) fixed.erase(f);
            continue;
        } else {
            for (const auto& p : patterns)
                if (arg.size() > p.prefix.size() + p.suffix.size() && arg.starts_with(p.prefix) &&
                    arg.ends_with(p.suffix)) {
                    document = arg.substr(p.prefix.size(), arg.size() - p.prefix.size() - p.suffix.size());
                    break;
                }
            if (!document) {
                if (auto f = std::find(fixed.begin(), fixed.end(), arg); f != fixed.end()) {
                    fixed.erase(f);
                    continue;
                }
                if (arg.starts_with("-")) continue;
                document = arg;
            }
        }
        if (auto path = pathOf(*document, cwd)) out.push_back(*path);
    }
    return out;
}

}  // namespace tessane::linux_desktop
