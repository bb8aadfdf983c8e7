// What the recorder shows of a recording: duration, waveform envelope and playback position.
#include "recorder/recording_display.h"
#include "recorder/wav_header.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

using namespace recorder;

namespace {

std::vector<std::byte> wavImage(int rate, int channels, const std::vector<std::int16_t>& samples) {
    std::vector<std::byte> image(kWavHeaderSize + samples.size() * 2);
    writeWavHeader(std::span<std::byte, kWavHeaderSize>(image.data(), kWavHeaderSize), channels,
                   rate);
    if (!samples.empty())
        std::memcpy(image.data() + kWavHeaderSize, samples.data(), samples.size() * 2);
    setWavSizes(image);
    return image;
}

} // namespace

TEST(RecordingDisplay, DurationComesFromTheHeader) {
    struct Case {
        int rate, channels;
        std::size_t samples;
        double seconds;
    };
    const Case cases[] = {{44100, 2, 882000, 10.0},
                          {8000, 1, 8000, 1.0},
                          {22500, 1, 11250, 0.5},
                          {48000, 2, 0, 0.0},
                          {16000, 2, 16000, 0.5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rate << " Hz, " << c.channels << " channels");
        const auto image = wavImage(c.rate, c.channels, std::vector<std::int16_t>(c.samples));
        EXPECT_DOUBLE_EQ(recordingDuration(image), c.seconds);
    }
    EXPECT_EQ(recordingDuration({}), 0.0);
}

TEST(RecordingDisplay, TextsUseFiveCharactersAndAPoint) {
    EXPECT_EQ(durationText(10.0), "Продолжительность записи:  10.0 сек");
    EXPECT_EQ(durationText(0.0), "Продолжительность записи:   0.0 сек");
    EXPECT_EQ(durationText(123.46), "Продолжительность записи: 123.5 сек");
    EXPECT_EQ(durationText(1234.5), "Продолжительность записи: 1234.5 сек");
    EXPECT_EQ(positionText(2.04), "Позиция:   2.0 сек");
    EXPECT_EQ(positionText(9.96), "Позиция:  10.0 сек");
}

TEST(RecordingDisplay, EnvelopeOfATenSecondStereoRecording) {
    std::vector<std::int16_t> samples(882000);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = std::int16_t(i % 2 ? -8000 : 16000);
    const auto points = waveformEnvelope(wavImage(44100, 2, samples));
    ASSERT_EQ(points.size(), 999u);
    EXPECT_DOUBLE_EQ(points.front().seconds, 0);
    EXPECT_DOUBLE_EQ(points.front().level, 16000 / 32768.0);
    EXPECT_NEAR(points.back().seconds, 9.99, 1e-9);
    for (std::size_t i = 1; i < points.size(); ++i) {
        SCOPED_TRACE(i);
        // Both channels are mixed into each slice's peaks.
        EXPECT_DOUBLE_EQ(points[i].level, i % 2 ? 16000 / 32768.0 : -8000 / 32768.0);
        EXPECT_NEAR(points[i].seconds, (i + 1) / 2 * 0.02 + (i % 2 ? 0 : 0.01), 1e-9);
    }
}

TEST(RecordingDisplay, EnvelopeTakesEachSliceWithPeaksFromZero) {
    // Mono, 1000 samples: slice p holds samples 2p - 2 and 2p - 1.
    std::vector<std::int16_t> samples(1000);
    for (int p = 1; p < 500; ++p) {
        samples[std::size_t(2 * p - 2)] = std::int16_t(p);
        samples[std::size_t(2 * p - 1)] = std::int16_t(-p);
    }
    samples[2 * 9 - 2] = -5; // slice 9 all below 0: its top stays 0
    samples[2 * 9 - 1] = -20;
    samples[2 * 10 - 2] = 20; // slice 10 all above 0: its bottom stays 0
    samples[2 * 10 - 1] = 30;
    samples[998] = 30000; // after slice 499: not drawn
    samples[999] = -30000;
    const auto points = waveformEnvelope(wavImage(8000, 1, samples));
    ASSERT_EQ(points.size(), 999u);
    EXPECT_DOUBLE_EQ(points[0].level, 1 / 32768.0);
    for (int p = 1; p < 500; ++p) {
        SCOPED_TRACE(p);
        const auto& top = points[std::size_t(2 * p - 1)];
        const auto& bottom = points[std::size_t(2 * p)];
        const double step = 0.125 / 500;
        EXPECT_NEAR(top.seconds, p * step, 1e-12);
        EXPECT_NEAR(bottom.seconds, (p + 0.5) * step, 1e-12);
        const int max = p == 9 ? 0 : p == 10 ? 30 : p;
        const int min = p == 9 ? -20 : p == 10 ? 0 : -p;
        EXPECT_DOUBLE_EQ(top.level, max / 32768.0);
        EXPECT_DOUBLE_EQ(bottom.level, min / 32768.0);
    }
}

TEST(RecordingDisplay, EnvelopeOfARecordingWithoutSamplesIsFlat) {
    const auto points = waveformEnvelope(wavImage(44100, 2, {}));
    ASSERT_EQ(points.size(), 999u);
    for (const WavePoint& p : points) {
        EXPECT_EQ(p.seconds, 0);
        EXPECT_EQ(p.level, 0);
    }
    EXPECT_TRUE(waveformEnvelope({}).empty());
}

TEST(RecordingDisplay, PlaybackPosition) {
    struct Case {
        std::optional<std::uint64_t> played, length;
        double position;
    };
    const Case cases[] = {{0, 400, 0},
                          {100, 400, 2.5},
                          {400, 400, 10},
                          {std::nullopt, std::nullopt, 10}, // no stream
                          {0, 0, 10},                       // empty stream
                          {std::uint64_t(1) << 40, std::uint64_t(1) << 41, 5}};
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(playbackPosition(10, c.played, c.length), c.position);
}

// The window stops its cursor when the position reaches the duration: at the end of the stream
// it must be the duration exactly, and never beyond it before, whatever the rounding.
TEST(RecordingDisplay, PlaybackPositionReachesTheDurationExactly) {
    for (std::uint64_t frames : {1u, 3u, 44099u, 100001u, 331776u, 1234567u}) {
        const double duration = double(frames) / 44100;
        const std::uint64_t length = frames * 4;
        EXPECT_EQ(playbackPosition(duration, length, length), duration) << frames;
        EXPECT_EQ(playbackPosition(duration, length + 4, length), duration) << frames;
        for (std::uint64_t played = length > 400 ? length - 400 : 0; played < length; ++played)
            ASSERT_LE(playbackPosition(duration, played, length), duration) << frames;
    }
}
