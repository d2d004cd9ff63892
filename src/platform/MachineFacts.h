#pragma once

#include <string>

namespace tessane {

// What the diagnostics report says of the machine: each is the real machine's, read when asked.
struct MachineFacts {
    std::string osVersion;      // linux: os-release's PRETTY_NAME and the kernel release
    std::string hardwareModel;  // linux: DMI vendor and product, else the device tree's model; "unknown"
    std::string architecture;   // linux: the kernel's machine name (x86_64, aarch64, ...)
    bool operator==(const MachineFacts&) const = default;
};

}  // namespace tessane
