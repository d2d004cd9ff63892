#include "platform/sim/SimAccessibility.h"

#include "platform/sim/SimMainQueue.h"

#include <algorithm>

namespace tessane::sim {

using Kind = SimWindowServer::NodeKind;

namespace {

bool isKnownNotification(const std::string& n) {
    return n == ax::kFocusedWindowChanged || n == ax::kMainWindowChanged ||
           n == ax::kWindowCreated || n == ax::kWindowMoved || n == ax::kWindowResized ||
           n == ax::kUIElementDestroyed;
}

AXAttributeResult value(AXValue v) { return {AXError::success, std::move(v)}; }
AXAttributeResult missing() { return {AXError::noValue, {}}; }
AXAttributeResult unsupported() { return {AXError::attributeUnsupported, {}}; }
AXAttributeResult optionalString(const std::optional<std::string>& s) {
    return s ? value(AXValue::string(*s)) : missing();
}

}  // namespace

struct SimAccessibility::ObserverState {
    Pid pid;
    ObserverCallback callback;
    std::set<std::pair<uint64_t, std::string>> registrations;
    bool attached = true;

    bool hears(const AXElement& element, const AXElement& appElement, const std::string& n) const {
        return attached && (registrations.count({element.handle(), n}) ||
                            registrations.count({appElement.handle(), n}));
    }
};

class SimAccessibility::Observer final : public AXObserver {
public:
    Observer(SimAccessibility* owner, std::shared_ptr<ObserverState> state)
        : owner_(owner), ownerAlive_(owner->lifetime_.liveness()), state_(std::move(state)) {}
    ~Observer() override { detach(); }

