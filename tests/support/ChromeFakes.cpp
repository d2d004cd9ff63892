#include "support/ChromeFakes.h"

#include <algorithm>

namespace tessane::testing {

namespace {
std::string flag(const char* name, bool value) { return std::string(name) + (value ? "(true)" : "(false)"); }
}  // namespace

size_t ChromeRecord::count(const std::string& call) const {
    return static_cast<size_t>(std::count(calls.begin(), calls.end(), call));
}

void FakePaneMat::setShieldsHidden(bool hidden) {
    record_->calls.push_back(flag("setShieldsHidden", hidden));
    record_->shieldsHidden = hidden;
}

void FakeContainerChrome::makeRailPanel() {
    note("makeRailPanel");
    record_->hasHeaderPanel = true;
}

void FakeContainerChrome::setContainerCocoaRect(const Rect& rect) {
    note("setContainerCocoaRect");
    record_->containerCocoaRect = rect;
}

void FakeContainerChrome::setDividersHidden(bool hidden) {
    note(flag("setDividersHidden", hidden));
    record_->dividersHidden = hidden;
}

void FakeContainerChrome::setIsSoloed(bool soloed) {
    note(flag("setIsSoloed", soloed));
    record_->isSoloed = soloed;
}

void FakeContainerChrome::applyGeometry(bool movingHeader) { note(flag("applyGeometry", movingHeader)); }

void FakeContainerChrome::orderFront() {
    note("orderFront");
    if (record_->onOrderFront) record_->onOrderFront();
    // As the real chrome: nothing comes up before the rail panel exists.
    if (!record_->hasHeaderPanel) return;
    record_->isVisible = true;
    record_->matVisible = true;
}

void FakeContainerChrome::orderOut() {
    note("orderOut");
    record_->isVisible = false;
    record_->matVisible = false;
}

void FakeContainerChrome::syncRatios(const std::vector<double>& ratios) {
    note("syncRatios");
    record_->currentRatios = ratios;
}

void FakeContainerChrome::showDropPreview(int paneIndex, const Rect&, const Bytes&) {
    note("showDropPreview(" + std::to_string(paneIndex) + ")");
}

std::unique_ptr<ChromeMenu> FakeContainerChrome::workspaceActionsMenu(MenuScope scope) {
    note(scope == MenuScope::menuBar ? "workspaceActionsMenu(menuBar)" : "workspaceActionsMenu(container)");
    return std::make_unique<ChromeMenu>();
}

void FakeNoticeChrome::show(const std::optional<std::string>& title, const std::string& message,
                            const std::optional<std::string>& actionTitle, const Rect& nearContainerCocoaRect,
                            std::optional<double> dismissAfter, std::function<void()> action) {
    record_->shown.push_back({title, message, actionTitle, nearContainerCocoaRect, dismissAfter, std::move(action)});
    record_->hasPanel = true;
}

void FakeNoticeChrome::close() {
    if (record_->hasPanel) ++record_->closes;
    record_->hasPanel = false;
}

std::optional<std::string> FakeNoticeChrome::shownContent() const {
    if (!record_->hasPanel || record_->shown.empty()) return std::nullopt;
    return record_->shown.back().message;
}

void FakeSwitcherChrome::show(const std::vector<WorkspaceSwitcherItem>& items, int selected) {
    record_->calls.push_back("show");
    record_->items = items;
    record_->selected = selected;
    record_->isOpen = true;
}

void FakeSwitcherChrome::select(int index) {
    record_->calls.push_back("select(" + std::to_string(index) + ")");
    record_->selected = index;
}

void FakeSwitcherChrome::close() {
    record_->calls.push_back("close");
    record_->isOpen = false;
}

std::optional<GlobalInput::Token> FakeGlobalInput::addGlobalMonitor(uint64_t mask,
                                                                    std::function<void(const Event&)> handler) {
    if (refuseMonitors) return std::nullopt;
    const Token token = next_++;
    monitors_[token] = {mask, std::move(handler)};
    ++added_;
    return token;
}

void FakeGlobalInput::removeMonitor(Token token) {
    if (monitors_.erase(token)) ++removed_;
}

void FakeGlobalInput::send(uint64_t kind, uint64_t modifierFlags) {
    std::vector<std::function<void(const Event&)>> handlers;
    for (auto& [token, monitor] : monitors_)
        if (monitor.mask & kind) handlers.push_back(monitor.handler);
    for (auto& handler : handlers) handler(Event{kind, modifierFlags});
}

size_t FakeGlobalInput::liveMonitors(uint64_t mask) const {
    return static_cast<size_t>(std::count_if(monitors_.begin(), monitors_.end(),
                                             [mask](const auto& item) { return item.second.mask == mask; }));
}

}  // namespace tessane::testing
