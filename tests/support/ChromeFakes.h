#pragma once

#include "controller/ContainerChrome.h"
#include "controller/GlobalInput.h"
#include "controller/NoticeChrome.h"
#include "controller/PaneMatChrome.h"
#include "controller/SwitcherChrome.h"
#include "controller/TipsChrome.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tessane::testing {

// Recording stand-ins for the chrome. Each fake keeps what it was told in a shared record, so a
// test can still read it after the controller dropped the fake (a torn-down session's chrome).

struct ChromeRecord {
    ContainerChromeCallbacks callbacks;
    bool hasHeaderPanel = false;
    Rect containerCocoaRect;
    std::optional<Rect> preMaximizeFrame;
    bool isMaximized = false;
    bool dividersHidden = false;
    bool isSoloed = false;
    bool isVisible = false;
    std::string currentTitle;
    LayoutType currentLayoutType = LayoutType::leftRightSplit;
    int currentAppCount = 2;
    std::vector<double> currentRatios;
    std::vector<Bytes> currentAppIcons;
    bool shieldsHidden = false;
    bool matVisible = false;
    bool destroyed = false;
    // Every operation and field write, in order: "orderFront", "setDividersHidden(true)", ...
    std::vector<std::string> calls;
    // Run as the chrome is ordered front, to look at the desktop at that moment.
    std::function<void()> onOrderFront;

    size_t count(const std::string& call) const;
};

class FakePaneMat final : public PaneMatChrome {
public:
    explicit FakePaneMat(std::shared_ptr<ChromeRecord> record) : record_(std::move(record)) {}
    void setShieldsHidden(bool hidden) override;
    bool shieldsHidden() const override { return record_->shieldsHidden; }

private:
    std::shared_ptr<ChromeRecord> record_;
};

class FakeContainerChrome final : public ContainerChrome {
public:
    explicit FakeContainerChrome(std::shared_ptr<ChromeRecord> record) : record_(record), mat_(record) {}
    ~FakeContainerChrome() override { record_->destroyed = true; }

    const std::shared_ptr<ChromeRecord>& record() const { return record_; }

    ContainerChromeCallbacks& callbacks() override { return record_->callbacks; }
    bool hasHeaderPanel() const override { return record_->hasHeaderPanel; }
    void makeRailPanel() override;
    Rect containerCocoaRect() const override { return record_->containerCocoaRect; }
    void setContainerCocoaRect(const Rect& rect) override;
    std::optional<Rect> preMaximizeFrame() const override { return record_->preMaximizeFrame; }
    void setPreMaximizeFrame(const std::optional<Rect>& rect) override { record_->preMaximizeFrame = rect; }
    bool isMaximized() const override { return record_->isMaximized; }
    void setIsMaximized(bool maximized) override { record_->isMaximized = maximized; }
    bool dividersHidden() const override { return record_->dividersHidden; }
    void setDividersHidden(bool hidden) override;
    bool isSoloed() const override { return record_->isSoloed; }
    void setIsSoloed(bool soloed) override;
    bool isVisible() const override { return record_->isVisible; }
    const std::string& currentTitle() const override { return record_->currentTitle; }
    void setCurrentTitle(const std::string& title) override { record_->currentTitle = title; }
    LayoutType currentLayoutType() const override { return record_->currentLayoutType; }
    void setCurrentLayoutType(LayoutType type) override { record_->currentLayoutType = type; }
    int currentAppCount() const override { return record_->currentAppCount; }
    void setCurrentAppCount(int count) override { record_->currentAppCount = count; }
    const std::vector<double>& currentRatios() const override { return record_->currentRatios; }
    void setCurrentRatios(const std::vector<double>& ratios) override { record_->currentRatios = ratios; }
    void setCurrentAppIcons(const std::vector<Bytes>& icons) override { record_->currentAppIcons = icons; }
    PaneMatChrome& paneMat() override { return mat_; }
    void applyGeometry(bool movingHeader) override;
    void orderFront() override;
    void orderOut() override;
    void toggleMaximize() override { note("toggleMaximize"); }
    void refreshClickShield() override { note("refreshClickShield"); }
    void positionDividerPanels() override { note("positionDividerPanels"); }
    void syncRatios(const std::vector<double>& ratios) override;
    void endDividerSettle() override { note("endDividerSettle"); }
    void showDropPreview(int paneIndex, const Rect&, const Bytes&) override;
    void hideDropPreview() override { note("hideDropPreview"); }
    void confirmSwap(const std::vector<ChromePanePreview>&, double) override { note("confirmSwap"); }
    std::unique_ptr<ChromeMenu> workspaceActionsMenu(MenuScope scope) override;

private:
    void note(std::string call) { record_->calls.push_back(std::move(call)); }
    std::shared_ptr<ChromeRecord> record_;
    FakePaneMat mat_;
};

