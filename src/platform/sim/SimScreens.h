#pragma once

#include "platform/Screens.h"

#include <array>
#include <cstddef>
#include <optional>
#include <vector>

namespace tessane::sim {

// A settable set of displays. Tests describe them directly in screen coordinates (y up). The
// main screen is the first one unless a test picks another; with no screens there is none.
class SimScreens final : public Screens {
public:
    std::vector<ScreenInfo> screens() const override { return screens_; }
    std::optional<ScreenInfo> mainScreen() const override;

    // Replaces the whole set; the main screen becomes the first one.
    void setScreens(std::vector<ScreenInfo> screens);
    // Picks the main screen by position in the list; an index past the end, or none, means no
    // main screen (as when no window of any application has keyboard focus on a display).
    void setMainScreenIndex(std::optional<size_t> index) { mainIndex_ = index; }

    // A display of the given frame, its visible frame the same (no dock or menu bar).
    static ScreenInfo screen(Rect frame, std::optional<uint32_t> displayNumber = std::nullopt,
                             std::optional<std::string> displayUUID = std::nullopt);

    // --- notifications: tests send them (the sim does not send any on its own, so a test that
    // changes the set of displays also says when the system would have told) ---
    Subscription observe(Notification notification, std::function<void()> handler) override;
    void notify(Notification notification);
    size_t observerCount(Notification notification) const;

private:
    std::array<Signal<>, 5> notifications_;
    std::vector<ScreenInfo> screens_;
    std::optional<size_t> mainIndex_ = 0;
};

}  // namespace tessane::sim
