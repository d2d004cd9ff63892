#pragma once

#include "base/Base64.h"
#include "base/Lifetime.h"
#include "model/ManagedApp.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace tessane {

class Applications;
class ExternalAppController;
class MainQueue;
struct Workspace;

// The icons the chrome shows for a workspace's applications: each one's desktop entry's icon,
// else the entry its running instance came from. The catalogue keeps what it made, so the icons
// can be made ahead of the shows that need them.
class AppIcons final {
public:
    AppIcons(MainQueue& queue, const Applications& applications, const ExternalAppController& appController);
    AppIcons(const AppIcons&) = delete;
    AppIcons& operator=(const AppIcons&) = delete;

    // One per application of the workspace, in its order; empty where none was found.
    std::vector<Bytes> forWorkspace(const Workspace& workspace) const;
    std::optional<Bytes> of(const ManagedApp& app) const;
    // Makes the applications' icons one per turn of the main queue (an icon drawn from a
    // scalable image takes a processor for ~10 ms).
    void prepare(std::vector<ManagedApp> apps) { prepareFrom(std::move(apps), 0); }

private:
    void prepareFrom(std::vector<ManagedApp> apps, size_t next);

    MainQueue& queue;
    const Applications& applications;
    const ExternalAppController& appController;
    LifetimeToken lifetime;  // last: gone first
};

}  // namespace tessane
