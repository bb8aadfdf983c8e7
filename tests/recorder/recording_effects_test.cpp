// The effects on a finished recording, each as a pure function on small sample sets.
#include "recorder/recording_effects.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace recorder;
using Samples = std::vector<std::int16_t>;

namespace {

Samples tempoChanged(const Samples& in, int channels, double tempo) {
    Samples out(tempoFrames(in.size() / std::size_t(channels), tempo) * std::size_t(channels));
    changeTempo(in, channels, out);
    return out;
}

} // namespace

TEST(RecordingEffects, OffsetRemovalSubtractsTheTruncatedMean) {
    struct Case {
        Samples in, out;
    };
    const Case cases[] = {
        {{10, 20, 30}, {-10, 0, 10}},
        {{0, -1}, {0, -1}},                              // mean -0.5 truncates to 0
        {{5, 6}, {0, 1}},                                // 5.5 truncates to 5
        {{-7, -8}, {0, -1}},                             // -7.5 truncates to -7
        {{32767, 32767, -32768}, {21845, 21845, 21846}}, // -32768 - 10922 wraps around
        {{}, {}},
    };
    for (const Case& c : cases) {
        Samples s = c.in;
        removeOffset(s);
        EXPECT_EQ(s, c.out);
    }
}

TEST(RecordingEffects, AmplitudeScalesTheLoudestSample) {
    struct Case {
        Samples in;
        double amplitude;
        Samples out;
    };
    const Case cases[] = {
        {{1000, -500}, 1, {32767, -16383}},
        {{1000, -500}, 0.5, {16383, -8191}},
        {{-32768, 16384}, 1, {-32767, 16383}}, // the peak of -32768 is 32768
        {{3, -1}, 1, {32767, -10922}},
        {{32767}, 0.1, {3276}},
        {{0, 0, 0}, 1, {0, 0, 0}}, // silence stays unscaled
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.amplitude);
        Samples s = c.in;
        scaleToAmplitude(s, c.amplitude);
        EXPECT_EQ(s, c.out);
    }
    // Whatever the peak, amplitude 1 lands exactly on 32767, and 0.5 on 16383.
    for (int peak : {1, 3, 7, 10000, 12345, 20001, 32767}) {
        SCOPED_TRACE(peak);
        Samples s{std::int16_t(peak), std::int16_t(-peak / 2)};
        scaleToAmplitude(s, 1);
        EXPECT_EQ(s[0], 32767);
        Samples h{std::int16_t(-peak)};
        scaleToAmplitude(h, 0.5);
        EXPECT_EQ(h[0], -16383);
    }
}

TEST(RecordingEffects, TempoChangesTheNumberOfFrames) {
    struct Case {
        std::size_t frames;
        double tempo;
        std::size_t expected;
    };
    const Case cases[] = {{441000, 2, 220500},
                          {441000, 0.5, 882000},
                          {441000, 1, 441000},
                          {1000, 1.5, 666},
                          {10, 3, 3},
                          {10, 0.3, 33},
                          {0, 2, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.frames << " at " << c.tempo);
        EXPECT_EQ(tempoFrames(c.frames, c.tempo), c.expected);
    }
}

TEST(RecordingEffects, TempoInterpolatesEachChannelLinearly) {
    // Left 0, 100, 200, 300; right the negated values.
    const Samples in{0, 0, 100, -100, 200, -200, 300, -300};
    EXPECT_EQ(tempoChanged(in, 2, 1), in) << "tempo 1 keeps every sample";
    // Twice as many frames: positions 0, 0.5, 1, ..., 3.5; past the last frame it repeats.
    EXPECT_EQ(tempoChanged(in, 2, 0.5), (Samples{0, 0, 50, -50, 100, -100, 150, -150, 200, -200,
                                                 250, -250, 300, -300, 300, -300}));
    // Half: positions 0 and 2.
    EXPECT_EQ(tempoChanged(in, 2, 2), (Samples{0, 0, 200, -200}));
    // Mono, tempo 1.5 on 4 frames: 2 frames at positions 0 and 2.
    EXPECT_EQ(tempoChanged({0, 100, 200, 300}, 1, 1.5), (Samples{0, 200}));
    // Truncated toward zero on both sides of 0.
    EXPECT_EQ(tempoChanged({0, 3, -3}, 1, 0.5), (Samples{0, 1, 3, 0, -3, -3}));
    EXPECT_EQ(tempoChanged({0, -3}, 1, 0.5), (Samples{0, -1, -3, -3}));
    EXPECT_TRUE(tempoChanged({}, 2, 0.5).empty());
    // A sample left over after the last whole stereo frame is dropped.
    EXPECT_EQ(tempoChanged({1, 2, 3}, 2, 1), (Samples{1, 2}));
}

