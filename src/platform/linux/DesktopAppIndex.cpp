#include "platform/linux/DesktopAppIndex.h"

#include "platform/linux/ExecLine.h"
#include "platform/linux/ProcessLauncher.h"

#include <algorithm>

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

// The best of the candidates: shown in menus first, then index order.
const DesktopAppIndex::App* best(const std::vector<const DesktopAppIndex::App*>& candidates) {
    for (auto* a : candidates)
        if (!a->noDisplay) return a;
    return candidates.empty() ? nullptr : candidates.front();
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
    if (auto exec = entry.value("Exec"))
        if (auto args = ExecLine::split(*exec); args && !args->empty()) addProgram(args->front());
    if (auto tryExec = entry.value("TryExec")) addProgram(*tryExec);
    return app;
}

const DesktopAppIndex::App* DesktopAppIndex::byId(const std::string& id) const {
    for (const auto& a : apps_)
        if (a.id == id) return &a;
    return nullptr;
}

const DesktopAppIndex::App* DesktopAppIndex::match(const WindowFacts& facts) const {
    if (facts.wmClass) {
        const auto& [instance, klass] = *facts.wmClass;
        std::vector<const App*> found;
        for (const auto& a : apps_)
            if (a.startupWMClass && ((!klass.empty() && *a.startupWMClass == klass) ||
                                     (!instance.empty() && *a.startupWMClass == instance)))
                found.push_back(&a);
        if (auto* a = best(found)) return a;
        for (const auto& a : apps_) {
            for (const std::string* name : {&instance, &klass}) {
                if (name->empty()) continue;
                if (equalsIgnoringCase(a.id, *name) ||
                    (a.startupWMClass && equalsIgnoringCase(*a.startupWMClass, *name))) {
                    found.push_back(&a);
                    break;
                }
            }
        }
        if (auto* a = best(found)) return a;
    }
    if (facts.executable) {
        const fs::path exe = canonicalPath(*facts.executable);
        std::vector<const App*> found;
        for (const auto& a : apps_)
            if (std::find(a.programs.begin(), a.programs.end(), exe) != a.programs.end()) found.push_back(&a);
        if (found.size() == 1) return found.front();
        // A program with a hidden helper entry beside its own (a URL handler) is still one app.
        std::vector<const App*> shown;
        for (auto* a : found)
            if (!a->noDisplay) shown.push_back(a);
        if (shown.size() == 1) return shown.front();
    }
    return nullptr;
}

}  // namespace tessane::linux_desktop
