#include "builder/BuilderState.h"

#include "layout/LayoutEngine.h"
#include "system/WorkspaceCapture.h"

#include <algorithm>

namespace tessane {

BuilderState::BuilderState(const std::vector<ManagedApp>& seed) : slots(2), wasSeeded_(!seed.empty()) {
    for (size_t i = 0; i < std::min<size_t>(seed.size(), 2); ++i) slots[i] = seed[i];
    if (wasSeeded_) {
        std::vector<std::string> names;
        for (const auto& app : seed) names.push_back(app.displayName);
        name = WorkspaceCapture::suggestedName(names);
    } else {
        name = kDefaultName;
    }
}

int BuilderState::paneCount(LayoutType type) {
    switch (type) {
    case LayoutType::leftRightSplit:
    case LayoutType::topBottomSplit:
    case LayoutType::mainSidebar: return 2;
    case LayoutType::grid2x2: return 4;
    case LayoutType::threeTopTwoBottomOne:
    case LayoutType::threeTopOneBottomTwo:
    case LayoutType::threeLeftTwoRightOne:
    case LayoutType::threeLeftOneRightTwo:
    case LayoutType::threeColumns: return 3;
    }
    return 2;
}

std::vector<Rect> BuilderState::paneCells(LayoutType type, Size area, double gutter) {
    const int count = paneCount(type);
    const auto panes = LayoutEngine::paneLayout(type, Rect(0, 0, area.width, area.height), count, std::nullopt,
                                                gutter, 0, true)
                           .appFrames;
    std::vector<Rect> out;
    for (const Rect& r : panes) {
        if (r.isNull()) {
            out.emplace_back(0, 0, 1, 1);
            continue;
        }
        const double w = std::max(r.width(), 1.0), h = std::max(r.height(), 1.0);
        out.emplace_back(r.midX() - w / 2, r.midY() - h / 2, w, h);
    }
    // An area too small for any pane still gets one 1 x 1 cell per pane.
    while (out.size() < static_cast<size_t>(count)) out.emplace_back(0, 0, 1, 1);
    return out;
}

std::vector<ManagedApp> BuilderState::chosen() const {
    std::vector<ManagedApp> out;
    for (const auto& slot : slots)
        if (slot) out.push_back(*slot);
    return out;
}

bool BuilderState::canCreate() const {
    return slots.size() == static_cast<size_t>(paneCount(layout)) &&
           std::all_of(slots.begin(), slots.end(), [](const auto& s) { return s.has_value(); });
}

void BuilderState::resizeSlots() { slots.resize(static_cast<size_t>(paneCount(layout))); }

void BuilderState::chooseLayout(LayoutType type) {
    layout = type;
    resizeSlots();
    followApps();
}

void BuilderState::fill(size_t pane, ManagedApp app) {
    if (pane < slots.size()) slots[pane] = std::move(app);
    followApps();
}

void BuilderState::remove(size_t pane) {
    if (pane < slots.size()) slots[pane].reset();
    followApps();
}

void BuilderState::typeName(std::string text) {
    name = std::move(text);
    nameTyped_ = true;
}

void BuilderState::followApps() {
    // A name the user never typed describes the apps; once typed, it is theirs.
    if (nameTyped_) return;
    std::vector<std::string> names;
    for (const auto& app : chosen()) names.push_back(app.displayName);
    name = names.empty() ? kDefaultName : WorkspaceCapture::suggestedName(names);
}

std::string BuilderState::statusText() const {
    if (!canCreate()) return "Fill every pane to create";
    if (!wasSeeded_) return "Ready";
    return "From your open windows — change any pane with Remove";
}

}  // namespace tessane
