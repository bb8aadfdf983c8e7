#include "recorder/recording_effects.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdlib>

namespace recorder {

namespace {

std::int16_t truncatedSample(double value) {
    return std::int16_t(std::clamp(std::trunc(value), -32768.0, 32767.0));
}

} // namespace

void removeOffset(std::span<std::int16_t> samples) {
    if (samples.empty()) return;
    std::int64_t sum = 0;
    for (std::int16_t s : samples)
        sum += s;
    const double mean = double(sum) / double(samples.size());
    const int offset = int(std::trunc(mean));
    // Conversion to 16 bits is modular: a result past the range wraps around.
    for (std::int16_t& s : samples)
        s = std::int16_t(s - offset);
}

void scaleToAmplitude(std::span<std::int16_t> samples, double amplitude) {
    int peak = 0;
    for (std::int16_t s : samples)
        peak = std::max(peak, std::abs(int(s)));
    if (peak == 0) return;
    // sample × amplitude × 32767 / peak in this order, so that the peak itself at amplitude 1
    // gives exactly 32767 rather than a rounding below it.
    const double target = amplitude * 32767.0;
    for (std::int16_t& s : samples)
        s = truncatedSample(double(s) * target / double(peak));
}

std::size_t tempoFrames(std::size_t frames, double tempo) {
    assert(tempo > 0);
    return std::size_t(1.0 / tempo * double(frames));
}

void changeTempo(std::span<const std::int16_t> in, int channels, std::span<std::int16_t> out) {
    assert(channels > 0);
    const auto ch = std::size_t(channels);
    const std::size_t frames = in.size() / ch;
    const std::size_t newFrames = out.size() / ch;
    if (frames == 0) {
        std::fill(out.begin(), out.end(), std::int16_t{0});
        return;
    }
    for (std::size_t k = 0; k < newFrames; ++k) {
        const double pos = double(k) / double(newFrames) * double(frames);
        const auto i = std::min(std::size_t(std::floor(pos)), frames - 1);
        const std::size_t next = std::min(i + 1, frames - 1);
        const double fraction = pos - double(i);
        for (std::size_t c = 0; c < ch; ++c) {
            const double a = in[i * ch + c];
            const double b = in[next * ch + c];
            out[k * ch + c] = truncatedSample(a + fraction * (b - a));
        }
    }
}

void addEcho(std::span<std::int16_t> samples, int channels, int rate, int level) {
    if (level < 1 || level > 3 || channels < 1) return;
    const double a = level == 1 ? 0.3 : level == 2 ? 0.4 : 0.5;
    const double a2 = a * a;
    const double a3 = a * a * a;
    const auto ch = std::size_t(channels);
    const std::size_t frames = samples.size() / ch;
    const auto delay = std::size_t(rate / 3);
    const std::size_t first = std::size_t(level) * delay + 1;
    // From the last frame back, so that the earlier frames each one reads are still unchanged.
    for (std::size_t k = frames; k-- > first;) {
        for (std::size_t c = 0; c < ch; ++c) {
            auto x = [&](std::size_t frame) { return double(samples[frame * ch + c]); };
            double y = x(k) + a * x(k - delay);
            if (level >= 2) y += a2 * x(k - 2 * delay);
            if (level == 3) y += a3 * x(k - 3 * delay);
            samples[k * ch + c] = truncatedSample(y);
        }
    }
}

} // namespace recorder
