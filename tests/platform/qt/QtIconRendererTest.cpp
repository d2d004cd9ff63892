#include "platform/qt/QtIconRenderer.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sys/stat.h>

namespace tessane::qt_backend {
namespace {

namespace fs = std::filesystem;

class QtIconRendererTest : public ::testing::Test {
protected:
    QtIconRendererTest() {
        dir = fs::temp_directory_path() / ("tessane-icons-" + std::to_string(std::random_device{}()));
        fs::create_directories(dir);
    }
    ~QtIconRendererTest() override { fs::remove_all(dir); }

    static QImage decode(const Bytes& png) {
        QImage image;
        image.loadFromData(png.data(), static_cast<int>(png.size()), "PNG");
        return image;
    }
    fs::path dir;
};

TEST_F(QtIconRendererTest, ScalableAndBitmapIconsBecome128PixelSquares) {
    std::ofstream(dir / "icon.svg") << R"(<svg xmlns="http://www.w3.org/2000/svg" width="16" height="16">)"
                                       R"(<rect width="16" height="16" fill="#ff0000"/></svg>)";
    QImage wide(64, 32, QImage::Format_ARGB32);
    wide.fill(QColor(0, 0, 255));
    ASSERT_TRUE(wide.save(QString::fromStdString((dir / "wide.png").string())));

    const auto svg = renderIconPng(dir / "icon.svg", 128);
    ASSERT_TRUE(svg);
    const QImage a = decode(*svg);
    EXPECT_EQ(a.size(), QSize(128, 128));
    EXPECT_EQ(QColor(a.pixel(64, 64)), QColor(255, 0, 0));

    const auto png = renderIconPng(dir / "wide.png", 128);
    ASSERT_TRUE(png);
    const QImage b = decode(*png);
    EXPECT_EQ(b.size(), QSize(128, 128));
    EXPECT_EQ(QColor(b.pixel(64, 64)), QColor(0, 0, 255));
    EXPECT_EQ(qAlpha(b.pixel(64, 5)), 0) << "the wide image is centred, not stretched";

    EXPECT_FALSE(renderIconPng(dir / "missing.png", 128));
    std::ofstream(dir / "junk.png") << "not an image";
    EXPECT_FALSE(renderIconPng(dir / "junk.png", 128));
}

TEST_F(QtIconRendererTest, AnIconPathThatIsNoPlainFileRendersNothingWithoutWaiting) {
    ASSERT_EQ(::mkfifo((dir / "fifo.png").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", dir / "zero.svg");
    EXPECT_FALSE(renderIconPng(dir / "fifo.png", 128));
    EXPECT_FALSE(renderIconPng(dir / "zero.svg", 128));
}

}  // namespace
}  // namespace tessane::qt_backend
