#include "shell/InstanceMessage.h"

#include <charconv>

namespace tessane::InstanceMessage {

namespace {

constexpr std::string_view kLinksHeader = "tessane-links ";
constexpr std::string_view kSettingsHeader = "tessane-settings ";

enum class Header { partial, links, settings, unknown };

// Which header `text` starts with, or whether it may still become one.
Header header(std::string_view text) {
    for (const auto& [name, kind] : {std::pair{kLinksHeader, Header::links}, std::pair{kSettingsHeader, Header::settings}}) {
        if (text.starts_with(name)) return kind;
        if (name.starts_with(text)) return Header::partial;
    }
    return Header::unknown;
}

// A decimal number of at most six digits ending at `terminator`: malformed (not valid), not all
// there yet (not complete), or read.
struct Number {
    bool complete = false;
    bool valid = true;
    size_t value = 0;
    size_t length = 0;  // digits and terminator
};

Number number(std::string_view text, char terminator) {
    Number n;
    size_t i = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (i >= 6) return {false, false};
    }
    if (i == text.size()) return n;  // more to come
    if (i == 0 || text[i] != terminator) return {false, false};
    std::from_chars(text.data(), text.data() + i, n.value);
    n.complete = true;
    n.length = i + 1;
    return n;
}

}  // namespace

std::optional<std::string> encode(const Request& request) {
    const auto& links = request.links;
    if (links.size() > kMaxLinks) return std::nullopt;
    std::string out = std::string(request.openSettings ? kSettingsHeader : kLinksHeader) + std::to_string(links.size()) + "\n";
    for (const auto& link : links) {
        if (link.size() > kMaxLinkBytes) return std::nullopt;
        out += std::to_string(link.size()) + ":" + link + "\n";
    }
    if (out.size() > kMaxMessageBytes) return std::nullopt;
    return out;
}

Reader::State Reader::refuse(std::string why) {
    state_ = State::refused;
    error_ = std::move(why);
    buffer_.clear();
    request_ = {};
    return state_;
}

Reader::State Reader::feed(std::string_view bytes) {
    if (state_ == State::refused) return state_;
    if (bytes.empty()) return state_;
    if (state_ == State::complete) return refuse("bytes after the end of the message");
    received_ += bytes.size();
    if (received_ > kMaxMessageBytes) return refuse("message larger than " + std::to_string(kMaxMessageBytes) + " bytes");
    buffer_.append(bytes);
    advance();
    return state_;
}

void Reader::advance() {
    size_t at = 0;
    auto rest = [&] { return std::string_view(buffer_).substr(at); };
    if (!count_) {
        const auto head = rest();
        const Header kind = header(head);
        if (kind == Header::unknown) return void(refuse("not a links message"));
        if (kind == Header::partial) return;
        const size_t headerSize = kind == Header::links ? kLinksHeader.size() : kSettingsHeader.size();
        const Number count = number(head.substr(headerSize), '\n');
        if (!count.valid) return void(refuse("not a links message"));
        if (!count.complete) return;
        if (count.value > kMaxLinks) return void(refuse("more than " + std::to_string(kMaxLinks) + " links"));
        count_ = count.value;
        request_.openSettings = kind == Header::settings;
        at += headerSize + count.length;
    }
    auto& links = request_.links;
    while (links.size() < *count_) {
        const Number length = number(rest(), ':');
        if (!length.valid) return void(refuse("a link without its length"));
        if (!length.complete) break;
        if (length.value > kMaxLinkBytes) return void(refuse("a link longer than " + std::to_string(kMaxLinkBytes) + " bytes"));
        const auto body = rest().substr(length.length);
        if (body.size() < length.value + 1) break;
        if (body[length.value] != '\n') return void(refuse("a link longer than its length says"));
        links.emplace_back(body.substr(0, length.value));
        at += length.length + length.value + 1;
    }
    buffer_.erase(0, at);
    if (links.size() == *count_) {
        if (!buffer_.empty()) return void(refuse("bytes after the end of the message"));
        state_ = State::complete;
    }
}

}  // namespace tessane::InstanceMessage
