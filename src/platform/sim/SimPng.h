#pragma once

#include "base/Base64.h"

#include <cstdint>

namespace tessane::sim {

// A real PNG file (RGBA, stored without compression) of one colour, side x side pixels. Enough
// for the simulated desktop's app icons: tests can read its size back like any PNG.
Bytes solidPng(int side, uint32_t rgba);

// Width and height from a PNG's header; {0, 0} when the data is not a PNG.
struct PngSize {
    uint32_t width = 0;
    uint32_t height = 0;
};
PngSize pngSize(const Bytes& png);

}  // namespace tessane::sim
