#include "controller/ThreeColumnsMemory.h"

#include <algorithm>
#include <cmath>

namespace tessane {

namespace {

constexpr double kFloor = 320;
constexpr double kGutters = 12;
constexpr double kUnfoldMove = 2;
constexpr double kOperationMove = 1;
constexpr double kRefusalScreenShare = 0.8;
constexpr double kFitTolerance = 0.5;
constexpr int kFitRounds = 5;

}  // namespace

void ThreeColumnsMemory::beginOperation(const Uuid& workspaceID) {
    threeColumnsPasses[workspaceID] = 0;
    threeColumnsRefused.erase(workspaceID);
    threeColumnsTryingUnfold.erase(workspaceID);
}

bool ThreeColumnsMemory::startUnfoldTrial(const Uuid& workspaceID, double width, bool force) {
    if (!force)
        if (const auto it = threeColumnsFoldedAtWidth.find(workspaceID);
            it != threeColumnsFoldedAtWidth.end() && std::abs(it->second - width) < kUnfoldMove)
            return false;
    beginOperation(workspaceID);
    threeColumnsTryingUnfold.insert(workspaceID);
    return true;
}

ThreeColumnsMemory::Verdict ThreeColumnsMemory::judge(const Uuid& id, const Pass& pass) {
    using Kind = Verdict::Kind;
    if (const auto it = threeColumnsOperationWidth.find(id);
        it != threeColumnsOperationWidth.end() && std::abs(it->second - pass.width) > kOperationMove) {
        threeColumnsRefused.erase(id);
        threeColumnsPasses[id] = 0;
    }
    threeColumnsOperationWidth[id] = pass.width;

    // A window wider than its column by more than the slack refused it, unless it is about as
    // wide as the display (a window the manager keeps maximized says nothing of its minimum).
    auto& refused = threeColumnsRefused[id];
    std::vector<double> floors;
    for (size_t i = 0; i < 3; ++i) {
        const Uuid& appID = pass.appIDs[i];
        if (pass.measured[i] > pass.planned[i] + kSlack && pass.measured[i] < kRefusalScreenShare * pass.screenWidth)
            refused[appID] = std::max(pass.measured[i], refused.count(appID) ? refused[appID] : 0.0);
        floors.push_back(refused.count(appID) ? refused[appID] : kFloor);
    }

    const double room = pass.width - kGutters;
    const auto found = fit(pass.planned, pass.measured, floors, room, kSlack);
    Verdict verdict;
    switch (found.kind) {
        case Fit::Kind::fits:
            if (threeColumnsTryingUnfold.erase(id)) {
                threeColumnsFoldAnnounced.erase(id);
                verdict.kind = Kind::unfolded;
            }
            break;
        case Fit::Kind::cannotFit:
            verdict.kind = Kind::fold;
            verdict.wasTrying = threeColumnsTryingUnfold.erase(id) > 0;
            verdict.newlyAnnounced = threeColumnsFoldAnnounced.insert(id).second;
            verdict.need = floors[0] + floors[1] + floors[2];
            verdict.room = room;
            threeColumnsFoldedAtWidth[id] = pass.width;
            break;
        case Fit::Kind::resplit:
            verdict.kind = Kind::resplit;
            verdict.pass = ++threeColumnsPasses[id];
            verdict.widths = found.widths;
            break;
    }
    return verdict;
}

int ThreeColumnsMemory::passes(const Uuid& workspaceID) const {
    const auto it = threeColumnsPasses.find(workspaceID);
    return it == threeColumnsPasses.end() ? 0 : it->second;
}

std::map<Uuid, double> ThreeColumnsMemory::refused(const Uuid& workspaceID) const {
    const auto it = threeColumnsRefused.find(workspaceID);
    return it == threeColumnsRefused.end() ? std::map<Uuid, double>{} : it->second;
}

ThreeColumnsMemory::Fit ThreeColumnsMemory::fit(const std::vector<double>& columns, const std::vector<double>& actual,
                                                const std::vector<double>& floors, double available, double slack) {
    using Kind = Fit::Kind;
    if (columns.size() != 3 || actual.size() != 3 || floors.size() != 3) return {Kind::fits, {}};
    if (!(floors[0] + floors[1] + floors[2] <= available)) return {Kind::cannotFit, {}};

    std::vector<double> widths = columns;
    bool locked[3] = {false, false, false};
    bool anyLocked = false;
    for (size_t i = 0; i < 3; ++i)
        if (widths[i] + slack < actual[i]) {
            widths[i] = std::max(actual[i], floors[i]);
            locked[i] = anyLocked = true;
        }
    if (!anyLocked) return {Kind::fits, {}};

    double excess = widths[0] + widths[1] + widths[2] - available;
    for (int round = 0; round < kFitRounds; ++round) {
        if (excess <= kFitTolerance) continue;
        std::vector<size_t> donors;
        for (size_t i = 0; i < 3; ++i)
            if (!locked[i] && floors[i] + kFitTolerance < widths[i]) donors.push_back(i);
        if (donors.empty()) break;
        const double share = excess / static_cast<double>(donors.size());
        for (size_t i : donors) {
            const double take = std::min(widths[i] - floors[i], share);
            widths[i] -= take;
            excess -= take;
        }
    }
    if (excess <= kFitTolerance) return {Kind::resplit, widths};
    return {Kind::cannotFit, {}};
}

}  // namespace tessane
