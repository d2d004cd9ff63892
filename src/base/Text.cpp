#include "base/Text.h"

#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

namespace tessane::text {

namespace {

icu::UnicodeString fromUtf8(std::string_view s) {
    return icu::UnicodeString::fromUTF8(icu::StringPiece(s.data(), static_cast<int32_t>(s.size())));
}

std::string toUtf8(const icu::UnicodeString& u) {
    std::string out;
    u.toUTF8String(out);
    return out;
}

icu::UnicodeString normalize(const icu::UnicodeString& u, bool decompose) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* n =
        decompose ? icu::Normalizer2::getNFDInstance(status) : icu::Normalizer2::getNFCInstance(status);
    if (U_FAILURE(status) || !n) return u;
    icu::UnicodeString out = n->normalize(u, status);
    return U_FAILURE(status) ? u : out;
}

icu::UnicodeString foldedUnicode(std::string_view s) {
    // Decompose, drop the combining marks (the diacritics), fold case, recompose.
    const icu::UnicodeString decomposed = normalize(fromUtf8(s), true);
    icu::UnicodeString stripped;
    for (int32_t i = 0; i < decomposed.length();) {
        const UChar32 c = decomposed.char32At(i);
        if (u_charType(c) != U_NON_SPACING_MARK) stripped.append(c);
        i += U16_LENGTH(c);
    }
    stripped.foldCase();
    return normalize(stripped, false);
}

}  // namespace

std::string trimmed(std::string_view s) {
    const icu::UnicodeString u = fromUtf8(s);
    int32_t start = 0;
    int32_t end = u.length();
    while (start < end && u_isUWhiteSpace(u.char32At(start))) start += U16_LENGTH(u.char32At(start));
    while (end > start) {
        const int32_t prev = u.moveIndex32(end, -1);
        if (!u_isUWhiteSpace(u.char32At(prev))) break;
        end = prev;
    }
    return toUtf8(u.tempSubStringBetween(start, end));
}

std::string folded(std::string_view s) { return toUtf8(foldedUnicode(s)); }

bool equalsIgnoringCaseAndDiacritics(std::string_view a, std::string_view b) {
    return foldedUnicode(a) == foldedUnicode(b);
}

bool containsIgnoringCaseAndDiacritics(std::string_view haystack, std::string_view needle) {
    return foldedUnicode(haystack).indexOf(foldedUnicode(needle)) >= 0;
}

bool canonicallyEqual(std::string_view a, std::string_view b) {
    return normalize(fromUtf8(a), false) == normalize(fromUtf8(b), false);
}

std::string nfc(std::string_view s) { return toUtf8(normalize(fromUtf8(s), false)); }

std::string lowercased(std::string_view s) {
    icu::UnicodeString u = fromUtf8(s);
    u.toLower(icu::Locale::getRoot());
    return toUtf8(u);
}

}  // namespace tessane::text
