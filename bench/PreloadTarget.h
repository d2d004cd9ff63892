#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tessane::bench {

// Whether the process a preloaded library finds itself in is the one to watch: its name begins
// with the value of the environment variable `variable`, or with "tessane" when that is unset
// (the programs the watched one starts inherit the preload, and are left alone).
inline bool isPreloadTarget(const char* variable) {
    const char* name = std::getenv(variable);
    if (!name) name = "tessane";
    char comm[64] = {};
    if (FILE* f = std::fopen("/proc/self/comm", "re")) {
        if (!std::fgets(comm, sizeof comm, f)) comm[0] = 0;
        std::fclose(f);
    }
    return std::strncmp(comm, name, std::strlen(name)) == 0;
}

}  // namespace tessane::bench
