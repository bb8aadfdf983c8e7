#include "project/brush.h"

#include <algorithm>
#include <cstdlib>

namespace project {

namespace {

using Wide = __int128;

void plot(common::Raster& map, int x, int y, common::Rgb color) {
    if (map.contains(x, y)) map.setPixel(x, y, color);
}

void bresenham(common::Raster& map, int x0, int y0, int x1, int y1, common::Rgb color) {
    const long long dx = std::llabs((long long)x1 - x0), dy = -std::llabs((long long)y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    long long err = dx + dy;
    for (;;) {
        plot(map, x0, y0, color);
        if (x0 == x1 && y0 == y1) break;
        const long long e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

} // namespace

common::PixelRect segmentBounds(const common::PixelRect& bounds, int x0, int y0, int x1, int y1,
                                int width) {
    const long long reach = width / 2 + 1;
    const long long left = std::min(x0, x1) - reach, right = std::max(x0, x1) + reach;
    const long long top = std::min(y0, y1) - reach, bottom = std::max(y0, y1) + reach;
    const long long l = std::max<long long>(left, bounds.x);
    const long long t = std::max<long long>(top, bounds.y);
    const long long r = std::min<long long>(right + 1, (long long)bounds.x + bounds.w);
    const long long b = std::min<long long>(bottom + 1, (long long)bounds.y + bounds.h);
    if (r <= l || b <= t) return {};
    return {int(l), int(t), int(r - l), int(b - t)};
}

common::PixelRect paintSegment(common::Raster& map, int x0, int y0, int x1, int y1, int width,
                               common::Rgb color) {
    // Far beyond any picture, points are pulled in so that the 128-bit distance arithmetic
    // below cannot overflow; a pointer never gets that far from the map.
    constexpr int kFar = 1 << 29;
    x0 = std::clamp(x0, -kFar, kFar);
    y0 = std::clamp(y0, -kFar, kFar);
    x1 = std::clamp(x1, -kFar, kFar);
    y1 = std::clamp(y1, -kFar, kFar);
    width = std::clamp(width, 1, 1 << 16);
    const common::PixelRect box = segmentBounds(map.bounds(), x0, y0, x1, y1, width);
    if (box.isEmpty()) return box;
    if (width == 1) {
        bresenham(map, x0, y0, x1, y1, color);
        return box;
    }
    // Doubled coordinates keep everything integral: pixel centres at 2p (odd widths) or
    // 2p + 1 (even widths), end points at 2a and 2b, radius `width`.
    const int offset = (width % 2 == 0) ? 1 : 0;
    const Wide ax = 2 * Wide(x0), ay = 2 * Wide(y0);
    const Wide vx = 2 * Wide(x1) - ax, vy = 2 * Wide(y1) - ay;
    const Wide len2 = vx * vx + vy * vy;
    const Wide r2 = Wide(width) * width;
    auto inside = [&](int px, int py) {
        const Wide wx = 2 * Wide(px) + offset - ax, wy = 2 * Wide(py) + offset - ay;
        const Wide t = wx * vx + wy * vy;
        if (t <= 0 || len2 == 0) return wx * wx + wy * wy <= r2;
        if (t >= len2) {
            const Wide ex = wx - vx, ey = wy - vy;
            return ex * ex + ey * ey <= r2;
        }
        return (wx * wx + wy * wy) * len2 - t * t <= r2 * len2;
    };
    const std::uint8_t c0 = std::uint8_t(color >> 16), c1 = std::uint8_t(color >> 8),
                       c2 = std::uint8_t(color);
    // The shape is convex, so each row's inside part is one run: find its two ends.
    for (int y = box.y; y < box.y + box.h; ++y) {
        int left = box.x, right = box.x + box.w - 1;
        while (left <= right && !inside(left, y))
            ++left;
        while (right >= left && !inside(right, y))
            --right;
        std::uint8_t* p = map.row(y) + 3 * left;
        for (int x = left; x <= right; ++x, p += 3) {
            p[0] = c0;
            p[1] = c1;
            p[2] = c2;
        }
    }
    return box;
}

} // namespace project
