#include "platform/linux/session/PreferencesFile.h"

#include "base/FileRead.h"
#include "base/Json.h"
#include "base/StoredJsonReader.h"

#include <charconv>
#include <cmath>

namespace tessane::linux_backend::preferences_file {

namespace {

using Kind = StoredJsonReader::Kind;

// The next value, or nullopt with `reason` set when it is not one a preference can hold. The
// value is consumed either way.
std::optional<Defaults::Value> readValue(StoredJsonReader& in, std::string& reason) {
    switch (in.peek()) {
        case Kind::boolean: return in.readBool();
        case Kind::string: return in.readString();
        case Kind::number: {
            const std::string_view text = in.readNumberText();
            if (text.find_first_of(".eE") == std::string_view::npos) {
                long long n = 0;
                const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
                if (ec == std::errc() && end == text.data() + text.size()) return n;
                reason = "out of range";
                return std::nullopt;
            }
            const double d = StoredJsonReader::numberValue(text);
            if (std::isfinite(d)) return d;
            reason = "out of range";
            return std::nullopt;
        }
        case Kind::array: {
            std::vector<std::string> items;
            bool allStrings = true;
            in.beginArray();
            while (in.nextElement()) {
                if (allStrings && in.peek() == Kind::string) {
                    items.push_back(in.readString());
                } else {
                    allStrings = false;
                    in.skipValue();
                }
            }
            if (allStrings) return items;
            break;
        }
        case Kind::object:
        case Kind::null: in.skipValue(); break;
    }
    reason = "unsupported type";
    return std::nullopt;
}

}  // namespace

std::optional<Contents> parse(std::string_view text, std::string* why) {
    StoredJsonReader in(withoutByteOrderMark(text));
    Contents out;
    try {
        if (in.peek() != Kind::object) {
            if (why) *why = "not a JSON object";
            return std::nullopt;
        }
        in.beginObject();
        std::string_view keyView;
        while (in.nextKey(keyView)) {
            std::string key(keyView);
            std::string reason;
            if (auto value = readValue(in, reason)) {
                out.values[key] = std::move(*value);
            } else {
                // A later duplicate replaces an earlier one, also when it is the bad one.
                out.values.erase(key);
                out.ignored.push_back(key + " (" + reason + ")");
            }
        }
        in.expectEnd();
    } catch (const DecodeFailure& failure) {
        if (why) *why = failure.what();
        return std::nullopt;
    }
    return out;
}

std::string encode(const std::map<std::string, Defaults::Value>& values) {
    Json root = Json::object();
    for (const auto& [key, v] : values) root[key] = std::visit([](const auto& x) { return Json(x); }, v);
    return json::dump(root, 2) + "\n";
}

}  // namespace tessane::linux_backend::preferences_file
