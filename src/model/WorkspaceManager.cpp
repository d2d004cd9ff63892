#include "model/WorkspaceManager.h"

#include "base/Text.h"
#include "model/Log.h"
#include "model/NonFiniteNumbers.h"
#include "model/WorkspaceSaves.h"

#include <algorithm>
#include <set>

namespace tessane {
namespace {

bool isAscii(std::string_view s) {
    for (unsigned char c : s)
        if (c >= 0x80) return false;
    return true;
}

// Strings compare as Unicode text: canonically equivalent spellings are equal, nothing folded.
bool sameText(std::string_view a, std::string_view b) {
    if (a == b) return true;
    if (isAscii(a) && isAscii(b)) return false;
    return text::canonicallyEqual(a, b);
}

std::string quoted(const std::string& name) { return "\u201C" + name + "\u201D"; }

void logDropped(const std::string& workspaceName, const std::vector<std::string>& dropped) {
    if (dropped.empty()) return;
    std::string fields;
    for (const auto& f : dropped) fields += (fields.empty() ? "" : ", ") + f;
    Log::line("[Tessane] Dropped numbers that are not finite from " + quoted(workspaceName) + ": " + fields + ".");
}

}  // namespace

WorkspaceManager::WorkspaceManager(WorkspaceStore store, const AppCatalog& catalog)
    : store_(std::move(store)), registry_(catalog) {
    store_.removeStaleTemporaries();
    std::vector<Workspace> list = store_.load(knownStamp_);
    for (auto& ws : list) logDropped(ws.name, dropNonFiniteNumbers(ws));
    // Nobody can observe the manager before it is built, so the list is repaired in place and
    // published once.
    migrateOversizedIcons(list);
    migrateChangedBundleIDs(list);
    workspaces_.set(std::move(list));
}

long WorkspaceManager::indexOf(const Uuid& id) const {
    const auto& list = workspaces_.get();
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].id == id) return static_cast<long>(i);
    return -1;
}

WorkspaceManager::~WorkspaceManager() = default;

void WorkspaceManager::commit(std::vector<Workspace> list) {
    publish(std::move(list));
    write(workspaces_.get());
}

void WorkspaceManager::publish(std::vector<Workspace> list) {
    if (saves_) saves_->records().replaced(list);
    workspaces_.set(std::move(list));
}

void WorkspaceManager::write(const std::vector<Workspace>& list) {
    if (saves_) return saves_->request();  // the worker takes the list as it is then
    noteWritten(store_.write(list, knownStamp_, buffer_));
}

void WorkspaceManager::saveInBackground(MainQueue& queue) {
    if (saves_) return;
    saves_ = std::make_unique<WorkspaceSaves>(
        store_, queue,
        [this](WorkspaceRecords& records) { return WorkspaceSaves::Job{records.of(workspaces_.get()), knownStamp_}; },
        [this](const WorkspaceStore::Written& written) { noteWritten(written); });
    std::string().swap(buffer_);  // the worker keeps a buffer of its own
}

void WorkspaceManager::flushSaves() {
    if (saves_) saves_->flush();
}

void WorkspaceManager::noteWritten(const WorkspaceStore::Written& written) {
    if (written.error) {
        lastSaveFailed_ = true;
        fileNews_.emit(FileNews{FileNews::Kind::saveFailed, *written.error});
    } else {
        lastSaveFailed_ = false;
        knownStamp_ = written.stamp;
        if (!written.keptAside.empty()) {
            fileNews_.emit(FileNews{replacingUnusable_ ? FileNews::Kind::unusableVersionKeptAside
                                                       : FileNews::Kind::outsideVersionKeptAside,
                                    written.keptAside.string()});
        }
        replacingUnusable_ = false;
        fileNews_.emit(FileNews{FileNews::Kind::saved, {}});
    }
    if (std::exchange(recheckAfterWrite_, false)) checkForOutsideEdit();
}

