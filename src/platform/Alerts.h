#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tessane {

// What one modal alert says and offers.
struct AlertSpec {
    enum class Style { informational, warning };

    Style style = Style::warning;
    std::string messageText;
    std::string informativeText;
    // Left to right as the user reads them; the first is the default action. Never empty when
    // run: an alert without buttons gets one "OK".
    std::vector<std::string> buttons;
    // When set, a check box with this title is shown under the text ("Don’t ask again").
    std::optional<std::string> suppressionTitle;

    bool operator==(const AlertSpec&) const = default;
};

// How the user closed it.
struct AlertResponse {
    size_t button = 0;        // index into AlertSpec::buttons
    bool suppressed = false;  // the suppression box was ticked

    bool operator==(const AlertResponse&) const = default;
};

// Modal alerts of our own. runModal() first brings Tessane itself to the front (whatever other
// application is active), then shows the alert raised above everything else and returns when the
// user has chosen a button. Main thread only; other work posted to the main queue may run while
// the alert is up, as in any nested event loop.
class Alerts {
public:
    virtual ~Alerts() = default;
    virtual AlertResponse runModal(const AlertSpec& details) = 0;
    // The same alert, brought forward in the same way, without waiting: this returns at once and
    // no nested event loop runs; `done` hears later, on the main thread, how the user closed it.
    virtual void present(const AlertSpec& details, std::function<void(AlertResponse)> done) = 0;
};

}  // namespace tessane
