#pragma once

#include "base/Base64.h"

#include <filesystem>
#include <optional>

namespace tessane::qt_backend {

// Renders an icon image file (PNG, SVG, XPM, ...) into a PNG of exactly side x side pixels, the
// image scaled to fit and centred on a transparent square; nullopt when the file can't be read.
// Scalable images are drawn at the target size rather than scaled from a bitmap. Needs no
// application object.
std::optional<Bytes> renderIconPng(const std::filesystem::path& imageFile, int side);

}  // namespace tessane::qt_backend