void WorkspaceManager::checkForOutsideEdit() {
    // Our own write may be what was noticed: look once it is done and its stamp is known.
    if (saves_ && saves_->busy()) {
        recheckAfterWrite_ = true;
        return;
    }
    if (fileStamp(store_.fileURL()) == knownStamp_) return;
    const std::string file = store_.fileURL().filename().string();
    if (lastSaveFailed_) {
        // Both changed: ours is kept, and theirs is kept aside when ours is written.
        Log::line("[Tessane] " + file + " was changed by another program while Tessane has unsaved changes; "
                  "keeping Tessane's.");
        replacingUnusable_ = false;
        return write(workspaces_.get());
    }
    WorkspaceStore::Read read = store_.read();
    if (!read.stamp || !read.workspaces) {
        const std::string what =
            read.stamp ? "changed by another program but can't be used (" + read.error + ")" : "removed by another program";
        Log::line("[Tessane] " + file + " was " + what + "; keeping Tessane's list.");
        // What our write replaces is that version (or a later one), not a change of ours that waited.
        replacingUnusable_ = read.stamp.has_value();
        return write(workspaces_.get());
    }
    knownStamp_ = read.stamp;
    std::vector<Workspace> list = std::move(*read.workspaces);
    for (auto& ws : list) logDropped(ws.name, dropNonFiniteNumbers(ws));
    Log::line("[Tessane] Reloaded " + file + " after a change by another program (" + std::to_string(list.size()) +
              " workspace(s)).");
    const auto known = [&list](const std::optional<Uuid>& id) {
        return id && std::any_of(list.begin(), list.end(), [&](const Workspace& ws) { return ws.id == *id; });
    };
    const bool keepActive = known(activeWorkspaceID_.get()), keepLastShown = known(lastShownWorkspaceID_.get());
    publish(std::move(list));
    if (!keepActive && activeWorkspaceID_.get()) activeWorkspaceID_.set(std::nullopt);
    if (!keepLastShown && lastShownWorkspaceID_.get()) lastShownWorkspaceID_.set(std::nullopt);
    fileNews_.emit(FileNews{FileNews::Kind::reloaded, {}});
}

std::optional<Workspace> WorkspaceManager::workspace(const Uuid& id) const {
    const long i = indexOf(id);
    if (i < 0) return std::nullopt;
    return workspaces_.get()[static_cast<size_t>(i)];
}

std::optional<Workspace> WorkspaceManager::workspaceUsing(const std::string& bundleIdentifier,
                                                          const std::optional<Uuid>& excluding) const {
    for (const auto& ws : workspaces_.get()) {
        if (excluding && ws.id == *excluding) continue;
        for (const auto& app : ws.apps)
            if (sameText(app.bundleIdentifier, bundleIdentifier)) return ws;
    }
    return std::nullopt;
}

void WorkspaceManager::update(Workspace workspace) {
    const long i = indexOf(workspace.id);
    if (i < 0) return;
    logDropped(workspace.name, dropNonFiniteNumbers(workspace));
    // One workspace of what may be thousands (a show storing its ratios): changed where it is
    // rather than in a copy of the list. Every observer reads the list on a later turn.
    if (saves_) saves_->records().changed(static_cast<size_t>(i));
    workspaces_.modify([&](std::vector<Workspace>& list) { list[static_cast<size_t>(i)] = std::move(workspace); });
    write(workspaces_.get());
}

bool WorkspaceManager::setLastDocument(const std::string& path, const Uuid& appID) {
    const auto& current = workspaces_.get();
    for (size_t w = 0; w < current.size(); ++w) {
        for (size_t a = 0; a < current[w].apps.size(); ++a) {
            const ManagedApp& app = current[w].apps[a];
            if (app.id != appID) continue;
            if (app.lastDocumentPath && sameText(*app.lastDocumentPath, path)) return false;
            auto list = current;
            list[w].apps[a].lastDocumentPath = path;
            commit(std::move(list));
            return true;
        }
    }
    return false;
}

