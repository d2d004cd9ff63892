#pragma once

#include "model/ManagedApp.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace tessane {

// The welcome panel's steps, in the order the user walks them; the footer draws one dot each.
enum class OnboardingStep { welcome = 0, accessibility = 1, create = 2, gestures = 3, shortcuts = 4 };

namespace onboarding_steps {

inline constexpr std::array<OnboardingStep, 5> all{OnboardingStep::welcome, OnboardingStep::accessibility,
                                                   OnboardingStep::create, OnboardingStep::gestures,
                                                   OnboardingStep::shortcuts};

constexpr int raw(OnboardingStep step) { return static_cast<int>(step); }
// None outside 0 to 4.
std::optional<OnboardingStep> fromRaw(int raw);
// Back: the welcome step stays where it is.
OnboardingStep previous(OnboardingStep step);
// Continue: never beyond the shortcuts step.
OnboardingStep next(OnboardingStep step);
bool isLast(OnboardingStep step);

}  // namespace onboarding_steps

// The symbols the steps show; drawn by the view.
enum class OnboardingSymbol {
    none,
    shieldCheckmarkFilled,  // window control available
    shieldLock,             // not available
    checkmarkCircleFilled,
    arrowOutOfSquare,       // opens something outside the panel
    splitRectangle,         // start with the seeded apps
    plus,
};

// Everything a step says, given what the view knows: the trust reading and the seed.
struct OnboardingStepText {
    std::string title;
    std::string body;
    OnboardingSymbol symbol = OnboardingSymbol::none;  // the window-control step's big symbol
    // The window-control step: the green status line when available, else the help button and
    // the caption under it. The create step: its button.
    std::string statusLine;
    std::string buttonLabel;
    OnboardingSymbol buttonSymbol = OnboardingSymbol::none;
    std::string caption;
    // The gestures and shortcuts steps: the text under the rows or under the title.
    std::string note;

    bool operator==(const OnboardingStepText&) const = default;
};

struct OnboardingGesture {
    std::string title;
    std::string detail;
};

namespace onboarding_text {

OnboardingStepText forStep(OnboardingStep step, bool available, const std::vector<ManagedApp>& seed);
// "Start with A + B" for a seed, "Create a Workspace" without one.
std::string createButtonLabel(const std::vector<ManagedApp>& seed);
// The three rows of the gestures step: move, resize, workspace menu.
const std::array<OnboardingGesture, 3>& gestures();
// "Skip" on the first step, "Back" on the others.
std::string leadingButton(OnboardingStep step);
// "Done" on the last step, "Continue" on the others.
std::string trailingButton(OnboardingStep step);

}  // namespace onboarding_text

}  // namespace tessane
