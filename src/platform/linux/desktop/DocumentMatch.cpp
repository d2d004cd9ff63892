#include "platform/linux/desktop/DocumentMatch.h"

#include "base/FileURL.h"

#include <algorithm>
#include <cctype>
#include <random>
#include <unordered_map>

namespace tessane::linux_desktop {
namespace fs = std::filesystem;

namespace {

bool isWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// A name is whole when what comes before it can't continue a name ("old-notes.txt" does not name
// "notes.txt") ...
bool mayStartName(char before) { return !isWordChar(before) && before != '.' && before != '-'; }

// ... nor what comes after it ("notes.txt.bak", "notes.txt-old"; but "notes.txt." ends a sentence).
bool mayEndName(std::string_view title, size_t end) {
    if (end >= title.size()) return true;
    const char after = title[end];
    if (isWordChar(after)) return false;
    return !((after == '.' || after == '-') && end + 1 < title.size() && isWordChar(title[end + 1]));
}

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
    FileNameIndex index;
    index.add(fileName, 0);
    return !index.named(title).empty();
}

void FileNameIndex::add(std::string_view name, size_t id) {
    if (name.empty() || name.size() > kMaxNameBytes) return;
    uint64_t hash = 0;
    for (char c : name) hash = hashStep(hash, static_cast<unsigned char>(c));
    auto& bucket = byHash_[hash];
    for (uint32_t n : bucket)
        if (names_[n].text == name) {
            names_[n].ids.push_back(id);
            return;
        }
    bucket.push_back(static_cast<uint32_t>(names_.size()));
    names_.push_back({std::string(name), {id}});
    lengths_.set(name.size());
    longest_ = std::max(longest_, name.size());
}

std::vector<size_t> FileNameIndex::named(std::string_view title) const {
    std::vector<uint32_t> found;
    if (names_.empty()) return {};
    // Every stretch of the title that begins and ends where a whole name may, as long as some
    // name is, is looked up by a hash grown one byte at a time.
    const size_t starts = std::min(title.size(), kMaxTitleBytes);
    for (size_t start = 0; start < starts; ++start) {
        if (start > 0 && !mayStartName(title[start - 1])) continue;
        const size_t last = std::min(title.size(), start + longest_);
        uint64_t hash = 0;
        for (size_t end = start; end < last;) {
            hash = hashStep(hash, static_cast<unsigned char>(title[end]));
            ++end;
            if (!lengths_[end - start] || !mayEndName(title, end)) continue;
            const auto it = byHash_.find(hash);
            if (it == byHash_.end()) continue;
            for (uint32_t n : it->second)
                if (names_[n].text == title.substr(start, end - start)) found.push_back(n);
        }
    }
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    std::vector<size_t> ids;
    for (uint32_t n : found) ids.insert(ids.end(), names_[n].ids.begin(), names_[n].ids.end());
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    return ids;
}

uint64_t FileNameIndex::hashStep(uint64_t hash, unsigned char c) {
    // A polynomial hash modulo 2^61 - 1, with a base of this process's own: names come from
    // other programs, and nobody can pick names that all land on one hash.
    constexpr uint64_t modulus = (uint64_t{1} << 61) - 1;
    static const uint64_t base = [] {
        std::random_device random;
        return ((uint64_t{random()} << 32) | random()) % (modulus - 512) + 257;
    }();
    const unsigned __int128 product = static_cast<unsigned __int128>(hash) * base;
    uint64_t next = static_cast<uint64_t>(product & modulus) + static_cast<uint64_t>(product >> 61);
    next += c + 1u;
    while (next >= modulus) next -= modulus;
    return next;
}

std::optional<std::string> pickDocument(std::string_view title, const std::vector<DocumentCandidate>& candidates,
                                        const std::function<bool(const std::string&)>& isFile) {
    // Each file once (by its first candidate), at its latest time, in the order first seen.
    struct File {
        size_t candidate;
        double time;
    };
    std::vector<File> files;
    std::unordered_map<std::string_view, size_t> byPath;
    byPath.reserve(candidates.size());
    FileNameIndex index;
    for (size_t i = 0; i < candidates.size(); ++i) {
        const std::string_view path = candidates[i].path;
        const auto [it, added] = byPath.try_emplace(path, files.size());
        if (added) {
            index.add(path.substr(path.rfind('/') + 1), files.size());
            files.push_back({i, candidates[i].time});
        } else {
            files[it->second].time = std::max(files[it->second].time, candidates[i].time);
        }
    }
    std::vector<File> named;
    for (size_t f : index.named(title)) named.push_back(files[f]);
    std::stable_sort(named.begin(), named.end(), [](const File& a, const File& b) { return a.time > b.time; });
    std::optional<File> best;
    size_t checks = 0;
    for (const File& f : named) {
        if (best && f.time < best->time) break;
        if (checks++ == kMaxFileChecks) return std::nullopt;
        if (!isFile(candidates[f.candidate].path)) continue;
        if (best) return std::nullopt;  // two files, equally recent
        best = f;
    }
    return best ? std::optional(candidates[best->candidate].path) : std::nullopt;
}

std::vector<std::string> commandLineDocuments(const std::vector<std::string>& argv, const std::string& exec,
                                              const ExecLine::Context& context, const fs::path& cwd) {
    if (argv.empty() || !ExecLine::takesDocuments(exec)) return {};
    const auto commands = ExecLine::expand(exec, {}, context);
    const auto raw = ExecLine::split(exec);
    if (!commands || commands->empty() || commands->front().empty() || !raw) return {};
    // The Exec line's own arguments, each as often as it holds it.
    std::unordered_map<std::string, size_t> fixed;
    for (auto it = commands->front().begin() + 1; it != commands->front().end(); ++it) ++fixed[*it];
    const auto takeFixed = [&](const std::string& arg) {
        const auto f = fixed.find(arg);
        if (f == fixed.end() || f->second == 0) return false;
        --f->second;
        return true;
    };
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
            takeFixed(arg);
            continue;
        } else {
            for (const auto& p : patterns)
                if (arg.size() > p.prefix.size() + p.suffix.size() && arg.starts_with(p.prefix) &&
                    arg.ends_with(p.suffix)) {
                    document = arg.substr(p.prefix.size(), arg.size() - p.prefix.size() - p.suffix.size());
                    break;
                }
            if (!document) {
                if (takeFixed(arg)) continue;
                if (arg.starts_with("-")) continue;
                document = arg;
            }
        }
        if (auto path = pathOf(*document, cwd)) out.push_back(*path);
    }
    return out;
}

}  // namespace tessane::linux_desktop