std::string WorkspaceManager::uniqueName(const std::string& base) const {
    std::set<std::string> names;
    for (const auto& ws : workspaces_.get()) names.insert(text::nfc(ws.name));
    if (!names.count(text::nfc(base))) return base;
    for (int n = 2;; ++n) {
        std::string candidate = base + " " + std::to_string(n);
        if (!names.count(text::nfc(candidate))) return candidate;
    }
}

std::string WorkspaceManager::nameOf(const std::optional<Uuid>& id) const {
    if (!id) return "none";
    const long i = indexOf(*id);
    if (i >= 0) return workspaces_.get()[static_cast<size_t>(i)].name;
    return id->string();
}

Workspace WorkspaceManager::createWorkspace(const std::string& name) {
    std::string base = text::trimmed(name);
    if (base.empty()) base = "New Workspace";
    Workspace ws;
    ws.id = Uuid::random();
    ws.name = uniqueName(base);
    ws.layout = Layout{};
    ws.layout.type = LayoutType::leftRightSplit;
    ws.isEnabled = true;
    auto list = workspaces_.get();
    list.push_back(ws);
    commit(std::move(list));
    return ws;
}

void WorkspaceManager::setActiveWorkspace(const std::optional<Uuid>& id) {
    if (id == activeWorkspaceID_.get()) return;
    Log::line("[Tessane] Active workspace changed: " + nameOf(activeWorkspaceID_.get()) + " \u2192 " + nameOf(id));
    activeWorkspaceID_.set(id);
    if (id) lastShownWorkspaceID_.set(id);
}

void WorkspaceManager::deleteWorkspace(const Uuid& id) {
    auto list = workspaces_.get();
    std::erase_if(list, [&](const Workspace& ws) { return ws.id == id; });
    publish(std::move(list));
    if (activeWorkspaceID_.get() == id) activeWorkspaceID_.set(std::nullopt);
    if (lastShownWorkspaceID_.get() == id) lastShownWorkspaceID_.set(std::nullopt);
    write(workspaces_.get());
}

void WorkspaceManager::renameWorkspace(const Uuid& id, const std::string& newName) {
    const long i = indexOf(id);
    if (i < 0) return;
    const std::string name = text::trimmed(newName);
    if (name.empty()) return;
    if (sameText(name, workspaces_.get()[static_cast<size_t>(i)].name)) return;
    auto list = workspaces_.get();
    list[static_cast<size_t>(i)].name = name;
    commit(std::move(list));
}

Workspace WorkspaceManager::changingLayoutType(const Workspace& workspace, LayoutType type) {
    Workspace copy = workspace;
    copy.layout.type = type;
    copy.layout.threeColumns.reset();
    for (auto& app : copy.apps) app.observedMinSize.reset();
    copy.lastContainerFrame.reset();
    copy.topologyFrames.reset();
    copy.savedLayout.reset();
    return copy;
}

void WorkspaceManager::setLayoutType(LayoutType type, const Uuid& workspaceID) {
    const long i = indexOf(workspaceID);
    if (i < 0) return;
    const Workspace& current = workspaces_.get()[static_cast<size_t>(i)];
    if (current.layout.type == type) return;
    auto list = workspaces_.get();
    list[static_cast<size_t>(i)] = changingLayoutType(current, type);
    commit(std::move(list));
}

void WorkspaceManager::setThreeColumns(bool on, const Uuid& workspaceID) {
    const long i = indexOf(workspaceID);
    if (i < 0) return;
    Workspace ws = workspaces_.get()[static_cast<size_t>(i)];
    if (on) {
        if (ws.layout.threeColumns) return;
        if (ws.layout.type != LayoutType::threeLeftOneRightTwo)
            ws = changingLayoutType(ws, LayoutType::threeLeftOneRightTwo);
        ws.layout.ratios = std::vector<double>{1.0 / 3.0, 0.5};
        ws.layout.threeColumns = ThreeColumnsState{false, std::vector<double>{0.5, 0.5}};
    } else {
        if (!ws.layout.threeColumns) return;
        ws.layout = ws.layout.foldingThreeColumns(true);
        ws.layout.threeColumns.reset();
    }
    auto list = workspaces_.get();
    list[static_cast<size_t>(i)] = std::move(ws);
    commit(std::move(list));
}

