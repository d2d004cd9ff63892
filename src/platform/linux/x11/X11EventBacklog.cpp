// Memory a backlog of events took, given back once it is worked off. Another client flooding the
// server (windows made and destroyed without pause) can leave tens of thousands of events in hand
// at once, the price of reading up to the answer of one request. Xlib keeps every element its
// queue ever held on a free list of its own for reuse, and the allocator keeps what was freed:
// without this the process stays at its largest backlog for as long as it runs.
#include "platform/linux/x11/X11Connection.h"

#include <X11/Xlib.h>
#include <X11/Xlibint.h>
// Xlibint's own.
#undef min
#undef max

#include <malloc.h>

#include <algorithm>

namespace tessane::linux_backend {

void X11Connection::noteBacklog() {
    if (!usable()) return;
    backlogPeak_ = std::max(backlogPeak_, drained_.size() + static_cast<size_t>(XEventsQueued(display_, QueuedAlready)));
}

void X11Connection::releaseBacklog(size_t handedOut) {
    // Worked off: a call that found little in hand after one that found a backlog. While a flood
    // goes on each call finds about as much, and what was freed is taken again at once.
    if (backlogPeak_ < kBacklogWorthReleasing || handedOut > backlogPeak_ / 16 || !usable()) return;
    backlogPeak_ = 0;
    ++backlogReleases_;
    if (drained_.empty()) std::deque<std::array<long, 24>>().swap(drained_);
    LockDisplay(display_);
    for (_XQEvent* element = display_->qfree; element;) {
        _XQEvent* next = element->next;
        Xfree(element);
        element = next;
    }
    display_->qfree = nullptr;
    UnlockDisplay(display_);
    malloc_trim(0);
}

}  // namespace tessane::linux_backend
