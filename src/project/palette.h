#pragma once
// The fixed palette: 200 choosable region colours (0 is black, no region) followed by 16
// colours that only take part in the reverse lookup. All 216 values are distinct.

#include "common/raster.h"

#include <array>

namespace project {

constexpr int kPaletteSize = 200;
constexpr int kTableSize = 216;

extern const std::array<common::Rgb, kTableSize> paletteColors;

// Smallest index whose value equals `color`; 0 when none does (black gives 0 as well).
int colorIndexOf(common::Rgb color);

} // namespace project
