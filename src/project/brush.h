#pragma once
// The map editor's pen: solid lines of a given width with round ends and joins, in one exact
// colour, no blending. Width 1 is a one-pixel (Bresenham) line.

#include "common/raster.h"

namespace project {

// Paints the segment (x0, y0)-(x1, y1) into `map`, clipped at its edges, and returns the
// rectangle of pixels it may have changed (already clipped; empty when nothing lies inside).
// A pixel belongs to the line when its centre lies within width / 2 of the segment; for even
// widths the segment runs along pixel corners, so width 2 gives a line two pixels wide.
common::PixelRect paintSegment(common::Raster& map, int x0, int y0, int x1, int y1, int width,
                               common::Rgb color);

// The rectangle paintSegment would touch, clipped to `bounds`.
common::PixelRect segmentBounds(const common::PixelRect& bounds, int x0, int y0, int x1, int y1,
                                int width);

} // namespace project
