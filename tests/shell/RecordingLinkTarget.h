#pragma once

#include "shell/LinkCommandTarget.h"

#include <set>
#include <string>
#include <vector>

namespace tessane::testing {

// Link commands written down as "show Writing", "hideActive", "focus -1", ...
class RecordingLinkTarget final : public LinkCommandTarget {
public:
    std::vector<Workspace> list;
    std::set<Uuid> shown;
    bool soloed = false;
    std::vector<std::string> calls;

    std::vector<Workspace> workspaces() const override { return list; }
    bool isShown(const Uuid& id) const override { return shown.count(id) > 0; }
    bool isSoloed() const override { return soloed; }
    void showWorkspace(const Uuid& id) override { calls.push_back("show " + nameOf(id)); }
    void hideWorkspace(const Uuid& id) override { calls.push_back("hide " + nameOf(id)); }
    void hideActiveWorkspace() override { calls.push_back("hideActive"); }
    void summonWorkspace(const Uuid& id) override { calls.push_back("summon " + nameOf(id)); }
    void bringActiveWorkspaceToCurrentDisplay() override { calls.push_back("bringActive"); }
    void focusAdjacentPane(int offset) override { calls.push_back("focus " + std::to_string(offset)); }
    void soloFocusedPane() override { calls.push_back("solo"); }
    void restoreFromSolo() override { calls.push_back("restoreFromSolo"); }

    const Workspace& add(const std::string& name) {
        list.push_back(Workspace{.name = name});
        return list.back();
    }

private:
    std::string nameOf(const Uuid& id) const {
        for (const auto& w : list)
            if (w.id == id) return w.name;
        return "?";
    }
};

}  // namespace tessane::testing
