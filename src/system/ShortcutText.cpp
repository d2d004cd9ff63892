#include "system/ShortcutText.h"

#include <array>
#include <cctype>
#include <vector>

namespace tessane::shortcut_text {

namespace {

constexpr std::array<std::string_view, 4> kModifiers = {"Ctrl", "Alt", "Shift", "Super"};

// The modifier spelt at `at` in `text`, when one is there as a whole word; empty otherwise.
std::string_view modifierAt(std::string_view text, size_t at) {
    for (const auto name : kModifiers) {
        if (text.substr(at, name.size()) != name) continue;
        const size_t end = at + name.size();
        if (end < text.size() && std::isalnum(static_cast<unsigned char>(text[end]))) continue;
        return name;
    }
    return {};
}

const HotKeys* orderSource = nullptr;

}  // namespace

std::string inOrder(std::string_view text, ChordOrder order) {
    if (order == ChordOrder::asWritten) return std::string(text);
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        const bool wordStart = i == 0 || !std::isalnum(static_cast<unsigned char>(text[i - 1]));
        if (!wordStart || modifierAt(text, i).empty()) {
            out += text[i++];
            continue;
        }
        // A run of modifiers joined by '+' ("Alt+Super" in "Alt+Super+H" or "hold Alt+Super").
        std::vector<std::string_view> run;
        size_t end = i;
        while (true) {
            const auto name = modifierAt(text, end);
            if (name.empty()) break;
            run.push_back(name);
            end += name.size();
            if (end >= text.size() || text[end] != '+' || modifierAt(text, end + 1).empty()) break;
            ++end;
        }
        std::string rewritten;
        for (const auto name : run)
            if (name == "Super") rewritten = "Super";
        for (const auto name : run) {
            if (name == "Super") continue;
            if (!rewritten.empty()) rewritten += '+';
            rewritten += name;
        }
        out += rewritten;
        i = end;
    }
    return out;
}

std::string shown(std::string_view text) {
    return inOrder(text, orderSource ? orderSource->chordOrder() : ChordOrder::asWritten);
}

Subscription useOrderOf(const HotKeys& hotKeys) {
    orderSource = &hotKeys;
    return Subscription([source = &hotKeys] {
        if (orderSource == source) orderSource = nullptr;
    });
}

}  // namespace tessane::shortcut_text
