#pragma once
// The rules of the picture and sound libraries that need no window: the listing split into
// paths, the thumbnail grid's geometry, the fitted preview size and the status texts.
// Pure functions; every text is independent of the system's locale.

#include <string>
#include <vector>

namespace library {

// Cells of the picture grid: a 120 × 120 picture square above a 20-pixel caption strip.
inline constexpr int kCellWidth = 120;
inline constexpr int kCellHeight = 140;
inline constexpr int kThumbnailSide = 120;

// The paths of a listing of listImageFiles / listSoundFiles (each followed by CR LF), in order.
std::vector<std::string> listedPaths(const std::string& listing);
// A listed path without its folder and the separator after it: the name with its extension.
std::string visibleNameOf(const std::string& path, const std::string& folder);
// "folder name (count)", the library windows' caption after a refresh.
std::string libraryCaption(const std::string& folder, int entries);

// Columns for a grid `width` pixels wide (at least 1) and rows for `entries` (at least 1).
int gridColumns(int width);
int gridRows(int entries, int columns);

// Where a thumbnail of a w × h picture stands in its cell, relative to the cell's top left.
// A side may be 0 (a picture more than 120 times wider than high): nothing is drawn then.
struct ThumbnailPlace {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};
ThumbnailPlace thumbnailPlace(int w, int h);

// Left offset of a caption `textWidth` pixels wide inside its 110-pixel strip: centred when
// narrower, else 0.
int captionOffset(int textWidth);

// A w × h picture fitted into W × H with its proportions: W wide unless that makes it higher
// than H, then H high. Sides are truncated, as the preview and the chosen size are.
struct FittedSize {
    int width = 0;
    int height = 0;
};
FittedSize fitIntoRectangle(int w, int h, int W, int H);

// A size box being left: its whole-number value, 100 when it is not a whole number, limited to
// 10..1000.
int sizeBoxValue(const std::string& text);

// Status panel texts: "Разрешение: 800x600" and "Отношение: " + w / h in "%5.2g".
std::string resolutionText(int w, int h);
std::string ratioText(int w, int h);

// The volume a slider position 0..100 stands for, as the attribute window's volume box holds
// it: "1", "0.57", "0".
std::string sliderVolumeText(int position);

} // namespace library
