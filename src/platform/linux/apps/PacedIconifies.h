#pragma once

#include "base/Lifetime.h"
#include "base/Signal.h"
#include "platform/MainQueue.h"
#include "platform/RunningApplications.h"
#include "platform/linux/windows/ManagerAnswers.h"
#include "platform/linux/windows/WindowLives.h"
#include "platform/linux/x11/X11Connection.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace tessane::linux_backend {

class LinuxAccessibility;

// The iconify requests of hiding applications, handed to the window manager a few at a time per
// application: the next ones go out as the manager reports the earlier ones iconic.
//
// A manager works through requests one after the other, and some animate each iconify (Openbox
// does), so a thousand asked at once keep it busy for a long while, and everything asked after
// them (the restore and the moves of a show that follows the hide) waits
// behind them: the show is held by the manager, and a window whose iconify was still queued
// when the show looked at it is iconified after the show and stays minimized. Paced, the manager
// has at most a few iconifies of each application before it (more for a manager that keeps up
// with them), and a show that comes early drops the ones not asked yet. Each window's part in it
// (waiting, asked, owed a restore) and its deadline is on the window's record (WindowLives).
class PacedIconifies {
public:
    using Send = std::function<void(XWindowId)>;
    // Windows whose iconify was asked before the application was shown again, and which the
    // manager has iconified since: they are to be restored.
    using Owed = std::function<void(Pid, const std::vector<XWindowId>&)>;
    using LogSink = std::function<void(const std::string&)>;

    PacedIconifies(X11Connection& x, LinuxAccessibility& ax, WindowLives& lives, MainQueue& queue, Owed owed, LogSink log);
    // Windows still waiting for their turn are asked for now: a hide is not left half done.
    ~PacedIconifies();
    PacedIconifies(const PacedIconifies&) = delete;
    PacedIconifies& operator=(const PacedIconifies&) = delete;

    // Iconifies `windows` (front to back) of the application `pid`: the first at once.
    void hide(Pid pid, const std::vector<XWindowId>& windows);
    // The application is shown again: its windows not asked for yet are left alone; those the
    // manager has still to iconify are handed to `owed` once it has.
    void cancel(Pid pid);
    // The window's record ends: it is no longer paced.
    void forget(XWindowId window);

    // At first; a manager that finishes iconifies within kQuickSeconds of their asking (one that
    // does not animate them: Openbox's animation alone lasts 150 ms) is given twice as many
    // after each look, up to kMostInFlight.
    static constexpr size_t kInFlight = 8;
    static constexpr size_t kMostInFlight = 256;
    static constexpr double kQuickSeconds = 0.12;
    // A manager whose answers to this many round trips in a row, each asked after the iconifies,
    // came with none of the windows in flight minimized has ignored them: the rest go out at once
    // (logged once per run). One that answers none within the answer's bound is not waited for
    // either. Between two such questions a pause leaves a manager that iconifies in its idle
    // time (the Metacity family) that time.
    static constexpr int kIgnoredAnswers = 2;
    static constexpr double kQuestionPace = 0.5;

private:
    struct App {
        std::deque<XWindowId> waiting;  // not asked yet, front to back
        std::vector<XWindowId> asked;   // asked, and not seen through yet (their records tell how)
        size_t budget = kInFlight;      // how many may be in flight
    };
    void onEvent(const X11Event& e);
    void keepDown(const X11Event& e);
    void look(bool answered);
    void send(App& app);
    size_t inFlight(const App& app) const;
    void askProgress();
    void judgeAnswer(bool answered, uint64_t seen);
    void sendTheRest(bool answered);
    bool paced() const;  // anything waiting or in flight

    X11Connection& x_;
    LinuxAccessibility& ax_;
    WindowLives& lives_;
    MainQueue& queue_;
    Owed owed_;
    LogSink log_;
    std::map<Pid, App> apps_;
    bool lookPosted_ = false;
    uint64_t progress_ = 0;  // iconifies seen through, counted: a question compares it
    bool questionOpen_ = false;
    int quietAnswers_ = 0;   // answers in a row with no progress since the question
    bool stallLogged_ = false;
    ManagerAnswers answers_;
    Subscription events_;
    LifetimeToken lifetime_;
};

}  // namespace tessane::linux_backend
