// What a hide or a show pays on the main thread to tell each window's document, with recent-files
// lists that other programs wrote to be as slow as they can. The hot key's own work (the moves,
// the window-manager round trips) is apart: app_runs_bench measures it. Each figure is one
// window's AXDocument, as a hide reads it for every window of the workspace:
//   - Ampersands4MiB/fresh: the list (4 MiB, the size read at most, of one attribute full of '&')
//     read and parsed, as after every change of the file; /cached: read again unchanged.
//   - OneName40000/fresh and /cached: 40,000 files of one name in as many folders, each used by
//     the application, and a title that names that name: every one is a candidate.
//   - TitleTimesEntries: a 4 KiB title (as long as a title is read) against 40,000 files of
//     different names.
#include "platform/linux/desktop/WindowDocuments.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>

using namespace tessane;
namespace fs = std::filesystem;

namespace {

struct Desktop {
    fs::path root = fs::temp_directory_path() / ("tessane-documents-bench-" + std::to_string(std::random_device{}()));
    fs::path data = root / "data", proc = root / "proc";

    explicit Desktop(const std::string& xbel) {
        for (const auto& d : {data, proc / "4242" / "fd"}) fs::create_directories(d);
        write(root / "ed.desktop", "[Desktop Entry]\nType=Application\nName=Ed\nExec=ed %F\n");
        write(proc / "stat", "btime 1000\n");
        write(proc / "4242" / "stat", "4242 (ed) S 1 1 1 0 -1 0 0 0 0 0 0 0 0 0 20 0 1 0 500 0 0\n");
        write(proc / "4242" / "cmdline", std::string("ed\0", 3));
        write(data / "recently-used.xbel", xbel);
    }
    ~Desktop() { fs::remove_all(root); }
    static void write(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }

    linux_backend::WindowDocuments documents() const {
        linux_backend::WindowDocuments d;
        const fs::path entry = root / "ed.desktop";
        d.configure({data, root, proc}, [entry](auto, Pid) { return std::optional(entry); });
        return d;
    }
};

// As short as a bookmark goes, so that forty thousand fit in the size that is read.
std::string bookmark(const std::string& path, size_t time) {
    return "<bookmark href=\"file://" + path + "\"><bookmark:application name=\"Ed\" timestamp=\"" +
           std::to_string(time) + "\"/></bookmark>\n";
}

std::string ampersands() {
    const std::string head = "<xbel><bookmark href=\"file:///d/", tail = "\"><bookmark:application name=\"Ed\"/></bookmark></xbel>";
    return head + std::string(linux_backend::WindowDocuments::kRecentListLimit - head.size() - tail.size(), '&') + tail;
}

std::string oneName(size_t files) {
    std::string xbel = "<xbel>\n";
    for (size_t i = 0; i < files; ++i) xbel += bookmark("/" + std::to_string(i) + "/notes.txt", 1 + i % 4);
    return xbel + "</xbel>\n";
}

std::string manyNames(size_t files) {
    std::string xbel = "<xbel>\n";
    for (size_t i = 0; i < files; ++i) xbel += bookmark("/notes-" + std::to_string(i) + ".txt", 1 + i % 4);
    return xbel + "</xbel>\n";
}

void run(benchmark::State& state, const std::string& xbel, const std::string& title, bool fresh) {
    if (xbel.size() > linux_backend::WindowDocuments::kRecentListLimit) {
        state.SkipWithError("the list is over the size that is read");
        return;
    }
    Desktop desktop(xbel);
    auto documents = desktop.documents();
    documents.documentURL(1, 4242, title);
    for (auto _ : state) {
        if (fresh) documents = desktop.documents();
        benchmark::DoNotOptimize(documents.documentURL(1, 4242, title));
    }
}

void Ampersands4MiB(benchmark::State& state) { run(state, ampersands(), "notes.txt - Ed", state.range(0)); }
void OneName40000(benchmark::State& state) { run(state, oneName(40000), "notes.txt - Ed", state.range(0)); }
void TitleTimesEntries(benchmark::State& state) {
    std::string title;
    while (title.size() < 4000) title += "notes-" + std::to_string(title.size()) + "x.txt ";
    run(state, manyNames(40000), title, false);
}

}  // namespace

BENCHMARK(Ampersands4MiB)->ArgName("fresh")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(OneName40000)->ArgName("fresh")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(TitleTimesEntries)->Unit(benchmark::kMillisecond);
