#pragma once

#include "platform/FileWatch.h"

#include <memory>

namespace tessane::linux_backend {

// File watches on inotify. One inotify descriptor serves every watch; the event loop polls
// fd() for reading and calls processReadyEvents() on the main thread when it is ready, which
// runs each affected handler once with the events coalesced since the last call.
//
// How inotify maps onto the watch events:
// - a file: modify -> write (growth is not told apart from other writes), attrib -> attrib,
//   delete-self -> deleted, move-self -> renamed. An attribute change after which the file's
//   name no longer leads to the watched file (its last link removed while another process still
//   holds it open) is reported as deleted too, as inotify only says so once the file is closed.
// - a folder: create / delete / moved-from / moved-to of an entry -> write, attrib of the folder
//   itself -> attrib, delete-self -> deleted, move-self -> renamed.
// - a queue overflow (events lost) -> write for every watch, so that their owners look again.
class LinuxFileWatch final : public FileWatch {
public:
    LinuxFileWatch();
    ~LinuxFileWatch() override;
    LinuxFileWatch(const LinuxFileWatch&) = delete;
    LinuxFileWatch& operator=(const LinuxFileWatch&) = delete;

    std::shared_ptr<FileWatchSource> watch(const std::filesystem::path& path, uint32_t events,
                                           std::function<void(uint32_t)> handler) override;
    FileStatus status(const std::filesystem::path& path) const override;

    // The inotify descriptor (non-blocking), or -1 when inotify is unavailable.
    int fd() const;
    // Reads every event queued now and runs the handlers. Does not block.
    void processReadyEvents();
    // Waits up to `timeoutMs` for the descriptor to become readable, then processes. For loops
    // that have nothing else to wait on (tests, tools). Returns whether anything was read.
    bool waitAndProcess(int timeoutMs);

private:
    struct State;
    struct Source;
    std::shared_ptr<State> state_;
};

}  // namespace tessane::linux_backend
