#pragma once

#include "shell/InstanceMessage.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tessane {

// Both ends of handing a start's links and requests from a second Tessane to the running one,
// without the socket: the second instance forwards them and exits; the running one reads each
// connection's message and passes it on. Links are parsed later by the same parser as any other.
namespace InstanceHandoff {

// The second instance. `exchange` sends a message and gives the reply line (none, with the reason,
// when the running one could not be reached); `print` tells the user. Returns the exit code: 0
// when there was nothing to forward or the running one took the request.
int forward(const InstanceMessage::Request& request,
            const std::function<std::optional<std::string>(std::string_view message, std::string* why)>& exchange,
            const std::function<void(const std::string&)>& print);

// The running instance: a reader for one connection. It takes the bytes as they come and, once
// the message is over, gives the reply at once and hands a complete message's request to
// `deliver` through `later` (the main queue), so that the second start never waits for the
// request to be carried out.
std::function<std::optional<std::string>(std::string_view)> session(
    std::function<void(const InstanceMessage::Request&)> deliver,
    std::function<void(std::function<void()>)> later);

}  // namespace InstanceHandoff

}  // namespace tessane
