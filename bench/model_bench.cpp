// The stored workspace file at a size far beyond real use: 1,000 workspaces of 4 apps, each
// app with a 128 px PNG icon and a bookmark. The argument is the icon size in KB: about 4 KB for
// a plain theme icon rendered at 128 px, 20 KB for a detailed one (the icon bytes here are
// random, as incompressible as a PNG's deflate stream). Loading includes reading the file,
// decoding, and both load-time migrations (which look every app up in the catalogue); saving
// includes encoding and the atomic, flushed replacement of the file.
#include "model/AppRegistry.h"
#include "model/WorkspaceCoding.h"
#include "model/WorkspaceManager.h"
#include "model/WorkspaceStore.h"
#include "platform/sim/SimApplications.h"
#include "platform/sim/SimEnvironment.h"
#include "platform/sim/SimMainQueue.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <random>

using namespace tessane;

namespace {

constexpr int kWorkspaces = 1000;
constexpr int kAppsPerWorkspace = 4;

struct Fixture {
    sim::SimEnvironment environment;
    sim::SimApplications apps;
    std::vector<Workspace> workspaces;
    std::string json;

    explicit Fixture(size_t iconBytes) {
        std::mt19937 rng(7);
        AppRegistry registry(apps);
        for (int w = 0; w < kWorkspaces; ++w) {
            Workspace ws;
            ws.name = "Workspace " + std::to_string(w);
            ws.layout.type = LayoutType::grid2x2;
            ws.layout.ratios = std::vector<double>{0.5, 0.5, 1.0 / 3.0};
            ws.lastContainerFrame = RectModel{120, 80, 1600, 1000};
            ws.topologyFrames = std::map<std::string, RectModel>{{"display-1|display-2", {120, 80, 1600, 1000}}};
            for (int a = 0; a < kAppsPerWorkspace; ++a) {
                const std::string id = "org.example.App" + std::to_string(w) + "_" + std::to_string(a);
                const std::string path = "/Applications/" + id + ".app";
                apps.installApp(path, {id, "App " + std::to_string(a), std::nullopt});
                ManagedApp app = registry.makeManagedApp(path);
                // Icon bytes as incompressible as a real PNG's deflate stream.
                Bytes icon(iconBytes);
                for (auto& b : icon) b = static_cast<uint8_t>(rng());
                app.iconData = std::move(icon);
                app.observedMinSize = SizeModel{400, 300};
                app.lastDocumentPath = "/home/user/Documents/Project " + std::to_string(w) + "/notes.txt";
                if (a == 0) {
                    app.role = AppRole::primary;
                    ws.primaryAppID = app.id;
                    ws.primaryAppBundleIdentifier = app.bundleIdentifier;
                }
                ws.apps.push_back(std::move(app));
            }
            workspaces.push_back(std::move(ws));
        }
        json = encodeWorkspaces(workspaces);
        WorkspaceStore(environment.dataFolder()).save(workspaces);
    }
};

Fixture& fixture(const benchmark::State& state) {
    static std::map<int64_t, std::unique_ptr<Fixture>> fixtures;
    auto& f = fixtures[state.range(0)];
    if (!f) f = std::make_unique<Fixture>(static_cast<size_t>(state.range(0)) * 1024);
    return *f;
}

void BM_LoadAndMigrate(benchmark::State& state) {
    Fixture& f = fixture(state);
    for (auto _ : state) {
        WorkspaceManager manager(WorkspaceStore(f.environment.dataFolder()), f.apps);
        if (manager.workspaces().get().size() != kWorkspaces) state.SkipWithError("wrong count");
        benchmark::DoNotOptimize(manager);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(f.json.size()));
}
BENCHMARK(BM_LoadAndMigrate)->Arg(4)->Arg(20)->Unit(benchmark::kMillisecond)->MinTime(2);

void BM_Save(benchmark::State& state) {
    Fixture& f = fixture(state);
    WorkspaceStore store(f.environment.dataFolder());
    for (auto _ : state) store.save(f.workspaces);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(f.json.size()));
}
BENCHMARK(BM_Save)->Arg(4)->Arg(20)->Unit(benchmark::kMillisecond)->MinTime(2);

// The parts, to see where the time goes.
void BM_DecodeOnly(benchmark::State& state) {
    Fixture& f = fixture(state);
    for (auto _ : state) benchmark::DoNotOptimize(decodeWorkspaces(f.json));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(f.json.size()));
}
BENCHMARK(BM_DecodeOnly)->Arg(4)->Arg(20)->Unit(benchmark::kMillisecond)->MinTime(2);

void BM_EncodeOnly(benchmark::State& state) {
    Fixture& f = fixture(state);
    for (auto _ : state) benchmark::DoNotOptimize(encodeWorkspaces(f.workspaces));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(f.json.size()));
}
BENCHMARK(BM_EncodeOnly)->Arg(4)->Arg(20)->Unit(benchmark::kMillisecond)->MinTime(2);

}  // namespace

namespace {
void BM_EncodeIntoReusedBuffer(benchmark::State& state) {
    Fixture& f = fixture(state);
    std::string buffer;
    for (auto _ : state) {
        encodeWorkspaces(f.workspaces, buffer);
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(f.json.size()));
}
BENCHMARK(BM_EncodeIntoReusedBuffer)->Arg(4)->Arg(20)->Unit(benchmark::kMillisecond)->MinTime(2);
}  // namespace

