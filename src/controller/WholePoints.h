#pragma once

#include <cmath>
#include <string>

namespace tessane {

// A length written for a log line: in whole points, truncated toward zero.
inline std::string wholePoints(double value) { return std::to_string(static_cast<long long>(std::trunc(value))); }

}  // namespace tessane
