#include "project/map_file.h"

#include "project/palette.h"
#include "support/test_files.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>
#include <sys/resource.h>
#include <vector>

namespace {

using common::Raster;
using common::Rgb;
using testing_support::FileSizeLimit;
using testing_support::readFile;
using testing_support::TempDir;
using testing_support::writeFile;

// A map whose pixel (x, y) is color(x, y).
Raster makeMap(int w, int h, const std::function<Rgb(int, int)>& color) {
    Raster map(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            map.setPixel(x, y, color(x, y));
    return map;
}

// Regions of palette colours on black: bands, a block and a few single pixels.
Raster paletteRegions(int w, int h) {
    return makeMap(w, h, [](int x, int y) -> Rgb {
        if (x % 37 == 5 && y % 11 == 3) return project::paletteColors[199];
        if (y > 10 && y < 40 && x > 20 && x < 90) return project::paletteColors[12];
        if ((x + 2 * y) % 50 < 7)
            return project::paletteColors[std::size_t(1 + (x / 7 + y / 5) % 199)];
        return 0;
    });
}

std::vector<std::string> filesIn(const TempDir& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        names.push_back(entry.path().filename().string());
    return names;
}

// Opens a written GIF with the library's own slurping decoder, to check the file's structure.
struct SlurpedGif {
    explicit SlurpedGif(const std::string& path) {
        int error = 0;
        gif = DGifOpenFileName(path.c_str(), &error);
        if (gif != nullptr && DGifSlurp(gif) != GIF_OK) {
            DGifCloseFile(gif, &error);
            gif = nullptr;
        }
    }
    ~SlurpedGif() {
        if (gif != nullptr) DGifCloseFile(gif, nullptr);
    }
    GifFileType* gif = nullptr;
};

// --- GIFs made by other writers -------------------------------------------------------------

struct Frame {
    int left = 0, top = 0, width = 0, height = 0;
    bool interlace = false;
    std::vector<GifColorType> localColors; // empty: none
    int transparentIndex = -1;
    std::function<int(int, int)> index; // colour index at frame pixel (x, y)
};

ColorMapObject* makeColorMap(const std::vector<GifColorType>& colors) {
    int size = 2;
    while (size < int(colors.size()))
        size *= 2;
    ColorMapObject* map = GifMakeMapObject(size, nullptr);
    for (std::size_t i = 0; i < colors.size(); ++i)
        map->Colors[i] = colors[i];
    return map;
}

void writeForeignGif(const std::string& path, int screenW, int screenH,
                     const std::vector<GifColorType>& globalColors, int background,
                     const std::vector<Frame>& frames) {
    int error = 0;
    GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
    ASSERT_NE(gif, nullptr);
    EGifSetGifVersion(gif, true);
    ColorMapObject* global = globalColors.empty() ? nullptr : makeColorMap(globalColors);
    ASSERT_EQ(EGifPutScreenDesc(gif, screenW, screenH, 8, background, global), GIF_OK);
    GifFreeMapObject(global);
    for (const Frame& frame : frames) {
        if (frame.transparentIndex >= 0) {
            GraphicsControlBlock gcb{};
            gcb.DisposalMode = DISPOSAL_UNSPECIFIED;
            gcb.TransparentColor = frame.transparentIndex;
            GifByteType extension[4];
            const std::size_t n = EGifGCBToExtension(&gcb, extension);
            ASSERT_EQ(EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(n), extension), GIF_OK);
        }
        ColorMapObject* local =
            frame.localColors.empty() ? nullptr : makeColorMap(frame.localColors);
        ASSERT_EQ(EGifPutImageDesc(gif, frame.left, frame.top, frame.width, frame.height,
                                   frame.interlace, local),
                  GIF_OK);
        GifFreeMapObject(local);
        std::vector<int> rows;
        if (frame.interlace) {
            const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
            for (int pass = 0; pass < 4; ++pass)
                for (int y = start[pass]; y < frame.height; y += step[pass])
                    rows.push_back(y);
        } else {
            for (int y = 0; y < frame.height; ++y)
                rows.push_back(y);
        }
        std::vector<GifPixelType> line(std::size_t(frame.width));
        for (int y : rows) {
            for (int x = 0; x < frame.width; ++x)
                line[std::size_t(x)] = GifPixelType(frame.index(x, y));
            ASSERT_EQ(EGifPutLine(gif, line.data(), frame.width), GIF_OK);
        }
    }
    ASSERT_EQ(EGifCloseFile(gif, &error), GIF_OK);
}

const std::vector<GifColorType> kRgbw = {
    {0xFF, 0x00, 0x00}, {0x00, 0xFF, 0x00}, {0x00, 0x00, 0xFF}, {0xFF, 0xFF, 0xFF}};

// --- Round trips ----------------------------------------------------------------------------

struct RoundTripCase {
    const char* name;
    std::function<Raster()> make;
};

class MapRoundTrip : public testing::TestWithParam<RoundTripCase> {};

TEST_P(MapRoundTrip, ReadingBackGivesEveryPixelUnchanged) {
    TempDir dir;
    const std::string path = dir.file("beach.map");
    const Raster map = GetParam().make();
    ASSERT_TRUE(project::writeMapFile(path, map).ok());

    Raster back;
    const common::Status s = project::readMapFile(path, back);
    ASSERT_TRUE(s.ok()) << s.message();
    ASSERT_EQ(back.width(), map.width());
    ASSERT_EQ(back.height(), map.height());
    EXPECT_TRUE(back == map);
}

INSTANTIATE_TEST_SUITE_P(
    Maps, MapRoundTrip,
    testing::Values(
        RoundTripCase{"OnePixelBlack", [] { return Raster(1, 1); }},
        RoundTripCase{"OnePixelColour",
                      [] { return makeMap(1, 1, [](int, int) { return 0x123456u; }); }},
        RoundTripCase{"AllBlack", [] { return Raster(33, 7); }},
        RoundTripCase{"PaletteRegions", [] { return paletteRegions(203, 97); }},
        RoundTripCase{"EveryPaletteColour",
                      [] {
                          return makeMap(200, 3, [](int x, int) {
                              return project::paletteColors[std::size_t(x)];
                          });
                      }},
        // Colours that are in no palette entry still survive exactly.
        RoundTripCase{"ColoursOutsideThePalette",
                      [] {
                          return makeMap(17, 9, [](int x, int y) {
                              return Rgb(0x010203u * Rgb(x % 5) + 0x7F0001u * Rgb(y % 3));
                          });
                      }},
        RoundTripCase{"Exactly256Colours",
                      [] {
                          return makeMap(64, 40, [](int x, int y) {
                              const Rgb i = Rgb((x + 64 * y) % 256);
                              return (i << 16) | ((255 - i) << 8) | (i * 7 % 256);
                          });
                      }},
        // Decoded within the raster's own memory, the last few hundred rows
        // from a copy of their indexes.
        RoundTripCase{"NarrowAndTall",
                      [] {
                          return makeMap(3, 5000, [](int x, int y) {
                              return project::paletteColors[std::size_t((x + y / 7) % 200)];
                          });
                      }},
        // Long incompressible runs exercise the LZW table resets.
        RoundTripCase{"LargeNoisyMap",
                      [] {
                          return makeMap(1501, 999, [](int x, int y) {
                              const unsigned h = unsigned(x) * 73856093u ^ unsigned(y) * 19349663u;
                              return project::paletteColors[(h >> 7) % 200];
                          });
                      }}),
    [](const testing::TestParamInfo<RoundTripCase>& info) { return info.param.name; });

TEST(MapFile, WritesOneFrameWithAPowerOfTwoTableHoldingEveryColour) {
    struct Case {
        int colours;
        int tableSize;
    };
    for (const Case c : {Case{1, 2}, Case{2, 2}, Case{3, 4}, Case{200, 256}, Case{256, 256}}) {
        SCOPED_TRACE(c.colours);
        TempDir dir;
        const std::string path = dir.file("m.map");
        const Raster map = makeMap(c.colours, 2, [](int x, int) { return Rgb(x) * 0x010101u; });
        ASSERT_TRUE(project::writeMapFile(path, map).ok());

        SlurpedGif file(path);
        ASSERT_NE(file.gif, nullptr);
        EXPECT_EQ(file.gif->SWidth, c.colours);
        EXPECT_EQ(file.gif->SHeight, 2);
        EXPECT_EQ(file.gif->ImageCount, 1);
        ASSERT_NE(file.gif->SColorMap, nullptr);
        EXPECT_EQ(file.gif->SColorMap->ColorCount, c.tableSize);
        EXPECT_EQ(file.gif->SavedImages[0].ImageDesc.ColorMap, nullptr);
    }
}

TEST(MapFile, ReplacesAnExistingFile) {
    TempDir dir;
    const std::string path = dir.file("m.map");
    writeFile(path, std::string(5000, 'x'));
    const Raster map = paletteRegions(40, 30);
    ASSERT_TRUE(project::writeMapFile(path, map).ok());
    Raster back;
    ASSERT_TRUE(project::readMapFile(path, back).ok());
    EXPECT_TRUE(back == map);
    EXPECT_EQ(filesIn(dir), std::vector<std::string>{"m.map"});
}

TEST(MapFile, RefusesMapsItCannotStore) {
    struct Case {
        const char* name;
        Raster map;
        const char* message;
    };
    const Case cases[] = {
        {"257 colours", makeMap(257, 1, [](int x, int) { return Rgb(x) * 0x010101u; }),
         "Карта содержит больше 256 цветов и не может быть сохранена"},
        {"empty", Raster(), "Карта пуста и не может быть сохранена"},
        {"too wide", Raster(65536, 1),
         "Карта больше 65535 точек по ширине или высоте и не может быть сохранена"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir.file("m.map");
        const std::string old = "old map bytes";
        writeFile(path, old);
        const common::Status s = project::writeMapFile(path, c.map);
        EXPECT_FALSE(s.ok());
        EXPECT_EQ(s.message(), c.message);
        EXPECT_EQ(readFile(path), old);
        EXPECT_EQ(filesIn(dir), std::vector<std::string>{"m.map"});
    }
}

TEST(MapFile, FailedWriteLeavesTheOldFileWhole) {
    TempDir dir;
    const std::string path = dir.file("m.map");
    const Raster oldMap = paletteRegions(50, 40);
    ASSERT_TRUE(project::writeMapFile(path, oldMap).ok());
    const std::string oldBytes = readFile(path);

    // Noise compresses badly, so the new file is far larger than the limit.
    const Raster newMap = makeMap(300, 300, [](int x, int y) {
        return project::paletteColors[(unsigned(x) * 2654435761u ^ unsigned(y) * 40503u) % 200];
    });
    common::Status s = common::Status::success();
    {
        FileSizeLimit limit(1000);
        s = project::writeMapFile(path, newMap);
    }
    EXPECT_FALSE(s.ok());
    EXPECT_NE(s.message().find(path), std::string::npos) << s.message();
    EXPECT_EQ(readFile(path), oldBytes);
    EXPECT_EQ(filesIn(dir), std::vector<std::string>{"m.map"});
}

TEST(MapFile, WriteIntoAMissingFolderFailsNamingThePath) {
    TempDir dir;
    const std::string path = dir.file("no-such-folder/m.map");
    const common::Status s = project::writeMapFile(path, Raster(4, 4));
    EXPECT_FALSE(s.ok());
    EXPECT_NE(s.message().find(path), std::string::npos) << s.message();
}

// --- The file's bytes ------------------------------------------------------------------------

// The map file as giflib's own encoder writes it: sorted colour table of the smallest power of
// two, one image of the whole screen, the pixels line by line.
std::string giflibBytes(const Raster& map) {
    std::vector<Rgb> colors;
    for (int y = 0; y < map.height(); ++y)
        for (int x = 0; x < map.width(); ++x)
            colors.push_back(map.pixel(x, y));
    std::sort(colors.begin(), colors.end());
    colors.erase(std::unique(colors.begin(), colors.end()), colors.end());
    std::vector<GifColorType> table;
    for (Rgb c : colors)
        table.push_back({GifByteType(c >> 16), GifByteType(c >> 8), GifByteType(c)});
    ColorMapObject* colorMap = makeColorMap(table);

    std::string out;
    int error = 0;
    GifFileType* gif = EGifOpen(
        &out,
        [](GifFileType* g, const GifByteType* data, int n) {
            static_cast<std::string*>(g->UserData)
                ->append(reinterpret_cast<const char*>(data), std::size_t(n));
            return n;
        },
        &error);
    EXPECT_NE(gif, nullptr);
    EXPECT_EQ(
        EGifPutScreenDesc(gif, map.width(), map.height(), colorMap->BitsPerPixel, 0, colorMap),
        GIF_OK);
    EXPECT_EQ(EGifPutImageDesc(gif, 0, 0, map.width(), map.height(), false, nullptr), GIF_OK);
    std::vector<GifPixelType> line(std::size_t(map.width()));
    for (int y = 0; y < map.height(); ++y) {
        for (int x = 0; x < map.width(); ++x)
            line[std::size_t(x)] = GifPixelType(
                std::lower_bound(colors.begin(), colors.end(), map.pixel(x, y)) - colors.begin());
        EXPECT_EQ(EGifPutLine(gif, line.data(), map.width()), GIF_OK);
    }
    EXPECT_EQ(EGifCloseFile(gif, &error), GIF_OK);
    GifFreeMapObject(colorMap);
    return out;
}

Rgb noise(int x, int y, int colours) {
    const unsigned h = unsigned(x) * 73856093u ^ unsigned(y) * 19349663u;
    return project::paletteColors[(h >> 7) % unsigned(colours)];
}

// The map writer has its own compressor; its files are giflib's to the byte, so files written
// before and after it came are the same.
TEST(MapFile, WritesExactlyTheBytesGiflibWrites) {
    struct Case {
        const char* name;
        Raster map;
    };
    const Case cases[] = {
        {"one pixel", Raster(1, 1)},
        {"one colour, long runs up to 12-bit codes", Raster(3001, 1999)},
        {"two colours", makeMap(61, 13, [](int x, int y) { return (x + y) % 3 ? 0u : 0xFF00FFu; })},
        {"three colours, width below eight",
         makeMap(5, 40, [](int x, int y) { return Rgb((x * y) % 3) * 0x405060u; })},
        {"palette regions", paletteRegions(203, 97)},
        {"noise of 16 colours", makeMap(333, 211, [](int x, int y) { return noise(x, y, 16); })},
        {"noise of 200 colours, many table clears",
         makeMap(1501, 999, [](int x, int y) { return noise(x, y, 200); })},
        {"256 colours", makeMap(64, 40,
                                [](int x, int y) {
                                    const Rgb i = Rgb((x + 64 * y) % 256);
                                    return (i << 16) | ((255 - i) << 8) | (i * 7 % 256);
                                })},
        {"runs of every length, table clears inside runs",
         makeMap(2003, 1001, [](int x, int y) { return noise(x / (1 + y % 97), y / 2, 50); })},
        {"runs broken every few pixels",
         makeMap(997, 301, [](int x, int y) { return (x / 9 + y / 4) % 7 ? 0u : 0x00CC33u; })},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir.file("m.map");
        ASSERT_TRUE(project::writeMapFile(path, c.map).ok());
        EXPECT_TRUE(readFile(path) == giflibBytes(c.map));
    }
}

// Pixels of the first frame of `bytes` as giflib's own decoder gives them.
Raster giflibPixels(const std::string& bytes) {
    struct Input {
        const std::string* bytes;
        std::size_t at = 0;
    } input{&bytes};
    int error = 0;
    GifFileType* gif = DGifOpen(
        &input,
        [](GifFileType* g, GifByteType* data, int n) {
            auto* in = static_cast<Input*>(g->UserData);
            const std::size_t k = std::min(std::size_t(n), in->bytes->size() - in->at);
            std::memcpy(data, in->bytes->data() + in->at, k);
            in->at += k;
            return int(k);
        },
        &error);
    EXPECT_NE(gif, nullptr);
    EXPECT_EQ(DGifSlurp(gif), GIF_OK);
    const SavedImage& image = gif->SavedImages[0];
    const ColorMapObject* colors =
        image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
    Raster map(gif->SWidth, gif->SHeight);
    for (int y = 0; y < image.ImageDesc.Height; ++y)
        for (int x = 0; x < image.ImageDesc.Width; ++x) {
            const GifColorType& c =
                colors->Colors[image.RasterBits[std::size_t(y) * image.ImageDesc.Width + x]];
            map.setPixel(x, y, (Rgb(c.Red) << 16) | (Rgb(c.Green) << 8) | c.Blue);
        }
    DGifCloseFile(gif, &error);
    return map;
}

// The reader has its own decompressor: every GIF giflib writes, whatever its code size, reads
// back as giflib reads it.
TEST(MapFileRead, DecodesGiflibsFilesOfEveryCodeSizeAsGiflibDoes) {
    for (int colours : {2, 3, 4, 8, 16, 32, 64, 128, 200, 256}) {
        SCOPED_TRACE(colours);
        const Raster source = makeMap(257, 131, [colours](int x, int y) {
            // Noise over runs: long strings and table clears in one file.
            return y % 3 == 0 ? Rgb(x / 50 % colours) * 0x010101u
                              : Rgb(((x * 31 + y * 17) ^ (x * y)) % colours) * 0x010101u;
        });
        const std::string bytes = giflibBytes(source);
        Raster ours;
        const common::Status s = project::readMapBytes(
            reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), ours, "m.map");
        ASSERT_TRUE(s.ok()) << s.message();
        EXPECT_TRUE(ours == giflibPixels(bytes));
        EXPECT_TRUE(ours == source);
    }
}

// Damaged image data either reads as some map or fails naming the file; nothing else happens
// (the sanitizer build runs this too).
TEST(MapFileRead, DamagedImageDataFailsOrReadsButNeverMisbehaves) {
    const Raster source = makeMap(120, 90, [](int x, int y) { return noise(x / 3, y / 2, 40); });
    const std::string good = giflibBytes(source);
    const std::size_t dataStart = 13 + 3 * 64 + 10; // header, table of 64, image descriptor
    unsigned seed = 7;
    int failures = 0;
    for (int round = 0; round < 300; ++round) {
        std::string bytes = good;
        for (int k = 0; k < 1 + round % 4; ++k) {
            seed = seed * 1103515245u + 12345u;
            const std::size_t at = dataStart + (seed >> 8) % (bytes.size() - dataStart);
            bytes[at] = char(bytes[at] ^ (1 << (seed >> 4) % 8));
        }
        Raster map = makeMap(2, 2, [](int, int) { return 0xABCDEFu; });
        const common::Status s = project::readMapBytes(
            reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), map, "d.map");
        if (s.ok()) {
            EXPECT_EQ(map.width(), 120);
            EXPECT_EQ(map.height(), 90);
        } else {
            ++failures;
            EXPECT_NE(s.message().find("d.map"), std::string::npos) << s.message();
            EXPECT_EQ(map.pixel(1, 1), 0xABCDEFu);
        }
    }
    EXPECT_GT(failures, 0);
}

