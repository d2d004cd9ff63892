#include "platform/linux/windows/NewWindowAction.h"

#include "platform/Accessibility.h"
#include "platform/linux/desktop/DesktopEntry.h"
#include "platform/linux/desktop/ExecLine.h"
#include "platform/linux/processes/ProcessLauncher.h"

#include <cctype>
#include <fstream>
#include <sstream>
#include <vector>

namespace tessane::linux_desktop {

namespace {

std::string trimmed(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}

// The lines of one group, under a "[Desktop Entry]" header so the entry reader takes them.
std::string groupAsEntry(const std::string& text, const std::string& header) {
    std::string out = "[Desktop Entry]\n";
    bool inGroup = false;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const std::string t = trimmed(line);
        if (!t.empty() && t[0] == '[') {
            inGroup = t == header;
            continue;
        }
        if (inGroup) out += line + "\n";
    }
    return out;
}

}  // namespace

bool NewWindowAction::isNewWindowId(std::string_view id) {
    std::string folded;
    for (char c : id)
        if (c != '-' && c != '_') folded.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    return folded == "newwindow" || folded == "newemptywindow";
}

std::optional<NewWindowAction> NewWindowAction::parse(const std::string& entryText) {
    const auto entry = DesktopEntry::parse(entryText);
    if (!entry) return std::nullopt;
    const auto actions = entry->value("Actions");
    if (!actions) return std::nullopt;
    std::istringstream ids(*actions);
    std::string id;
    while (std::getline(ids, id, ';')) {
        id = trimmed(id);
        if (id.empty() || !isNewWindowId(id)) continue;
        const auto group = DesktopEntry::parse(groupAsEntry(entryText, "[Desktop Action " + id + "]"));
        if (!group) continue;
        if (const auto exec = group->value("Exec"); exec && !trimmed(*exec).empty()) return NewWindowAction{id, *exec};
    }
    return std::nullopt;
}

std::optional<NewWindowAction> NewWindowAction::read(const std::filesystem::path& entryPath) {
    std::ifstream in(entryPath, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return parse(text.str());
}

}  // namespace tessane::linux_desktop

namespace tessane::linux_backend {

namespace {

// Handles: a tag bit of their own (application elements use bit 62, windows are 32-bit XIDs),
// the part in bits 32-39, the process id below.
constexpr uint64_t kMenuTag = 1ull << 61;
enum class Part : uint64_t { menuBar = 1, barItem = 2, menu = 3, item = 4 };

AXElement element(Part part, Pid pid) {
    return AXElement::fromHandle(kMenuTag | (static_cast<uint64_t>(part) << 32) | static_cast<uint32_t>(pid));
}
Part partOf(const AXElement& e) { return static_cast<Part>((e.handle() >> 32) & 0xFF); }

AXAttributeResult value(AXValue v) { return {AXError::success, std::move(v)}; }
AXAttributeResult error(AXError e) { return {e, {}}; }

}  // namespace

bool NewWindowMenu::owns(const AXElement& e) {
    if ((e.handle() & kMenuTag) == 0 || (e.handle() & (1ull << 62)) != 0) return false;
    const auto part = static_cast<uint64_t>(partOf(e));
    return part >= 1 && part <= 4;
}

Pid NewWindowMenu::pidOf(const AXElement& e) { return static_cast<Pid>(static_cast<uint32_t>(e.handle() & 0xFFFFFFFFu)); }

std::optional<linux_desktop::NewWindowAction> NewWindowMenu::actionOf(Pid pid) const {
    if (!entryOf_) return std::nullopt;
    const auto entry = entryOf_(pid);
    if (!entry) return std::nullopt;
    return linux_desktop::NewWindowAction::read(*entry);
}

std::optional<AXElement> NewWindowMenu::menuBar(Pid pid) const {
    if (!actionOf(pid)) return std::nullopt;
    return element(Part::menuBar, pid);
}

AXAttributeResult NewWindowMenu::attribute(const AXElement& e, std::string_view attribute) const {
    const Pid pid = pidOf(e);
    if (!actionOf(pid)) return error(AXError::invalidUIElement);  // gone, or the entry changed
    const Part part = partOf(e);
    if (attribute == ax::kChildren) {
        switch (part) {
            case Part::menuBar: return value(AXValue::elements({element(Part::barItem, pid)}));
            case Part::barItem: return value(AXValue::elements({element(Part::menu, pid)}));
            case Part::menu: return value(AXValue::elements({element(Part::item, pid)}));
            case Part::item: return error(AXError::noValue);
        }
    }
    if (attribute == ax::kTitle) {
        if (part == Part::barItem) return value(AXValue::string(kMenuTitle));
        if (part == Part::item) return value(AXValue::string(kItemTitle));
        return error(AXError::noValue);
    }
    if (part == Part::item) {
        if (attribute == ax::kMenuItemCmdChar) return value(AXValue::string("N"));
        if (attribute == ax::kMenuItemCmdModifiers) return value(AXValue::integer(0));
        if (attribute == ax::kEnabled) return value(AXValue::boolean(true));
    }
    return error(AXError::attributeUnsupported);
}

AXError NewWindowMenu::performAction(const AXElement& e, std::string_view action) const {
    if (partOf(e) != Part::item || action != ax::kPress) return AXError::actionUnsupported;
    const Pid pid = pidOf(e);
    const auto entry = entryOf_ ? entryOf_(pid) : std::nullopt;
    const auto action_ = actionOf(pid);
    if (!entry || !action_) return AXError::invalidUIElement;
    const auto desktop = linux_desktop::DesktopEntry::read(*entry);
    const linux_desktop::ExecLine::Context context{desktop ? desktop->value("Icon").value_or("") : "",
                                                  desktop ? desktop->value("Name").value_or("") : "",
                                                  entry->string()};
    const auto commands = linux_desktop::ExecLine::expand(action_->exec, {}, context);
    if (!commands || commands->empty()) return AXError::failure;
    return ProcessLauncher::launchDetached(commands->front(), {}).ok() ? AXError::success : AXError::failure;
}

}  // namespace tessane::linux_backend
