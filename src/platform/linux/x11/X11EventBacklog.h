#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <unordered_map>
#include <utility>

namespace tessane::linux_backend {

// The events taken from the server ahead of their turn (for the read model, which must never
// answer behind what the server said) and not yet handed to the listeners, in order. A client
// that floods the server with changes of the same window or property leaves one of them here:
// the listeners only ever read the state the last one tells of.
class X11EventBacklog {
public:
    using Raw = std::array<long, 24>;  // an XEvent, which stays out of this header
    // What makes two events of a window the same news: the later one makes the earlier one moot.
    struct Key {
        int type = 0;
        unsigned long eventWindow = 0;
        unsigned long atom = 0;
        bool synthetic = false;
        bool operator==(const Key&) const = default;
    };
    // What a flood cost: the events about windows' structure and properties the server sent, those
    // handed to the listeners, those folded into a later one, those dropped over the bound, and
    // the times what was dropped had everything derived from windows read again.
    struct Counts {
        uint64_t read = 0;
        uint64_t kept = 0;
        uint64_t coalesced = 0;
        uint64_t dropped = 0;
        uint64_t resyncs = 0;
    };

    bool empty() const { return held_.empty(); }
    size_t size() const { return held_.size(); }
    // Appends an event about `window`. A `coalescing` one takes the place of the last event held
    // about the same window, heard on the same window, when that one has the same key: nothing
    // else heard there of the window lies between them, so the order a listener of that window
    // hears is kept.
    void push(const Raw& event, unsigned long window, const Key& key, bool coalescing);
    Raw pop();
    // Every event held, oldest first, and none held afterwards.
    template <typename F>
    void drain(F&& each) {
        while (!held_.empty()) each(pop());
    }
    // The memory a worked-off backlog took, given back.
    void release();

    Counts counts;
    // The events in hand (Xlib's and ours) over which what the root hears of other programs'
    // windows is dropped and read again instead: some 15 MB of them, Xlib's copies and ours.
    static constexpr size_t kBound = size_t{1} << 15;
    // An event dropped over the bound: the read model is to make up for it.
    void dropped() {
        ++counts.dropped;
        unsettled_ = true;
    }
    // Whether drops are to be made up for now (once for a run of them); the listeners are then
    // owed a word of it, which takeResync hands out once.
    bool settle() {
        if (!std::exchange(unsettled_, false)) return false;
        ++counts.resyncs;
        resyncOwed_ = true;
        return true;
    }
    bool resyncOwed() const { return resyncOwed_; }
    bool takeResync() { return std::exchange(resyncOwed_, false); }

    // The most events held at once since memory was last given back, and how often it was.
    static constexpr size_t kWorthReleasing = 4096;
    size_t peak = 0;
    uint64_t releases = 0;

private:
    bool unsettled_ = false;
    bool resyncOwed_ = false;
    struct Held {
        Raw event;
        unsigned long window = 0;
        Key key;
        bool coalescing = false;
    };
    struct Heard {
        unsigned long window = 0;
        unsigned long eventWindow = 0;
        bool operator==(const Heard&) const = default;
    };
    struct HeardHash {
        size_t operator()(const Heard& h) const {
            return std::hash<unsigned long>()(h.window * 0x9E3779B97F4A7C15ULL ^ h.eventWindow);
        }
    };
    std::deque<Held> held_;
    uint64_t first_ = 0;  // the sequence number of held_.front()
    // The sequence number of the last event held about a window, heard on a window.
    std::unordered_map<Heard, uint64_t, HeardHash> lastAbout_;
};

}  // namespace tessane::linux_backend
