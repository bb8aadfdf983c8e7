#include "common/raster.h"

#include <algorithm>
#include <cstring>

namespace common {

PixelRect PixelRect::intersected(const PixelRect& o) const {
    const int left = std::max(x, o.x), top = std::max(y, o.y);
    const int right = std::min(x + w, o.x + o.w), bottom = std::min(y + h, o.y + o.h);
    if (right <= left || bottom <= top) return {};
    return {left, top, right - left, bottom - top};
}

PixelRect PixelRect::united(const PixelRect& o) const {
    if (isEmpty()) return o;
    if (o.isEmpty()) return *this;
    const int left = std::min(x, o.x), top = std::min(y, o.y);
    const int right = std::max(x + w, o.x + o.w), bottom = std::max(y + h, o.y + o.h);
    return {left, top, right - left, bottom - top};
}

Raster::Raster(int width, int height)
    : m_width(std::max(width, 0)), m_height(std::max(height, 0)),
      m_stride((std::ptrdiff_t(m_width) * 3 + 3) & ~std::ptrdiff_t(3)),
      m_pixels(std::size_t(m_stride) * std::size_t(m_height), 0) {}

void Raster::fill(Rgb c) {
    if (c == 0) {
        std::fill(m_pixels.begin(), m_pixels.end(), 0);
        return;
    }
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x)
            setPixel(x, y, c);
}

bool Raster::operator==(const Raster& o) const {
    if (m_width != o.m_width || m_height != o.m_height) return false;
    for (int y = 0; y < m_height; ++y)
        if (std::memcmp(row(y), o.row(y), std::size_t(m_width) * 3) != 0) return false;
    return true;
}

} // namespace common
