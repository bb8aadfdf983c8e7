#pragma once
// The data block of the page script: the picture's size, every region attribute for the three
// events, the background music, the number of colours and the colour map sampled on a 3-pixel
// grid and run-length encoded row by row. Pure functions of their inputs.

#include <string>

namespace common {
class Raster;
}

namespace project {
class RegionAttributes;
}

namespace publish {

// v in 0..255 as two upper-case hexadecimal digits, high digit first.
std::string HexByte(int v);

// "qiv_zarim/" + file name of `path` (text after its last "/" or "\"), extension kept;
// empty for an empty path.
std::string MediaUrl(const std::string& path);

// "qiv_zarim/" + file name of `path` with its extension cut off (from the whole path first)
// + ".mp4"; empty for an empty path.
std::string VideoUrl(const std::string& path);

// Map row `y` (a pixel row of `map`, normally 3n + 1) sampled at x = 1, 4, 7, ... as palette
// indexes, cut into runs of at most 255 samples, each written as HexByte(index) +
// HexByte(length), followed by the end group "2323".
std::string EncodeMapRow(const common::Raster& map, int y);

// A text as it stands inside an apostrophe-quoted script string: an apostrophe becomes
// backslash + apostrophe, and a backslash is doubled unless it starts the two characters
// backslash + "n" (the stored line break of a tooltip, which must reach the page as an escape).
// A line break inside the value (CR, LF, CR LF, U+2028, U+2029) becomes that same "\n".
std::string escapeScriptValue(const std::string& value);

// The whole block, every line ended by CR LF. Writes attrs.rowCount colour lines (at most 200)
// and samples `colorMap` at its own size; imageWidth and imageHeight go to the first line.
std::string BuildDataScript(const project::RegionAttributes& attrs, int imageWidth, int imageHeight,
                            const common::Raster& colorMap);

} // namespace publish
