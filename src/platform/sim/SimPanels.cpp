#include "platform/sim/SimPanels.h"

#include <algorithm>
#include <sstream>

namespace tessane::sim {

namespace {
std::string describe(const Rect& r) {
    std::ostringstream os;
    os << '(' << r.origin.x << ", " << r.origin.y << ", " << r.size.width << ", " << r.size.height << ')';
    return os.str();
}
}  // namespace

SimPanel::SimPanel(SimPanels& owner, int id, PanelOptions options)
    : owner_(owner), id_(id), options_(std::move(options)), shadow_(options_.hasShadow) {}

SimPanel::~SimPanel() {
    *alive_ = false;
    record("destroy");
    auto& all = owner_.panels_;
    all.erase(std::remove(all.begin(), all.end(), this), all.end());
}

void SimPanel::record(const std::string& call) {
    if (!owner_.journalEnabled_) return;
    owner_.journal_.push_back(options_.name + "#" + std::to_string(id_) + " " + call);
}

void SimPanel::setFrame(const Rect& frame) {
    frame_ = frame;
    if (owner_.journalEnabled_) record("setFrame " + describe(frame));
}

void SimPanel::orderFront() {
    visible_ = true;
    frontSequence_ = ++owner_.frontSequence_;
    record("orderFront");
}

void SimPanel::orderOut() {
    visible_ = false;
    record("orderOut");
}

void SimPanel::setAlpha(double alpha) {
    alpha_ = alpha;
    std::ostringstream os;
    os << "setAlpha " << alpha;
    record(os.str());
}

void SimPanel::setHasShadow(bool hasShadow) {
    shadow_ = hasShadow;
    record(hasShadow ? "setHasShadow true" : "setHasShadow false");
}

void SimPanel::setDrawing(PanelDrawing drawing) {
    drawing_ = std::move(drawing);
    ++drawCount_;
    record("draw");
}

void SimPanel::setCursor(PanelCursor cursor) { cursor_ = cursor; }

void SimPanel::setInputHandler(std::function<void(const PanelInput&)> handler) {
    input_ = std::move(handler);
}

void SimPanel::deliver(const PanelInput& input) {
    if (options_.ignoresMouse || !input_) return;
    auto handler = input_;  // the handler may replace itself or destroy the panel
    handler(input);
}

std::unique_ptr<Panel> SimPanels::makePanel(const PanelOptions& options) {
    auto panel = std::make_unique<SimPanel>(*this, nextId_++, options);
    panels_.push_back(panel.get());
    journal_.push_back(options.name + "#" + std::to_string(panel->id()) + " make level " +
                       std::to_string(options.level));
    return panel;
}

std::vector<SimPanel*> SimPanels::panelsNamed(const std::string& name) const {
    std::vector<SimPanel*> out;
    for (auto* p : panels_)
        if (p->options().name == name) out.push_back(p);
    return out;
}

std::vector<SimPanel*> SimPanels::stackingOrder() const {
    std::vector<SimPanel*> out;
    for (auto* p : panels_)
        if (p->isVisible()) out.push_back(p);
    std::sort(out.begin(), out.end(), [](const SimPanel* a, const SimPanel* b) {
        if (a->options().level != b->options().level) return a->options().level < b->options().level;
        return a->frontSequence() < b->frontSequence();
    });
    return out;
}

SimPanel* SimPanels::panelAt(Point p) const {
    auto order = stackingOrder();
    for (auto it = order.rbegin(); it != order.rend(); ++it)
        if (!(*it)->options().ignoresMouse && (*it)->frame().contains(p)) return *it;
    return nullptr;
}

}  // namespace tessane::sim
