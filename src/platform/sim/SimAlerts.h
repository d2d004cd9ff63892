#pragma once

#include "platform/Alerts.h"

#include <deque>
#include <functional>
#include <vector>

namespace tessane::sim {

// Alerts answered from a script. Each runModal() records the details and takes the next scripted
// answer; with none left the first button is chosen, box unticked. `duringModal` runs while the
// alert is "up", so a test can look at the state an alert is shown in.
class SimAlerts final : public Alerts {
public:
    AlertResponse runModal(const AlertSpec& details) override {
        shown_.push_back(details);
        if (duringModal) duringModal(details);
        if (answers_.empty()) return {};
        AlertResponse answer = answers_.front();
        answers_.pop_front();
        return answer;
    }

    // Recorded and answered from the script as runModal() is; `done` hears the answer at once.
    void present(const AlertSpec& details, std::function<void(AlertResponse)> done) override {
        const AlertResponse response = runModal(details);
        if (done) done(response);
    }

    void answer(size_t button, bool suppressed = false) { answers_.push_back({button, suppressed}); }
    const std::vector<AlertSpec>& shown() const { return shown_; }
    void clear() { shown_.clear(); }

    std::function<void(const AlertSpec&)> duringModal;

private:
    std::deque<AlertResponse> answers_;
    std::vector<AlertSpec> shown_;
};

}  // namespace tessane::sim
