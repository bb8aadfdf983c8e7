#include "project/zoom.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace project {

namespace {

constexpr std::array<double, 17> kSteps = {1.0 / 16, 1.0 / 12, 1.0 / 8, 1.0 / 6, 1.0 / 4, 1.0 / 3,
                                           1.0 / 2,  2.0 / 3,  1.0,     1.5,     2.0,     3.0,
                                           4.0,      6.0,      8.0,     12.0,    16.0};
// Zooms this close to a step count as that step.
constexpr double kSame = 1e-9;

} // namespace

double zoomIn(double zoom) {
    for (double step : kSteps)
        if (step > zoom * (1 + kSame)) return step;
    return kMaxZoom;
}

double zoomOut(double zoom) {
    for (auto it = kSteps.rbegin(); it != kSteps.rend(); ++it)
        if (*it < zoom * (1 - kSame)) return *it;
    return kMinZoom;
}

double fitZoom(int pictureWidth, int pictureHeight, int areaWidth, int areaHeight) {
    if (pictureWidth <= 0 || pictureHeight <= 0 || areaWidth <= 0 || areaHeight <= 0) return 1.0;
    const double z = std::min(double(areaWidth) / pictureWidth, double(areaHeight) / pictureHeight);
    return std::clamp(z, kMinZoom, kMaxZoom);
}

int scaledLength(int length, double zoom) {
    // A hair below the exact product first, so that 6000 * (800 / 6000) stays 800.
    return std::max(0, int(std::ceil(length * zoom - 1e-6)));
}

} // namespace project
