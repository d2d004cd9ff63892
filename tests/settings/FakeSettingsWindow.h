#pragma once

#include "settings/SettingsWindow.h"

#include <string>
#include <vector>

namespace tessane::testing {

// A settings window that records what its controller does with it.
class FakeSettingsWindow final : public SettingsWindow {
public:
    Rect frame() const override { return frame_; }
    void setFrame(const Rect& frame) override {
        frame_ = frame;
        calls.push_back("setFrame");
    }
    bool isVisible() const override { return visible; }
    void setKeptAbove(bool above) override { keptAbove = above; }
    bool isKeptAbove() const override { return keptAbove; }
    void setFrameAutosaveName(const std::string& name) override {
        autosaveName = name;
        calls.push_back("autosave");
    }
    void center() override { calls.push_back("center"); }
    void orderFrontAndFocus() override {
        visible = true;
        ++frontings;
        calls.push_back("front");
    }
    void orderOut() override {
        visible = false;
        calls.push_back("out");
    }

    Rect frame_{0, 0, 780, 500};
    bool visible = false;
    bool keptAbove = false;
    int frontings = 0;
    std::string autosaveName;
    std::vector<std::string> calls;
};

}  // namespace tessane::testing
