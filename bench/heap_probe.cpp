// A library to preload into a process (LD_PRELOAD) to read its heap from outside, when asked and
// only then: each byte written to the FIFO named by HEAP_PROBE_FIFO appends one line to the file
// named by HEAP_PROBE_LOG, in processes whose name begins with HEAP_PROBE_PROCESS (default
// "tessane"; the programs it starts are left alone):
//   <pid> <bytes in use> <bytes held from the system>
// In use is what malloc has handed out and not had back (mallinfo2: every arena's chunks in use
// and the blocks mapped on their own); held is what the arenas took from the system, free chunks
// included. The thread that answers sleeps in read() between questions: no wake-ups of its own.
// Used by app_runs_bench's `cycles` (the heap over many hides and shows).
#include "PreloadTarget.h"

#include <fcntl.h>
#include <malloc.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

void* answer(void*) {
    const char* fifo = std::getenv("HEAP_PROBE_FIFO");
    const char* log = std::getenv("HEAP_PROBE_LOG");
    // Opened for writing too, so that a questioner closing its end is no end of the questions.
    const int in = ::open(fifo, O_RDWR | O_CLOEXEC);
    if (in < 0) return nullptr;
    char asked = 0;
    while (::read(in, &asked, 1) == 1) {
        const struct mallinfo2 m = mallinfo2();
        if (FILE* out = std::fopen(log, "ae")) {
            std::fprintf(out, "%d %zu %zu\n", static_cast<int>(getpid()), m.uordblks + m.hblkhd, m.arena + m.hblkhd);
            std::fclose(out);
        }
    }
    ::close(in);
    return nullptr;
}

__attribute__((constructor)) void startProbe() {
    if (!std::getenv("HEAP_PROBE_FIFO") || !std::getenv("HEAP_PROBE_LOG")) return;
    if (!tessane::bench::isPreloadTarget("HEAP_PROBE_PROCESS")) return;
    // Made with every signal blocked: the program's signals (SIGTERM read from a descriptor) are
    // never delivered to this thread.
    sigset_t all, before;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &before);
    pthread_t thread;
    if (pthread_create(&thread, nullptr, answer, nullptr) == 0) pthread_detach(thread);
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
}

}  // namespace
