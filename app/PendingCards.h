#pragma once

// Stand-ins for the notice and tips cards and the workspace switcher until their real panels are
// wired: they show nothing and say so once each, so the controller runs and the log is honest.
#include "controller/NoticeChrome.h"
#include "controller/SwitcherChrome.h"
#include "controller/TipsChrome.h"
#include "model/Log.h"

#include <string>

namespace tessane::app {

inline void notYet(bool& said, const char* member) {
    if (said) return;
    said = true;
    Log::line(std::string("[Tessane] not yet: ") + member);
}

class PendingNotice final : public NoticeChrome {
public:
    void show(const std::optional<std::string>&, const std::string&, const std::optional<std::string>&, const Rect&,
              std::optional<double>, std::function<void()>) override {
        notYet(said_, "notice card");
    }
    void close() override {}
    bool hasPanel() const override { return false; }
    std::optional<std::string> shownContent() const override { return std::nullopt; }

private:
    bool said_ = false;
};

class PendingTips final : public TipsChrome {
public:
    void show(const Rect&) override { notYet(said_, "tips card"); }
    bool hasPanel() const override { return false; }
    void close() override {}

private:
    bool said_ = false;
};

class PendingSwitcher final : public SwitcherChrome {
public:
    void show(const std::vector<WorkspaceSwitcherItem>& items, int) override {
        notYet(said_, "switcher panel");
        items_ = items;
    }
    void select(int) override {}
    void layout() override {}
    void close() override {}
    bool isOpen() const override { return false; }
    const std::vector<WorkspaceSwitcherItem>& items() const override { return items_; }

private:
    bool said_ = false;
    std::vector<WorkspaceSwitcherItem> items_;
};

}  // namespace tessane::app
