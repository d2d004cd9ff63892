#include "shell/InstanceHandoff.h"

#include "model/Log.h"

#include <memory>

namespace tessane::InstanceHandoff {

int forward(const InstanceMessage::Request& request,
            const std::function<std::optional<std::string>(std::string_view, std::string*)>& exchange,
            const std::function<void(const std::string&)>& print) {
    if (request.empty()) {
        print("Tessane is already running.");
        return 0;
    }
    const auto message = InstanceMessage::encode(request);
    if (!message) {
        print("Tessane: too many links, or a link too long, to hand to the running Tessane (at most " +
              std::to_string(InstanceMessage::kMaxLinks) + " links of " + std::to_string(InstanceMessage::kMaxLinkBytes) +
              " bytes).");
        return 2;
    }
    std::string why;
    const auto reply = exchange(*message, &why);
    if (!reply) {
        print("Tessane: " + why);
        return 1;
    }
    if (*reply + "\n" == InstanceMessage::kFull) {
        print("Tessane: the running Tessane has too many links waiting to run; nothing was handed to it. Try again "
              "once it has run them.");
        return 1;
    }
    if (*reply + "\n" != InstanceMessage::kAccepted) {
        // An older Tessane refuses a message that asks for the settings window as a whole.
        print(request.openSettings ? "Tessane: the running Tessane refused the request to open the settings window."
                                   : "Tessane: the running Tessane refused the links.");
        return 1;
    }
    return 0;
}

std::function<std::optional<std::string>(std::string_view)> session(
    std::function<bool(const InstanceMessage::Request&)> take) {
    auto reader = std::make_shared<InstanceMessage::Reader>();
    return [reader, take = std::move(take)](std::string_view bytes) -> std::optional<std::string> {
        switch (reader->feed(bytes)) {
        case InstanceMessage::Reader::State::reading:
            return std::nullopt;
        case InstanceMessage::Reader::State::complete:
            if (take && !take(reader->request())) return std::string(InstanceMessage::kFull);
            if (reader->request().openSettings)
                Log::throttledLine("handoff settings", "[Tessane] Asked by another start to open the settings window.");
            return std::string(InstanceMessage::kAccepted);
        case InstanceMessage::Reader::State::refused:
            break;
        }
        Log::throttledLine("handoff refused", "[Tessane][URL] Refused links from another Tessane: " + reader->error() + ".");
        return std::string(InstanceMessage::kRefused);
    };
}

}  // namespace tessane::InstanceHandoff
