#pragma once
// Path, text, listing, size and scaling helpers shared by every window. They hold no state.
// Paths are UTF-8 text and are split by plain text operations on the whole path; "/" is the
// folder separator (fileNameOf also accepts "\" so that paths written elsewhere still work).

#include <array>
#include <cstdint>
#include <string>

namespace common {

class Raster;

// Text before the last "." anywhere in the path; empty when there is none.
std::string stripExtension(const std::string& path);
// Text from the last "." (included) to the end; empty when there is none.
std::string extensionOf(const std::string& path);
// Text after the last "/" or "\"; the whole path when there is neither.
std::string fileNameOf(const std::string& path);
// Text before the last "/"; the whole path when there is none.
std::string directoryOf(const std::string& path);

// Every occurrence of `search` (not empty) replaced, left to right, never overlapping; the
// inserted text is not searched again.
std::string replaceAll(const std::string& text, const std::string& search,
                       const std::string& replacement);

struct Qiv_Result {
    std::array<std::string, 100> items;
    int count = 0;
    int limit = 100; // set by the caller, at most 100
};

// Splits `text` at `separator` into result.items; a trailing empty piece is not counted.
// Pieces beyond result.limit are dropped. Returns result.count.
int splitText(char separator, const std::string& text, Qiv_Result& result);

// Full paths of the folder's regular files with a picture (.jpg .jpeg .png .gif) or sound
// (.ogg .mp3 .wav) extension, in directory order, each followed by CR LF.
std::string listImageFiles(const std::string& folder);
std::string listSoundFiles(const std::string& folder);

// Size in bytes; 0 when the file cannot be opened for reading.
std::int64_t fileSizeOf(const std::string& path);
// "N байт", "N КБ", "N МБ", "N ГБ", "N ТБ" with truncating division; larger sizes bare.
std::string formatByteSize(std::int64_t size);

// Nearest-neighbour scaling into an already sized destination; first and last rows and
// columns map to the source's first and last. A 1-pixel-wide or -high destination takes
// source column or row 0.
void scaleNearest(const Raster& source, Raster& destination);

} // namespace common
