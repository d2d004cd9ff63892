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

void SimPanel::setKeyHandler(std::function<void(PanelKey)> handler) { key_ = std::move(handler); }

bool SimPanel::takesPointerAt(Point p) const {
    if (options_.ignoresMouse || !frame_.contains(p)) return false;
    if (!inputArea_) return true;
    const Point local{p.x - frame_.minX(), p.y - frame_.minY()};
    return std::any_of(inputArea_->begin(), inputArea_->end(), [&](const Rect& r) { return r.contains(local); });
}

void SimPanel::deliverKey(PanelKey key) {
    if (!options_.canTakeFocus || !key_) return;
    auto handler = key_;
    handler(key);
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

Size SimPanels::measureText(const PanelText& text, double maxWidth) const {
    // Words with their widths; a space is one character of the face around it.
    struct Word {
        double width = 0;
        double spaceAfter = 0;
    };
    std::vector<Word> words(1);
    for (const TextRun& run : text.runs) {
        const double advance = text.size * (run.bold ? 0.55 : 0.5);
        for (unsigned char c : run.text) {
            if ((c & 0xC0) == 0x80) continue;  // inside one character
            if (c == ' ') {
                words.back().spaceAfter = advance;
                words.emplace_back();
            } else {
                words.back().width += advance;
            }
        }
    }
    const double lineHeight = text.size * 1.25;
    int lines = 1;
    double line = 0, widest = 0, pendingSpace = 0;
    bool lineEmpty = true;
    for (const Word& w : words) {
        if (text.wraps && !lineEmpty && line + pendingSpace + w.width > maxWidth) {
            widest = std::max(widest, line);
            ++lines;
            line = 0;
            lineEmpty = true;
        }
        line += (lineEmpty ? 0 : pendingSpace) + w.width;
        lineEmpty = false;
        // A word wider than the line breaks where the line ends.
        while (text.wraps && line > maxWidth && maxWidth > 0) {
            widest = maxWidth;
            line -= maxWidth;
            ++lines;
        }
        pendingSpace = w.spaceAfter;
    }
    widest = std::max(widest, line);
    return {widest, lines * lineHeight};
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
        if ((*it)->takesPointerAt(p)) return *it;
    return nullptr;
}

}  // namespace tessane::sim
