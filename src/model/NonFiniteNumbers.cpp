#include "model/NonFiniteNumbers.h"

#include <algorithm>
#include <cmath>

namespace tessane {
namespace {

bool finite(const RectModel& r) {
    return std::isfinite(r.x) && std::isfinite(r.y) && std::isfinite(r.width) && std::isfinite(r.height);
}

bool finite(const SizeModel& s) { return std::isfinite(s.width) && std::isfinite(s.height); }

bool finite(const std::vector<double>& values) {
    return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

template <typename T>
void dropIfNotFinite(std::optional<T>& field, const std::string& name, std::vector<std::string>& dropped) {
    if (field && !finite(*field)) {
        field.reset();
        dropped.push_back(name);
    }
}

void fixSplitNode(SplitNode& node, bool& changed) {
    if (node.kind != SplitNode::Kind::split) return;
    if (!std::isfinite(node.ratio)) {
        node.ratio = 0.5;
        changed = true;
    }
    for (auto& child : node.children) fixSplitNode(child, changed);
}

}  // namespace

std::vector<std::string> dropNonFiniteNumbers(ManagedApp& app) {
    std::vector<std::string> dropped;
    dropIfNotFinite(app.observedMinSize, "observedMinSize", dropped);
    return dropped;
}

std::vector<std::string> dropNonFiniteNumbers(Workspace& ws) {
    std::vector<std::string> dropped;
    dropIfNotFinite(ws.lastContainerFrame, "lastContainerFrame", dropped);
    if (ws.topologyFrames) {
        for (auto it = ws.topologyFrames->begin(); it != ws.topologyFrames->end();) {
            if (finite(it->second)) {
                ++it;
                continue;
            }
            dropped.push_back("topologyFrames[" + it->first + "]");
            it = ws.topologyFrames->erase(it);
        }
    }
    if (ws.savedLayout && !finite(ws.savedLayout->containerFrame)) {
        ws.savedLayout.reset();
        dropped.push_back("savedLayout");
    }
    if (ws.savedLayout) dropIfNotFinite(ws.savedLayout->ratios, "savedLayout.ratios", dropped);
    dropIfNotFinite(ws.layout.ratios, "layout.ratios", dropped);
    if (ws.layout.threeColumns)
        dropIfNotFinite(ws.layout.threeColumns->parkedRatios, "layout.threeColumns.parkedRatios", dropped);
    if (ws.layout.splitTree) {
        bool changed = false;
        fixSplitNode(*ws.layout.splitTree, changed);
        if (changed) dropped.push_back("layout.splitTree");
    }
    for (size_t i = 0; i < ws.apps.size(); ++i) {
        for (const auto& name : dropNonFiniteNumbers(ws.apps[i]))
            dropped.push_back("apps[" + std::to_string(i) + "]." + name);
    }
    return dropped;
}

}  // namespace tessane
