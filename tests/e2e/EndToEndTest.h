#pragma once

// Tessane itself as a child process on a private Xvfb + Openbox, with a private home and XDG
// folders, desktop entries for test-client applications and a stored workspace list. Tests drive
// it as a user would (hot keys through XTEST, signals) and read the result back from X and from
// the files it writes. Every wait has a generous bound; no test asserts a time.
#include "e2e/support/PrivateHome.h"
#include "x11/X11TestBase.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tessane::e2e {

using namespace x11test;
using linux_backend::XWindowId;
namespace fs = std::filesystem;

inline constexpr int kScreenWidth = 1920;

class EndToEndTest : public X11TestBase {
protected:
    void SetUp() override;
    void TearDown() override;

    static std::string bundleID(const std::string& name) { return PrivateHome::bundleID(name); }
    // Runs the test client of the installed application, as the user would have.
    Client& runApp(const std::string& name, std::vector<std::string> extra = {});

    // Tessane: started (the build's program, or a copy of it elsewhere), its log (standard error),
    // waiting for a line, ending it.
    ChildProcess& startTessane(const std::string& program = TESSANE_APP);
    // The build's Tessane started and ready: its hot keys taken, as its launch line says.
    void startReadyTessane();
    // Every run's log, and the latest run's.
    std::string log() const;
    std::string latestLog() const;
    // In the latest run's log.
    bool waitForLog(const std::string& text) const;
    size_t logCount(const std::string& text) const;
    // Sends a signal and waits for the process to end; its exit status.
    std::optional<int> endTessane(int signal);
    // Another Tessane with these arguments, ended: its exit status, and its log in text.
    std::optional<int> runSecondTessane(const std::vector<std::string>& arguments, std::string* text);

    // A chord typed as a user would, in the order the labels show it (xdotool's names: "super+alt+1").
    void press(const std::string& chord);
    // The window manager's frame around a client window as the user sees it, in root pixels.
    RootRect frame(XWindowId window);
    std::string frameText(XWindowId window);  // "x,y wxh"
    // `left` inside the left half of the screen and `right` inside the right, side by side.
    bool sideBySide(XWindowId left, XWindowId right);
    // Where X's input focus is, as the client window that holds it (or one of its children).
    bool hasFocus(XWindowId window);
    // Asks the manager to activate `window`, as a pager does, until it has the keyboard.
    bool activate(XWindowId window);
    // Whether a child of the root named `name` (_NET_WM_NAME) is viewable: an alert, Settings.
    bool viewableRootChildNamed(const std::string& name);
    // The open menu: a viewable override-redirect window of Tessane's that is none of our panels
    // (those bypass the window manager by a window type of their own); none when closed.
    XWindowId openMenuWindow();
    // ICCCM WM_STATE: 1 normal, 3 iconic; none when unset.
    std::optional<long> wmState(XWindowId window);
    bool waitForState(const std::vector<XWindowId>& windows, long state);
    // The stored preferences (~/.config/Tessane/preferences.json); empty when there are none.
    nlohmann::json preferences() const;
    // The apps the stored ledger says Tessane hid.
    std::vector<std::string> hiddenLedger() const;
    // The root's pixel as 0xRRGGBB.
    unsigned long pixel(int x, int y);
    // `width` pixels of a row from (x, y), read at one instant (pixels read one by one may straddle
    // a repaint).
    std::vector<unsigned long> row(int x, int y, int width);

    // `tessane --settings` handed to the running Tessane: its settings window, managed and
    // mapped; 0 (with a failure reported) when none appears.
    XWindowId openSettingsWindow();
    // The settings window once it is managed and mapped; 0 when none appears.
    XWindowId waitForSettingsWindow();

    // Alpha and Beta running, one workspace "Pair" of the two, Tessane started and ready.
    void startWithPair(bool betaRunning = true);
    // Alpha running, one workspace "Pair" of it and the system's application `name` (its desktop
    // entry `entry`, named `bundleID`), the system's entries seen as a user's desktop has them;
    // Tessane started and ready.
    void startWithSystemPair(const std::string& name, const std::string& bundleID, const fs::path& entry);
    // `left`'s window inside the left half of the screen and `right`'s inside the right, side by
    // side (Alpha's and Beta's when not given).
    bool tiled(XWindowId left = 0, XWindowId right = 0);
    bool waitUntilTiled(XWindowId left = 0, XWindowId right = 0);
    // Super+Alt+1, and the pair tiled.
    void showPair();
    std::string frames(XWindowId left = 0, XWindowId right = 0);

    std::unique_ptr<PrivateHome> home_;
    XWindowId alpha_ = 0, beta_ = 0;
    std::unique_ptr<ChildProcess> tessane_;
    int runs_ = 0;
    int seconds_ = 0;
    fs::path logFile_;
};

}  // namespace tessane::e2e
