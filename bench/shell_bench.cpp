#include "shell/Diagnostics.h"
#include "shell/TessaneURL.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

using namespace tessane;

// A link from a launcher, matched against the user's workspaces: the last one, by name, so the
// matcher folds every name on the way (the worst case).
static void BM_LinkParseAndResolve(benchmark::State& state) {
    std::vector<Workspace> list;
    for (int i = 0; i < state.range(0); ++i) list.push_back(Workspace{.name = "Workspace Café " + std::to_string(i)});
    const std::string url = "tessane://show/workspace%20cafe%20" + std::to_string(state.range(0) - 1);
    for (auto _ : state) {
        const auto command = TessaneURL::parse(url);
        auto id = TessaneURL::resolve(*command->target, list);
        benchmark::DoNotOptimize(id);
    }
}
BENCHMARK(BM_LinkParseAndResolve)->Arg(10)->Arg(100);

// "Report a Bug…" with a long summary: the body is trimmed character by character once.
static void BM_MailLinkTrimmed(benchmark::State& state) {
    std::string body;
    while (body.size() < static_cast<size_t>(state.range(0))) body += "  · Schreibtisch — 3 apps · Grid · org.example.Naïve 👩‍💻\n";
    for (auto _ : state) {
        auto url = Diagnostics::mailtoURL("", "Tessane bug report", body, 1800);
        benchmark::DoNotOptimize(url);
    }
}
BENCHMARK(BM_MailLinkTrimmed)->Arg(4 * 1024)->Arg(64 * 1024);
