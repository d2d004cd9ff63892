#pragma once

#include <string>
#include <string_view>

namespace tessane {

// Text from outside (a file name, a window title, a link, anything another program chose) as a
// log line may carry it: whatever a log reader could take for the end of a line or a terminal
// command (the C0 and C1 controls, DEL, the Unicode line and paragraph separators) is written as
// an escape (\n, \u{1B}, \u{2028}), and a byte that is not part of well-formed UTF-8 as \x{..},
// so that the line stays one line of UTF-8. What it writes is left as it is by a second pass.
std::string logSafe(std::string_view text);
// The same, appended to `out`; with `quoting`, quotes and backslashes get a backslash too.
void appendLogSafe(std::string& out, std::string_view text, bool quoting = false);
// Whether logSafe leaves `text` as it is.
bool isLogSafe(std::string_view text);

}  // namespace tessane
