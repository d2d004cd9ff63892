#include "platform/qt/QtMainQueue.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <map>

namespace tessane::qt_backend {

namespace {

double monotonicSeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

struct QtMainQueue::Impl : std::enable_shared_from_this<Impl> {
    struct Entry {
        std::function<void()> work;
        double interval = 0;  // > 0: repeating
        bool cancelled = false;
    };
    using Key = std::pair<double, uint64_t>;

    std::map<Key, std::shared_ptr<Entry>> queue;
    uint64_t seq = 0;
    QTimer timer;
    bool discarding = false;

    void schedule(double due, const std::shared_ptr<Entry>& entry) {
        if (discarding) {
            entry->cancelled = true;
            return;
        }
        queue.emplace(Key{due, seq++}, entry);
        arm();
    }

    void arm() {
        while (!queue.empty() && queue.begin()->second->cancelled) queue.erase(queue.begin());
        if (queue.empty()) {
            timer.stop();
            return;
        }
        // Work due further away than a timer can wait (about 24 days) wakes the loop early;
        // runDue() finds nothing due then and arms again.
        const double wait = queue.begin()->first.first - monotonicSeconds();
        constexpr double kLongestWaitMs = std::numeric_limits<int>::max();
        const double ms = wait <= 0 ? 0 : std::min(std::ceil(wait * 1000.0), kLongestWaitMs);
        timer.start(static_cast<int>(ms));
    }

    // Runs again inside a nested event loop that a piece of work opens (a modal alert): the
    // rest of the queue (hot keys among it) must not wait until that work returns. A repeating
    // timer whose tick is still running is put back only when the tick returns, so that it never
    // runs inside itself.
    void runDue() {
        // Work posted while this runs waits for the next turn of the loop, so that input and
        // painting are never starved by work that keeps posting more work.
        const uint64_t lastSeq = seq;
        const double now = monotonicSeconds();
        arm();  // for what remains, should a piece of work below nest a loop
        while (!queue.empty() && !discarding) {
            auto it = queue.begin();
            if (it->first.first > now) break;
            auto next = it;
            while (next != queue.end() && next->first.second >= lastSeq) ++next;
            if (next == queue.end() || next->first.first > now) break;
            auto key = next->first;
            auto entry = next->second;
            queue.erase(next);
            if (entry->cancelled) continue;
            auto keepAlive = shared_from_this();
            entry->work();
            if (entry->interval > 0 && !entry->cancelled) {
                double due = key.first + entry->interval;
                const double after = monotonicSeconds();
                if (due <= after) due = after + entry->interval;
                queue.emplace(Key{due, seq++}, entry);
            }
        }
        arm();
    }
};

namespace {

class QtWorkItem final : public WorkItem {
public:
    QtWorkItem(std::shared_ptr<void> entry, bool* cancelled)
        : entry_(std::move(entry)), cancelled_(cancelled) {}
    void cancel() override { *cancelled_ = true; }
    bool isCancelled() const override { return *cancelled_; }

private:
    std::shared_ptr<void> entry_;  // keeps the flag alive
    bool* cancelled_;
};

class QtRepeatingTimer final : public RepeatingTimer {
public:
    QtRepeatingTimer(std::shared_ptr<void> entry, bool* cancelled)
        : entry_(std::move(entry)), cancelled_(cancelled) {}
    void invalidate() override { *cancelled_ = true; }
    bool isValid() const override { return !*cancelled_; }

private:
    std::shared_ptr<void> entry_;
    bool* cancelled_;
};

}  // namespace

QtMainQueue::QtMainQueue() : impl_(std::make_shared<Impl>()) {
    impl_->timer.setSingleShot(true);
    impl_->timer.setTimerType(Qt::PreciseTimer);
    std::weak_ptr<Impl> weak = impl_;
    QObject::connect(&impl_->timer, &QTimer::timeout, [weak] {
        if (auto impl = weak.lock()) impl->runDue();
    });
}

QtMainQueue::~QtMainQueue() {
    impl_->timer.stop();
    for (auto& [key, entry] : impl_->queue) entry->cancelled = true;
    impl_->queue.clear();
}

void QtMainQueue::discardPending() {
    impl_->discarding = true;
    impl_->timer.stop();
    for (auto& [key, entry] : impl_->queue) entry->cancelled = true;
    impl_->queue.clear();
}

TimeInterval QtMainQueue::now() const {
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count();
}

void QtMainQueue::post(std::function<void()> work) { postAfter(0, std::move(work)); }

void QtMainQueue::postFromAnyThread(std::function<void()> work) {
    // Qt delivers a queued call to the thread of the object it is sent to: the timer lives on
    // the main thread. The queue may be gone by the time it runs.
    std::weak_ptr<Impl> weak = impl_;
    QMetaObject::invokeMethod(
        &impl_->timer,
        [weak, work = std::move(work)]() mutable {
            if (auto impl = weak.lock()) {
                auto entry = std::make_shared<Impl::Entry>();
                entry->work = std::move(work);
                impl->schedule(monotonicSeconds(), entry);
            }
        },
        Qt::QueuedConnection);
}

std::shared_ptr<WorkItem> QtMainQueue::postAfter(double seconds, std::function<void()> work) {
    auto entry = std::make_shared<Impl::Entry>();
    entry->work = std::move(work);
    impl_->schedule(monotonicSeconds() + std::max(0.0, seconds), entry);
    return std::make_shared<QtWorkItem>(entry, &entry->cancelled);
}

std::shared_ptr<RepeatingTimer> QtMainQueue::scheduleRepeating(double interval,
                                                               std::function<void()> tick) {
    auto entry = std::make_shared<Impl::Entry>();
    entry->work = std::move(tick);
    entry->interval = std::max(interval, 0.001);
    impl_->schedule(monotonicSeconds() + entry->interval, entry);
    return std::make_shared<QtRepeatingTimer>(entry, &entry->cancelled);
}

Subscription QtMainQueue::watchReadable(int fd, std::function<void()> onReadable) {
    auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read);
    QObject::connect(notifier, &QSocketNotifier::activated,
                     [callback = std::move(onReadable)] { callback(); });
    return Subscription([notifier] {
        notifier->setEnabled(false);
        notifier->deleteLater();
    });
}

Subscription QtMainQueue::beforeWaiting(std::function<void()> hook) {
    auto* dispatcher = QAbstractEventDispatcher::instance();
    if (!dispatcher) return {};
    auto connection = QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock,
                                       [h = std::move(hook)] { h(); });
    return Subscription([connection] { QObject::disconnect(connection); });
}

void QtMainQueue::runNested(double seconds) {
    runUntil([] { return false; }, seconds);
}

bool QtMainQueue::runUntil(const std::function<bool()>& done, double timeoutSeconds) {
    QElapsedTimer clock;
    clock.start();
    const qint64 limitMs = static_cast<qint64>(timeoutSeconds * 1000);
    // Wakes the loop now and then so that the condition and the time limit are checked even
    // when nothing else happens; each turn waits for input like the application's own loop.
    QTimer wake;
    wake.start(20);
    while (!done()) {
        if (clock.elapsed() >= limitMs) return done();
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

}  // namespace tessane::qt_backend
