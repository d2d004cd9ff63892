// Elements, their processes, window control's trust and time-outs. Attributes and actions are in
// LinuxAXAttributes.cpp, what the desktop tells of windows in LinuxAXWindowFacts.cpp, observers in
// LinuxAXObserver.cpp.
#include "platform/linux/windows/LinuxAccessibility.h"
#include "platform/linux/windows/WindowManagerWaits.h"

#include "platform/linux/windows/LinuxAXRegistry.h"
#include "platform/linux/x11/LinuxScreens.h"
#include "platform/linux/x11/X11DesktopModel.h"
#include "platform/linux/x11/X11ManagerWatch.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <unordered_map>
#include <utility>

namespace tessane::linux_backend {

namespace {

constexpr uint64_t kApplicationTag = 1ull << 62;

}  // namespace

LinuxAccessibility::LinuxAccessibility(X11Connection& x, LinuxScreens& screens, MainQueue& queue)
    : x_(x), screens_(screens), queue_(queue), registry_(std::make_shared<Registry>()), answers_(x, queue) {
    x_.selectInput(x_.root(), X11EventMask::properties | X11EventMask::structure);
    x_.selectScreenChanges();
    // The windows listed before us are taken in as they are: nobody is told they appeared.
    clients_.update(x_.windowList(x_.root(), "_NET_CLIENT_LIST").value_or(std::vector<XWindowId>{}));
    auto listed = clients_.next(SIZE_MAX);
    listed.resize(std::min(listed.size(), ClientListTracker::kSlice));  // a longer list is read as asked
    prefetchWindowFacts(listed);
    if (auto active = x_.windowList(x_.root(), "_NET_ACTIVE_WINDOW"); active && !active->empty())
        registry_->activeWindow = (*active)[0];
    // Which manager runs is learnt now, while the server is idle: the first show would ask it
    // behind the restack its windows set off (a few round trips of a busy manager's making).
    x_.manager().runs();
    events_ = x_.onEvent([this](const X11Event& e) { onEvent(e); });
}

// What a show asks of every window of an application, read for new clients as they come (a
// batch per property), so that the first show after a thousand windows appeared does not pay.
void LinuxAccessibility::prefetchWindowFacts(const std::vector<XWindowId>& all) {
    std::vector<XWindowId> windows;  // ours (the chrome's mat, our dialogs) are read only if asked
    std::copy_if(all.begin(), all.end(), std::back_inserter(windows), [this](XWindowId w) { return !x_.madeByThisProcess(w); });
    if (windows.empty()) return;
    for (const char* name : {"_NET_WM_WINDOW_TYPE", "_NET_WM_STATE", "WM_STATE", "WM_TRANSIENT_FOR",
                             "_NET_FRAME_EXTENTS", "_GTK_FRAME_EXTENTS", "_NET_WM_NAME", "WM_NORMAL_HINTS", "WM_HINTS"})
        x_.desktop().prefetch(windows, x_.atom(name));
    x_.desktop().prefetchGeometry(windows);
}

LinuxAccessibility::~LinuxAccessibility() {
    sendDeferredRestores();
    arrivalEvents_.reset();
    events_.reset();
    registry_->watches.clear();
    registry_->alive = false;
}

bool LinuxAccessibility::isApplication(const AXElement& e) { return (e.handle() & kApplicationTag) != 0; }
Pid LinuxAccessibility::applicationPid(const AXElement& e) {
    return static_cast<Pid>(static_cast<uint32_t>(e.handle() & 0xFFFFFFFFu));
}

AXElement LinuxAccessibility::applicationElement(Pid pid) {
    return AXElement::fromHandle(kApplicationTag | static_cast<uint32_t>(pid));
}

std::optional<Pid> LinuxAccessibility::pid(const AXElement& element) {
    if (element.isNull()) return std::nullopt;
    if (NewWindowMenu::owns(element)) return NewWindowMenu::pidOf(element);
    if (isApplication(element)) return applicationPid(element);
    return windowPid(static_cast<XWindowId>(element.handle()));
}

std::optional<Pid> LinuxAccessibility::windowPid(XWindowId window) {
    return windowPids(std::span(&window, 1)).front();
}

std::vector<std::optional<Pid>> LinuxAccessibility::windowPids(std::span<const XWindowId> windows) {
    std::vector<std::optional<Pid>> pids(windows.size());
    std::vector<XWindowId> unknown;
    std::vector<size_t> where;
    for (size_t i = 0; i < windows.size(); ++i) {
        if (auto it = pidCache_.find(windows[i]); it != pidCache_.end()) {
            pids[i] = it->second;
        } else if (!noOwner_.contains(windows[i])) {
            unknown.push_back(windows[i]);
            where.push_back(i);
        }
    }
    if (unknown.empty()) return pids;
    const auto owners = x_.windowOwners(unknown);
    for (size_t k = 0; k < unknown.size(); ++k) {
        const auto& o = owners[k];
        std::optional<Pid> pid;
        if (o.windowExists) pid = o.serverPid ? o.serverPid : o.claimedPid;
        pids[where[k]] = pid;
        // A negative answer is kept only while the id is listed: the list's change lets it go,
        // so no id outside it can fill the cache.
        if (pid) pidCache_[unknown[k]] = *pid;
        else if (listedAnywhere(unknown[k])) noOwner_.insert(unknown[k]);
    }
    return pids;
}

// A window manager that leaves is most often being replaced (`--replace`, or restarted by its
// session): for a while its successor is waited for, by events and with the main queue running,
// so that what asked for window control goes on with the new one and nobody is told that none is
// there. A successor starts as a new process and takes a moment to announce itself, longer on a
// busy machine, so the grace is a few times what that takes when nothing else runs. It is waited
// for until it has taken the windows in as well (it lists them anew): KWin announces itself
// first, and places again a window moved before it manages it.
std::optional<double> LinuxAccessibility::replacementLeft() {
    if (trusted_ || !managerLeftAt_) return std::nullopt;
    const std::chrono::duration<double> since = std::chrono::steady_clock::now() - *managerLeftAt_;
    const double left = kReplacementGraceSeconds - since.count();
    if (left <= 0) return std::nullopt;
    if (clientListWrites_ != clientListWritesAtLeaving_ && x_.manager().current()) return std::nullopt;
    return left;
}

bool LinuxAccessibility::awaitWindowControl(std::function<void()> settled) {
    if (const auto left = replacementLeft()) {
        awaitingManager_.push_back(std::move(settled));
        awaitReplacementUntil(*left);
        return true;
    }
    if (!trusted_.value_or(false) || !waits::managerNotAnswering(x_)) return false;
    awaitingManager_.push_back(std::move(settled));
    awaitManagerAnswer();
    return true;
}

// Heard as an event, nothing waiting for it. A manager that redirects nothing (a client that only
// holds its selection) has the server answer at once: it is looked at again a while later, not
// asked again and again. The user is told once the manager has let that wait pass too: one a busy
// machine starves for a few seconds has answered by then, and is worth no alert.
void LinuxAccessibility::awaitManagerAnswer() {
    if (std::exchange(answerAwaited_, true)) return;
    answers_.ask(waits::kHeardAnswer, [this, registry = registry_](bool answered) {
        if (!registry->alive) return;
        answerAwaited_ = false;
        if (!waits::managerNotAnswering(x_)) return settleReplacement();
        if (silencePrompt_) silencePrompt_(waits::printableManagerName(x_));
        if (!answered) return awaitManagerAnswer();
        answerAwaited_ = true;
        queue_.postAfter(kReplacementGraceSeconds, [this, registry] {
            if (!registry->alive) return;
            answerAwaited_ = false;
            if (!waits::managerNotAnswering(x_)) return settleReplacement();
            awaitManagerAnswer();
        });
    });
}

void LinuxAccessibility::awaitReplacementUntil(double left) {
    if (replacementEnds_) return;
    replacementEnds_ = queue_.postAfter(left, [this, registry = registry_] {
        if (!registry->alive) return;
        replacementEnds_.reset();
        settleReplacement();
    });
}

void LinuxAccessibility::settleReplacement() {
    // Not yet: the successor's next change, or the end of the grace, asks again; a manager not
    // answering is waited for by its answer (a client list it rewrites on waking is not one).
    if (const auto left = replacementLeft()) return awaitReplacementUntil(*left);
    if (trusted_.value_or(false) && waits::managerNotAnswering(x_)) return awaitManagerAnswer();
    if (replacementEnds_) replacementEnds_->cancel();
    replacementEnds_.reset();
    const auto registry = registry_;
    for (auto& settled : std::exchange(awaitingManager_, {})) {
        if (!registry->alive) return;
        if (settled) settled();
    }
}

bool LinuxAccessibility::isProcessTrusted() {
    if (trusted_) return *trusted_;
    if (replacementLeft()) return false;  // not kept: asked again once the successor is there
    auto manager = x_.manager().current();
    trusted_ = manager.has_value();
    if (manager && !manager->name.empty()) lastManager_ = manager->name;
    restoreWays_ = {};  // learnt again of this manager
    // A window manager that exits or crashes may leave the root's check property behind, but its
    // check window goes with it: its destruction is what tells us window control has ended.
    wmCheckWindow_ = 0;
    if (*trusted_) {
        if (x_.selectInput(manager->witness, X11EventMask::structure).ok())
            wmCheckWindow_ = manager->witness;
        else
            trusted_ = false;  // gone since we asked
    }
    // Whether the manager answers round trips is learnt now, unawaited, not at the first move.
    if (*trusted_) x_.manager().probe();
    const auto supported = x_.atomList(x_.root(), "_NET_SUPPORTED");
    moveResizeMessage_ = supported && std::find(supported->begin(), supported->end(),
                                                x_.atom("_NET_MOVERESIZE_WINDOW")) != supported->end();
    return *trusted_;
}

// There is nothing to grant on X11: the prompt says why window control is missing.
bool LinuxAccessibility::isProcessTrustedWithPrompt(bool prompt) {
    const bool trusted = isProcessTrusted();
    if (!trusted && prompt && prompt_ && !replacementLeft()) prompt_(lastManager_);
    return trusted;
}

std::optional<uint32_t> LinuxAccessibility::windowNumber(const AXElement& window) {
    if (window.isNull() || isApplication(window)) return std::nullopt;
    return static_cast<uint32_t>(window.handle());
}

AXError LinuxAccessibility::setMessagingTimeout(const AXElement& element, float seconds) {
    if (element.isNull() || seconds < 0) return AXError::illegalArgument;
    if (seconds == 0) timeouts_.erase(element.handle());
    else timeouts_[element.handle()] = seconds;
    return AXError::success;
}

double LinuxAccessibility::timeoutFor(const AXElement& element) const {
    if (auto it = timeouts_.find(element.handle()); it != timeouts_.end()) return it->second;
    if (!isApplication(element)) {
        auto cached = pidCache_.find(static_cast<XWindowId>(element.handle()));
        if (cached != pidCache_.end()) {
            auto app = timeouts_.find(kApplicationTag | static_cast<uint32_t>(cached->second));
            if (app != timeouts_.end()) return app->second;
        }
    }
    return kDefaultMessagingTimeout;
}

Point LinuxAccessibility::origin() {
    if (!origin_) origin_ = screens_.primaryRootOrigin();
    return *origin_;
}

}  // namespace tessane::linux_backend
