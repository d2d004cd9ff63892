#include "system/AXWindowController.h"

#include "base/FileURL.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace tessane {

namespace {

std::string asciiLower(std::string_view s) {
    std::string out(s);
    for (auto& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

}  // namespace

// ---------------------------------------------------------------- readers

std::optional<std::string> AXWindowController::string(const AXElement& element,
                                                      std::string_view attribute) const {
    auto r = ax_.copyAttribute(element, attribute);
    return r.ok() ? r.value.asString() : std::nullopt;
}

std::optional<Point> AXWindowController::point(const AXElement& element,
                                               std::string_view attribute) const {
    auto r = ax_.copyAttribute(element, attribute);
    return r.ok() ? r.value.asPoint() : std::nullopt;
}

std::optional<Size> AXWindowController::sizeValue(const AXElement& element,
                                                  std::string_view attribute) const {
    auto r = ax_.copyAttribute(element, attribute);
    return r.ok() ? r.value.asSize() : std::nullopt;
}

bool AXWindowController::boolean(const AXElement& element, std::string_view attribute) const {
    auto r = ax_.copyAttribute(element, attribute);
    return r.ok() && r.value.asBoolean().value_or(false);
}

std::vector<AXElement> AXWindowController::axChildren(const AXElement& element) const {
    auto r = ax_.copyAttribute(element, ax::kChildren);
    const auto* array = r.ok() ? r.value.asArray() : nullptr;
    if (!array) return {};
    std::vector<AXElement> out;
    for (auto& v : *array) {
        auto e = v.asElement();
        if (!e) return {};  // anything but an array of elements counts as none
        out.push_back(*e);
    }
    return out;
}

// ---------------------------------------------------------------- listing

std::vector<AXElement> AXWindowController::windowElements(const AXElement& application) const {
    auto r = ax_.copyAttribute(application, ax::kWindows);
    const auto* array = r.ok() ? r.value.asArray() : nullptr;
    if (!array) return {};
    std::vector<AXElement> out;
    for (auto& v : *array)
        if (auto e = v.asElement(); e && !e->isNull()) out.push_back(*e);
    return out;
}

std::vector<AXWindowController::WindowInfo> AXWindowController::readWindowInfos(
    const AXElement& application) const {
    std::vector<WindowInfo> out;
    for (const auto& w : windowElements(application)) {
        WindowInfo info;
        info.element = w;
        info.title = string(w, ax::kTitle);
        info.role = string(w, ax::kRole);
        info.subrole = string(w, ax::kSubrole);
        info.position = point(w, ax::kPosition);
        info.size = sizeValue(w, ax::kSize);
        info.isMinimized = boolean(w, ax::kMinimized);
        info.isMain = boolean(w, ax::kMain);
        info.isFullScreen = boolean(w, ax::kFullScreen);
        info.identifier = string(w, ax::kIdentifier);
        out.push_back(std::move(info));
    }
    return out;
}

std::vector<AXWindowController::WindowInfo> AXWindowController::windowInfos(Pid pid) const {
    return readWindowInfos(ax_.applicationElement(pid));
}

std::vector<AXWindowController::WindowInfo> AXWindowController::windowInfos(Pid pid,
                                                                            float timeout) const {
    const AXElement app = ax_.applicationElement(pid);
    ax_.setMessagingTimeout(app, timeout);
    auto infos = readWindowInfos(app);
    ax_.setMessagingTimeout(app, 0);
    return infos;
}

std::vector<AXWindowController::WindowInfo> AXWindowController::manageableWindows(Pid pid) const {
    auto infos = windowInfos(pid);
    std::erase_if(infos, [](const WindowInfo& i) { return !isManageable(i); });
    return infos;
}

std::optional<AXWindowController::WindowInfo> AXWindowController::mainWindow(Pid pid) const {
    auto windows = manageableWindows(pid);
    std::vector<bool> flags;
    for (auto& w : windows) flags.push_back(w.isMain);
    auto index = selectBindableIndex(flags, {});
    if (!index) return std::nullopt;
    return windows[*index];
}

std::optional<AXElement> AXWindowController::focusedWindow(Pid pid) const {
    auto r = ax_.copyAttribute(ax_.applicationElement(pid), ax::kFocusedWindow);
    if (!r.ok()) return std::nullopt;
    auto e = r.value.asElement();
    if (!e || e->isNull()) return std::nullopt;
    return e;
}

// ---------------------------------------------------------------- reading and finding

std::optional<std::string> AXWindowController::documentPath(const AXElement& window) const {
    auto r = ax_.copyAttribute(window, ax::kDocument);
    if (!r.ok()) return std::nullopt;
    // The attribute is a string holding a URL; a backend that answers a URL value means the same.
    auto url = r.value.asString();
    if (!url) url = r.value.asUrl();
    if (!url) return std::nullopt;
    return filePathFromURL(*url);
}

std::optional<AXWindowController::NewWindowMenuItem> AXWindowController::newWindowMenuItem(
    Pid pid) const {
    auto bar = ax_.copyAttribute(ax_.applicationElement(pid), ax::kMenuBar);
    if (!bar.ok()) return std::nullopt;
    auto menuBar = bar.value.asElement();
    if (!menuBar) return std::nullopt;

    for (const auto& barItem : axChildren(*menuBar)) {
        const std::string menuTitle = string(barItem, ax::kTitle).value_or("");
        for (const auto& menu : axChildren(barItem)) {
            for (const auto& item : axChildren(menu)) {
                auto cmdChar = string(item, ax::kMenuItemCmdChar);
                if (!cmdChar || asciiLower(*cmdChar) != "n") continue;
                // "Number" in the wide sense: the platform's number objects include Booleans.
                auto modifiers = ax_.copyAttribute(item, ax::kMenuItemCmdModifiers);
                auto m = modifiers.ok() ? modifiers.value.asNumber() : std::nullopt;
                if (!m || static_cast<long long>(*m) != 0) continue;
                auto enabled = ax_.copyAttribute(item, ax::kEnabled);
                auto e = enabled.ok() ? enabled.value.asNumber() : std::nullopt;
                if (!e || *e == 0) continue;
                auto title = string(item, ax::kTitle);
                if (!title) continue;
                return NewWindowMenuItem{*title, menuTitle, item};
            }
        }
    }
    return std::nullopt;
}

std::string AXWindowController::windowKind(const AXElement& window) const {
    const std::string none = "—";
    return "id=" + string(window, ax::kIdentifier).value_or(none) +
           " subrole=" + string(window, ax::kSubrole).value_or(none);
}

std::optional<uint32_t> AXWindowController::windowNumber(const AXElement& window) const {
    return ax_.windowNumber(window);
}

// ---------------------------------------------------------------- choosing

bool AXWindowController::isManageable(const WindowInfo& info) {
    if (info.identifier &&
        (*info.identifier == ax::kIdentifierOpenPanel || *info.identifier == ax::kIdentifierSavePanel))
        return false;
    if (info.role && *info.role != ax::kRoleWindow) return false;
    if (info.subrole && *info.subrole != ax::kSubroleStandardWindow) return false;
    if (info.size && (info.size->width < kMinimumManageableSide ||
                      info.size->height < kMinimumManageableSide))
        return false;
    return true;
}

std::optional<size_t> AXWindowController::selectBindableIndex(const std::vector<bool>& isMain,
                                                              const std::set<size_t>& claimed) {
    std::optional<size_t> first;
    for (size_t i = 0; i < isMain.size(); ++i) {
        if (claimed.count(i)) continue;
        if (isMain[i]) return i;
        if (!first) first = i;
    }
    return first;
}

std::optional<AXWindowController::WindowInfo> AXWindowController::selectPendingDialog(
    const std::vector<WindowInfo>& windows) {
    std::vector<const WindowInfo*> visible;
    for (auto& w : windows)
        if (!w.isMinimized) visible.push_back(&w);
    if (visible.empty()) return std::nullopt;
    for (auto* w : visible)
        if (isManageable(*w)) return std::nullopt;
    for (auto* w : visible)
        if (w->identifier && (*w->identifier == ax::kIdentifierOpenPanel ||
                              *w->identifier == ax::kIdentifierSavePanel))
            return *w;
    for (auto* w : visible)
        if (w->isMain) return *w;
    for (auto* w : visible)
        if (w->size && w->size->width * w->size->height >= kMinimumDialogArea) return *w;
    return std::nullopt;
}

bool AXWindowController::sizeTaken(Size actual, Size target, std::optional<Size> increments,
                                   double tolerance) {
    auto side = [&](double a, double t, std::optional<double> step) {
        if (std::abs(a - t) <= tolerance) return true;
        return step && *step > 0 && a <= t && t - a < *step;
    };
    return side(actual.width, target.width, increments ? std::optional(increments->width) : std::nullopt) &&
           side(actual.height, target.height, increments ? std::optional(increments->height) : std::nullopt);
}

bool AXWindowController::matches(const Rect& a, const Rect& b, double tolerance) {
    return std::abs(a.minX() - b.minX()) <= tolerance && std::abs(a.minY() - b.minY()) <= tolerance &&
           std::abs(a.width() - b.width()) <= tolerance &&
           std::abs(a.height() - b.height()) <= tolerance;
}

}  // namespace tessane
