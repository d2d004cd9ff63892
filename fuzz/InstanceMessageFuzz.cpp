// Feeds arbitrary bytes, as a second Tessane (or any process of the user) could send them over
// the local socket, to the reader of the running one. What must hold for any input: the caps
// hold; the same bytes give the same answer whatever their chunks; a message taken is what its
// own encoding reads back as.
#include "shell/InstanceMessage.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace tessane;
using InstanceMessage::Reader;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The first byte picks the chunk size; the rest is the message.
    const size_t chunk = data[0] % 17 + 1;
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

    Reader whole;
    whole.feed(bytes);
    Reader pieces;
    for (size_t at = 0; at < bytes.size(); at += chunk) pieces.feed(bytes.substr(at, chunk));
    if (whole.state() != pieces.state() || whole.request() != pieces.request()) std::abort();
    // Nothing of a refused message is kept.
    if (whole.state() == Reader::State::refused && !whole.request().empty()) std::abort();
    if (whole.state() != Reader::State::complete) return 0;

    const auto& request = whole.request();
    if (request.links.size() > InstanceMessage::kMaxLinks || bytes.size() > InstanceMessage::kMaxMessageBytes) std::abort();
    for (const auto& link : request.links)
        if (link.size() > InstanceMessage::kMaxLinkBytes) std::abort();
    const auto again = InstanceMessage::encode(request);
    if (!again) std::abort();
    Reader back;
    if (back.feed(*again) != Reader::State::complete || back.request() != request) std::abort();
    return 0;
}
