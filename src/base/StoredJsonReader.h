#pragma once

#include "base/Base64.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tessane {

// Why a stored document could not be decoded, and where (a path like "[0].layout.splitTree").
class DecodeFailure : public std::runtime_error {
public:
    DecodeFailure(std::string reason, std::string path = {});

    const std::string& reason() const { return reason_; }
    const std::string& path() const { return path_; }

    // Adds an outer segment ("layout", "[3]") in front of the path and refreshes what().
    void prepend(std::string_view segment);

private:
    static std::string describe(const std::string& reason, const std::string& path);
    std::string reason_;
    std::string path_;
};

// A strict, allocation-light pull reader of JSON text (RFC 8259), made for the files we store
// (the workspace list, the preferences): the workspace file may be tens of megabytes of Base64
// icons, so strings are scanned in place and Base64 is decoded straight from the text. Syntax
// errors throw DecodeFailure with the offset; nesting deeper than kMaxDepth is refused rather
// than recursed into.
class StoredJsonReader {
public:
    enum class Kind { object, array, string, number, boolean, null };

    static constexpr int kMaxDepth = 256;

    explicit StoredJsonReader(std::string_view text);

    // The kind of the next value (skips white space). Throws at the end of the text.
    Kind peek();

    // Arrays: beginArray(), then while (nextElement()) { read one value }.
    void beginArray();
    bool nextElement();

    // Objects: beginObject(), then while (nextKey(key)) { read one value }. The key view stays
    // valid until the next read.
    void beginObject();
    bool nextKey(std::string_view& key);

    // Consumes a null and returns true, or returns false and consumes nothing.
    bool consumeNull();

    std::string readString();
    double readNumber();
    // The text of the next number as written ("-12", "1e400"), for a caller that tells integers
    // from other numbers or wants the exact value.
    std::string_view readNumberText();
    // The value of a number's text as readNumber gives it: one too large for a double is
    // infinite (with its sign), one too small is zero.
    static double numberValue(std::string_view text);
    // A whole number in [0, 2^32 - 1] (written as 7, 7.0 or 7e0).
    uint32_t readUInt32();
    bool readBool();
    // A Base64 string; false (with the text consumed) when it is a string but not valid Base64.
    bool readBase64(Bytes& out);
    // The next string's text as it stands in the document, consumed, when it needs no
    // unescaping (the view lives as long as the document); nullopt, with nothing consumed, when
    // it holds an escape. The text is not checked: for a caller that decodes it with
    // decodeBase64 only when it hasn't seen the same text before.
    std::optional<std::string_view> readRawBase64();
    // Standard Base64 text into `out` (its memory reused); false when it is not valid Base64.
    static bool decodeBase64(std::string_view text, Bytes& out);
    void skipValue();

    // Only white space may follow the top-level value.
    void expectEnd();

private:
    [[noreturn]] void syntaxError(const char* what) const;
    void skipSpace();
    char next();  // the next non-space character, not consumed; throws at the end
    void expect(char c);
    void enter();
    std::string_view readStringView();
    void readEscapedString(std::string& out);
    std::string_view scanNumber();
    void readLiteral(std::string_view word);

    const char* begin_;
    const char* p_;
    const char* end_;
    int depth_ = 0;
    // Per container: whether its first element or member was read.
    bool first_[kMaxDepth + 1] = {};
    std::string scratch_;
    std::string keyScratch_;
};

}  // namespace tessane
