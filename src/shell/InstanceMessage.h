#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessane {

// What a second Tessane started with links sends the running one over the local socket: the
// links, in order. The running one reads at most kMaxLinks links of at most kMaxLinkBytes each
// and kMaxMessageBytes in all per connection; anything beyond is refused, never buffered.
//
//   "tessane-links " <count> "\n"  then, per link,  <length> ":" <bytes> "\n"
//
// The reply is one line: "ok" when the links were taken, "refused" otherwise.
namespace InstanceMessage {

inline constexpr size_t kMaxLinks = 64;
inline constexpr size_t kMaxLinkBytes = 8 * 1024;
inline constexpr size_t kMaxMessageBytes = 64 * 1024;
inline constexpr std::string_view kAccepted = "ok\n";
inline constexpr std::string_view kRefused = "refused\n";

// None when the links break a cap (a second instance then says so and forwards nothing).
std::optional<std::string> encode(const std::vector<std::string>& links);

// Reads a message as its bytes arrive, in chunks of any size.
class Reader {
public:
    enum class State { reading, complete, refused };

    // Takes the next bytes; bytes after a complete message refuse it.
    State feed(std::string_view bytes);
    State state() const { return state_; }
    const std::vector<std::string>& links() const { return links_; }
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
    std::vector<std::string> links_;
    std::string error_;
};

}  // namespace InstanceMessage

}  // namespace tessane
