#include "recorder/wav_header.h"

#include <cassert>
#include <cstring>

namespace recorder {

namespace {

void putLe(std::span<std::byte> bytes, std::size_t offset, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i)
        bytes[offset + std::size_t(i)] = std::byte((value >> (8 * i)) & 0xFF);
}

void putText(std::span<std::byte> bytes, std::size_t offset, const char (&text)[5]) {
    std::memcpy(bytes.data() + offset, text, 4);
}

} // namespace

void writeWavHeader(std::span<std::byte, kWavHeaderSize> header, int channels, int rate) {
    const auto blockAlign = std::uint32_t(channels) * 16 / 8;
    putText(header, 0, "RIFF");
    putLe(header, 4, 0, 4);
    putText(header, 8, "WAVE");
    putText(header, 12, "fmt ");
    putLe(header, 16, 16, 4);
    putLe(header, 20, 1, 2); // PCM
    putLe(header, 22, std::uint32_t(channels), 2);
    putLe(header, 24, std::uint32_t(rate), 4);
    putLe(header, 28, blockAlign * std::uint32_t(rate), 4);
    putLe(header, 32, blockAlign, 2);
    putLe(header, 34, 16, 2);
    putText(header, 36, "data");
    putLe(header, 40, 0, 4);
}

void setWavSizes(std::span<std::byte> image) {
    assert(image.size() >= kWavHeaderSize && image.size() <= UINT32_MAX);
    const auto length = std::uint32_t(image.size());
    putLe(image, 4, length - 8, 4);
    putLe(image, 40, length - kWavHeaderSize, 4);
}

std::uint32_t readLe32(std::span<const std::byte> bytes, std::size_t offset) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | std::uint32_t(bytes[offset + std::size_t(i)]);
    return value;
}

std::uint16_t readLe16(std::span<const std::byte> bytes, std::size_t offset) {
    return std::uint16_t(std::uint32_t(bytes[offset]) | (std::uint32_t(bytes[offset + 1]) << 8));
}

WavFormat wavFormatOf(std::span<const std::byte> image) {
    if (image.size() < kWavHeaderSize) return {};
    return {readLe16(image, 22), int(readLe32(image, 24))};
}

} // namespace recorder
