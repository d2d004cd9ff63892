#include "model/SplitNode.h"

namespace tessane {

const char* toString(SplitDirection direction) {
    return direction == SplitDirection::horizontal ? "horizontal" : "vertical";
}

template <>
std::optional<SplitDirection> fromString<SplitDirection>(std::string_view raw) {
    if (raw == "horizontal") return SplitDirection::horizontal;
    if (raw == "vertical") return SplitDirection::vertical;
    return std::nullopt;
}

bool SplitNode::operator==(const SplitNode& other) const {
    if (kind != other.kind) return false;
    if (kind == Kind::app) return appId == other.appId;
    return direction == other.direction && ratio == other.ratio && children == other.children;
}

}  // namespace tessane
