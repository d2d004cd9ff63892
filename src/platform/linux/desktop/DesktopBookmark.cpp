#include "platform/linux/desktop/DesktopBookmark.h"

#include "base/Json.h"

namespace tessane::linux_desktop {

namespace {

constexpr const char* kKind = "tessane-desktop-entry-bookmark";

std::optional<DesktopBookmark> refuse(std::string* why, std::string reason) {
    if (why) *why = std::move(reason);
    return std::nullopt;
}

}  // namespace

Bytes DesktopBookmark::encode() const {
    Json j;
    j["kind"] = kKind;
    j["path"] = path.string();
    j["id"] = id;
    j["device"] = device;
    j["inode"] = inode;
    const std::string text = json::dump(j);
    return Bytes(text.begin(), text.end());
}

std::optional<DesktopBookmark> DesktopBookmark::decode(const Bytes& bytes, std::string* why) {
    const Json j = Json::parse(bytes.begin(), bytes.end(), nullptr, /*allow_exceptions=*/false);
    if (j.is_discarded()) return refuse(why, "not JSON");
    if (!j.is_object()) return refuse(why, "not a JSON object");
    const auto kind = json::memberString(j, "kind");
    if (kind != kKind) return refuse(why, "\"kind\" is not \"" + std::string(kKind) + "\"");
    DesktopBookmark b;
    const auto path = json::memberString(j, "path");
    // A path with a NUL in it would name a different file to the system than to us.
    if (!path || path->empty() || path->find('\0') != std::string::npos || path->front() != '/')
        return refuse(why, "\"path\" is not an absolute path");
    b.path = *path;
    const auto device = json::memberUnsigned(j, "device");
    const auto inode = json::memberUnsigned(j, "inode");
    if (!device || !inode) return refuse(why, "\"device\" or \"inode\" is not a whole number");
    b.device = *device;
    b.inode = *inode;
    // The id is only informative; a bad one is dropped, not a reason to lose the bookmark.
    b.id = json::memberString(j, "id").value_or("");
    return b;
}

}  // namespace tessane::linux_desktop
