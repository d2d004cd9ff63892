#pragma once

#include "platform/WindowList.h"

#include <map>

namespace tessane::sim {

class SimWindowServer;

// The simulated window server's list: every open window of its applications, front to back,
// at layer 0 unless a scenario puts it elsewhere, minimized windows off screen. Scenarios may
// add windows that belong to no simulated application (a floating panel, a dock) and make the
// list unreadable.
class SimWindowList final : public WindowList {
public:
    explicit SimWindowList(SimWindowServer& server) : server_(server) {}

    std::optional<std::vector<WindowListEntry>> windows(Option option) const override;

    // A window of another process that the Accessibility port does not offer, in front of every
    // application window (or behind all of them).
    void addForeignWindow(WindowListEntry entry, bool inFront = true);
    // The layer a simulated window is listed at.
    void setLayer(uint32_t windowNumber, int layer) { layers_[windowNumber] = layer; }
    void setReadable(bool readable) { readable_ = readable; }
    // The connection to the window server gone, as when a session ends under the program.
    void setServerReachable(bool reachable) { reachable_ = reachable; }
    bool serverReachable() const override { return reachable_; }
    // How often the on-screen list was asked for (a foreground check reads it once per step).
    int onScreenReads() const { return onScreenReads_; }

private:
    SimWindowServer& server_;
    std::vector<WindowListEntry> front_, back_;
    std::map<uint32_t, int> layers_;
    bool readable_ = true;
    bool reachable_ = true;
    mutable int onScreenReads_ = 0;
};

}  // namespace tessane::sim
