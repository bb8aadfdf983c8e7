#pragma once
// LZW decompression of GIF image data into colour indexes. Every string is copied from where
// its earlier occurrence was written, so a long run costs one copy instead of a walk along the
// string table per pixel.

#include <cstddef>
#include <cstdint>

namespace project {

enum class GifLzwResult {
    Complete,  // `count` indexes decoded (any further codes are ignored)
    Truncated, // the data or an end code came before the last pixel
    Corrupt,   // a code that no decoder state allows
};

// Bytes `decodeGifLzw` may write past `count`: the output buffer must hold count + this.
inline constexpr std::size_t kGifLzwSlack = 4096 + 16;

// Decodes the concatenated data sub-blocks `data` of an image whose code size byte was
// `codeSize` (0..8) into `out[0 .. count)`. Bytes of `out` from count on may be overwritten.
GifLzwResult decodeGifLzw(int codeSize, const std::uint8_t* data, std::size_t size,
                          std::uint8_t* out, std::size_t count);

} // namespace project