    AXError addNotification(const AXElement& element, const std::string& notification) override {
        if (!ownerAlive_) return AXError::invalidUIElement;
        return owner_->registerNotification(*state_, element, notification);
    }
    void detach() override {
        state_->attached = false;
        state_->registrations.clear();
    }

private:
    SimAccessibility* owner_;
    Liveness ownerAlive_;
    std::shared_ptr<ObserverState> state_;
};

SimAccessibility::SimAccessibility(SimWindowServer& server, SimMainQueue& queue)
    : server_(server), queue_(queue) {
    server_.addListener(lifetime_.guard(
        [this](Pid pid, const AXElement& element, const std::string& notification) {
            deliver(pid, element, notification);
        }));
}

SimAccessibility::~SimAccessibility() = default;

AXElement SimAccessibility::applicationElement(Pid pid) { return server_.applicationElement(pid); }

std::optional<Pid> SimAccessibility::pid(const AXElement& element) {
    if (auto* n = server_.node(element)) return n->pid;
    return std::nullopt;
}

AXError SimAccessibility::resolve(const AXElement& element, const SimWindowServer::Node*& node) {
    if (element.isNull()) return AXError::illegalArgument;
    node = server_.node(element);
    if (!node) return AXError::invalidUIElement;
    if (node->kind == Kind::application) {
        // Nobody answers for a process that is not running.
        return server_.app(node->pid) ? AXError::success : AXError::cannotComplete;
    }
    if (!node->owner->isRunning()) return AXError::invalidUIElement;
    if (node->kind == Kind::window && node->window->isClosed()) return AXError::invalidUIElement;
    return AXError::success;
}

double SimAccessibility::effectiveTimeout(const AXElement& element, Pid pid) const {
    if (auto it = timeouts_.find(element.handle()); it != timeouts_.end()) return it->second;
    if (auto it = timeouts_.find(server_.applicationElement(pid).handle()); it != timeouts_.end())
        return it->second;
    return kDefaultMessagingTimeout;
}

AXError SimAccessibility::reach(const AXElement& element, const SimWindowServer::Node& node) {
    SimApp* app = node.kind == Kind::application ? server_.app(node.pid) : node.owner;
    const double delay = app ? app->responseDelay() : 0;
    if (delay <= 0) return AXError::success;
    const double timeout = effectiveTimeout(element, node.pid);
    if (delay > timeout) {
        queue_.block(timeout);
        return AXError::cannotComplete;
    }
    queue_.block(delay);
    return AXError::success;
}

AXAttributeResult SimAccessibility::copyAttribute(const AXElement& element,
                                                  std::string_view attribute) {
    if (!trusted_) return {AXError::apiDisabled, {}};
    const SimWindowServer::Node* node = nullptr;
    if (auto e = resolve(element, node); e != AXError::success) return {e, {}};
    if (auto e = reach(element, *node); e != AXError::success) return {e, {}};
    if (onRead) onRead(element, attribute);
    if (auto it = overrides_.find(element.handle()); it != overrides_.end()) {
        if (auto o = it->second.find(attribute); o != it->second.end()) return o->second;
    }
    return read(*node, attribute);
}

AXAttributeResult SimAccessibility::read(const SimWindowServer::Node& node,
                                         std::string_view a) {
    switch (node.kind) {
    case Kind::application: {
        SimApp* app = server_.app(node.pid);
        if (a == ax::kRole) return value(AXValue::string(ax::kRoleApplication));
        if (a == ax::kTitle) return value(AXValue::string(app->name()));
        std::vector<AXElement> windows;
        for (auto* w : app->windows()) windows.push_back(w->element());
        if (a == ax::kWindows) return value(AXValue::elements(windows));
        if (a == ax::kFocusedWindow)
            return app->focusedWindow() ? value(AXValue::element(app->focusedWindow()->element()))
                                        : missing();
        if (a == ax::kMainWindow)
            return app->mainWindow() ? value(AXValue::element(app->mainWindow()->element()))
                                     : missing();
        if (a == ax::kMenuBar)
            return app->hasMenuBar() ? value(AXValue::element(app->menuBarElement())) : missing();
        if (a == ax::kChildren) {
            if (app->hasMenuBar()) windows.push_back(app->menuBarElement());
            return value(AXValue::elements(windows));
        }
        return unsupported();
    }
    case Kind::window: {
        const SimWindow& w = *node.window;
        if (a == ax::kTitle) return optionalString(w.title());
        if (a == ax::kRole) return optionalString(w.role());
        if (a == ax::kSubrole) return optionalString(w.subrole());
        if (a == ax::kIdentifier) return optionalString(w.identifier());
        if (a == ax::kDocument) return optionalString(w.document());
        if (a == ax::kPosition) return value(AXValue::point(w.position()));
        if (a == ax::kSize) return value(AXValue::size(w.size()));
        if (a == ax::kResizeIncrements)
            return w.resizeIncrements() ? value(AXValue::size(*w.resizeIncrements())) : missing();
        if (a == ax::kMinimized) return value(AXValue::boolean(w.isMinimized()));
        if (a == ax::kMain) return value(AXValue::boolean(w.isMain()));
        if (a == ax::kFullScreen) return value(AXValue::boolean(w.isFullScreen()));
        if (a == ax::kChildren) return value(AXValue::array({}));
        return unsupported();
    }
    case Kind::menuBar: {
        if (a == ax::kRole) return value(AXValue::string("AXMenuBar"));
        if (a == ax::kChildren) {
            std::vector<AXElement> items;
            for (auto& m : node.owner->menus()) items.push_back(m->barItemElement());
            return value(AXValue::elements(items));
        }
        return unsupported();
    }
    case Kind::menuBarItem: {
        if (a == ax::kRole) return value(AXValue::string("AXMenuBarItem"));
        if (a == ax::kTitle) return optionalString(node.menu->title());
        if (a == ax::kChildren) return value(AXValue::elements({node.menu->menuElement()}));
        return unsupported();
    }
    case Kind::menu: {
        if (a == ax::kRole) return value(AXValue::string("AXMenu"));
        if (a == ax::kChildren) {
            std::vector<AXElement> items;
            for (auto& i : node.menu->items()) items.push_back(i->element());
            return value(AXValue::elements(items));
        }
        return unsupported();
    }
    case Kind::menuItem: {
        const auto& setup = node.menuItem->setup();
        if (a == ax::kRole) return value(AXValue::string("AXMenuItem"));
        if (a == ax::kTitle) return value(AXValue::string(setup.title));
        if (a == ax::kMenuItemCmdChar) return optionalString(setup.cmdChar);
        if (a == ax::kMenuItemCmdModifiers) return value(AXValue::integer(setup.modifiers));
        if (a == ax::kEnabled) return value(AXValue::boolean(setup.enabled));
        if (a == ax::kChildren) return value(AXValue::array({}));
        return unsupported();
    }
    }
    return unsupported();
}

AXError SimAccessibility::setAttribute(const AXElement& element, std::string_view attribute,
                                       const AXValue& v) {
    AXError result = [&] {
        if (!trusted_) return AXError::apiDisabled;
        const SimWindowServer::Node* node = nullptr;
        if (auto e = resolve(element, node); e != AXError::success) return e;
        if (auto e = reach(element, *node); e != AXError::success) return e;
        if (node->kind != Kind::window) return AXError::attributeUnsupported;
        SimWindow& w = *node->window;
        if (attribute == ax::kPosition) {
            auto p = v.asPoint();
            return p ? w.writePosition(*p) : AXError::illegalArgument;
        }
        if (attribute == ax::kSize) {
            auto s = v.asSize();
            return s ? w.writeSize(*s) : AXError::illegalArgument;
        }
        if (attribute == ax::kMinimized) {
            auto b = v.asBoolean();
            if (!b) return AXError::illegalArgument;
            w.setMinimized(*b);
            return AXError::success;
        }
        if (attribute == ax::kMain) {
            auto b = v.asBoolean();
            if (!b) return AXError::illegalArgument;
            if (*b) w.raise();
            return AXError::success;
        }
        if (attribute == ax::kFullScreen) {
            auto b = v.asBoolean();
            if (!b) return AXError::illegalArgument;
            w.setFullScreen(*b);
            return AXError::success;
        }
        return AXError::attributeUnsupported;
    }();
    writes_.push_back({element, std::string(attribute), v, result});
    return result;
}

AXError SimAccessibility::performAction(const AXElement& element, std::string_view action) {
    if (!trusted_) return AXError::apiDisabled;
    const SimWindowServer::Node* node = nullptr;
    if (auto e = resolve(element, node); e != AXError::success) return e;
    if (auto e = reach(element, *node); e != AXError::success) return e;
    actions_.emplace_back(element, std::string(action));
    if (node->kind == Kind::window && action == ax::kRaise) {
        node->window->raise();
        return AXError::success;
    }
    if (node->kind == Kind::window && action == ax::kRaiseUnfocused) {
        node->window->raiseUnfocused();
        return AXError::success;
    }
    if (node->kind == Kind::menuItem && action == ax::kPress) return node->menuItem->press();
    return AXError::actionUnsupported;
}

AXError SimAccessibility::setMessagingTimeout(const AXElement& element, float seconds) {
    if (element.isNull() || seconds < 0) return AXError::illegalArgument;
    if (seconds == 0)
        timeouts_.erase(element.handle());
    else
        timeouts_[element.handle()] = seconds;
    return AXError::success;
}

bool SimAccessibility::consume(std::map<Pid, Scripted>& table, Pid pid, AXError& error) {
    auto it = table.find(pid);
    if (it == table.end()) return false;
    error = it->second.error;
    if (it->second.times > 0 && --it->second.times == 0) table.erase(it);
    return true;
}

Accessibility::ObserverResult SimAccessibility::createObserver(Pid pid, ObserverCallback callback) {
    if (!trusted_) return {AXError::apiDisabled, nullptr};
    if (pid <= 0 || !callback) return {AXError::illegalArgument, nullptr};
    AXError scripted;
    if (consume(createFailures_, pid, scripted)) return {scripted, nullptr};
    auto state = std::make_shared<ObserverState>();
    state->pid = pid;
    state->callback = std::move(callback);
    observers_.erase(std::remove_if(observers_.begin(), observers_.end(),
                                    [](auto& w) { return w.expired(); }),
                     observers_.end());
    observers_.push_back(state);
    ++created_[pid];
    return {AXError::success, std::make_unique<Observer>(this, std::move(state))};
}

AXError SimAccessibility::registerNotification(ObserverState& state, const AXElement& element,
                                               const std::string& notification) {
    if (!state.attached) return AXError::invalidUIElement;
    if (!trusted_) return AXError::apiDisabled;
    const SimWindowServer::Node* node = nullptr;
    if (auto e = resolve(element, node); e != AXError::success) return e;
    if (node->pid != state.pid) return AXError::illegalArgument;
    AXError scripted;
    if (consume(registrationFailures_, state.pid, scripted)) return scripted;
    if (auto e = reach(element, *node); e != AXError::success) return e;
    if (!isKnownNotification(notification)) return AXError::notificationUnsupported;
    if (!state.registrations.insert({element.handle(), notification}).second)
        return AXError::notificationAlreadyRegistered;
    return AXError::success;
}

void SimAccessibility::deliver(Pid pid, const AXElement& element, const std::string& notification) {
    const AXElement appElement = server_.applicationElement(pid);
    for (auto& weak : observers_) {
        auto state = weak.lock();
        if (!state || state->pid != pid || !state->hears(element, appElement, notification))
            continue;
        // Delivered later on the main queue, and only if the registration still stands then.
        queue_.post([weak, element, appElement, notification] {
            auto s = weak.lock();
            if (!s || !s->hears(element, appElement, notification)) return;
            auto callback = s->callback;  // the callback may detach its own observer
            callback(element, notification);
        });
    }
}

bool SimAccessibility::isProcessTrustedWithPrompt(bool prompt) {
    if (prompt && !trusted_ && !replacing_) ++prompts_;
    return trusted_;
}

bool SimAccessibility::awaitWindowControl(std::function<void()> settled) {
    if (!replacing_) return false;
    awaitingReplacement_.push_back(std::move(settled));
    return true;
}

void SimAccessibility::beginReplacement() {
    replacing_ = true;
    trusted_ = false;
}

void SimAccessibility::endReplacement(bool trusted) {
    replacing_ = false;
    trusted_ = trusted;
    for (auto& settled : std::exchange(awaitingReplacement_, {})) queue_.post(std::move(settled));
}

std::optional<uint32_t> SimAccessibility::windowNumber(const AXElement& element) {
    if (!windowNumbers_) return std::nullopt;
    auto* w = server_.window(element);
    if (!w || w->isClosed()) return std::nullopt;
    return w->number();
}

void SimAccessibility::failAttribute(const AXElement& element, const std::string& attribute,
                                     AXError error) {
    overrides_[element.handle()][attribute] = {error, {}};
}

void SimAccessibility::overrideAttribute(const AXElement& element, const std::string& attribute,
                                         AXValue v) {
    overrides_[element.handle()][attribute] = {AXError::success, std::move(v)};
}

void SimAccessibility::failObserverCreation(Pid pid, AXError error, int times) {
    if (times == 0) {
        createFailures_.erase(pid);
        return;
    }
    createFailures_[pid] = {error, times};
}

void SimAccessibility::failRegistrations(Pid pid, AXError error, int times) {
    if (times == 0) {
        registrationFailures_.erase(pid);
        return;
    }
    registrationFailures_[pid] = {error, times};
}

size_t SimAccessibility::writeCount(const AXElement& element, std::string_view attribute) const {
    return std::count_if(writes_.begin(), writes_.end(), [&](const Write& w) {
        return w.element == element && w.attribute == attribute;
    });
}

std::vector<std::string> SimAccessibility::performedActions(const AXElement& element) const {
    std::vector<std::string> out;
    for (auto& [e, a] : actions_)
        if (e == element) out.push_back(a);
    return out;
}

float SimAccessibility::messagingTimeout(const AXElement& element) const {
    auto it = timeouts_.find(element.handle());
    return it == timeouts_.end() ? 0.0f : it->second;
}

size_t SimAccessibility::liveObserverCount() const {
    size_t n = 0;
    for (auto& w : observers_)
        if (auto s = w.lock(); s && s->attached) ++n;
    return n;
}

size_t SimAccessibility::registrationCount(Pid pid) const {
    size_t n = 0;
    for (auto& w : observers_)
        if (auto s = w.lock(); s && s->attached && s->pid == pid) n += s->registrations.size();
    return n;
}

int SimAccessibility::observersCreated(Pid pid) const {
    auto it = created_.find(pid);
    return it == created_.end() ? 0 : it->second;
}

}  // namespace tessane::sim
