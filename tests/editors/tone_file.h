#pragma once
// A short sine tone written as a 16-bit mono PCM WAV file, for tests that play a sound.

#include "support/test_files.h"

#include <cmath>
#include <cstdint>
#include <string>

namespace testing_support {

inline void writeToneWav(const std::string& path, int milliseconds, int rate = 22050) {
    const std::uint32_t frames = std::uint32_t(std::int64_t(rate) * milliseconds / 1000);
    const std::uint32_t dataBytes = frames * 2;
    std::string bytes;
    auto put = [&bytes](std::uint32_t value, int size) {
        for (int i = 0; i < size; ++i)
            bytes += char((value >> (8 * i)) & 0xFF);
    };
    bytes += "RIFF";
    put(36 + dataBytes, 4);
    bytes += "WAVEfmt ";
    put(16, 4);
    put(1, 2); // PCM
    put(1, 2); // mono
    put(std::uint32_t(rate), 4);
    put(std::uint32_t(rate) * 2, 4);
    put(2, 2);
    put(16, 2);
    bytes += "data";
    put(dataBytes, 4);
    for (std::uint32_t i = 0; i < frames; ++i) {
        const double s = std::sin(2 * 3.14159265358979 * 440.0 * i / rate);
        put(std::uint32_t(std::uint16_t(std::int16_t(s * 8000))), 2);
    }
    writeFile(path, bytes);
}

} // namespace testing_support