void WorkspaceManager::addApp(ManagedApp app, const Uuid& workspaceID) {
    const long i = indexOf(workspaceID);
    if (i < 0) return;
    if (workspaceUsing(app.bundleIdentifier, workspaceID)) return;
    const Workspace& current = workspaces_.get()[static_cast<size_t>(i)];
    // Panes are named by their app's id: one record twice would make two panes that every
    // lookup by id confuses (removing one removes both).
    for (const auto& existing : current.apps) {
        if (existing.id == app.id) {
            Log::line("[Tessane] Not adding " + app.displayName + " to " + quoted(current.name) +
                      " again: that app record is already in it.");
            return;
        }
    }
    const auto dropped = dropNonFiniteNumbers(app);
    if (!dropped.empty()) logDropped(current.name, dropped);
    auto list = workspaces_.get();
    Workspace& ws = list[static_cast<size_t>(i)];
    if (ws.apps.empty()) {
        app.role = AppRole::primary;
        ws.primaryAppID = app.id;
        ws.primaryAppBundleIdentifier = app.bundleIdentifier;
    }
    ws.apps.push_back(std::move(app));
    commit(std::move(list));
}

void WorkspaceManager::removeApp(const Uuid& appID, const Uuid& workspaceID) {
    const long i = indexOf(workspaceID);
    if (i < 0) return;
    auto list = workspaces_.get();
    Workspace& ws = list[static_cast<size_t>(i)];
    const ManagedApp* primary = ws.primaryApp();
    const std::optional<Uuid> primaryID = primary ? std::optional<Uuid>(primary->id) : std::nullopt;
    std::erase_if(ws.apps, [&](const ManagedApp& app) { return app.id == appID; });
    if (primaryID == appID) {
        if (ws.apps.empty()) {
            ws.primaryAppID.reset();
            ws.primaryAppBundleIdentifier.reset();
        } else {
            ws.primaryAppID = ws.apps.front().id;
            ws.primaryAppBundleIdentifier = ws.apps.front().bundleIdentifier;
            for (size_t a = 0; a < ws.apps.size(); ++a) ws.apps[a].role = a == 0 ? AppRole::primary : AppRole::secondary;
        }
    }
    commit(std::move(list));
}

void WorkspaceManager::moveApp(const Uuid& appID, const Uuid& workspaceID, int by) {
    const long i = indexOf(workspaceID);
    if (i < 0) return;
    const auto& apps = workspaces_.get()[static_cast<size_t>(i)].apps;
    long from = -1;
    for (size_t a = 0; a < apps.size(); ++a)
        if (apps[a].id == appID) {
            from = static_cast<long>(a);
            break;
        }
    if (from < 0) return;
    const long to = from + by;
    if (to < 0 || to >= static_cast<long>(apps.size())) return;
    auto list = workspaces_.get();
    auto& moved = list[static_cast<size_t>(i)].apps;
    std::swap(moved[static_cast<size_t>(from)], moved[static_cast<size_t>(to)]);
    commit(std::move(list));
}

void WorkspaceManager::setPrimaryApp(const Uuid& appID, const Uuid& workspaceID) {
    const long i = indexOf(workspaceID);
    if (i < 0) return;
    const auto& apps = workspaces_.get()[static_cast<size_t>(i)].apps;
    if (std::none_of(apps.begin(), apps.end(), [&](const ManagedApp& a) { return a.id == appID; })) return;
    auto list = workspaces_.get();
    Workspace& ws = list[static_cast<size_t>(i)];
    for (auto& app : ws.apps) {
        if (app.id == appID) {
            ws.primaryAppID = app.id;
            ws.primaryAppBundleIdentifier = app.bundleIdentifier;
            app.role = AppRole::primary;
        } else {
            app.role = AppRole::secondary;
        }
    }
    commit(std::move(list));
}

}  // namespace tessane
