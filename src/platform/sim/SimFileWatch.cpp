#include "platform/sim/SimFileWatch.h"

#include <algorithm>
#include <utility>

namespace tessane::sim {

namespace fs = std::filesystem;

struct SimFileWatch::Source final : FileWatchSource, std::enable_shared_from_this<Source> {
    uint64_t inode = 0;
    uint32_t mask = 0;
    std::function<void(uint32_t)> handler;
    uint32_t pending = 0;
    bool posted = false;
    bool cancelled = false;

    void cancel() override {
        cancelled = true;
        pending = 0;
    }
    bool isCancelled() const override { return cancelled; }
};

SimFileWatch::~SimFileWatch() {
    for (auto& weak : sources_)
        if (auto s = weak.lock()) s->cancel();
}

std::shared_ptr<FileWatchSource> SimFileWatch::watch(const fs::path& path, uint32_t events,
                                                     std::function<void(uint32_t)> handler) {
    const auto key = path.lexically_normal();
    ++watchRequests_[key];
    auto it = nodes_.find(key);
    if (it == nodes_.end() || unwatchable_.count(key)) return nullptr;
    std::erase_if(sources_, [](auto& w) { return w.expired(); });
    auto source = std::make_shared<Source>();
    source->inode = it->second.inode;
    source->mask = events;
    source->handler = std::move(handler);
    sources_.push_back(source);
    return source;
}

FileStatus SimFileWatch::status(const fs::path& path) const {
    auto it = nodes_.find(path.lexically_normal());
    if (it == nodes_.end()) return {};
    return {true, it->second.modified};
}

SimFileWatch::Node& SimFileWatch::ensureFolder(const fs::path& path) {
    auto it = nodes_.find(path);
    if (it != nodes_.end()) return it->second;
    if (path.has_parent_path() && path.parent_path() != path) {
        ensureFolder(path.parent_path());
        entryChanged(path.parent_path());
    }
    auto& node = nodes_[path];
    node = Node{nextInode_++, true, queue_.now()};
    return node;
}

void SimFileWatch::createFolder(const fs::path& path) { ensureFolder(path.lexically_normal()); }

void SimFileWatch::entryChanged(const fs::path& folder) {
    auto it = nodes_.find(folder);
    if (it == nodes_.end()) return;
    it->second.modified = queue_.now();
    emit(it->second.inode, FileEvent::write);
}

void SimFileWatch::writeFile(const fs::path& path, std::optional<TimeInterval> modified) {
    const auto key = path.lexically_normal();
    auto it = nodes_.find(key);
    if (it == nodes_.end()) {
        ensureFolder(key.parent_path());
        nodes_[key] = Node{nextInode_++, false, modified.value_or(queue_.now())};
        entryChanged(key.parent_path());
        return;
    }
    // Without an explicit time a rewrite always gets a later one, as on a real file system
    // whose clock runs while the virtual one stands still.
    it->second.modified = modified.value_or(std::max(queue_.now(), it->second.modified + 1e-6));
    emit(it->second.inode, FileEvent::write | FileEvent::extend);
}

void SimFileWatch::touchAttributes(const fs::path& path) {
    auto it = nodes_.find(path.lexically_normal());
    if (it != nodes_.end()) emit(it->second.inode, FileEvent::attrib);
}

void SimFileWatch::removeFile(const fs::path& path) {
    const auto key = path.lexically_normal();
    auto it = nodes_.find(key);
    if (it == nodes_.end() || it->second.folder) return;
    const auto inode = it->second.inode;
    nodes_.erase(it);
    emit(inode, FileEvent::deleted);
    entryChanged(key.parent_path());
}

void SimFileWatch::renameFile(const fs::path& from, const fs::path& to) {
    const auto src = from.lexically_normal();
    const auto dst = to.lexically_normal();
    auto it = nodes_.find(src);
    if (it == nodes_.end() || it->second.folder || src == dst) return;
    Node moved = it->second;
    nodes_.erase(it);
    ensureFolder(dst.parent_path());
    if (auto old = nodes_.find(dst); old != nodes_.end()) {
        const auto replaced = old->second.inode;
        nodes_.erase(old);
        emit(replaced, FileEvent::deleted);
    }
    nodes_[dst] = moved;
    emit(moved.inode, FileEvent::renamed);
    entryChanged(src.parent_path());
    if (dst.parent_path() != src.parent_path()) entryChanged(dst.parent_path());
}

void SimFileWatch::setUnwatchable(const fs::path& path, bool unwatchable) {
    if (unwatchable)
        unwatchable_.insert(path.lexically_normal());
    else
        unwatchable_.erase(path.lexically_normal());
}

void SimFileWatch::emit(uint64_t inode, uint32_t events) {
    for (auto& weak : sources_) {
        auto source = weak.lock();
        if (!source || source->cancelled || source->inode != inode) continue;
        const uint32_t relevant = events & source->mask;
        if (!relevant) continue;
        source->pending |= relevant;
        if (source->posted) continue;  // one delivery carries everything until it runs
        source->posted = true;
        queue_.post([weak] {
            auto s = weak.lock();
            if (!s) return;
            s->posted = false;
            const uint32_t ev = std::exchange(s->pending, 0);
            if (s->cancelled || !ev) return;
            s->handler(ev);
        });
    }
}

size_t SimFileWatch::activeWatchCount() const {
    size_t n = 0;
    for (auto& weak : sources_)
        if (auto s = weak.lock(); s && !s->cancelled) ++n;
    return n;
}

int SimFileWatch::watchRequests(const fs::path& path) const {
    auto it = watchRequests_.find(path.lexically_normal());
    return it == watchRequests_.end() ? 0 : it->second;
}

}  // namespace tessane::sim
