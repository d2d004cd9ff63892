#pragma once

#include <string>
#include <string_view>

namespace tessane::text {

// All strings are UTF-8.

// Removes white space and line breaks (any Unicode White_Space character) at both ends.
std::string trimmed(std::string_view s);

// True when the strings are equal ignoring case and diacritics ("Café" == "CAFE").
bool equalsIgnoringCaseAndDiacritics(std::string_view a, std::string_view b);

// Case- and diacritic-folded form, for lookups and containment tests.
std::string folded(std::string_view s);

// True when `haystack` contains `needle`, ignoring case and diacritics.
bool containsIgnoringCaseAndDiacritics(std::string_view haystack, std::string_view needle);

// True when the strings are canonically equivalent (same NFC form), as string equality in
// Swift treats them.
bool canonicallyEqual(std::string_view a, std::string_view b);

// Canonical composition (NFC).
std::string nfc(std::string_view s);

// Lower case, per Unicode rules.
std::string lowercased(std::string_view s);

}  // namespace tessane::text
