#include "project/compose.h"

#include "project/palette.h"

#include <cassert>
#include <cstdint>
#include <cstring>

namespace project {

namespace {

using std::uint64_t;
using std::uint8_t;

constexpr int kChunkPixels = 8; // 24 bytes: three 64-bit words
constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;

inline bool chunkIsBlack(const uint8_t* m) {
    uint64_t w[3];
    std::memcpy(w, m, 24);
    return (w[0] | w[1] | w[2]) == 0;
}

// One bit per byte of a 64-bit word: set where the byte is not zero.
inline unsigned nonZeroBytes(uint64_t w) {
    const uint64_t high = (((w & kLow7) + kLow7) | w) & ~kLow7;
    return unsigned(((high >> 7) * 0x0102040810204080ULL) >> 56);
}

// True when none of the chunk's eight pixels is black (the inside of a region).
inline bool allPixelsSet(const uint8_t* m) {
    uint64_t w[3];
    std::memcpy(w, m, 24);
    const std::uint32_t bytes =
        nonZeroBytes(w[0]) | (nonZeroBytes(w[1]) << 8) | (nonZeroBytes(w[2]) << 16);
    const std::uint32_t pixels = bytes | (bytes >> 1) | (bytes >> 2);
    return (pixels & 0x249249u) == 0x249249u;
}

// Per-byte (a + b) / 2 rounded down, eight bytes at a time.
inline void averageChunk(const uint8_t* s, const uint8_t* m, uint8_t* d) {
    uint64_t a[3], b[3];
    std::memcpy(a, s, 24);
    std::memcpy(b, m, 24);
    for (int i = 0; i < 3; ++i)
        a[i] = (a[i] & b[i]) + (((a[i] ^ b[i]) >> 1) & kLow7);
    std::memcpy(d, a, 24);
}

inline void mixPixel(const uint8_t* s, const uint8_t* m, uint8_t* d) {
    d[0] = uint8_t((s[0] + m[0]) >> 1);
    d[1] = uint8_t((s[1] + m[1]) >> 1);
    d[2] = uint8_t((s[2] + m[2]) >> 1);
}

void maskRow(const uint8_t* s, const uint8_t* m, uint8_t* d, int n) {
    int x = 0;
    for (; x + kChunkPixels <= n; x += kChunkPixels, s += 24, m += 24, d += 24) {
        if (chunkIsBlack(m)) {
            std::memcpy(d, s, 24);
            continue;
        }
        averageChunk(s, m, d);
        if (!allPixelsSet(m)) {
            for (int i = 0; i < 24; i += 3)
                if ((m[i] | m[i + 1] | m[i + 2]) == 0) std::memcpy(d + i, s + i, 3);
        }
    }
    for (; x < n; ++x, s += 3, m += 3, d += 3) {
        if (m[0] | m[1] | m[2])
            mixPixel(s, m, d);
        else
            std::memcpy(d, s, 3);
    }
}

void currentColorRow(const uint8_t* s, const uint8_t* m, uint8_t* d, int n, common::Rgb color) {
    const uint8_t c0 = uint8_t(color >> 16), c1 = uint8_t(color >> 8), c2 = uint8_t(color);
    int x = 0;
    for (; x + kChunkPixels <= n; x += kChunkPixels, s += 24, m += 24, d += 24) {
        if (chunkIsBlack(m)) {
            std::memcpy(d, s, 24);
            continue;
        }
        for (int i = 0; i < 24; i += 3) {
            if (m[i] == c0 && m[i + 1] == c1 && m[i + 2] == c2)
                mixPixel(s + i, m + i, d + i);
            else
                std::memcpy(d + i, s + i, 3);
        }
    }
    for (; x < n; ++x, s += 3, m += 3, d += 3) {
        if (m[0] == c0 && m[1] == c1 && m[2] == c2)
            mixPixel(s, m, d);
        else
            std::memcpy(d, s, 3);
    }
}

} // namespace

void composeView(const common::Raster& source, const common::Raster& map, common::Raster& display,
                 View view, int currentColor, common::PixelRect area) {
    assert(map.width() == source.width() && map.height() == source.height());
    assert(display.width() == source.width() && display.height() == source.height());
    const common::PixelRect r =
        area.intersected(source.bounds()).intersected(map.bounds()).intersected(display.bounds());
    if (r.isEmpty()) return;
    const bool plain =
        view == View::Source || (view == View::SourceAndCurrentColor && currentColor == 0);
    const common::Rgb color =
        currentColor > 0 && currentColor < kTableSize ? paletteColors[currentColor] : 0;
    for (int y = r.y; y < r.y + r.h; ++y) {
        const uint8_t* s = source.row(y) + 3 * r.x;
        const uint8_t* m = map.row(y) + 3 * r.x;
        uint8_t* d = display.row(y) + 3 * r.x;
        if (plain)
            std::memcpy(d, s, std::size_t(r.w) * 3);
        else if (view == View::SourceAndMask)
            maskRow(s, m, d, r.w);
        else
            currentColorRow(s, m, d, r.w, color);
    }
}

} // namespace project
