#include "recorder/recording_display.h"

#include "recorder/wav_header.h"

#include <algorithm>
#include <charconv>

namespace recorder {

namespace {

// C's "%5.1f", without the locale's decimal separator.
std::string fixed5_1(double value) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 1);
    std::string text(buffer, result.ptr);
    if (text.size() < 5) text.insert(0, 5 - text.size(), ' ');
    return text;
}

std::int16_t wordAt(std::span<const std::byte> image, std::size_t word) {
    return std::int16_t(readLe16(image, word * 2));
}

} // namespace

double recordingDuration(std::span<const std::byte> image) {
    const WavFormat format = wavFormatOf(image);
    if (format.channels <= 0 || format.rate <= 0) return 0;
    return double(image.size() - kWavHeaderSize) / format.channels * 0.5 / format.rate;
}

std::vector<WavePoint> waveformEnvelope(std::span<const std::byte> image) {
    std::vector<WavePoint> points;
    const WavFormat format = wavFormatOf(image);
    if (format.channels <= 0 || format.rate <= 0) return points;
    const double duration = recordingDuration(image);
    const std::uint64_t frames = (image.size() - kWavHeaderSize) / std::size_t(format.channels) / 2;
    const std::uint64_t total = frames * std::uint64_t(format.channels);
    const double step = duration / kEnvelopeSlices;
    constexpr std::uint64_t kFirstWord = kWavHeaderSize / 2;

    points.reserve(2 * kEnvelopeSlices - 1);
    points.push_back({0, total > 0 ? wordAt(image, kFirstWord) / 32768.0 : 0.0});
    std::uint64_t from = kFirstWord;
    for (int p = 1; p < kEnvelopeSlices; ++p) {
        const std::uint64_t end = std::uint64_t(p) * total / kEnvelopeSlices + kFirstWord;
        int max = 0;
        int min = 0;
        for (std::uint64_t w = from; w < end; ++w) {
            const int s = wordAt(image, std::size_t(w));
            max = std::max(max, s);
            min = std::min(min, s);
        }
        from = end;
        points.push_back({p * step, max / 32768.0});
        points.push_back({(p + 0.5) * step, min / 32768.0});
    }
    return points;
}

double playbackPosition(double duration, std::optional<std::uint64_t> played,
                        std::optional<std::uint64_t> length) {
    if (!played || !length || *length == 0 || *played >= *length) return duration;
    // The product may round one step past the duration; the end is only ever reached above.
    return std::min(duration * double(*played) / double(*length), duration);
}

std::string durationText(double seconds) {
    return "Продолжительность записи: " + fixed5_1(seconds) + " сек";
}

std::string positionText(double seconds) {
    return "Позиция: " + fixed5_1(seconds) + " сек";
}

} // namespace recorder
