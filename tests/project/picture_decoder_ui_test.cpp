#include "project/map_file.h"
#include "project/picture_decoder_qt.h"
#include "support/test_files.h"

#include <QImage>
#include <gtest/gtest.h>

using testing_support::TempDir;

namespace {

std::string savePicture(const TempDir& dir, const std::string& name, const QImage& image,
                        const char* format) {
    const std::string path = dir.file(name);
    EXPECT_TRUE(image.save(QString::fromStdString(path), format));
    return path;
}

} // namespace

TEST(PictureDecoder, TransparentPixelsLieOverWhite) {
    TempDir dir;
    QImage image(3, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(0, 0, 0, 0));     // fully transparent
    image.setPixel(1, 0, qRgba(255, 0, 0, 255)); // opaque red
    image.setPixel(2, 0, qRgba(0, 0, 255, 128)); // half blue
    common::Raster raster;
    ASSERT_TRUE(project::decodePicture(savePicture(dir, "a.png", image, "PNG"), raster).ok());
    EXPECT_EQ(raster.pixel(0, 0), 0xFFFFFFu);
    EXPECT_EQ(raster.pixel(1, 0), 0xFF0000u);
    const common::Rgb half = raster.pixel(2, 0);
    EXPECT_NEAR(int(half >> 16), 127, 2);
    EXPECT_EQ(half & 0xFF, 0xFFu);
}

TEST(PictureDecoder, ByExtensionInAnyCaseOrByContent) {
    TempDir dir;
    QImage image(5, 4, QImage::Format_RGB888);
    image.fill(QColor(10, 200, 30));
    for (const auto& [name, format] : std::initializer_list<std::pair<const char*, const char*>>{
             {"p.PNG", "PNG"}, {"j.jpeg", "JPEG"}, {"noext", "PNG"}, {"x.dat", "JPEG"}}) {
        SCOPED_TRACE(name);
        common::Raster raster;
        ASSERT_TRUE(project::decodePicture(savePicture(dir, name, image, format), raster).ok());
        EXPECT_EQ(raster.width(), 5);
        EXPECT_EQ(raster.height(), 4);
    }
    // Qt writes no GIF; the map file writer makes one.
    common::Raster gif(5, 4);
    gif.fill(0x33CC66);
    ASSERT_TRUE(project::writeMapFile(dir.file("g.Gif"), gif).ok());
    common::Raster raster;
    ASSERT_TRUE(project::decodePicture(dir.file("g.Gif"), raster).ok());
    EXPECT_EQ(raster, gif);
}

TEST(PictureDecoder, FailureNamesTheFileAndLeavesThePictureAlone) {
    TempDir dir;
    testing_support::writeFile(dir.file("bad.jpg"), "not a picture");
    common::Raster raster(2, 2);
    raster.fill(0x123456);
    const common::Status s = project::decodePicture(dir.file("bad.jpg"), raster);
    EXPECT_FALSE(s.ok());
    EXPECT_NE(s.message().find("bad.jpg"), std::string::npos);
    EXPECT_EQ(raster.pixel(1, 1), 0x123456u);
    EXPECT_FALSE(project::decodePicture(dir.file("missing.png"), raster).ok());
}
