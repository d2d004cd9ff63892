#pragma once

#include "base/Signal.h"

#include <functional>

namespace tessane {

// The selected tab of the settings window: the one piece of state the status menu and the
// settings view share. Starts on Workspaces. Observers are told before each change.
class SettingsRouter {
public:
    enum class Tab { general, workspaces, advanced };

    Tab tab() const { return tab_.get(); }
    void setTab(Tab tab) { tab_.set(tab); }
    [[nodiscard]] Subscription observeTab(std::function<void(const Tab&)> observer) {
        return tab_.observe(std::move(observer));
    }

    // The tab's title as its tab shows it ("General", "Workspaces", "Advanced").
    static const char* title(Tab tab);
    // The three tabs in the order the window shows them.
    static const Tab kTabs[3];

private:
    Published<Tab> tab_{Tab::workspaces};
};

}  // namespace tessane
