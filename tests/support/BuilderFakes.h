#pragma once

#include "builder/AppChooser.h"
#include "builder/SecondPaneGate.h"
#include "model/ManagedApp.h"

#include <deque>
#include <filesystem>
#include <string>
#include <vector>

namespace tessane::testing {

// An application known by its name alone, its bundle id org.example.<name>.
inline ManagedApp exampleApp(const std::string& name) {
    ManagedApp a;
    a.displayName = name;
    a.bundleIdentifier = "org.example." + name;
    return a;
}

// The open panel, answering each request with the next of `answers` (nothing, as when cancelled,
// once they run out); what it was asked is kept in `requests`.
struct FakeChooser final : AppChooser {
    std::vector<std::filesystem::path> chooseApplications(const Request& request) override {
        requests.push_back(request);
        if (answers.empty()) return {};
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::deque<std::vector<std::filesystem::path>> answers;
    std::vector<Request> requests;
};

// The question about a second pane of one app, answered with `allow`; each ask recorded as
// "name|bundle id|panes it has".
struct FakeGate final : SecondPaneGate {
    bool allowSecondPane(const std::string& name, const std::string& bundleID, int existing) override {
        calls.push_back(name + "|" + bundleID + "|" + std::to_string(existing));
        return allow;
    }
    bool allow = false;
    std::vector<std::string> calls;
};

}  // namespace tessane::testing
