#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessane {

// A link split into the parts a link command reads, by the generic syntax of URIs:
//   scheme ":" [ "//" authority ] path [ "?" query ] [ "#" fragment ]
// Written by hand rather than taken from a toolkit's URL class, because those normalise paths
// and hosts in ways of their own and the commands must read a link exactly as it was written.
//
// - A link without "//" after the scheme (tessane:show/Work) has no host; its opaque part is
//   read as the path, so it names the same command as tessane://show/Work.
// - The host is the authority without user information and port, percent-decoded.
// - Path segments are the path split at "/", each percent-decoded, empty ones left out.
// - Query items are the query split at "&", each "name=value" or a bare "name" (no value);
//   both percent-decoded, "+" kept as it is.
// A link that is not well formed (no scheme, a control character, a broken "%" escape, an
// escape that decodes to something that is not UTF-8) gives none.
struct LinkURL {
    struct QueryItem {
        std::string name;
        std::optional<std::string> value;
        bool operator==(const QueryItem&) const = default;
    };

    std::string scheme;              // as written (compare it lower-cased)
    std::optional<std::string> host;  // only with "//"
    std::vector<std::string> pathSegments;
    std::optional<std::vector<QueryItem>> queryItems;  // none without "?"

    static std::optional<LinkURL> split(std::string_view text);
    // Decodes %XX escapes; none when one is broken or the result is not UTF-8.
    static std::optional<std::string> percentDecoded(std::string_view text);

    bool operator==(const LinkURL&) const = default;
};

}  // namespace tessane
