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
// when there was nothing to forward or the running one queued the request, 1 when it did not
// (its queue is full, it refused, it was not reached), 2 when the links break a cap.
int forward(const InstanceMessage::Request& request,
            const std::function<std::optional<std::string>(std::string_view message, std::string* why)>& exchange,
            const std::function<void(const std::string&)>& print);

// The running instance: a reader for one connection. It takes the bytes as they come and, once
// the message is over, hands its request to `take`, which queues it (never carries it out) and
// says whether it found room; the reply says what `take` said, so that "ok" is only ever given
// for a request that will be carried out.
std::function<std::optional<std::string>(std::string_view)> session(
    std::function<bool(const InstanceMessage::Request&)> take);

}  // namespace InstanceHandoff

}  // namespace tessane
