#include "platform/linux/session/LinuxEnvironment.h"
#include "platform/linux/processes/URLOpener.h"

#include "support/Waiting.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace tessane::linux_backend {
namespace {

namespace fs = std::filesystem;

class URLOpenerTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("tessane-urls-" + std::to_string(std::random_device{}()));
        help = root / "help pages";  // a space, to be percent-encoded
        fs::create_directories(help / "a");
        touch(help / "window-control.html");
        touch(help / "a" / "b.html");
        touch(root / "x.html");  // what "../x" would reach
    }
    void TearDown() override { fs::remove_all(root); }

    static void touch(const fs::path& path) { std::ofstream(path) << "<p>help</p>"; }

    fs::path root, help;
};

TEST_F(URLOpenerTest, HelpLinksBecomeTheirPagesAndNothingOutsideTheHelpFolder) {
    const std::string page = URLOpener::fileURL(root) + "/help%20pages/window-control.html";
    struct Case {
        std::string url;
        std::optional<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"help:tessane/window-control", page},
        {"help:tessane/missing", std::nullopt},
        {"help:tessane/", std::nullopt},
        {"help:tessane/../x", std::nullopt},
        {"help:tessane/a/b", std::nullopt},
        {"help:tessane/window-control.html", std::nullopt},
        // Other links go to the desktop as they are.
        {"https://example.org/a?b=c#d", "https://example.org/a?b=c#d"},
        {"mailto:someone@example.org", "mailto:someone@example.org"},
        // Not links: no scheme, an option for the handler, control characters.
        {"/etc/passwd", std::nullopt},
        {"--help", std::nullopt},
        {"-x:y", std::nullopt},
        {"", std::nullopt},
        {"https://example.org/\nsecond", std::nullopt},
    };
    for (const auto& c : cases) {
        std::string why;
        EXPECT_EQ(URLOpener::resolve(c.url, help, &why), c.expected) << c.url;
        if (!c.expected) {
            EXPECT_FALSE(why.empty()) << c.url;
        }
    }

    std::string why;
    URLOpener::resolve("help:tessane/missing", help, &why);
    EXPECT_NE(why.find("missing.html is missing"), std::string::npos) << why;
}

TEST_F(URLOpenerTest, FileURLsPercentEncodeEverythingButPlainCharacters) {
    EXPECT_EQ(URLOpener::fileURL("/usr/share/tessane/help/window-control.html"),
              "file:///usr/share/tessane/help/window-control.html");
    EXPECT_EQ(URLOpener::fileURL("/home/zoë/a b/100%#?.html"),
              "file:///home/zo%C3%AB/a%20b/100%25%23%3F.html");
}

TEST_F(URLOpenerTest, OpeningStartsTheHandlerWithTheResolvedLinkOrSaysWhyNot) {
    // A stand-in for xdg-open that writes down what it was given, a line a start.
    const fs::path handler = root / "fake-xdg-open";
    const fs::path marker = root / "handed-over";
    std::ofstream(handler) << "#!/bin/sh\nprintf '%s|%s\\n' \"$#\" \"$1\" >> '" << marker.string() << "'\n";
    ::chmod(handler.c_str(), 0755);

    // A rejected link never reaches the handler: once the link after it has, that one is all it got.
    std::string why;
    EXPECT_FALSE(URLOpener::open("help:tessane/../x", help, &why, handler.string()));
    ASSERT_TRUE(URLOpener::open("help:tessane/window-control", help, &why, handler.string())) << why;
    const std::string handed = "1|" + URLOpener::fileURL(root) + "/help%20pages/window-control.html\n";
    std::string got;
    testing::waitFor([&] {
        std::ifstream in(marker);
        got.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        return got.find(handed) != std::string::npos;
    });
    EXPECT_EQ(got, handed);

    // No handler installed.
    EXPECT_FALSE(URLOpener::open("help:tessane/window-control", help, &why, "tessane-no-such-xdg-open"));
    EXPECT_NE(why.find("tessane-no-such-xdg-open"), std::string::npos) << why;
}

TEST_F(URLOpenerTest, HelpFolderIsBesideTheProgramOrInTheInstalledLayout) {
    fs::create_directories(root / "build" / "app" / "help");
    EXPECT_EQ(LinuxEnvironment::helpFolderFor(root / "build" / "app" / "tessane"), root / "build" / "app" / "help");
    EXPECT_EQ(LinuxEnvironment::helpFolderFor(root / "usr" / "bin" / "tessane"),
              root / "usr" / "share" / "tessane" / "help");
}

}  // namespace
}  // namespace tessane::linux_backend
