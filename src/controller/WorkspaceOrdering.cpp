#include "controller/WorkspaceOrdering.h"

#include <algorithm>

namespace tessane::ordering {

namespace {
template <typename T>
bool contains(const std::vector<T>& list, const T& value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}
}  // namespace

std::vector<Uuid> switcherOrder(const std::vector<Uuid>& recent, const std::vector<Uuid>& valid,
                                const std::optional<Uuid>& front) {
    std::vector<Uuid> out;
    for (const auto& id : recent)
        if (contains(valid, id) && !contains(out, id)) out.push_back(id);
    for (const auto& id : valid)
        if (!contains(out, id)) out.push_back(id);
    if (front) {
        auto it = std::find(out.begin(), out.end(), *front);
        if (it != out.end()) std::rotate(out.begin(), it, it + 1);
    }
    return out;
}

std::vector<Uuid> workspacesToSwapOut(const Uuid& target, uint32_t targetDisplay,
                                      const std::vector<std::pair<Uuid, std::optional<uint32_t>>>& others) {
    std::vector<Uuid> out;
    for (const auto& [id, display] : others)
        if (id != target && (!display || *display == targetDisplay)) out.push_back(id);
    return out;
}

std::vector<std::string> resurfaceRaiseOrder(const std::vector<std::string>& workspaceAppBundleIDs,
                                             const std::optional<std::string>& activatedBundleID) {
    std::vector<std::string> unique;
    for (const auto& id : workspaceAppBundleIDs)
        if (!contains(unique, id)) unique.push_back(id);
    if (!activatedBundleID || !contains(unique, *activatedBundleID)) return unique;
    std::erase(unique, *activatedBundleID);
    unique.push_back(*activatedBundleID);
    return unique;
}

std::optional<int> adjacentPaneIndex(std::optional<int> currentIndex, int offset, int count) {
    if (count < 2) return std::nullopt;
    if (!currentIndex) return offset < 0 ? count - 1 : 0;
    // In 64 bits: any two ints add up without overflow, and the result is back within 0 ..< count.
    const long long sum = static_cast<long long>(*currentIndex) + offset;
    return static_cast<int>((sum % count + count) % count);
}

}  // namespace tessane::ordering
