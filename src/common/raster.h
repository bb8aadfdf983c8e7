#pragma once
// A 24-bit RGB picture held in memory: rows top to bottom, bytes R, G, B per pixel.
// Rows are padded to a multiple of 4 bytes so that a QImage can wrap them without copying.
// The pixels come from the system zero-filled and untouched: a picture-sized raster costs no
// memory and no time until its pixels are written, so decoders write straight into one.

#include <cstddef>
#include <cstdint>

namespace common {

// Colour value 0xRRGGBB.
using Rgb = std::uint32_t;

// A rectangle of pixels; empty when w or h is 0 or less.
struct PixelRect {
    int x = 0, y = 0, w = 0, h = 0;

    bool isEmpty() const { return w <= 0 || h <= 0; }
    PixelRect intersected(const PixelRect& o) const;
    PixelRect united(const PixelRect& o) const;
    bool operator==(const PixelRect&) const = default;
};

class Raster {
  public:
    Raster() = default;
    // All pixels black (and the row padding zero). Throws std::bad_alloc when the memory
    // cannot be had.
    Raster(int width, int height);
    Raster(const Raster& o);
    Raster(Raster&& o) noexcept;
    Raster& operator=(const Raster& o);
    Raster& operator=(Raster&& o) noexcept;
    ~Raster();

    int width() const { return m_width; }
    int height() const { return m_height; }
    std::ptrdiff_t stride() const { return m_stride; }
    bool isEmpty() const { return m_width <= 0 || m_height <= 0; }
    PixelRect bounds() const { return {0, 0, m_width, m_height}; }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < m_width && y < m_height; }

    std::uint8_t* row(int y) { return m_pixels + y * m_stride; }
    const std::uint8_t* row(int y) const { return m_pixels + y * m_stride; }
    std::uint8_t* data() { return m_pixels; }
    const std::uint8_t* data() const { return m_pixels; }
    std::size_t byteSize() const { return m_bytes; }

    Rgb pixel(int x, int y) const {
        const std::uint8_t* p = row(y) + 3 * x;
        return (Rgb(p[0]) << 16) | (Rgb(p[1]) << 8) | p[2];
    }
    void setPixel(int x, int y, Rgb c) {
        std::uint8_t* p = row(y) + 3 * x;
        p[0] = std::uint8_t(c >> 16);
        p[1] = std::uint8_t(c >> 8);
        p[2] = std::uint8_t(c);
    }
    void fill(Rgb c);

    bool operator==(const Raster& o) const;

  private:
    int m_width = 0;
    int m_height = 0;
    std::ptrdiff_t m_stride = 0;
    std::size_t m_bytes = 0;
    std::uint8_t* m_pixels = nullptr;
};

} // namespace common
