#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tessane::linux_backend {

// Hands links to the desktop's handler (`xdg-open`), and turns our own help links
// ("help:tessane/<topic>") into the file:// URL of the page <topic>.html in the help folder.
class URLOpener {
public:
    static constexpr std::string_view kHelpPrefix = "help:tessane/";

    // What to hand to the desktop for `url`: a help link becomes the file:// URL of its page;
    // any other link with a scheme is handed on as it is. Nothing, with the reason in `why`,
    // for a help topic that is not a plain name (no '/', no ".."), a help page that is not
    // there, or text that is not a link (no scheme, control characters, a leading '-' that
    // the handler would take for an option).
    static std::optional<std::string> resolve(const std::string& url, const std::filesystem::path& helpFolder,
                                              std::string* why = nullptr);

    // The file:// URL of an absolute path, every byte but the unreserved ones and '/'
    // percent-encoded.
    static std::string fileURL(const std::filesystem::path& path);

    // Resolves `url` and starts `handler` with it, detached: answers as soon as the handler
    // runs, never waiting for it to finish. False, with the reason in `why`, when the link
    // does not resolve or the handler cannot be started.
    static bool open(const std::string& url, const std::filesystem::path& helpFolder, std::string* why = nullptr,
                     const std::string& handler = "xdg-open");
};

}  // namespace tessane::linux_backend
