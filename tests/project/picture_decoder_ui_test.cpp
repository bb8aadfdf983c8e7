#include "project/map_file.h"
#include "project/picture_decoder_qt.h"
#include "support/test_files.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cstring>
#include <vector>

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

namespace {

// Photo-like content: smooth fields, fine texture and grain, so that every coefficient counts.
QImage photoLike(int w, int h) {
    QImage image(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y) {
        uchar* p = image.scanLine(y);
        for (int x = 0; x < w; ++x, p += 3) {
            const unsigned grain = (unsigned(x) * 2654435761u ^ unsigned(y) * 40503u) >> 27;
            p[0] = uchar((x * 255 / std::max(w - 1, 1) + int(grain)) & 0xFF);
            p[1] = uchar((y * 7 + (x % 13) * 9) & 0xFF);
            p[2] = uchar(((x ^ y) * 3 + int(grain) * 4) & 0xFF);
        }
    }
    return image;
}

std::string turboJpeg(const QImage& rgb, int pixelFormat, int subsampling, int quality, int flags) {
    tjhandle tj = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    QImage source = rgb;
    if (pixelFormat == TJPF_CMYK) {
        // Any four channels will do: the point is a four-component file.
        source = rgb.convertToFormat(QImage::Format_RGBX8888);
    }
    const int ok =
        tjCompress2(tj, source.constBits(), source.width(), int(source.bytesPerLine()),
                    source.height(), pixelFormat, &jpeg, &size, subsampling, quality, flags);
    EXPECT_EQ(ok, 0) << tjGetErrorStr2(tj);
    std::string bytes(reinterpret_cast<const char*>(jpeg), size);
    tjFree(jpeg);
    tjDestroy(tj);
    return bytes;
}

// What Qt's own JPEG reader makes of the file, turned into 24 bits.
common::Raster qtDecode(const std::string& path) {
    QImageReader reader(QString::fromStdString(path), "jpeg");
    const QImage image = reader.read();
    EXPECT_FALSE(image.isNull()) << reader.errorString().toStdString();
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    common::Raster raster(rgb.width(), rgb.height());
    for (int y = 0; y < rgb.height(); ++y)
        std::memcpy(raster.row(y), rgb.constScanLine(y), std::size_t(rgb.width()) * 3);
    return raster;
}

} // namespace

// JPEGs are decoded by libjpeg-turbo directly; the pixels must be Qt's, bit for bit, for every
// kind of file, including those the direct path hands back to Qt.
TEST(PictureDecoder, JpegPixelsAreExactlyThoseOfQtsReader) {
    TempDir dir;
    const QImage odd = photoLike(203, 117), tiny = photoLike(1, 1), even = photoLike(64, 48);
    struct Case {
        const char* name;
        std::string bytes;
    };
    std::vector<Case> cases;
    for (int q : {50, 90, 100}) {
        QByteArray out;
        QBuffer buffer(&out);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(odd.save(&buffer, "JPEG", q));
        cases.push_back({"Qt writer", out.toStdString()});
    }
    {
        QByteArray out;
        QBuffer buffer(&out);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpeg");
        writer.setProgressiveScanWrite(true);
        writer.setOptimizedWrite(true);
        writer.setTransformation(QImageIOHandler::TransformationRotate90);
        ASSERT_TRUE(writer.write(odd));
        cases.push_back({"Qt progressive, optimized, rotated", out.toStdString()});
    }
    for (int s : {TJSAMP_444, TJSAMP_422, TJSAMP_420, TJSAMP_440, TJSAMP_411})
        cases.push_back({"subsampled", turboJpeg(odd, TJPF_RGB, s, 85, 0)});
    cases.push_back({"grey", turboJpeg(odd, TJPF_RGB, TJSAMP_GRAY, 90, 0)});
    cases.push_back({"progressive", turboJpeg(odd, TJPF_RGB, TJSAMP_420, 90, TJFLAG_PROGRESSIVE)});
    cases.push_back({"one pixel", turboJpeg(tiny, TJPF_RGB, TJSAMP_420, 90, 0)});
    cases.push_back({"width a multiple of 4", turboJpeg(even, TJPF_RGB, TJSAMP_420, 75, 0)});
    cases.push_back({"CMYK", turboJpeg(even, TJPF_CMYK, TJSAMP_444, 90, 0)});
    const std::string whole = turboJpeg(odd, TJPF_RGB, TJSAMP_420, 90, 0);
    cases.push_back({"cut short", whole.substr(0, whole.size() * 2 / 3)});

    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(std::string(cases[i].name) + " #" + std::to_string(i));
        const std::string path = dir.file("p" + std::to_string(i) + ".jpg");
        testing_support::writeFile(path, cases[i].bytes);
        common::Raster ours;
        const common::Status s = project::decodePicture(path, ours);
        ASSERT_TRUE(s.ok()) << s.message();
        const common::Raster qt = qtDecode(path);
        ASSERT_EQ(ours.width(), qt.width());
        ASSERT_EQ(ours.height(), qt.height());
        EXPECT_TRUE(ours == qt);
    }
}

// Every decoded format reaches 24 bits as Qt's own conversion (or, with transparency, Qt's
// painting over white) gives it, whichever way the raster is filled.
TEST(PictureDecoder, RasterFromEveryFormatIsQtsConversion) {
    QImage argb = photoLike(37, 11).convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb p = argb.pixel(x, y);
            argb.setPixel(x, y, qRgba(qRed(p), qGreen(p), qBlue(p), (x * 23 + y * 7) % 256));
        }
    const QImage opaque = photoLike(37, 11);
    const QImage images[] = {
        opaque,
        opaque.convertToFormat(QImage::Format_RGB32),
        opaque.convertToFormat(QImage::Format_RGB16),
        opaque.convertToFormat(QImage::Format_Grayscale8),
        opaque.convertToFormat(QImage::Format_Indexed8),
        argb,
        argb.convertToFormat(QImage::Format_ARGB32_Premultiplied),
        argb.convertToFormat(QImage::Format_RGBA8888),
    };
    for (const QImage& image : images) {
        SCOPED_TRACE(int(image.format()));
        QImage expected;
        if (image.hasAlphaChannel()) {
            expected = QImage(image.size(), QImage::Format_RGB888);
            expected.fill(Qt::white);
            QPainter painter(&expected);
            painter.drawImage(0, 0, image);
        } else {
            expected = image.convertToFormat(QImage::Format_RGB888);
        }
        const common::Raster raster = project::rasterFromImage(image);
        ASSERT_EQ(raster.width(), expected.width());
        ASSERT_EQ(raster.height(), expected.height());
        for (int y = 0; y < raster.height(); ++y)
            ASSERT_EQ(std::memcmp(raster.row(y), expected.constScanLine(y),
                                  std::size_t(raster.width()) * 3),
                      0)
                << "row " << y;
    }
}
