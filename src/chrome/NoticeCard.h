#pragma once

#include "chrome/CardLayout.h"

#include <functional>
#include <optional>
#include <string>

namespace tessane {

// What a notice card says and what its buttons do.
struct WorkspaceNoticeCard {
    std::optional<std::string> title;  // bold first line
    std::string message;
    std::optional<std::string> actionTitle;  // no action button without one
    std::function<void()> onAction;
    std::function<void()> onDismiss;
};

namespace NoticeCardMetrics {
inline constexpr double width = 360;
inline constexpr double minHeight = 72;
}  // namespace NoticeCardMetrics

// The card at its width, as high as its text needs and never below the minimum: an accent bar
// down the leading edge, the displays symbol, the title, the message and the buttons at the
// trailing edge ("Dismiss" alone, or "Not now" and the action, which is the default button).
CardLayout layoutNoticeCard(const Panels& measurer, const WorkspaceNoticeCard& card);

}  // namespace tessane
