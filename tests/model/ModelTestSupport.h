#pragma once

#include "model/Log.h"
#include "model/Workspace.h"
#include "model/WorkspaceManager.h"
#include "model/WorkspaceStore.h"
#include "platform/sim/SimApplications.h"
#include "platform/sim/SimEnvironment.h"
#include "platform/sim/SimSystemLog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace tessane::testing {

// A temporary data folder, a simulated app catalogue and a log that keeps its lines.
class ModelTest : public ::testing::Test {
protected:
    ModelTest() {
        Log::resetForTesting();
        Log::configure(&systemLog, &environment);
    }
    ~ModelTest() override {
        Log::configure(nullptr, nullptr);
        Log::resetForTesting();
    }

    std::filesystem::path dataFolder() const { return environment.dataFolder(); }
    std::filesystem::path file() const { return dataFolder() / "workspaces.json"; }
    WorkspaceStore store() const { return WorkspaceStore(dataFolder()); }

    std::unique_ptr<WorkspaceManager> makeManager() {
        return std::make_unique<WorkspaceManager>(store(), apps);
    }

    // Writes workspaces through the store, then drops what the log said so far.
    void seed(const std::vector<Workspace>& workspaces) {
        store().save(workspaces);
        systemLog.clear();
    }
    void seedText(const std::string& json) {
        std::filesystem::create_directories(dataFolder());
        FILE* f = std::fopen(file().c_str(), "wb");
        std::fwrite(json.data(), 1, json.size(), f);
        std::fclose(f);
    }
    std::vector<Workspace> stored() const { return store().load(); }

    // Removes the file so that a test can tell whether an operation wrote it again.
    void forgetFile() { std::filesystem::remove(file()); }
    bool fileWritten() const { return std::filesystem::exists(file()); }

    std::vector<std::string> logLines() const { return systemLog.lines(); }
    size_t logCount(const std::string& text) const {
        auto lines = systemLog.lines();
        return static_cast<size_t>(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) {
            return l.find(text) != std::string::npos;
        }));
    }

    sim::SimEnvironment environment;
    sim::SimSystemLog systemLog;
    sim::SimApplications apps;
};

inline ManagedApp makeApp(std::string name, std::string bundleID, AppRole role = AppRole::secondary) {
    ManagedApp app;
    app.displayName = std::move(name);
    app.bundleIdentifier = std::move(bundleID);
    app.role = role;
    return app;
}

inline Workspace makeWorkspace(std::string name, std::vector<ManagedApp> apps = {}) {
    Workspace ws;
    ws.name = std::move(name);
    ws.apps = std::move(apps);
    return ws;
}

}  // namespace tessane::testing
