#include "common/raster.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <sys/mman.h>
#include <utility>

namespace common {

namespace {

// Pictures of a few megabytes and more are mapped from the system directly: the pages come
// zero-filled when first written, are handed back whole when the raster goes, and may be huge
// pages, which saves most of the page faults of a big picture.
constexpr std::size_t kMappedBytes = std::size_t(1) << 21;

std::uint8_t* allocateZeroed(std::size_t bytes) {
    if (bytes == 0) return nullptr;
    if (bytes >= kMappedBytes) {
        void* p =
            ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED) throw std::bad_alloc();
        (void)::madvise(p, bytes, MADV_HUGEPAGE);
        return static_cast<std::uint8_t*>(p);
    }
    void* p = std::calloc(bytes, 1);
    if (p == nullptr) throw std::bad_alloc();
    return static_cast<std::uint8_t*>(p);
}

void release(std::uint8_t* pixels, std::size_t bytes) {
    if (pixels == nullptr) return;
    if (bytes >= kMappedBytes)
        ::munmap(pixels, bytes);
    else
        std::free(pixels);
}

} // namespace

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
      m_bytes(std::size_t(m_stride) * std::size_t(m_height)), m_pixels(allocateZeroed(m_bytes)) {}

Raster::Raster(const Raster& o)
    : m_width(o.m_width), m_height(o.m_height), m_stride(o.m_stride), m_bytes(o.m_bytes),
      m_pixels(allocateZeroed(m_bytes)) {
    if (m_bytes > 0) std::memcpy(m_pixels, o.m_pixels, m_bytes);
}

Raster::Raster(Raster&& o) noexcept
    : m_width(std::exchange(o.m_width, 0)), m_height(std::exchange(o.m_height, 0)),
      m_stride(std::exchange(o.m_stride, 0)), m_bytes(std::exchange(o.m_bytes, 0)),
      m_pixels(std::exchange(o.m_pixels, nullptr)) {}

Raster& Raster::operator=(const Raster& o) {
    if (this != &o) {
        if (m_bytes == o.m_bytes) { // the same memory serves: no unmapping and faulting again
            m_width = o.m_width;
            m_height = o.m_height;
            m_stride = o.m_stride;
            if (m_bytes > 0) std::memcpy(m_pixels, o.m_pixels, m_bytes);
        } else {
            Raster copy(o);
            *this = std::move(copy);
        }
    }
    return *this;
}

Raster& Raster::operator=(Raster&& o) noexcept {
    if (this != &o) {
        release(m_pixels, m_bytes);
        m_width = std::exchange(o.m_width, 0);
        m_height = std::exchange(o.m_height, 0);
        m_stride = std::exchange(o.m_stride, 0);
        m_bytes = std::exchange(o.m_bytes, 0);
        m_pixels = std::exchange(o.m_pixels, nullptr);
    }
    return *this;
}

Raster::~Raster() {
    release(m_pixels, m_bytes);
}

void Raster::fill(Rgb c) {
    if (c == 0) {
        if (m_bytes > 0) std::memset(m_pixels, 0, m_bytes);
        return;
    }
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x)
            setPixel(x, y, c);
}

bool Raster::operator==(const Raster& o) const {
    if (m_width != o.m_width || m_height != o.m_height) return false;
    if (m_bytes == 0) return true; // rows of an empty raster have no memory to compare
    for (int y = 0; y < m_height; ++y)
        if (std::memcmp(row(y), o.row(y), std::size_t(m_width) * 3) != 0) return false;
    return true;
}

} // namespace common
