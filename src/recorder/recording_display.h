#pragma once
// What the recorder shows of a recording: its duration, the waveform envelope and the playback
// position, all computed from the WAV image with the channels and rate of its own header.
// Pure functions.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace recorder {

struct WavePoint {
    double seconds = 0;
    double level = 0; // -1 to 1
};

inline constexpr int kEnvelopeSlices = 500;

// (length - 44) / channels × 0.5 / rate seconds; 0 for an image without a usable header.
double recordingDuration(std::span<const std::byte> image);

// 999 points: the first sample at 0 s, then for each of slices 1 to 499 of the samples its
// largest value (at p × step) and its smallest (at (p + 0.5) × step), step = duration / 500;
// both start from 0. The samples after the 499th slice are not drawn.
std::vector<WavePoint> waveformEnvelope(std::span<const std::byte> image);

// duration × played / length, never past the duration and exactly it once all is played; the
// duration itself without a stream or with a length of 0.
double playbackPosition(double duration, std::optional<std::uint64_t> played,
                        std::optional<std::uint64_t> length);

// "Продолжительность записи: %5.1f сек" and "Позиция: %5.1f сек", "." as separator.
std::string durationText(double seconds);
std::string positionText(double seconds);

} // namespace recorder