// A long list that repeats a few apps, as real long lists do: 10,000 workspaces of the same two
// apps, each app with its 4 KB icon stored in every workspace. Decoding hands out one buffer per
// distinct icon ("icon_buffers").
namespace {
void BM_DecodeRepeatedIcons(benchmark::State& state) {
    std::mt19937 rng(7);
    std::vector<Workspace> list(10'000);
    Bytes icons[2] = {Bytes(4096), Bytes(4096)};
    for (auto& icon : icons)
        for (auto& b : icon) b = static_cast<uint8_t>(rng());
    for (size_t i = 0; i < list.size(); ++i) {
        list[i].name = "Workspace " + std::to_string(i);
        for (int a = 0; a < 2; ++a) {
            ManagedApp app;
            app.displayName = "App " + std::to_string(a);
            app.bundleIdentifier = "org.example.App" + std::to_string(a);
            app.iconData = icons[a];
            list[i].apps.push_back(std::move(app));
        }
    }
    const std::string json = encodeWorkspaces(list);
    std::vector<Workspace> decoded;
    for (auto _ : state) {
        decoded = decodeWorkspaces(json);
        benchmark::DoNotOptimize(decoded.data());
    }
    std::vector<const uint8_t*> buffers;
    for (const auto& ws : decoded)
        for (const auto& app : ws.apps) buffers.push_back(app.iconData->data());
    std::sort(buffers.begin(), buffers.end());
    state.counters["icon_buffers"] = double(std::unique(buffers.begin(), buffers.end()) - buffers.begin());
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(json.size()));
}
BENCHMARK(BM_DecodeRepeatedIcons)->Unit(benchmark::kMillisecond)->MinTime(2);
}  // namespace

// Very long lists, saved as the running program saves them: the edit on the main thread (the
// change, and handing a copy of the list to the writer) is timed; the writer's encoding and
// atomic replacement of the file, on its own thread, is reported beside it ("write_ms"). The
// argument is the number of workspaces, two apps each with a 1 KB icon.
namespace {
// Stores `count` workspaces of two apps, each with a 1 KB icon, in `environment`'s data folder.
void storeLongList(sim::SimEnvironment& environment, size_t count) {
    std::vector<Workspace> list(count);
    for (size_t i = 0; i < count; ++i) {
        list[i].name = "Workspace " + std::to_string(i);
        list[i].layout.ratios = std::vector<double>{0.5};
        for (int a = 0; a < 2; ++a) {
            ManagedApp app;
            app.displayName = "App " + std::to_string(a);
            app.bundleIdentifier = "org.example.App" + std::to_string(a);
            app.appPath = "/usr/share/applications/org.example.App" + std::to_string(a) + ".desktop";
            app.iconData = Bytes(1024, static_cast<uint8_t>(i + a));
            list[i].apps.push_back(std::move(app));
        }
    }
    WorkspaceStore(environment.dataFolder()).save(list);
}

// A long list stored, then read by a manager that saves it on its writer thread.
struct BackgroundSavedList {
    explicit BackgroundSavedList(size_t count)
        : manager((storeLongList(environment, count), WorkspaceStore(environment.dataFolder())), apps) {
        manager.saveInBackground(queue);
    }
    sim::SimEnvironment environment;
    sim::SimApplications apps;
    sim::SimMainQueue queue;
    WorkspaceManager manager;
};

void BM_EditWithBackgroundSave(benchmark::State& state) {
    const size_t count = static_cast<size_t>(state.range(0));
    BackgroundSavedList saved(count);
    auto& manager = saved.manager;
    auto& queue = saved.queue;
    const Uuid id = manager.workspaces().get().front().id;
    double writeSeconds = 0;
    int n = 0;
    for (auto _ : state) {
        manager.renameWorkspace(id, "Renamed " + std::to_string(n++));
        queue.runPending();  // the write starts: the list is copied and handed over
        state.PauseTiming();
        const auto t0 = std::chrono::steady_clock::now();
        manager.flushSaves();
        writeSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        state.ResumeTiming();
    }
    state.counters["write_ms"] = writeSeconds * 1e3 / std::max(1, n);
    state.counters["file_MB"] = double(std::filesystem::file_size(manager.store().fileURL())) / (1 << 20);
}
BENCHMARK(BM_EditWithBackgroundSave)->Arg(5'000)->Arg(50'000)->Unit(benchmark::kMillisecond)->Iterations(5);
}  // namespace

// The save after a show: one workspace of a long list changed where it is (its ratios), as a
// show stores them, then the main thread's part of the save, which hands the list as it now is
// to the writer thread, is timed alone ("handover"). 10,000 workspaces of two apps with 1 KB
// icons; the writer's encoding and file replacement are waited for outside the timing.
namespace {
void BM_SaveAfterShowHandover(benchmark::State& state) {
    const size_t count = static_cast<size_t>(state.range(0));
    BackgroundSavedList saved(count);
    auto& manager = saved.manager;
    auto& queue = saved.queue;
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Workspace shown = manager.workspaces().get()[static_cast<size_t>(n) % count];
        shown.layout.ratios = std::vector<double>{0.25 + 0.5 * double(++n % 100) / 100.0};
        manager.update(std::move(shown));
        state.ResumeTiming();
        queue.runPending();  // the save starts: the main thread hands the list over
        state.PauseTiming();
        manager.flushSaves();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SaveAfterShowHandover)->Arg(10'000)->Unit(benchmark::kMicrosecond)->Iterations(50);
}  // namespace
