#pragma once

#include "base/Lifetime.h"
#include "platform/Accessibility.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tessane {

// Watches single windows: tells its owner when a watched window is resized, moved or
// destroyed, with the window and the notification's name. Each observe() replaces what the
// previous one set up.
class AXWindowObserver final {
public:
    struct Entry {
        Pid pid = 0;
        AXElement element;
    };

    explicit AXWindowObserver(Accessibility& accessibility);
    ~AXWindowObserver();
    AXWindowObserver(const AXWindowObserver&) = delete;
    AXWindowObserver& operator=(const AXWindowObserver&) = delete;

    // Called on the main queue with the window and "AXWindowResized", "AXWindowMoved" or
    // "AXUIElementDestroyed".
    std::function<void(const AXElement&, const std::string&)> onWindowEvent;

    // One observer per process; a process whose observer cannot be made gives no events, and a
    // window whose registration fails is simply not heard.
    void observe(const std::vector<Entry>& windows);
    void stop();

    std::vector<Pid> observedPids() const;

private:
    Accessibility& ax_;
    std::map<Pid, std::unique_ptr<AXObserver>> observers_;
    LifetimeToken lifetime_;
};

}  // namespace tessane
