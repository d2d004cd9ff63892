#pragma once

#include "platform/linux/x11/ManagerSilence.h"
#include "platform/linux/x11/X11Connection.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>

namespace tessane::linux_backend {

// What the connection knows of the window manager that runs: which one it is and whether it is
// still there, the round trips that wait until it has handled what was sent to it, and what it
// was learnt to do (answer the round trip's question, raise the windows it activates). Learnt of
// each manager afresh: what one did says nothing of the next. The connection makes one and tells
// it of every event it hands out.
class X11ManagerWatch {
public:
    explicit X11ManagerWatch(X11Connection& x);
    ~X11ManagerWatch();
    X11ManagerWatch(const X11ManagerWatch&) = delete;
    X11ManagerWatch& operator=(const X11ManagerWatch&) = delete;

    // --- which manager runs -----------------------------------------------------------------
    // The EWMH window manager running: its name, and a window of its own that is destroyed when
    // it leaves. The one that answers _NET_SUPPORTING_WM_CHECK; else the owner of the screen's
    // WM_Sn selection while the root still lists _NET_SUPPORTED (Mutter replaced by another
    // Mutter deletes the root's check property on its way out, after the new one has set it):
    // its name is then unknown (empty). Absent when neither holds (no window manager, or one that
    // left a stale check window).
    struct Manager {
        std::string name;
        XWindowId witness = 0;
    };
    std::optional<Manager> current();
    std::optional<std::string> name();
    // Whether a window manager runs, as current() found it and its window's destruction since
    // tells (it was killed, or left for a successor): known without asking the server again until
    // the root names another check window.
    bool runs();
    // How many times a manager watched so by runs() has left.
    uint64_t leavings() const { return leavings_; }
    // The connection's waitFor for something only the window manager does: ends as well when no
    // manager runs, or when the one that ran leaves meanwhile (nothing it was asked will come);
    // answers `condition`.
    bool waitFor(const std::function<bool()>& condition, double timeoutSeconds);
    // Whether some client redirects the root's children to itself, as a window manager does (a
    // round trip). A client that only holds the manager's selection does not.
    bool rootRedirected();

    // --- the round trip of _NET_REQUEST_FRAME_EXTENTS ---------------------------------------
    // Waits until the window manager has handled every request sent to it so far: it is asked to
    // estimate the frame of a window of ours (_NET_REQUEST_FRAME_EXTENTS) and answers with a
    // property change, after the configure requests it made for the earlier messages. False when
    // no answer came in time (no window manager, or one that has answered before and not now).
    // A manager whose _NET_SUPPORTED leaves that message out gets a round trip of the server
    // instead, answered true; so does one that lists it but left its first asking unanswered for
    // kPingLearningSeconds (Fluxbox): it is not asked again while it runs (logged once), unless
    // its answer turns up late after all. A new manager is learnt afresh. False at once when no
    // manager runs, and as soon as the one asked leaves (runs()).
    bool roundTrip(double timeoutSeconds);
    // Whether the round trip above cannot tell when the manager is done (so that its moves are
    // confirmed by their configure events instead).
    bool declinesPings();
    static constexpr double kPingLearningSeconds = 0.2;
    // Asks the manager the round trip's question without waiting for the answer, so that whether
    // it answers at all is known by the time a round trip needs it, without that wait.
    void probe();

    // --- the echo ---------------------------------------------------------------------------
    // A round trip every window manager answers, KWin and Fluxbox as well: a resize of an unmapped
    // window of ours, which the manager passes on to the server when it comes to it, after every
    // request sent before it. False when its configure event did not come within the time, or
    // no manager runs to pass it on (waitFor).
    bool echo(double timeoutSeconds);
    // The echo asked without waiting (sent at once): its number, which echoed tells once its
    // answer is heard. The listeners hear that answer as an event, after the events of what the
    // manager did for the requests sent before it.
    uint64_t askEcho();
    bool echoed(uint64_t echo) const { return echoesHeard_ >= echo; }
    // The newest echo asked, heard or not.
    uint64_t lastEchoAsked() const { return echoesAsked_; }

    // --- giving way to the user ---------------------------------------------------------------
    // Whether something the user asked for (a hot key's press) waits for the main thread; told by
    // whoever hears it (null: nothing ever does).
    void setUserWaiting(std::function<bool()> waiting) { userWaiting_ = std::move(waiting); }
    // While one of these is in scope, a wait on the manager ends as soon as the user waits (as if
    // the manager had left: no bound ran out, nobody is judged), and the caller watches what the
    // manager still owes without holding the main thread. For waits whose outcome can be watched
    // so: not for those whose verdict decides what is asked next.
    class GiveWay {
    public:
        explicit GiveWay(X11ManagerWatch& manager) : manager_(manager), was_(std::exchange(manager.givesWay_, true)) {}
        ~GiveWay() { manager_.givesWay_ = was_; }
        GiveWay(const GiveWay&) = delete;
        GiveWay& operator=(const GiveWay&) = delete;

    private:
        X11ManagerWatch& manager_;
        bool was_;
    };
    bool givingWay() const { return givesWay_ && userWaiting_ && userWaiting_(); }

    // --- what it was learnt to do ---------------------------------------------------------------
    // Whether the running manager raises the windows it activates, as learnt (none: not yet;
    // learnt afresh for a new manager). See ActivationRaise.
    std::optional<bool> activationRaises();
    void learnActivationRaises(bool raises);
    // Whether the manager is judged not answering (ManagerSilence), and what the rule is told.
    ManagerSilence& silence() { return silence_; }
    ManagerSilence::Facts facts(bool withRedirect);

    // An event the connection hands out: the answers to the round trip and the echo, and news of
    // the running manager (its window destroyed, another announced).
    void heard(const X11Event& event);

private:
    // Which manager runs now, and whether it is one the round trip cannot rely on.
    XWindowId currentCheck();
    bool pingsUnreliable();
    void sendPing();
    void learnPingsUnanswered();
    // An echo's width tells it apart from the hundreds asked before it: a late answer is not
    // taken for a newer one.
    static int echoWidth(uint64_t echo) { return static_cast<int>(echo % 1000) + 1; }
    void heardEcho(int width);

    X11Connection& x_;
    // The running manager's window that runs() watches (0: none runs), whether that still holds
    // without asking, and its leavings.
    XWindowId witness_ = 0;
    bool known_ = false;
    Subscription witnessInterest_;
    uint64_t leavings_ = 0;
    // What is known of the running manager's answers to _NET_REQUEST_FRAME_EXTENTS.
    enum class PingAnswers { unknown, answered, unanswered };
    XWindowId pingWindow_ = 0;
    PingAnswers pingAnswers_ = PingAnswers::unknown;
    XWindowId pingManager_ = 0;       // the manager's check window that this was learnt of
    uint64_t pingAnswersHeard_ = 0;   // every answer, late ones too
    double probeSentAt_ = -1;         // steady-clock seconds of the unawaited question; -1: none
    uint64_t probeBaseline_ = 0;      // the answers heard before it
    // The echo's window; the echoes asked, and the last one heard.
    XWindowId echoWindow_ = 0;
    uint64_t echoesAsked_ = 0;
    uint64_t echoesHeard_ = 0;
    std::optional<bool> activationRaises_;
    XWindowId raisesManager_ = 0;  // the manager's check window activationRaises_ was learnt of
    ManagerSilence silence_;
    std::function<bool()> userWaiting_;
    bool givesWay_ = false;
};

}  // namespace tessane::linux_backend
