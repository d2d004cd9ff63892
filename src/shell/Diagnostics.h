#pragma once

#include "controller/PaneFit.h"
#include "platform/MachineFacts.h"
#include "platform/Screens.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessane {

class Accessibility;
class Defaults;
class Environment;
class LoginItem;
class Preferences;
class WorkspaceController;
class WorkspaceManager;

// The plain-text report a user sends with a bug report: a snapshot of this copy of Tessane, the
// machine, window control, the displays, the theme, the stored workspaces and how well the shown
// panes hold their windows; its summary; the summary with recent log lines; and a mailto: link
// that stays under a length limit. No state of its own. Main thread only.
namespace Diagnostics {

struct WorkspaceLine {
    std::string name;
    int appCount = 0;
    std::string layout;
    std::vector<std::string> bundleIdentifiers;
    bool isShown = false;
    bool operator==(const WorkspaceLine&) const = default;
};

struct Snapshot {
    std::string appVersion;
    std::string osVersion;
    std::string hardwareModel;
    std::string architecture;
    std::string bundlePath;
    std::string launchAtLogin;
    bool accessibilityTrusted = false;  // window control is available
    std::vector<std::string> displays;
    std::string theme;
    std::vector<WorkspaceLine> workspaces;
    int panesChecked = 0;
    std::vector<PaneFit> paneFit;
    bool operator==(const Snapshot&) const = default;
};

// Where a capture reads the world.
struct Sources {
    const Environment& environment;
    Accessibility& accessibility;
    const Screens& screens;
    const Defaults& defaults;
    const LoginItem& loginItem;
    std::function<MachineFacts()> machine;
    std::string bundlePath;  // the folder the program runs from
};

// The support mailbox of this build (TESSANE_SUPPORT_EMAIL); empty leaves the recipient to the
// user's mail program.
std::string supportAddress();

Snapshot capture(const WorkspaceManager& manager, WorkspaceController& controller, const Sources& sources);
std::string render(const Snapshot& snapshot);
std::string fullText(std::string_view summary, const std::vector<std::string>& logLines);
// A mailto: link of at most `urlLimit` characters; the body is cut at a whole character and
// marked when it does not fit; none when no such link can be made.
std::optional<std::string> mailtoURL(std::string_view to, std::string_view subject, std::string_view body,
                                     int urlLimit);

// "2560×1440 @2x (main)"; the scale is truncated.
std::string describe(const ScreenInfo& screen, double scale, bool isMain);
std::string describe(const PaneFit& paneFit);
std::string signedNumber(long long value);
// Every byte but ASCII letters, digits and "-._~" as %XX.
std::string percentEncoded(std::string_view text);

}  // namespace Diagnostics

}  // namespace tessane
