#pragma once
// The effects applied to a finished recording, in this order: offset removal, amplitude, tempo
// and echo. Pure functions over 16-bit samples with the channels interleaved; every result is
// truncated toward zero.

#include <cstddef>
#include <cstdint>
#include <span>

namespace recorder {

struct EffectSettings {
    double amplitude = 1; // 0.1 to 1: the loudest sample becomes amplitude × 32767
    double tempo = 1;     // 0.3 to 3: the number of frames is divided by it
    int echoLevel = 0; // 0 none, 1 "минимальное", 2 "среднее", 3 "максимальное"
};

// Subtracts the mean of all samples, truncated, from each; a result outside 16 bits wraps.
void removeOffset(std::span<std::int16_t> samples);

// Scales so that the largest magnitude (32768 for -32768) becomes amplitude × 32767. A silent
// recording is left as it is. `amplitude` in 0..1.
void scaleToAmplitude(std::span<std::int16_t> samples, double amplitude);

// Frames after the tempo change: (1 / tempo × frames) truncated. `tempo` in 0.3..3.
std::size_t tempoFrames(std::size_t frames, double tempo);
// Resamples each channel by linear interpolation to out.size() / channels frames (as given by
// tempoFrames); a sample left over after the last whole frame of `in` is dropped.
void changeTempo(std::span<const std::int16_t> in, int channels, std::span<std::int16_t> out);

// Echo of `level` 1 to 3 (0 does nothing): with D = rate div 3 frames and a = 0.3, 0.4 or 0.5,
// every frame k > level × D gets a × x[k - D], then a² × x[k - 2D] (levels 2 and 3), then
// a³ × x[k - 3D] (level 3) added, where x are the samples before the echo; the sum is limited
// to 16 bits. Earlier frames keep their values.
void addEcho(std::span<std::int16_t> samples, int channels, int rate, int level);

} // namespace recorder
