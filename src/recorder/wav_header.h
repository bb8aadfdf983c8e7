#pragma once
// The 44-byte header of a recording's WAV image: 16-bit PCM, channels interleaved, all numbers
// little-endian. Pure functions over byte spans.

#include <cstddef>
#include <cstdint>
#include <span>

namespace recorder {

inline constexpr std::uint32_t kWavHeaderSize = 44;

// What the header says about the samples after it.
struct WavFormat {
    int channels = 0;
    int rate = 0; // Hz
};

// Writes the header for `channels` and `rate` with 0 in both size fields (offsets 4 and 40).
void writeWavHeader(std::span<std::byte, kWavHeaderSize> header, int channels, int rate);
// Fills both size fields from the whole image's length: length - 8 at offset 4, length - 44 at
// offset 40. The image must hold at least the header.
void setWavSizes(std::span<std::byte> image);
// Channels (offset 22) and rate (offset 24) of the image; zeros when it is shorter than a header.
WavFormat wavFormatOf(std::span<const std::byte> image);

// Little-endian reads and writes inside an image.
std::uint32_t readLe32(std::span<const std::byte> bytes, std::size_t offset);
std::uint16_t readLe16(std::span<const std::byte> bytes, std::size_t offset);

} // namespace recorder
