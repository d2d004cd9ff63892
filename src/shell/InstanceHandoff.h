#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessane {

// Both ends of handing links from a second Tessane to the running one, without the socket: the
// second instance forwards its links and exits; the running one reads each connection's message
// and passes its links on, parsed later by the same parser as any other link.
namespace InstanceHandoff {

// The links among the program's arguments (everything after the program that is not an option).
std::vector<std::string> linksFromArguments(const std::vector<std::string>& arguments);

// The second instance. `exchange` sends a message and gives the reply line (none, with the reason,
// when the running one could not be reached); `print` tells the user. Returns the exit code: 0
// when there was nothing to forward or the running one took the links.
int forward(const std::vector<std::string>& links,
            const std::function<std::optional<std::string>(std::string_view message, std::string* why)>& exchange,
            const std::function<void(const std::string&)>& print);

// The running instance: a reader for one connection. It takes the bytes as they come and, once
// the message is over, hands a complete message's links to `deliver` and gives the reply.
std::function<std::optional<std::string>(std::string_view)> session(
    std::function<void(const std::vector<std::string>&)> deliver);

}  // namespace InstanceHandoff

}  // namespace tessane
