#include "platform/linux/desktop/ExecLine.h"

#include <cctype>

namespace tessane::linux_desktop {
namespace {

// One argument: its pieces, each either quoted (literal but for "%%") or not (field codes apply).
struct Piece {
    std::string text;
    bool quoted = false;
};
using Argument = std::vector<Piece>;

std::optional<std::vector<Argument>> tokenize(const std::string& exec) {
    std::vector<Argument> out;
    Argument current;
    bool inArgument = false;
    size_t i = 0;
    auto finish = [&] {
        if (inArgument) out.push_back(std::move(current));
        current.clear();
        inArgument = false;
    };
    while (i < exec.size()) {
        const char c = exec[i];
        if (c == ' ' || c == '\t' || c == '\n') {
            finish();
            ++i;
        } else if (c == '"') {
            Piece piece{{}, true};
            ++i;
            bool closed = false;
            while (i < exec.size()) {
                if (exec[i] == '\\' && i + 1 < exec.size()) {
                    piece.text.push_back(exec[i + 1]);
                    i += 2;
                } else if (exec[i] == '"') {
                    closed = true;
                    ++i;
                    break;
                } else {
                    piece.text.push_back(exec[i++]);
                }
            }
            if (!closed) return std::nullopt;
            current.push_back(std::move(piece));
            inArgument = true;
        } else {
            if (current.empty() || current.back().quoted) current.push_back({});
            current.back().text.push_back(c);
            inArgument = true;
            ++i;
        }
    }
    finish();
    return out;
}

bool isAlone(const Argument& a, const char* code) {
    return a.size() == 1 && !a[0].quoted && a[0].text == code;
}

// Whether the text holds a field code that stands for something ("%%" is only a percent sign;
// a '%' that ends the text is taken as it stands).
bool hasSubstitution(const std::string& text) {
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '%') continue;
        if (text[i + 1] != '%') return true;
        ++i;
    }
    return false;
}

bool hasCode(const std::vector<Argument>& args, const std::string& codes) {
    for (const auto& a : args)
        for (const auto& p : a)
            if (!p.quoted)
                for (size_t i = 0; i + 1 < p.text.size(); ++i) {
                    if (p.text[i] != '%') continue;
                    if (codes.find(p.text[i + 1]) != std::string::npos) return true;
                    ++i;  // skip the code, so "%%f" is not taken for one
                }
    return false;
}

// Quoted text: quoting is undone before field codes expand, so "%%" is a percent sign there
// too. Nothing else can be in it (refused before).
std::string percentsOf(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        out.push_back(text[i]);
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == '%') ++i;
    }
    return out;
}

std::optional<std::string> refusalOf(const std::vector<Argument>& args) {
    if (args.empty()) return "it is empty";
    for (const auto& a : args) {
        bool quoted = false, substituted = false;
        for (const auto& p : a) {
            if (p.quoted && hasSubstitution(p.text)) return "a field code sits inside a quoted argument";
            if (p.quoted)
                quoted = true;
            else if (hasSubstitution(p.text))
                substituted = true;
        }
        if (quoted && substituted) return "a field code sits against a quoted argument";
    }
    std::string program;
    for (const auto& p : args.front()) {
        if (!p.quoted && hasSubstitution(p.text)) return "its program is a field code";
        program += percentsOf(p.text);
    }
    if (program.empty()) return "it names no program";
    return std::nullopt;
}

// Expands the codes of an unquoted piece; answers whether any code was in it.
bool expandPiece(const std::string& text, const std::string* document,
                 const ExecLine::Context& context, std::string& out) {
    bool hadCode = false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%' || i + 1 == text.size()) {
            out.push_back(text[i]);
            continue;
        }
        hadCode = true;
        switch (text[++i]) {
            case '%': out.push_back('%'); break;
            case 'f': case 'u': case 'F': case 'U':
                if (document) out += *document;
                break;
            case 'c': out += context.translatedName; break;
            case 'k': out += context.entryPath; break;
            case 'i': out += context.icon; break;  // inside a longer argument: the name alone
            default: break;  // deprecated or unknown: removed
        }
    }
    return hadCode;
}

std::vector<std::string> commandFor(const std::vector<Argument>& args,
                                    const std::vector<std::string>& documents,
                                    const ExecLine::Context& context) {
    std::vector<std::string> command;
    const std::string* first = documents.empty() ? nullptr : &documents.front();
    for (const auto& a : args) {
        if (isAlone(a, "%F") || isAlone(a, "%U")) {
            command.insert(command.end(), documents.begin(), documents.end());
            continue;
        }
        if (isAlone(a, "%i")) {
            if (!context.icon.empty()) {
                command.push_back("--icon");
                command.push_back(context.icon);
            }
            continue;
        }
        std::string text;
        bool onlyCodes = true;
        for (const auto& p : a) {
            if (p.quoted) {
                text += percentsOf(p.text);
                onlyCodes = false;
                continue;
            }
            std::string expanded;
            const bool hadCode = expandPiece(p.text, first, context, expanded);
            if (!hadCode) onlyCodes = false;
            text += expanded;
        }
        // "%f" with no document, "%d": the argument goes, rather than an empty one.
        if (text.empty() && onlyCodes) continue;
        command.push_back(std::move(text));
    }
    return command;
}

}  // namespace

std::optional<std::vector<std::string>> ExecLine::split(const std::string& exec) {
    auto args = tokenize(exec);
    if (!args) return std::nullopt;
    std::vector<std::string> out;
    for (const auto& a : *args) {
        std::string text;
        for (const auto& p : a) text += p.text;
        out.push_back(std::move(text));
    }
    return out;
}

bool ExecLine::takesDocuments(const std::string& exec) {
    auto args = tokenize(exec);
    return args && hasCode(*args, "fFuU");
}

std::optional<std::string> ExecLine::refusal(const std::string& exec) {
    auto args = tokenize(exec);
    if (!args) return "its quotes are not closed";
    return refusalOf(*args);
}

std::optional<std::vector<std::vector<std::string>>> ExecLine::expand(
    const std::string& exec, const std::vector<std::string>& documents, const Context& context) {
    auto args = tokenize(exec);
    if (!args || refusalOf(*args)) return std::nullopt;
    std::vector<std::vector<std::string>> commands;
    const bool takesList = hasCode(*args, "FU");
    const bool takesOne = hasCode(*args, "fu");
    if (documents.size() > 1 && takesOne && !takesList) {
        for (const auto& d : documents) commands.push_back(commandFor(*args, {d}, context));
    } else {
        commands.push_back(commandFor(*args, documents, context));
    }
    return commands;
}

std::string ExecLine::documentArgument(const std::string& document, const std::filesystem::path& base) {
    // A scheme: a letter, then letters, digits, '+', '-' or '.', then ':'. One letter is taken
    // for a file name ("c:notes"), which no scheme in use is.
    size_t i = 0;
    while (i < document.size() && (std::isalnum(static_cast<unsigned char>(document[i])) || document[i] == '+' ||
                                   document[i] == '-' || document[i] == '.'))
        ++i;
    const bool isURL = i >= 2 && i < document.size() && document[i] == ':' &&
                       std::isalpha(static_cast<unsigned char>(document[0]));
    if (isURL) return document;
    const std::filesystem::path path(document);
    return path.is_absolute() ? document : (base / path).string();
}

}  // namespace tessane::linux_desktop
