#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessane {

// What a second Tessane sends the running one over the local socket: its links, in order, and
// whether it was asked to open the settings window. The running one reads at most kMaxLinks links
// of at most kMaxLinkBytes each and kMaxMessageBytes in all per connection; anything beyond is
// refused, never buffered.
//
//   <header> <count> "\n"  then, per link,  <length> ":" <bytes> "\n"
//
// The header is "tessane-links" for links alone (the form every Tessane reads) and
// "tessane-settings" when the settings window is asked for too. The request lives in the header,
// never in a link: a link can't pass for it, and a Tessane older than the request refuses the
// message as a whole instead of taking part of it for links.
//
// The reply is one line: "ok" once the running one has queued what the message asks, "full" when
// its queue of links has no room for them all (nothing is taken), "refused" for a message it
// can't read.
namespace InstanceMessage {

inline constexpr size_t kMaxLinks = 64;
inline constexpr size_t kMaxLinkBytes = 8 * 1024;
inline constexpr size_t kMaxMessageBytes = 64 * 1024;
inline constexpr std::string_view kAccepted = "ok\n";
inline constexpr std::string_view kRefused = "refused\n";
inline constexpr std::string_view kFull = "full\n";

// What one message carries.
struct Request {
    std::vector<std::string> links;
    bool openSettings = false;

    bool empty() const { return links.empty() && !openSettings; }
    bool operator==(const Request&) const = default;
};

// None when the links break a cap (a second instance then says so and forwards nothing).
std::optional<std::string> encode(const Request& request);

// Reads a message as its bytes arrive, in chunks of any size.
class Reader {
public:
    enum class State { reading, complete, refused };

    // Takes the next bytes; bytes after a complete message refuse it.
    State feed(std::string_view bytes);
    State state() const { return state_; }
    // What a complete message asked for.
    const Request& request() const { return request_; }
    // Why it was refused, for the log line.
    const std::string& error() const { return error_; }

private:
    State refuse(std::string why);
    // Parses what is buffered as far as it goes.
    void advance();

    State state_ = State::reading;
    std::string buffer_;
    size_t received_ = 0;
    std::optional<size_t> count_;
    Request request_;
    std::string error_;
};

}  // namespace InstanceMessage

}  // namespace tessane