struct NoticeRecord {
    struct Shown {
        std::optional<std::string> title;
        std::string message;
        std::optional<std::string> actionTitle;
        Rect nearContainerCocoaRect;
        std::optional<double> dismissAfter;
        std::function<void()> action;
    };
    std::vector<Shown> shown;
    bool hasPanel = false;
    int closes = 0;
};

class FakeNoticeChrome final : public NoticeChrome {
public:
    explicit FakeNoticeChrome(std::shared_ptr<NoticeRecord> record) : record_(std::move(record)) {}
    void show(const std::optional<std::string>& title, const std::string& message,
              const std::optional<std::string>& actionTitle, const Rect& nearContainerCocoaRect,
              std::optional<double> dismissAfter, std::function<void()> action) override;
    void close() override;
    bool hasPanel() const override { return record_->hasPanel; }
    std::optional<std::string> shownContent() const override;

private:
    std::shared_ptr<NoticeRecord> record_;
};

struct TipsRecord {
    bool hasPanel = false;
    int shows = 0;
    int closes = 0;
    Rect near;  // the container the last show was beside
};

class FakeTipsChrome final : public TipsChrome {
public:
    explicit FakeTipsChrome(std::shared_ptr<TipsRecord> record) : record_(std::move(record)) {}
    void show(const Rect& nearContainerCocoaRect) override {
        record_->hasPanel = true;
        record_->near = nearContainerCocoaRect;
        ++record_->shows;
    }
    bool hasPanel() const override { return record_->hasPanel; }
    void close() override {
        if (record_->hasPanel) ++record_->closes;
        record_->hasPanel = false;
    }

private:
    std::shared_ptr<TipsRecord> record_;
};

struct SwitcherRecord {
    std::vector<WorkspaceSwitcherItem> items;
    int selected = -1;
    bool isOpen = false;
    std::vector<std::string> calls;
};

class FakeSwitcherChrome final : public SwitcherChrome {
public:
    explicit FakeSwitcherChrome(std::shared_ptr<SwitcherRecord> record) : record_(std::move(record)) {}
    void show(const std::vector<WorkspaceSwitcherItem>& items, int selected) override;
    void select(int index) override;
    void layout() override { record_->calls.push_back("layout"); }
    void close() override;
    bool isOpen() const override { return record_->isOpen; }
    const std::vector<WorkspaceSwitcherItem>& items() const override { return record_->items; }

private:
    std::shared_ptr<SwitcherRecord> record_;
};

// Global monitors and the pointer, scripted: a test sends events to the monitors whose mask
// takes them, moves the pointer, holds the button, or makes the system refuse monitors.
class FakeGlobalInput final : public GlobalInput {
public:
    std::optional<Token> addGlobalMonitor(uint64_t mask, std::function<void(const Event&)> handler) override;
    void removeMonitor(Token token) override;
    Point mouseLocation() const override { return pointer; }
    bool isMouseButtonDown() const override { return buttonDown; }

    // Delivers to every live monitor whose mask has `kind`.
    void send(uint64_t kind, uint64_t modifierFlags = 0);
    size_t liveMonitors() const { return monitors_.size(); }
    size_t liveMonitors(uint64_t mask) const;
    int added() const { return added_; }
    int removed() const { return removed_; }

    Point pointer;
    bool buttonDown = false;
    bool refuseMonitors = false;

private:
    struct Monitor {
        uint64_t mask;
        std::function<void(const Event&)> handler;
    };
    std::map<Token, Monitor> monitors_;
    Token next_ = 1;
    int added_ = 0;
    int removed_ = 0;
};

}  // namespace tessane::testing
