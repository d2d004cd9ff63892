#pragma once

#include "base/Lifetime.h"
#include "base/Uuid.h"
#include "controller/GlobalInput.h"
#include "controller/SwitcherChrome.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tessane {

class EventMonitors;

// The workspace switcher: with Option and Command held, each Tab press opens the panel or moves
// its selection; letting go of the modifiers commits the chosen workspace. The list is made once
// per opening. The controller says what an opening offers and does what a choice asks.
class WorkspaceSwitcher final {
public:
    // What an opening offers: the workspaces in the switcher's order and the one in front (shown).
    struct Offer {
        std::vector<Uuid> list;
        std::optional<Uuid> front;
    };
    struct Callbacks {
        std::function<Offer()> offer;
        std::function<std::vector<WorkspaceSwitcherItem>(const std::vector<Uuid>&)> items;
        std::function<void(const Uuid&)> chosen;
    };

    // `input` and `monitors` may be absent (no global input; no keyboard to read).
    WorkspaceSwitcher(std::unique_ptr<SwitcherChrome> panel, GlobalInput* input, EventMonitors* monitors,
                      Callbacks callbacks);
    ~WorkspaceSwitcher();
    WorkspaceSwitcher(const WorkspaceSwitcher&) = delete;
    WorkspaceSwitcher& operator=(const WorkspaceSwitcher&) = delete;

    // Opens the switcher on the workspace after the front one (before, for a negative `by`), or
    // moves the selection of an open one by `by`.
    void advance(int by);
    // Closes the switcher and hands its selection to `chosen`; nothing when it is not open.
    void commit();

private:
    bool modifiersHeld() const;
    void startFlagsMonitor();
    void stopFlagsMonitor();

    std::unique_ptr<SwitcherChrome> panel;
    GlobalInput* input;
    EventMonitors* monitors;
    Callbacks callbacks;
    std::vector<Uuid> list;
    int index = 0;
    std::vector<GlobalInput::Token> flagsMonitors;
    LifetimeToken lifetime;  // last: gone first
};

}  // namespace tessane
