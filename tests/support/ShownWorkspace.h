#pragma once

#include "support/ControllerScenario.h"

#include <gtest/gtest.h>

namespace tessane::testing {

// One workspace shown: "Write" with Notes and Mail, each with one window bound to its pane;
// Music runs outside it. The log starts empty.
class ShownWorkspace : public ::testing::Test {
protected:
    void SetUp() override {
        s.launchApp("Notes");
        s.launchApp("Mail");
        s.launchApp("Music");
        ws = s.addWorkspace("Write", {"Notes", "Mail"});
        s.start();
        s.putUp(ws);
        s.drain();
        s.clearLog();
    }

    ControllerScenario s;
    Workspace ws;
};

}  // namespace tessane::testing
