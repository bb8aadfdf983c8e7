#include "project/jpeg_decoder.h"

#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <string>
#include <vector>

namespace {

std::string compress(int w, int h, int pixelFormat) {
    const int channels = tjPixelSize[pixelFormat];
    std::vector<unsigned char> pixels(std::size_t(w) * h * channels);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<unsigned char>(i * 37 % 251);
    tjhandle tj = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    EXPECT_EQ(tjCompress2(tj, pixels.data(), w, 0, h, pixelFormat, &jpeg, &size, TJSAMP_444, 90, 0),
              0);
    std::string bytes(reinterpret_cast<const char*>(jpeg), size);
    tjFree(jpeg);
    tjDestroy(tj);
    return bytes;
}

bool decode(const std::string& bytes, common::Raster& picture) {
    return project::decodeJpegBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                    bytes.size(), picture);
}

TEST(JpegDecoder, DecodesIntoARasterOfThePicturesSize) {
    common::Raster picture;
    ASSERT_TRUE(decode(compress(13, 5, TJPF_RGB), picture));
    EXPECT_EQ(picture.width(), 13);
    EXPECT_EQ(picture.height(), 5);
}

// Whatever the direct path cannot decode cleanly goes back to the caller untouched.
TEST(JpegDecoder, RefusesWhatItCannotDecodeCleanlyAndLeavesThePictureAlone) {
    const std::string good = compress(40, 30, TJPF_RGB);
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"empty", ""},
        {"not a JPEG", "GIF89a and more bytes"},
        {"start of image only", good.substr(0, 2)},
        {"header cut", good.substr(0, 40)},
        {"image data cut (a warning)", good.substr(0, good.size() / 2)},
        {"CMYK", compress(8, 8, TJPF_CMYK)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        common::Raster picture(2, 1);
        picture.setPixel(1, 0, 0xABCDEF);
        EXPECT_FALSE(decode(c.bytes, picture));
        ASSERT_EQ(picture.width(), 2);
        EXPECT_EQ(picture.pixel(1, 0), 0xABCDEFu);
    }
    common::Raster picture;
    EXPECT_FALSE(project::decodeJpegBytes(nullptr, 10, picture));
}

} // namespace
