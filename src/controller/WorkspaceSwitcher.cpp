#include "controller/WorkspaceSwitcher.h"

#include "platform/EventMonitors.h"

namespace tessane {

namespace {

constexpr uint32_t kSwitcherModifiers = ModifierFlag::option | ModifierFlag::command;

bool bothHeld(uint64_t flags) { return (flags & kSwitcherModifiers) == kSwitcherModifiers; }

}  // namespace

WorkspaceSwitcher::WorkspaceSwitcher(std::unique_ptr<SwitcherChrome> panel, GlobalInput* input,
                                     EventMonitors* monitors, Callbacks callbacks)
    : panel(std::move(panel)), input(input), monitors(monitors), callbacks(std::move(callbacks)) {}

// A global monitor left behind would call into a switcher that is gone.
WorkspaceSwitcher::~WorkspaceSwitcher() { stopFlagsMonitor(); }

bool WorkspaceSwitcher::modifiersHeld() const {
    // Without a way to read the keyboard, only the monitor's report of a release commits.
    return !monitors || bothHeld(monitors->modifierFlags());
}

void WorkspaceSwitcher::advance(int by) {
    if (panel->isOpen()) {
        const int n = static_cast<int>(list.size());
        if (n > 0) index = ((index + by) % n + n) % n;
        // The items stay as they were when the switcher opened; only the highlight moves.
        if (!panel->items().empty()) {
            panel->select(index);
            panel->layout();
        }
    } else {
        Offer offer = callbacks.offer();
        list = std::move(offer.list);
        const int n = static_cast<int>(list.size());
        if (n == 0) return;
        const bool frontLeads = offer.front && list.front() == *offer.front && n >= 2;
        index = by >= 0 ? (frontLeads ? 1 : 0) : n - 1;
        panel->show(callbacks.items(list), index);
        startFlagsMonitor();
    }
    // A release that came before the monitor could report it.
    if (!modifiersHeld()) commit();
}

void WorkspaceSwitcher::startFlagsMonitor() {
    if (!flagsMonitors.empty() || !input) return;
    // Global input on this desktop reaches us whichever window has the keyboard, so one monitor
    // serves for our own windows too.
    const auto token = input->addGlobalMonitor(GlobalInput::kFlagsChanged, lifetime.guard([this](const GlobalInput::Event& event) {
        if (panel->isOpen() && !bothHeld(event.modifierFlags)) commit();
    }));
    if (token) flagsMonitors.push_back(*token);
}

void WorkspaceSwitcher::stopFlagsMonitor() {
    if (input)
        for (auto token : flagsMonitors) input->removeMonitor(token);
    flagsMonitors.clear();
}

void WorkspaceSwitcher::commit() {
    if (!panel->isOpen()) return;
    if (index < 0 || index >= static_cast<int>(list.size())) return;
    panel->close();
    stopFlagsMonitor();
    const Uuid target = list[index];
    list.clear();
    const auto chosen = callbacks.chosen;
    chosen(target);
}

}  // namespace tessane
