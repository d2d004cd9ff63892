#include "platform/sim/SimEnvironment.h"

#include <atomic>
#include <random>
#include <unistd.h>

namespace tessane::sim {

SimEnvironment::SimEnvironment(std::filesystem::path root) : root_(std::move(root)) {
    if (root_.empty()) {
        static std::atomic<int> counter{0};
        std::random_device rd;
        root_ = std::filesystem::temp_directory_path() /
                ("tessane-sim-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) +
                 "-" + std::to_string(rd()));
        ownsRoot_ = true;
    }
    std::filesystem::create_directories(root_);
}

SimEnvironment::~SimEnvironment() {
    if (ownsRoot_) {
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
}

}  // namespace tessane::sim
