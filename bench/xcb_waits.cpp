// A library to preload into a process (LD_PRELOAD) to count its X round trips on every connection,
// also those a toolkit opens: each wait for a reply is noted, and whether the reply had come by
// then (it was read along with another; no round trip) or was waited for (a round trip).
// One line per wait goes to the file named by XCB_WAITS_LOG, from processes whose name begins
// with XCB_WAITS_PROCESS (default "tessane"):
//   <pid> <monotonic seconds> <connection's resource-id base, hex> waited|ready
// Used for bench/README.md's round trips on Qt's connection, e.g.
//   XCB_WAITS_LOG=/tmp/waits LD_PRELOAD=build/bench/libxcb_waits.so build/bench/app_runs_bench 1 1
#include "PreloadTarget.h"

#include <xcb/xcb.h>

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <unistd.h>

namespace {

std::mutex lock;
FILE* out = nullptr;
int wanted = -1;  // whether this process is one to note

void note(xcb_connection_t* c, bool waited) {
    const char* path = std::getenv("XCB_WAITS_LOG");
    if (!path) return;
    const std::lock_guard guard(lock);
    if (wanted < 0) wanted = tessane::bench::isPreloadTarget("XCB_WAITS_PROCESS");
    if (!wanted) return;
    if (!out && !(out = std::fopen(path, "a"))) return;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const xcb_setup_t* setup = xcb_get_setup(c);
    std::fprintf(out, "%d %.6f %x %s\n", static_cast<int>(getpid()), now.tv_sec + now.tv_nsec / 1e9,
                 setup ? setup->resource_id_base : 0u, waited ? "waited" : "ready");
    std::fflush(out);
}

template <typename Sequence>
void* wait(const char* waitName, const char* pollName, xcb_connection_t* c, Sequence request,
           xcb_generic_error_t** e) {
    using Wait = void* (*)(xcb_connection_t*, Sequence, xcb_generic_error_t**);
    using Poll = int (*)(xcb_connection_t*, Sequence, void**, xcb_generic_error_t**);
    static const auto real = reinterpret_cast<Wait>(dlsym(RTLD_NEXT, waitName));
    static const auto poll = reinterpret_cast<Poll>(dlsym(RTLD_NEXT, pollName));
    void* reply = nullptr;
    xcb_generic_error_t* error = nullptr;
    if (poll && poll(c, request, &reply, &error)) {
        note(c, false);
        if (e) *e = error;
        else std::free(error);
        return reply;
    }
    note(c, true);
    return real(c, request, e);
}

}  // namespace

extern "C" void* xcb_wait_for_reply(xcb_connection_t* c, unsigned int request, xcb_generic_error_t** e) {
    return wait("xcb_wait_for_reply", "xcb_poll_for_reply", c, request, e);
}

extern "C" void* xcb_wait_for_reply64(xcb_connection_t* c, uint64_t request, xcb_generic_error_t** e) {
    return wait("xcb_wait_for_reply64", "xcb_poll_for_reply64", c, request, e);
}