// --- Reading GIFs made elsewhere ------------------------------------------------------------

TEST(MapFileRead, InterlacedFrame) {
    TempDir dir;
    const std::string path = dir.file("i.gif");
    // 11 rows reach every interlace pass, with rows that are not a multiple of 8.
    Frame frame{0, 0, 5, 11, true, {}, -1, [](int x, int y) { return (x + y) % 4; }};
    writeForeignGif(path, 5, 11, kRgbw, 0, {frame});

    Raster map;
    ASSERT_TRUE(project::readMapFile(path, map).ok());
    ASSERT_EQ(map.width(), 5);
    ASSERT_EQ(map.height(), 11);
    const Rgb expected[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 5; ++x)
            ASSERT_EQ(map.pixel(x, y), expected[(x + y) % 4]) << x << "," << y;
}

TEST(MapFileRead, LocalColourTableWinsOverTheGlobalOne) {
    TempDir dir;
    const std::string path = dir.file("l.gif");
    Frame frame{0,     0,
                2,     1,
                false, {{0x11, 0x22, 0x33}, {0x44, 0x55, 0x66}},
                -1,    [](int x, int) { return x; }};
    writeForeignGif(path, 2, 1, kRgbw, 0, {frame});

    Raster map;
    ASSERT_TRUE(project::readMapFile(path, map).ok());
    EXPECT_EQ(map.pixel(0, 0), 0x112233u);
    EXPECT_EQ(map.pixel(1, 0), 0x445566u);
}

