#pragma once

#include "base/Geometry.h"

#include <functional>
#include <optional>
#include <string>

namespace tessane {

// The one notice card the workspace controller puts up near a container
// (`WorkspaceNoticeController`).
class NoticeChrome {
public:
    virtual ~NoticeChrome() = default;

    // Shows one card near the container, replacing a card already shown; with `dismissAfter`
    // it closes itself after that many seconds.
    virtual void show(const std::optional<std::string>& title, const std::string& message,
                      const std::optional<std::string>& actionTitle, const Rect& nearContainerCocoaRect,
                      std::optional<double> dismissAfter, std::function<void()> action) = 0;
    // Cancels the auto-dismiss and closes the card; nothing when none is shown.
    virtual void close() = 0;
    // Whether a card's panel exists, and the content it shows (absent: none).
    virtual bool hasPanel() const = 0;
    virtual std::optional<std::string> shownContent() const = 0;
};

}  // namespace tessane
