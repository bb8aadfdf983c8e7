#pragma once
// Composition of the shown picture from the source picture and the colour map.

#include "common/raster.h"

namespace project {

enum class View {
    Source,                // the picture alone
    SourceAndMask,         // every non-black map pixel mixed half and half into the picture
    SourceAndCurrentColor, // only the pixels of the current colour mixed in
};

// Recomputes the pixels of `area` (clipped to the picture) of `display` from `source` and `map`,
// which all have the same size. `currentColor` is a palette index; 0 mixes nothing in the third
// view. Works on raw rows; a whole-picture pass is composeView with source.bounds().
void composeView(const common::Raster& source, const common::Raster& map, common::Raster& display,
                 View view, int currentColor, common::PixelRect area);

} // namespace project
