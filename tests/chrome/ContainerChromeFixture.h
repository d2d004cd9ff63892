#pragma once

#include "chrome/ContainerWindowController.h"
#include "model/Log.h"
#include "platform/sim/SimPlatform.h"

#include <gtest/gtest.h>

namespace tessane::testing {

// One workspace's chrome on the sim, on a 1440 x 900 display, shown as the workspace controller
// shows it.
class ContainerChromeFixture : public ::testing::Test {
protected:
    void SetUp() override {
        Log::resetForTesting();
        sim.screens.setScreens({sim::SimScreens::screen({0, 0, 1440, 900})});
    }

    void show(LayoutType type, int count, Rect container, std::vector<double> ratios = {}) {
        if (!chrome.headerPanel) chrome.headerPanel = chrome.makeRailPanel();
        chrome.currentLayoutType = type;
        chrome.currentAppCount = count;
        chrome.currentRatios = std::move(ratios);
        chrome.isMaximized = false;
        chrome.preMaximizeFrame.reset();
        chrome.dividersHidden = false;
        chrome.paneMat.setShieldsHidden(false);
        chrome.containerCocoaRect = container;
        chrome.applyGeometry(true);
        chrome.orderFront();
    }
    std::vector<sim::SimPanel*> handles() const { return sim.panels.panelsNamed("handle"); }
    std::vector<bool> handlesShown() const {
        std::vector<bool> out;
        for (auto* p : handles()) out.push_back(p->isVisible());
        return out;
    }
    sim::SimPanel* rail() const { return static_cast<sim::SimPanel*>(chrome.headerPanel.get()); }
    sim::SimPanel* named(const std::string& name, size_t i = 0) const {
        auto all = sim.panels.panelsNamed(name);
        return i < all.size() ? all[i] : nullptr;
    }
    void deliver(sim::SimPanel* panel, PanelInput::Kind kind, Point at, int clicks = 1, bool control = false) {
        panel->deliver({.kind = kind, .location = at, .clickCount = clicks, .control = control});
    }

    sim::SimPlatform sim;
    ContainerWindowController chrome{sim.platform()};
};

}  // namespace tessane::testing
