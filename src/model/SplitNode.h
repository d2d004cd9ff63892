#pragma once

#include "model/RawEnum.h"

#include <string>
#include <vector>

namespace tessane {

enum class SplitDirection { horizontal, vertical };

const char* toString(SplitDirection direction);
template <>
std::optional<SplitDirection> fromString<SplitDirection>(std::string_view raw);

// A node of a layout's split tree: either a split with a direction, a ratio and children, or an
// app leaf. Nothing interprets the tree yet; it is kept and written back unchanged.
struct SplitNode {
    enum class Kind { split, app };

    Kind kind = Kind::app;
    // kind == split
    SplitDirection direction = SplitDirection::horizontal;
    double ratio = 0.5;
    std::vector<SplitNode> children;
    // kind == app
    std::string appId;

    static SplitNode split(SplitDirection direction, double ratio, std::vector<SplitNode> children) {
        SplitNode n;
        n.kind = Kind::split;
        n.direction = direction;
        n.ratio = ratio;
        n.children = std::move(children);
        return n;
    }
    static SplitNode app(std::string appId) {
        SplitNode n;
        n.kind = Kind::app;
        n.appId = std::move(appId);
        return n;
    }

    // Compares only what the case carries.
    bool operator==(const SplitNode& other) const;
};

}  // namespace tessane