TEST(RecordingEffects, EchoLeavesTheFirstLevelTimesDelayFramesAlone) {
    struct Case {
        int rate, level;
        std::size_t kept; // frames 0 to kept keep their values
    };
    const Case cases[] = {{44100, 1, 14700}, {8000, 3, 7998}, {8000, 2, 5332}, {22500, 1, 7500}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rate << " Hz, level " << c.level);
        Samples s(2 * (c.kept + 10), 1000); // stereo, every sample 1000
        addEcho(s, 2, c.rate, c.level);
        for (std::size_t k = 0; k <= c.kept; ++k)
            ASSERT_EQ(s[2 * k], 1000) << k;
        EXPECT_GT(s[2 * (c.kept + 1)], 1000);
        EXPECT_GT(s[2 * (c.kept + 1) + 1], 1000);
    }
}

TEST(RecordingEffects, EchoAddsTheDelayedOriginalSamples) {
    // Mono at 8000 Hz: D = 2666. One impulse at frame 8000.
    Samples s(16000, 0);
    s[8000] = 10000;
    addEcho(s, 1, 8000, 3);
    EXPECT_EQ(s[8000], 10000);
    EXPECT_EQ(s[8000 + 2666], 5000);     // a
    EXPECT_EQ(s[8000 + 2 * 2666], 2500); // a², from the original, not from the echo
    EXPECT_EQ(s[8000 + 3 * 2666], 1250); // a³
    EXPECT_EQ(std::count(s.begin(), s.end(), 0), 16000 - 4);

    Samples mid(16000, 0);
    mid[8000] = 10000;
    addEcho(mid, 1, 8000, 2);
    EXPECT_EQ(mid[8000 + 2666], 4000);
    EXPECT_EQ(mid[8000 + 2 * 2666], 1600);
    EXPECT_EQ(mid[8000 + 3 * 2666], 0);

    // An impulse inside the kept frames echoes only where the frame after it is past them.
    Samples early(8000, 0);
    early[1] = 10000;
    addEcho(early, 1, 8000, 3);
    EXPECT_EQ(early[1 + 2666], 0);
    EXPECT_EQ(early[1 + 2 * 2666], 0);
    EXPECT_EQ(early[1 + 3 * 2666], 1250);
}

TEST(RecordingEffects, EchoSumsAreLimitedToSixteenBits) {
    // "минимальное" at 44100 Hz: a full-scale sample with a full-scale one D earlier.
    Samples s(2 * 30000, 0);
    s[2 * 100] = 32767;
    s[2 * 14800] = 32767;
    s[2 * 100 + 1] = -32768;
    s[2 * 14800 + 1] = -32768;
    addEcho(s, 2, 44100, 1);
    EXPECT_EQ(s[2 * 14800], 32767);
    EXPECT_EQ(s[2 * 14800 + 1], -32768);
    // Truncated toward zero: 0.3 × 32767 = 9830.1, 0.3 × -32768 = -9830.4.
    EXPECT_EQ(s[2 * (14800 + 14700)], 9830);
    EXPECT_EQ(s[2 * (14800 + 14700) + 1], -9830);
}

TEST(RecordingEffects, NoEchoAtLevelZero) {
    Samples s(30000, 500);
    const Samples before = s;
    addEcho(s, 1, 8000, 0);
    EXPECT_EQ(s, before);
}
