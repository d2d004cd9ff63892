#pragma once

#include "base/Lifetime.h"
#include "platform/Accessibility.h"
#include "platform/sim/SimWindowServer.h"

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace tessane::sim {

// The Accessibility port over the simulated window server. Besides what the port promises it
// models the parts of the real service that Tessane must cope with: the trust switch (every
// call answers apiDisabled while untrusted), messaging time-outs against slow applications
// (virtual time passes while a call waits), observers that deliver on the main queue, and a
// record of every write for tests to inspect.
class SimAccessibility final : public Accessibility {
public:
    static constexpr double kDefaultMessagingTimeout = 6.0;

    SimAccessibility(SimWindowServer& server, SimMainQueue& queue);
    ~SimAccessibility() override;

    AXElement applicationElement(Pid pid) override;
    std::optional<Pid> pid(const AXElement& element) override;
    AXAttributeResult copyAttribute(const AXElement& element, std::string_view attribute) override;
    AXError setAttribute(const AXElement& element, std::string_view attribute,
                         const AXValue& value) override;
    AXError performAction(const AXElement& element, std::string_view action) override;
    AXError setMessagingTimeout(const AXElement& element, float seconds) override;
    ObserverResult createObserver(Pid pid, ObserverCallback callback) override;
    bool isProcessTrusted() override { return trusted_; }
    bool isProcessTrustedWithPrompt(bool prompt) override;
    bool awaitWindowControl(std::function<void()> settled) override;
    std::optional<uint32_t> windowNumber(const AXElement& window) override;

    // --- Scenario switches ---
    void setTrusted(bool trusted) { trusted_ = trusted; }
    // The window manager being replaced: window control is away (untrusted, nobody prompted)
    // until endReplacement, which tells what awaited it, on the main queue.
    void beginReplacement();
    void endReplacement(bool trusted);
    int promptCount() const { return prompts_; }
    void setWindowNumbersAvailable(bool available) { windowNumbers_ = available; }

    // An attribute of one element answers `error`, or a fixed value, instead of its own.
    void failAttribute(const AXElement& element, const std::string& attribute, AXError error);
    void overrideAttribute(const AXElement& element, const std::string& attribute, AXValue value);

    // The next `times` observer creations (negative: all) for `pid` fail with `error`.
    void failObserverCreation(Pid pid, AXError error, int times = -1);
    // The next `times` notification registrations for `pid` fail with `error`.
    void failRegistrations(Pid pid, AXError error, int times = -1);

    // --- What happened ---
    struct Write {
        AXElement element;
        std::string attribute;
        AXValue value;
        AXError result;
    };
    const std::vector<Write>& writes() const { return writes_; }
    // Told of every attribute read that reaches an element, before it is answered.
    std::function<void(const AXElement&, std::string_view attribute)> onRead;
    size_t writeCount(const AXElement& element, std::string_view attribute) const;
    void clearWrites() { writes_.clear(); }
    std::vector<std::string> performedActions(const AXElement& element) const;
    // The time-out set on an element (0 = the default).
    float messagingTimeout(const AXElement& element) const;
    // Observers not yet detached, and their registrations for one process.
    size_t liveObserverCount() const;
    size_t registrationCount(Pid pid) const;
    int observersCreated(Pid pid) const;

private:
    struct ObserverState;
    class Observer;
    struct Scripted {
        AXError error;
        int times;
    };

    double effectiveTimeout(const AXElement& element, Pid pid) const;
    // Models the round trip to the application: blocks the main thread for its answer time and
    // fails when that is longer than the time-out. Success means the application answered.
    AXError reach(const AXElement& element, const SimWindowServer::Node& node);
    AXError resolve(const AXElement& element, const SimWindowServer::Node*& node);
    AXAttributeResult read(const SimWindowServer::Node& node, std::string_view attribute);
    AXError registerNotification(ObserverState& state, const AXElement& element,
                                 const std::string& notification);
    void deliver(Pid pid, const AXElement& element, const std::string& notification);
    static bool consume(std::map<Pid, Scripted>& table, Pid pid, AXError& error);

    SimWindowServer& server_;
    SimMainQueue& queue_;
    bool trusted_ = true;
    bool replacing_ = false;
    std::vector<std::function<void()>> awaitingReplacement_;
    int prompts_ = 0;
    bool windowNumbers_ = true;
    std::map<uint64_t, float> timeouts_;
    std::map<uint64_t, std::map<std::string, AXAttributeResult, std::less<>>> overrides_;
    std::map<Pid, Scripted> createFailures_, registrationFailures_;
    std::map<Pid, int> created_;
    std::vector<Write> writes_;
    std::vector<std::pair<AXElement, std::string>> actions_;
    std::vector<std::weak_ptr<ObserverState>> observers_;
    LifetimeToken lifetime_;
};

}  // namespace tessane::sim
