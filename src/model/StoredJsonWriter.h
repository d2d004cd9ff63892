#pragma once

#include "base/Base64.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tessane {

// Appends compact JSON to a string. The caller writes keys in sorted order; the writer takes
// care of commas, escaping and number formatting. Text that is not valid UTF-8 is written with
// U+FFFD in place of the bad bytes, so that what we write can always be read back.
class StoredJsonWriter {
public:
    explicit StoredJsonWriter(std::string& out) : out_(out) {}

    void beginObject();
    void endObject();
    void beginArray();
    void endArray();

    void key(std::string_view name);
    void string(std::string_view value);
    // Shortest text that reads back as the same double; whole numbers without a fraction.
    // Non-finite values have no JSON form and must be kept out before writing; they are
    // written as 0 rather than producing a file that cannot be read.
    void number(double value);
    void unsignedInteger(uint64_t value);
    void boolean(bool value);
    void base64(const Bytes& data);

private:
    void separate();
    void escaped(std::string_view value);

    std::string& out_;
    // Whether the container being written still needs a comma before its next element.
    bool needsComma_ = false;
    bool afterKey_ = false;
};

}  // namespace tessane