TEST(MapFileRead, FrameSmallerThanTheScreenLeavesTheRestBlack) {
    TempDir dir;
    const std::string path = dir.file("s.gif");
    // The background index points at white; outside the frame must still be black.
    Frame frame{2, 1, 2, 2, false, {}, -1, [](int, int) { return 0; }};
    writeForeignGif(path, 6, 4, kRgbw, 3, {frame});

    Raster map;
    ASSERT_TRUE(project::readMapFile(path, map).ok());
    ASSERT_EQ(map.width(), 6);
    ASSERT_EQ(map.height(), 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            const bool inside = x >= 2 && x < 4 && y >= 1 && y < 3;
            EXPECT_EQ(map.pixel(x, y), inside ? 0xFF0000u : 0u) << x << "," << y;
        }
}

TEST(MapFileRead, FrameReachingPastTheScreenIsClipped) {
    TempDir dir;
    const std::string path = dir.file("c.gif");
    Frame frame{2, 2, 4, 4, false, {}, -1, [](int x, int y) { return (x + y) % 4; }};
    writeForeignGif(path, 4, 3, kRgbw, 0, {frame});

    Raster map;
    ASSERT_TRUE(project::readMapFile(path, map).ok());
    ASSERT_EQ(map.width(), 4);
    ASSERT_EQ(map.height(), 3);
    EXPECT_EQ(map.pixel(2, 2), 0xFF0000u);
    EXPECT_EQ(map.pixel(3, 2), 0x00FF00u);
    EXPECT_EQ(map.pixel(1, 1), 0u);
}

