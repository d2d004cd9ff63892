#include "support/Waiting.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace tessane::testing {
namespace {

std::vector<const std::function<void()>*>& turns() {
    static std::vector<const std::function<void()>*> all;
    return all;
}

void readTheTestsOwn() {
    for (const auto* turn : std::vector(turns())) (*turn)();
}

void turnTheLoop() {
    if (QCoreApplication::instance()) {
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    } else {
        std::this_thread::sleep_for(5ms);
    }
}

}  // namespace

bool waitFor(const std::function<bool()>& condition, const Bound& bound, Turning turning) {
    const auto deadline = std::chrono::steady_clock::now() + bound.limit;
    for (;;) {
        if (turning == Turning::eventSources) readTheTestsOwn();
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= deadline) break;
        if (turning == Turning::eventSources)
            turnTheLoop();
        else
            std::this_thread::sleep_for(5ms);
    }
    static std::set<std::string_view> told;
    if (told.insert(bound.name).second)
        std::fprintf(stderr, "[test] gave up waiting for %.*s after %lld ms\n", static_cast<int>(bound.name.size()),
                 bound.name.data(), static_cast<long long>(bound.limit.count()));
    return false;
}

void keepTurning(std::chrono::milliseconds period) {
    const auto until = std::chrono::steady_clock::now() + period;
    while (std::chrono::steady_clock::now() < until) {
        readTheTestsOwn();
        turnTheLoop();
    }
}

EachWaitTurn::EachWaitTurn(std::function<void()> turn) : turn_(std::move(turn)) { turns().push_back(&turn_); }

EachWaitTurn::~EachWaitTurn() { std::erase(turns(), &turn_); }

}  // namespace tessane::testing
