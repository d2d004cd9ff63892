#include "system/WorkspaceCapture.h"

#include "layout/ScreenGeometry.h"
#include "model/Log.h"
#include "platform/MainQueue.h"
#include "platform/Screens.h"
#include "platform/WindowList.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>

namespace tessane {

namespace {

// Appends `text` unless it is already there.
void addOnce(std::vector<std::string>& list, const std::string& text) {
    if (std::find(list.begin(), list.end(), text) == list.end()) list.push_back(text);
}

std::string joined(const std::vector<std::string>& parts, const std::string& separator) {
    std::string out;
    for (size_t i = 0; i < parts.size(); ++i) out += (i ? separator : "") + parts[i];
    return out;
}

using ProbedWindows = std::vector<std::pair<uint32_t, AXWindowController::WindowInfo>>;

// The windows of one application with their window numbers; a probe slower than
// kSlowProbeSeconds is noted in `slowProbes` under the application's name.
ProbedWindows probeWindows(const AXWindowController& ax, const MainQueue& clock, Pid pid, const std::string& name,
                           std::vector<std::string>& slowProbes) {
    const TimeInterval probeStart = clock.now();
    ProbedWindows probed;
    for (auto& info : ax.windowInfos(pid, WorkspaceCapture::kProbeTimeout)) {
        const uint32_t number = ax.windowNumber(info.element).value_or(0);
        probed.emplace_back(number, std::move(info));
    }
    const double elapsed = clock.now() - probeStart;
    if (elapsed >= WorkspaceCapture::kSlowProbeSeconds) {
        char ms[32];
        std::snprintf(ms, sizeof ms, " %.0fms", elapsed * 1000.0);
        slowProbes.push_back(name + ms);
    }
    return probed;
}

}  // namespace

std::optional<std::string> WorkspaceCapture::unmanageableReason(const AXWindowController::WindowInfo& info) {
    if (AXWindowController::isManageable(info)) return std::nullopt;
    auto orNil = [](const std::optional<std::string>& s) { return s ? *s : std::string("nil"); };
    std::string size = "unknown";
    if (info.size)
        size = std::to_string(static_cast<long long>(std::trunc(info.size->width))) + "×" +
               std::to_string(static_cast<long long>(std::trunc(info.size->height)));
    return "not manageable (role=" + orNil(info.role) + " subrole=" + orNil(info.subrole) + " size=" + size +
           " id=" + orNil(info.identifier) + ")";
}

WorkspaceCapture::Result WorkspaceCapture::candidates(int limit) const {
    Result result;
    const auto list = sources_.windowList->windows(WindowList::Option::onScreenOnly);
    if (!list) return result;

    std::map<Pid, ProbedWindows> probeCache;
    const TimeInterval start = sources_.clock->now();
    const TimeInterval deadline = start + kScanBudgetSeconds;
    std::optional<Rect> frontDisplay;
    std::vector<std::string> skipReasons;
    std::vector<std::string> slowProbes;

    for (const WindowListEntry& entry : *list) {
        if (static_cast<int>(result.candidates.size()) >= limit) break;

        // Silent skips: what is not an ordinary window of a regular application of someone else.
        if (entry.layer != 0) continue;
        if (!entry.ownerPid || *entry.ownerPid == sources_.ownPid) continue;
        const Pid pid = *entry.ownerPid;
        const auto app = sources_.applications->runningApplication(pid);
        if (!app || app->activationPolicy != ActivationPolicy::regular || !app->bundleIdentifier) continue;

        const std::string name = app->localizedName.value_or(*app->bundleIdentifier);
        const Rect frame = entry.bounds;
        const Point middle{frame.midX(), frame.midY()};
        auto reject = [&](const std::string& reason) { addOnce(skipReasons, name + ": " + reason); };

        // Before any probe, so that windows on other displays cost no Accessibility call.
        if (frontDisplay && !frontDisplay->contains(middle)) {
            reject("on another display than the front window");
            continue;
        }

        auto cached = probeCache.find(pid);
        if (cached == probeCache.end()) {
            if (probeCache.size() >= static_cast<size_t>(kProbeBudgetApps) || sources_.clock->now() >= deadline) {
                reject("scan budget spent");
                continue;
            }
            cached = probeCache.emplace(pid, probeWindows(axController_, *sources_.clock, pid, name, slowProbes)).first;
        }

        const auto match = std::find_if(cached->second.begin(), cached->second.end(),
                                        [&](const auto& w) { return w.first == entry.number; });
        if (match == cached->second.end()) {
            reject("no AX window matches CGWindowID " + std::to_string(entry.number));
            continue;
        }
        const AXWindowController::WindowInfo& info = match->second;
        if (auto reason = unmanageableReason(info)) {
            reject(*reason);
            continue;
        }
        if (info.isFullScreen) {
            reject("native fullscreen");
            continue;
        }
        if (workspaceOwning_) {
            if (auto owner = workspaceOwning_(*app->bundleIdentifier)) {
                addOnce(result.ownedNotes, name + " (in “" + *owner + "”)");
                continue;
            }
        }

        if (!frontDisplay) frontDisplay = screenFrame(middle, *sources_.screens).value_or(frame);
        result.candidates.push_back(Candidate{*app, name, frame});
    }

    if (!slowProbes.empty()) Log::line("[Tessane] Window scan AX probes ≥50ms — " + joined(slowProbes, ", "));
    if (!skipReasons.empty()) Log::line("[Tessane] Window scan skipped — " + joined(skipReasons, "; "));
    return result;
}

std::vector<WorkspaceCapture::Candidate> WorkspaceCapture::distinctFrontApps(int limit) const {
    const Result scan = candidates(std::max(4 * limit, 8));
    std::vector<Candidate> out;
    std::set<std::string> seen;
    for (const Candidate& c : scan.candidates) {
        if (static_cast<int>(out.size()) >= limit) break;
        if (seen.insert(c.app.bundleIdentifier.value_or(c.displayName)).second) out.push_back(c);
    }
    return out;
}

std::string WorkspaceCapture::suggestedName(const std::vector<std::string>& displayNames) {
    if (displayNames.size() < 3) return joined(displayNames, " + ");
    return displayNames[0] + " + " + displayNames[1] + " + " + std::to_string(displayNames.size() - 2) + " more";
}

std::optional<Rect> WorkspaceCapture::screenFrame(Point point, const Screens& screens) {
    const double primaryHeight = ScreenGeometry::primaryDisplayHeight(screens);
    for (const ScreenInfo& screen : screens.screens()) {
        const Rect ax = ScreenGeometry::axRectFromScreen(screen.frame, primaryHeight);
        if (ax.contains(point)) return ax;
    }
    return std::nullopt;
}

}  // namespace tessane