TEST(MapFileRead, TransparentIndexCountsAsItsColourAndOnlyTheFirstFrameIsRead) {
    TempDir dir;
    const std::string path = dir.file("t.gif");
    Frame first{0, 0, 3, 1, false, {}, 2, [](int x, int) { return x; }};
    Frame second{0, 0, 3, 1, false, {}, -1, [](int, int) { return 3; }};
    writeForeignGif(path, 3, 1, kRgbw, 0, {first, second});

    Raster map;
    ASSERT_TRUE(project::readMapFile(path, map).ok());
    EXPECT_EQ(map.pixel(0, 0), 0xFF0000u);
    EXPECT_EQ(map.pixel(1, 0), 0x00FF00u);
    EXPECT_EQ(map.pixel(2, 0), 0x0000FFu);
}

TEST(MapFileRead, BrokenFilesFailNamingTheFileAndLeaveTheMapAlone) {
    TempDir dir;
    const std::string good = dir.file("good.map");
    ASSERT_TRUE(project::writeMapFile(good, paletteRegions(120, 80)).ok());
    const std::string goodBytes = readFile(good);

    // A GIF header and screen whose trailer follows at once: no image at all.
    TempDir scratch;
    writeForeignGif(scratch.file("none.gif"), 4, 4, kRgbw, 0, {});

    struct Case {
        const char* name;
        std::string bytes; // not written when empty
    };
    const Case cases[] = {
        {"missing", ""},
        {"text", "this is not a picture\r\n"},
        {"header only", goodBytes.substr(0, 6)},
        {"cut in the image data", goodBytes.substr(0, goodBytes.size() / 2)},
        {"no image", readFile(scratch.file("none.gif"))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file(std::string(c.name) + ".map");
        if (!c.bytes.empty()) writeFile(path, c.bytes);
        Raster map = makeMap(2, 2, [](int, int) { return 0xABCDEFu; });
        const Raster before = map;
        const common::Status s = project::readMapFile(path, map);
        EXPECT_FALSE(s.ok());
        EXPECT_NE(s.message().find(path), std::string::npos) << s.message();
        EXPECT_TRUE(map == before);
    }
}

} // namespace
