#include "builder/OnboardingSteps.h"

namespace tessane {

namespace onboarding_steps {

std::optional<OnboardingStep> fromRaw(int raw) {
    if (raw < 0 || raw >= static_cast<int>(all.size())) return std::nullopt;
    return all[static_cast<size_t>(raw)];
}

OnboardingStep previous(OnboardingStep step) { return fromRaw(raw(step) - 1).value_or(OnboardingStep::welcome); }

OnboardingStep next(OnboardingStep step) { return fromRaw(raw(step) + 1).value_or(OnboardingStep::shortcuts); }

bool isLast(OnboardingStep step) { return step == all.back(); }

}  // namespace onboarding_steps

namespace onboarding_text {

std::string createButtonLabel(const std::vector<ManagedApp>& seed) {
    if (seed.empty()) return "Create a Workspace";
    std::string label = "Start with ";
    for (size_t i = 0; i < seed.size(); ++i) label += (i ? " + " : "") + seed[i].displayName;
    return label;
}

const std::array<OnboardingGesture, 3>& gestures() {
    static const std::array<OnboardingGesture, 3> rows{{
        {"Move the workspace",
         "Drag the small bar at the top edge of the group to move the whole workspace. Double-click it to fill the "
         "screen."},
        {"Resize the split", "Drag the divider between apps. Or drag an app's own outer edge to resize the workspace."},
        {"Workspace menu", "Right-click that same bar for Maximize, Restore Layout, Hide, and Move to another display."},
    }};
    return rows;
}

OnboardingStepText forStep(OnboardingStep step, bool available, const std::vector<ManagedApp>& seed) {
    OnboardingStepText t;
    switch (step) {
    case OnboardingStep::welcome:
        t.title = "Welcome to Tessane";
        // Linux: "your apps" rather than the Mac's.
        t.body = "Tessane groups your apps into workspaces and tiles them side by side. Show a workspace and its apps "
                 "snap into a clean layout — no manual window juggling.";
        break;
    case OnboardingStep::accessibility:
        // There is no permission to grant on Linux: window control is there when the session is X11 and an
        // EWMH window manager runs. The button opens the help page that says how to get both, and the
        // reading follows a window manager that starts or stops while the step is shown.
        t.title = "Window control";
        t.body = "Tessane moves and resizes your app windows through your window manager. It never reads window "
                 "content. It needs an X11 session with an EWMH window manager, such as Openbox, Xfwm, KWin or "
                 "Mutter.";
        if (available) {
            t.symbol = OnboardingSymbol::shieldCheckmarkFilled;
            t.statusLine = "Window control available";
        } else {
            t.symbol = OnboardingSymbol::shieldLock;
            t.buttonLabel = "Open Window Control Help";
            t.buttonSymbol = OnboardingSymbol::arrowOutOfSquare;
            t.caption = "Waiting for a window manager… this updates automatically once one is running.";
        }
        break;
    case OnboardingStep::create:
        t.title = "Create your first workspace";
        // Linux: new workspaces are made from the tray icon's menu, not a menu bar.
        t.body = seed.empty() ? "Pick a layout, choose 2–4 apps for its panes, and Tessane shows them tiled. You can "
                                "make more any time from the tray icon's menu."
                              : "Tessane can start you off with the apps you already have open — you can change any "
                                "pane before creating it.";
        t.buttonLabel = createButtonLabel(seed);
        t.buttonSymbol = seed.empty() ? OnboardingSymbol::plus : OnboardingSymbol::splitRectangle;
        break;
    case OnboardingStep::gestures:
        t.title = "How to use it";
        // Linux has fullscreen windows but no Stage Manager.
        t.note = "Is an app fullscreen? Tessane steps aside and tells you — it never fights your window manager.";
        break;
    case OnboardingStep::shortcuts:
        t.title = "Keyboard shortcuts";
        t.note = "These work globally while Tessane is running. You can see them any time in Settings.";
        break;
    }
    return t;
}

std::string leadingButton(OnboardingStep step) { return step == OnboardingStep::welcome ? "Skip" : "Back"; }

std::string trailingButton(OnboardingStep step) { return onboarding_steps::isLast(step) ? "Done" : "Continue"; }

}  // namespace onboarding_text

}  // namespace tessane
