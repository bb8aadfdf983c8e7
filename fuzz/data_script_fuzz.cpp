// The data block with random tables and maps: every value stays inside its string (no line
// break but the block's own CR LF), and every encoded map row decodes to its samples.
#include "common/raster.h"
#include "project/palette.h"
#include "project/region_attributes.h"
#include "publish/data_script.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <string>

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    std::abort();
}

// The page's decoder: pairs of index and run length up to "2323".
void checkRow(const std::string& row, const common::Raster& map, int y) {
    std::size_t i = 0;
    int x = 1;
    for (;; i += 4) {
        if (i + 4 > row.size()) std::abort();
        if (row.compare(i, 4, "2323") == 0 && i + 4 == row.size()) break;
        const int index = hexValue(row[i]) * 16 + hexValue(row[i + 1]);
        const int run = hexValue(row[i + 2]) * 16 + hexValue(row[i + 3]);
        if (run == 0) std::abort();
        for (int k = 0; k < run; ++k, x += 3) {
            if (x >= map.width()) std::abort();
            if (project::colorIndexOf(map.pixel(x, y)) != index) std::abort();
        }
    }
    if (x < map.width()) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    project::RegionAttributes attrs;
    attrs.rowCount = in.ConsumeIntegralInRange(0, project::kColorCount);
    const int cells = in.ConsumeIntegralInRange(0, 40);
    for (int k = 0; k < cells; ++k) {
        const auto field =
            project::kFileFieldOrder[in.ConsumeIntegralInRange(0, project::kFieldCount - 1)];
        const int color = in.ConsumeIntegralInRange(0, project::kColorCount - 1);
        const int event = in.ConsumeIntegralInRange(0, project::kEventCount - 1);
        attrs.set(field, color, event, in.ConsumeRandomLengthString(48));
    }
    attrs.backgroundMusic = in.ConsumeRandomLengthString(32);
    attrs.backgroundVolume = in.ConsumeRandomLengthString(8);
    attrs.backgroundLoop = in.ConsumeRandomLengthString(4);

    const int w = in.ConsumeIntegralInRange(0, 900), h = in.ConsumeIntegralInRange(0, 12);
    common::Raster map(w, h);
    const bool paletteOnly = in.ConsumeBool();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w && in.remaining_bytes() > 0; ++x) {
            const common::Rgb rgb = paletteOnly ? project::paletteColors[in.ConsumeIntegralInRange(
                                                      0, project::kPaletteSize - 1)]
                                                : in.ConsumeIntegral<std::uint32_t>() & 0xFFFFFF;
            map.setPixel(x, y, rgb);
        }

    const std::string block = publish::BuildDataScript(attrs, w, h, map);
    std::string rest;
    for (std::size_t i = 0; i < block.size(); ++i) {
        if (block[i] == '\r' && i + 1 < block.size() && block[i + 1] == '\n') {
            ++i;
            continue;
        }
        if (block[i] == '\r' || block[i] == '\n') std::abort();
    }
    std::size_t lines = 0;
    for (std::size_t p = block.find("\r\n"); p != std::string::npos; p = block.find("\r\n", p + 2))
        ++lines;
    const std::size_t mapRows = h > 1 ? std::size_t((h - 2) / 3 + 1) : 0;
    if (lines != 2 + std::size_t(attrs.rowCount) + 2 + mapRows) std::abort();
    for (int y = 1; y < h; y += 3)
        checkRow(publish::EncodeMapRow(map, y), map, y);
    return 0;
}
