#include "platform/linux/desktop/DesktopAppIndex.h"

#include "platform/linux/desktop/ExecLine.h"
#include "platform/linux/processes/ProcessLauncher.h"

#include <algorithm>
#include <tuple>

namespace tessane::linux_desktop {
namespace fs = std::filesystem;

namespace {

bool equalsIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

fs::path canonicalPath(const fs::path& p) {
    std::error_code ec;
    fs::path c = fs::weakly_canonical(p, ec);
    return ec ? p : c;
}

// "mousepad" of "org.xfce.mousepad"; nothing for ids that are not reverse-DNS names.
std::string lastPart(const std::string& id) {
    if (std::count(id.begin(), id.end(), '.') < 2) return {};
    return id.substr(id.rfind('.') + 1);
}

bool namesProgram(const DesktopAppIndex::App& app, const DesktopAppIndex::Evidence& e) {
    const std::string last = lastPart(app.id);
    for (const auto& program : e.programs) {
        const std::string name = program.filename().string();
        if (equalsIgnoringCase(app.id, name) || (!last.empty() && equalsIgnoringCase(last, name))) return true;
    }
    return false;
}

// Every argument of the entry's own is among the process's.
bool argumentsFit(const DesktopAppIndex::App& app, const DesktopAppIndex::Evidence& e) {
    return std::all_of(app.arguments.begin(), app.arguments.end(), [&](const std::string& a) {
        return std::find(e.arguments.begin(), e.arguments.end(), a) != e.arguments.end();
    });
}

// The best of several entries that one rule found; earlier in the index wins a tie.
const DesktopAppIndex::App* best(const std::vector<const DesktopAppIndex::App*>& candidates,
                                 const DesktopAppIndex::Evidence& e) {
    auto rank = [&](const DesktopAppIndex::App* a) {
        const bool ownArguments = !a->arguments.empty();
        return std::tuple(ownArguments && argumentsFit(*a, e), namesProgram(*a, e), !ownArguments, !a->noDisplay);
    };
    const DesktopAppIndex::App* winner = nullptr;
    for (auto* a : candidates)
        if (!winner || rank(a) > rank(winner)) winner = a;
    return winner;
}

}  // namespace

DesktopAppIndex::App DesktopAppIndex::describe(const std::string& id, const fs::path& path,
                                               const DesktopEntry& entry, const std::string& locale,
                                               const std::string& searchPath) {
    App app;
    app.id = id;
    app.path = path;
    app.startupWMClass = entry.value("StartupWMClass");
    if (app.startupWMClass && app.startupWMClass->empty()) app.startupWMClass.reset();
    app.noDisplay = entry.boolean("NoDisplay");
    app.name = entry.localized("Name", locale).value_or(id);
    auto addProgram = [&](const std::string& name) {
        if (auto found = linux_backend::ProcessLauncher::findProgram(name, searchPath)) {
            fs::path c = canonicalPath(*found);
            if (std::find(app.programs.begin(), app.programs.end(), c) == app.programs.end())
                app.programs.push_back(std::move(c));
        }
    };
    if (auto exec = entry.value("Exec")) {
        auto args = ExecLine::split(*exec).value_or(std::vector<std::string>{});
        // "env NAME=value program ...": the program is the one env runs.
        size_t first = 0;
        if (!args.empty() && fs::path(args[0]).filename() == "env") {
            first = 1;
            while (first < args.size() && (args[first].find('=') != std::string::npos || args[first].starts_with('-')))
                ++first;
        }
        if (first < args.size()) {
            addProgram(args[first]);
            app.programName = fs::path(args[first]).filename().string();
            for (size_t i = first + 1; i < args.size(); ++i)
                if (args[i].find('%') == std::string::npos) app.arguments.push_back(args[i]);
        }
    }
    if (auto tryExec = entry.value("TryExec")) addProgram(*tryExec);
    return app;
}

const DesktopAppIndex::App* DesktopAppIndex::byId(const std::string& id) const {
    for (const auto& a : apps_)
        if (a.id == id) return &a;
    return nullptr;
}

const DesktopAppIndex::App* DesktopAppIndex::match(const Evidence& e, const Launches& launches) const {
    auto pick = [&](auto&& fits) {
        std::vector<const App*> found;
        for (const auto& a : apps_)
            if (fits(a)) found.push_back(&a);
        return best(found, e);
    };
    auto byIdIgnoringCase = [&](const std::string& id) -> const App* {
        if (id.empty()) return nullptr;
        if (auto* a = pick([&](const App& a) { return a.id == id; })) return a;
        return pick([&](const App& a) { return equalsIgnoringCase(a.id, id); });
    };

    if (e.gtkApplicationId)
        if (auto* a = byIdIgnoringCase(*e.gtkApplicationId)) return a;
    if (e.kdeDesktopFile) {
        std::string id = fs::path(*e.kdeDesktopFile).filename().string();
        if (id.ends_with(".desktop")) id.resize(id.size() - 8);
        if (auto* a = byIdIgnoringCase(id)) return a;
    }
    if (e.sandboxAppId)
        if (auto* a = byIdIgnoringCase(*e.sandboxAppId)) return a;
    if (e.startupId)
        if (auto launched = launches.find(*e.startupId); launched != launches.end())
            if (auto* a = byId(launched->second)) return a;

    if (e.wmClass) {
        // Named, not bound: clang 14 cannot capture structured bindings in a lambda.
        const std::string& instance = e.wmClass->first;
        const std::string& klass = e.wmClass->second;
        auto either = [&](auto&& same) {
            return (!klass.empty() && same(klass)) || (!instance.empty() && same(instance));
        };
        if (auto* a = pick([&](const App& a) {
                return a.startupWMClass && either([&](const std::string& n) { return *a.startupWMClass == n; });
            }))
            return a;
        if (auto* a = pick([&](const App& a) {
                return a.startupWMClass &&
                       either([&](const std::string& n) { return equalsIgnoringCase(*a.startupWMClass, n); });
            }))
            return a;
        if (auto* a = pick([&](const App& a) {
                const std::string last = lastPart(a.id);
                return either([&](const std::string& n) {
                    return equalsIgnoringCase(a.id, n) || (!last.empty() && equalsIgnoringCase(last, n));
                });
            }))
            return a;
    }

    // The process: an entry with arguments of its own that this process was not given is another
    // use of the program (an interpreter running another script), not this one.
    return pick([&](const App& a) {
        const bool runs = std::any_of(a.programs.begin(), a.programs.end(), [&](const fs::path& p) {
            return std::find(e.programs.begin(), e.programs.end(), p) != e.programs.end();
        });
        return runs && argumentsFit(a, e);
    });
}

}  // namespace tessane::linux_desktop
