#pragma once

// Tessane's chrome as a real desktop shows it: its panels by name, the pointer's target, client
// areas and screenshots, each in X pixels.
#include "EndToEndTest.h"

#include <QImage>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace tessane::e2e {

class ChromeOnDesktopTest : public EndToEndTest {
protected:
    void TearDown() override {
        EndToEndTest::TearDown();
        unsetenv("QT_SCALE_FACTOR");
        unsetenv("QT_SCREEN_SCALE_FACTORS");
    }
    struct Shown {
        Window id;
        std::string name;  // "rail", "shield", "handle", "preview", ...
        RootRect rect;
    };
    // Tessane's viewable raised panels, bottom to top.
    std::vector<Shown> panels() {
        std::vector<Shown> out;
        Display* d = x_->display();
        Window root = 0, parent = 0, *children = nullptr;
        unsigned n = 0;
        if (!XQueryTree(d, x_->root(), &root, &parent, &children, &n)) return out;
        for (unsigned i = 0; i < n; ++i) {
            XWindowAttributes a;
            if (!XGetWindowAttributes(d, children[i], &a) || a.map_state != IsViewable || !a.override_redirect) continue;
            const auto name = x_->text(children[i], "_NET_WM_NAME");
            if (name && name->rfind("Tessane ", 0) == 0) out.push_back({children[i], name->substr(8), {a.x, a.y, a.width, a.height}});
        }
        if (children) XFree(children);
        return out;
    }
    std::vector<Shown> panels(const std::string& name) {
        auto all = panels();
        std::erase_if(all, [&](const Shown& s) { return s.name != name; });
        return all;
    }
    // The child of the root that takes the pointer at (x, y).
    Window inputAt(int x, int y) {
        EXPECT_EQ(server_->run({"xdotool", "mousemove", std::to_string(x), std::to_string(y)}), 0);
        Window root = 0, child = 0;
        int rx = 0, ry = 0, wx = 0, wy = 0;
        unsigned mask = 0;
        XQueryPointer(x_->display(), x_->root(), &root, &child, &rx, &ry, &wx, &wy, &mask);
        return child;
    }
    // A client window's own area, in root coordinates.
    RootRect client(Window window) {
        x_->processEvents();
        XWindowAttributes a;
        Window child = 0;
        int x = 0, y = 0;
        if (!XGetWindowAttributes(x_->display(), window, &a) ||
            !XTranslateCoordinates(x_->display(), window, x_->root(), 0, 0, &x, &y, &child))
            return {};
        return {x, y, a.width, a.height};
    }
    // The screen as it is, for people to look at: under TESSANE_SCREENSHOT_DIR, else the current
    // folder (the build's test folder under ctest).
    void saveScreen(const std::string& file) {
        const int width = kScreenWidth, height = 1080;
        XImage* image = XGetImage(x_->display(), x_->root(), 0, 0, width, height, AllPlanes, ZPixmap);
        ASSERT_NE(image, nullptr);
        QImage out(width, height, QImage::Format_RGB32);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) out.setPixel(x, y, 0xFF000000u | (XGetPixel(image, x, y) & 0xFFFFFF));
        XDestroyImage(image);
        const char* dir = std::getenv("TESSANE_SCREENSHOT_DIR");
        EXPECT_TRUE(out.save(QString::fromStdString((std::filesystem::path(dir ? dir : ".") / file).string())));
    }
    static std::string text(const RootRect& r) {
        return std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.width) + "x" + std::to_string(r.height);
    }
};

}  // namespace tessane::e2e
