#include "platform/sim/SimWindowServer.h"

#include "platform/Accessibility.h"
#include "platform/sim/SimMainQueue.h"

#include <algorithm>
#include <cmath>

namespace tessane::sim {

// ---------------------------------------------------------------- SimWindow

SimWindow::SimWindow(SimApp* app, AXElement element, uint32_t number, const SimWindowSpec& setup)
    : app_(app),
      element_(element),
      number_(number),
      title_(setup.title),
      role_(setup.role),
      subrole_(setup.subrole),
      identifier_(setup.identifier),
      document_(setup.document),
      frame_(setup.frame),
      minimized_(setup.minimized),
      fullScreen_(setup.fullScreen) {}

Pid SimWindow::pid() const { return app_->pid(); }
bool SimWindow::isMain() const { return app_->main_ == this; }
bool SimWindow::isFocused() const { return app_->focused_ == this; }

void SimWindow::applyFrame(const Rect& r) {
    if (closed_) return;
    const Rect old = frame_;
    frame_ = r;
    auto& server = app_->server();
    if (old.origin != r.origin) server.emit(pid(), element_, ax::kWindowMoved);
    if (old.size != r.size) server.emit(pid(), element_, ax::kWindowResized);
}

void SimWindow::moveTo(Point p) { applyFrame(Rect(p, frame_.size)); }
void SimWindow::resizeTo(Size s) { applyFrame(Rect(frame_.origin, s)); }
void SimWindow::setFrame(const Rect& r) { applyFrame(r); }

void SimWindow::raise() {
    if (closed_) return;
    app_->bringToFront(this);
    app_->setMainAndFocus(this);
}

void SimWindow::raiseUnfocused() {
    if (!closed_) app_->bringToFront(this);
}

void SimWindow::close() {
    if (closed_) return;
    if (driftItem_) driftItem_->cancel();
    closed_ = true;
    app_->windowClosed(this);
}

SimWindow& SimWindow::setMinimumSize(Size s) {
    minimumSize_ = s;
    return *this;
}
SimWindow& SimWindow::setResizeIncrements(Size increments, Size base) {
    increments_ = increments;
    incrementBase_ = base;
    return *this;
}
SimWindow& SimWindow::refuseMoves(AXError error) {
    refuseMoves_ = error;
    return *this;
}
SimWindow& SimWindow::refuseSizes(AXError error) {
    refuseSizes_ = error;
    return *this;
}
SimWindow& SimWindow::landOffBy(Point delta, int times) {
    landingOffset_ = delta;
    landingTimes_ = times;
    return *this;
}
SimWindow& SimWindow::driftBack(double seconds) {
    driftDelay_ = seconds;
    return *this;
}
SimWindow& SimWindow::acceptWrites() {
    minimumSize_.reset();
    increments_.reset();
    refuseMoves_.reset();
    refuseSizes_.reset();
    landingOffset_ = {};
    landingTimes_ = 0;
    driftDelay_.reset();
    if (driftItem_) driftItem_->cancel();
    driftItem_.reset();
    driftTarget_.reset();
    return *this;
}

void SimWindow::noteWrite() {
    if (!driftDelay_) return;
    // Remember where the window was before this run of writes; each write pushes the drift back.
    if (!driftTarget_) driftTarget_ = frame_;
    if (driftItem_) driftItem_->cancel();
    auto& server = app_->server();
    driftItem_ = server.queue().postAfter(*driftDelay_, server.lifetime_.guard([this] {
        driftItem_.reset();
        auto target = driftTarget_;
        driftTarget_.reset();
        if (target) applyFrame(*target);
    }));
}

AXError SimWindow::writePosition(Point p) {
    if (refuseMoves_ && *refuseMoves_ != AXError::success) return *refuseMoves_;
    noteWrite();
    if (refuseMoves_ || fullScreen_) return AXError::success;
    if (landingTimes_ != 0) {
        p.x += landingOffset_.x;
        p.y += landingOffset_.y;
        if (landingTimes_ > 0) --landingTimes_;
    }
    applyFrame(Rect(p, frame_.size));
    return AXError::success;
}

AXError SimWindow::writeSize(Size s) {
    if (refuseSizes_ && *refuseSizes_ != AXError::success) return *refuseSizes_;
    noteWrite();
    if (refuseSizes_ || fullScreen_) return AXError::success;
    if (increments_) {
        auto step = [](double asked, double base, double increment) {
            if (increment <= 0 || asked <= base) return asked;
            return base + std::floor((asked - base) / increment) * increment;
        };
        s.width = step(s.width, incrementBase_.width, increments_->width);
        s.height = step(s.height, incrementBase_.height, increments_->height);
    }
    if (minimumSize_) {
        s.width = std::max(s.width, minimumSize_->width);
        s.height = std::max(s.height, minimumSize_->height);
    }
    applyFrame(Rect(frame_.origin, s));
    return AXError::success;
}

// ---------------------------------------------------------------- menus

AXError SimMenuItem::press() {
    if (!setup_.enabled) return AXError::cannotComplete;
    ++presses_;
    if (setup_.onPress) setup_.onPress();
    return AXError::success;
}

SimMenuItem& SimMenu::addItem(SimMenuItemSpec setup) {
    auto* parent = server_->node(menu_);
    SimWindowServer::Node node{SimWindowServer::NodeKind::menuItem, parent->pid, parent->owner};
    auto element = server_->makeElement(node);
    items_.push_back(std::unique_ptr<SimMenuItem>(new SimMenuItem(element, std::move(setup))));
    server_->nodes_[element.handle()].menuItem = items_.back().get();
    return *items_.back();
}

// ---------------------------------------------------------------- SimApp

SimApp::SimApp(SimWindowServer* server, Pid pid, std::string name)
    : server_(server), pid_(pid), name_(std::move(name)) {
    menuBar_ = server_->makeElement({SimWindowServer::NodeKind::menuBar, pid_, this});
}

AXElement SimApp::element() const { return server_->applicationElement(pid_); }

SimWindow& SimApp::addWindow(const SimWindowSpec& setup) {
    auto element = server_->makeElement({SimWindowServer::NodeKind::window, pid_, this});
    allWindows_.push_back(std::unique_ptr<SimWindow>(
        new SimWindow(this, element, server_->nextWindowNumber(), setup)));
    SimWindow* w = allWindows_.back().get();
    server_->nodes_[element.handle()].window = w;
    if (!running_) {
        w->closed_ = true;
        return *w;
    }
    if (setup.becomesMain) {
        order_.insert(order_.begin(), w);
        server_->stacking_.insert(server_->stacking_.begin(), w);
    } else {
        // Behind the application's other windows, not behind everything.
        auto& stacking = server_->stacking_;
        auto after = stacking.end();
        for (auto it = stacking.begin(); it != stacking.end(); ++it)
            if ((*it)->app_ == this) after = it + 1;
        stacking.insert(order_.empty() ? stacking.end() : after, w);
        order_.push_back(w);
    }
    server_->emit(pid_, element, ax::kWindowCreated);
    if (setup.becomesMain || !main_) setMainAndFocus(w);
    return *w;
}

SimWindow& SimApp::addOpenPanel(Rect frame) {
    return addWindow({.title = "Open", .frame = frame, .identifier = ax::kIdentifierOpenPanel});
}

SimWindow& SimApp::addSavePanel(Rect frame) {
    return addWindow({.title = "Save", .frame = frame, .identifier = ax::kIdentifierSavePanel});
}

void SimApp::addWindowAfter(double seconds, SimWindowSpec setup) {
    server_->queue().postAfter(seconds, server_->lifetime_.guard([this, setup] {
        if (running_) addWindow(setup);
    }));
}

std::vector<SimWindow*> SimApp::windows() const { return order_; }

SimWindow* SimApp::window(size_t index) const {
    return index < order_.size() ? order_[index] : nullptr;
}

SimMenu& SimApp::addMenu(std::optional<std::string> title) {
    auto barItem = server_->makeElement({SimWindowServer::NodeKind::menuBarItem, pid_, this});
    auto menu = server_->makeElement({SimWindowServer::NodeKind::menu, pid_, this});
    menus_.push_back(std::unique_ptr<SimMenu>(new SimMenu(server_, barItem, menu, std::move(title))));
    server_->nodes_[barItem.handle()].menu = menus_.back().get();
    server_->nodes_[menu.handle()].menu = menus_.back().get();
    return *menus_.back();
}

void SimApp::bringToFront(SimWindow* w) {
    auto it = std::find(order_.begin(), order_.end(), w);
    if (it == order_.end()) return;
    order_.erase(it);
    order_.insert(order_.begin(), w);
    auto& stacking = server_->stacking_;
    stacking.erase(std::remove(stacking.begin(), stacking.end(), w), stacking.end());
    stacking.insert(stacking.begin(), w);
}

void SimApp::setMainAndFocus(SimWindow* w) {
    if (main_ != w) {
        main_ = w;
        if (w) server_->emit(pid_, w->element(), ax::kMainWindowChanged);
    }
    if (focused_ != w) {
        focused_ = w;
        if (w) server_->emit(pid_, w->element(), ax::kFocusedWindowChanged);
    }
}

void SimApp::windowClosed(SimWindow* w) {
    order_.erase(std::remove(order_.begin(), order_.end(), w), order_.end());
    auto& stacking = server_->stacking_;
    stacking.erase(std::remove(stacking.begin(), stacking.end(), w), stacking.end());
    server_->emit(pid_, w->element(), ax::kUIElementDestroyed);
    if (main_ == w || focused_ == w) {
        if (main_ == w) main_ = nullptr;
        if (focused_ == w) focused_ = nullptr;
        if (running_) setMainAndFocus(order_.empty() ? nullptr : order_.front());
    }
}

void SimApp::terminate() {
    if (!running_) return;
    running_ = false;
    // Close front to back; the process is already going, so no new main window is chosen.
    auto open = order_;
    for (auto* w : open) w->close();
    server_->running_.erase(pid_);
}

// ---------------------------------------------------------------- SimWindowServer

SimWindowServer::SimWindowServer(SimMainQueue& queue) : queue_(queue) {}
SimWindowServer::~SimWindowServer() = default;

SimApp& SimWindowServer::addApp(Pid pid, std::string name) {
    if (auto* old = app(pid)) old->terminate();
    allApps_.push_back(std::unique_ptr<SimApp>(new SimApp(this, pid, std::move(name))));
    running_[pid] = allApps_.back().get();
    applicationElement(pid);
    return *allApps_.back();
}

void SimWindowServer::bringAppToFront(Pid pid) {
    std::stable_partition(stacking_.begin(), stacking_.end(), [pid](SimWindow* w) { return w->pid() == pid; });
}

SimApp* SimWindowServer::app(Pid pid) const {
    auto it = running_.find(pid);
    return it == running_.end() ? nullptr : it->second;
}

std::vector<SimApp*> SimWindowServer::apps() const {
    std::vector<SimApp*> out;
    for (auto& [pid, a] : running_) out.push_back(a);
    return out;
}

SimWindow* SimWindowServer::window(const AXElement& e) const {
    auto* n = node(e);
    return n && n->kind == NodeKind::window ? n->window : nullptr;
}

AXElement SimWindowServer::applicationElement(Pid pid) {
    auto it = appHandles_.find(pid);
    if (it != appHandles_.end()) return AXElement::fromHandle(it->second);
    auto e = makeElement({NodeKind::application, pid});
    appHandles_[pid] = e.handle();
    return e;
}

const SimWindowServer::Node* SimWindowServer::node(const AXElement& e) const {
    auto it = nodes_.find(e.handle());
    return it == nodes_.end() ? nullptr : &it->second;
}

AXElement SimWindowServer::makeElement(Node node) {
    const uint64_t handle = nextHandle_++;
    nodes_.emplace(handle, node);
    return AXElement::fromHandle(handle);
}

void SimWindowServer::emit(Pid pid, const AXElement& element, const std::string& notification) {
    for (auto& l : listeners_) l(pid, element, notification);
}

}  // namespace tessane::sim
