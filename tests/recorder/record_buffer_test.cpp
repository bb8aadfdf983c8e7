// The recording's WAV image: its header, its growth in steps, the effects on it and its sharing
// between an appending thread and a reader.
#include "recorder/record_buffer.h"
#include "recorder/recording_display.h"
#include "recorder/wav_header.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

using namespace recorder;

namespace {

std::vector<std::byte> imageOf(const RecordBuffer& buffer) {
    return buffer.read([](std::span<const std::byte> image) {
        return std::vector<std::byte>(image.begin(), image.end());
    });
}

std::string textAt(const std::vector<std::byte>& image, std::size_t offset) {
    return std::string(reinterpret_cast<const char*>(image.data()) + offset, 4);
}

std::vector<std::byte> bytesOf(const std::vector<std::int16_t>& samples) {
    std::vector<std::byte> bytes(samples.size() * 2);
    std::memcpy(bytes.data(), samples.data(), bytes.size());
    return bytes;
}

std::vector<std::int16_t> samplesOf(const std::vector<std::byte>& image) {
    std::vector<std::int16_t> samples((image.size() - kWavHeaderSize) / 2);
    std::memcpy(samples.data(), image.data() + kWavHeaderSize, samples.size() * 2);
    return samples;
}

} // namespace

TEST(RecordBuffer, HeaderOfAFinishedRecording) {
    struct Case {
        int rate, channels;
        std::uint32_t seconds;
        std::uint32_t byteRate, blockAlign;
    };
    const Case cases[] = {{8000, 1, 1, 16000, 2},
                          {44100, 2, 1, 176400, 4},
                          {22500, 1, 2, 45000, 2},
                          {48000, 2, 0, 192000, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rate << " Hz, " << c.channels << " channels");
        RecordBuffer buffer;
        ASSERT_TRUE(buffer.begin(c.rate, c.channels));
        EXPECT_EQ(buffer.length(), 44u);
        {
            // While recording both sizes are 0.
            const auto image = imageOf(buffer);
            EXPECT_EQ(readLe32(image, 4), 0u);
            EXPECT_EQ(readLe32(image, 40), 0u);
        }
        const std::vector<std::byte> samples(c.seconds * c.byteRate, std::byte{7});
        ASSERT_TRUE(buffer.append(samples));
        buffer.finish();
        const auto image = imageOf(buffer);
        const std::uint32_t data = c.seconds * c.byteRate;
        ASSERT_EQ(image.size(), 44 + data);
        EXPECT_EQ(textAt(image, 0), "RIFF");
        EXPECT_EQ(readLe32(image, 4), 44 + data - 8);
        EXPECT_EQ(textAt(image, 8), "WAVE");
        EXPECT_EQ(textAt(image, 12), "fmt ");
        EXPECT_EQ(readLe32(image, 16), 16u);
        EXPECT_EQ(readLe16(image, 20), 1u);
        EXPECT_EQ(readLe16(image, 22), std::uint16_t(c.channels));
        EXPECT_EQ(readLe32(image, 24), std::uint32_t(c.rate));
        EXPECT_EQ(readLe32(image, 28), c.byteRate);
        EXPECT_EQ(readLe16(image, 32), c.blockAlign);
        EXPECT_EQ(readLe16(image, 34), 16u);
        EXPECT_EQ(textAt(image, 36), "data");
        EXPECT_EQ(readLe32(image, 40), data);
    }
}

TEST(RecordBuffer, OneSecondMonoAt8000Hz) {
    RecordBuffer buffer;
    ASSERT_TRUE(buffer.begin(8000, 1));
    // In blocks, as a device delivers them.
    const std::vector<std::byte> block(2000, std::byte{1});
    for (int i = 0; i < 8; ++i)
        ASSERT_TRUE(buffer.append(block));
    buffer.finish();
    const auto image = imageOf(buffer);
    EXPECT_EQ(buffer.length(), 16044u);
    EXPECT_EQ(readLe32(image, 4), 16036u);
    EXPECT_EQ(readLe32(image, 40), 16000u);
    EXPECT_DOUBLE_EQ(recordingDuration(image), 1.0);
}

TEST(RecordBuffer, GrowsInWholeStepsWhenABlockReachesTheEndOfTheStep) {
    struct Case {
        std::vector<std::size_t> blocks;
        std::size_t allocated;
    };
    const Case cases[] = {
        {{}, 500000},
        {{499955}, 500000},          // 499 999 bytes in use: still inside the first step
        {{499956}, 1000000},         // reaches 500 000: the first growth
        {{499955, 1}, 1000000},      // the same in two blocks
        {{1000000}, 1500000},        // one block over two steps
        {{400000, 400000}, 1000000}, // 800 044 bytes
        {{400000, 400000, 199956}, 1500000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.blocks.size() << " blocks, " << c.allocated);
        RecordBuffer buffer;
        ASSERT_TRUE(buffer.begin(44100, 2));
        std::vector<std::byte> expected;
        std::uint8_t next = 0;
        for (std::size_t n : c.blocks) {
            std::vector<std::byte> block(n);
            for (std::byte& b : block)
                b = std::byte(next++);
            expected.insert(expected.end(), block.begin(), block.end());
            ASSERT_TRUE(buffer.append(block));
        }
        EXPECT_EQ(buffer.allocated(), c.allocated);
        const auto image = imageOf(buffer);
        ASSERT_EQ(image.size(), 44 + expected.size());
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), image.begin() + 44))
            << "the contents survive the growth";
    }
}

TEST(RecordBuffer, AGrowthThatFailsDiscardsTheRecording) {
    RecordBuffer buffer(999999);
    ASSERT_TRUE(buffer.begin(44100, 2));
    EXPECT_TRUE(buffer.append(std::vector<std::byte>(499955)));
    EXPECT_FALSE(buffer.append(std::vector<std::byte>(1)));
    EXPECT_FALSE(buffer.exists());
    EXPECT_EQ(buffer.length(), 0u);
    EXPECT_FALSE(buffer.append(std::vector<std::byte>(2))) << "nothing to append to";
    EXPECT_TRUE(imageOf(buffer).empty());
    // A new recording starts afresh.
    EXPECT_TRUE(buffer.begin(8000, 1));
    EXPECT_EQ(buffer.length(), 44u);
}

TEST(RecordBuffer, BeginDiscardsTheOldRecording) {
    RecordBuffer buffer;
    ASSERT_TRUE(buffer.begin(8000, 1));
    ASSERT_TRUE(buffer.append(std::vector<std::byte>(600000)));
    ASSERT_TRUE(buffer.begin(16000, 2));
    EXPECT_EQ(buffer.length(), 44u);
    EXPECT_EQ(buffer.allocated(), 500000u);
    EXPECT_EQ(wavFormatOf(imageOf(buffer)).rate, 16000);
    buffer.discard();
    EXPECT_FALSE(buffer.exists());
}

TEST(RecordBuffer, EffectsReshapeTheImageAndCutTheAllocationToIt) {
    struct Case {
        double tempo;
        std::size_t frames;
    };
    // 1000 stereo frames at 8000 Hz.
    for (const Case& c : {Case{1, 1000}, Case{2, 500}, Case{0.5, 2000}, Case{1.5, 666}}) {
        SCOPED_TRACE(c.tempo);
        RecordBuffer buffer;
        ASSERT_TRUE(buffer.begin(8000, 2));
        std::vector<std::int16_t> samples;
        for (int i = 0; i < 1000; ++i) {
            samples.push_back(std::int16_t(i * 10));
            samples.push_back(std::int16_t(-i * 10));
        }
        ASSERT_TRUE(buffer.append(bytesOf(samples)));
        buffer.finish();
        ASSERT_TRUE(buffer.applyEffects({1, c.tempo, 0}));
        const auto image = imageOf(buffer);
        const std::size_t length = 44 + c.frames * 4;
        EXPECT_EQ(image.size(), length);
        EXPECT_EQ(buffer.allocated(), length);
        EXPECT_EQ(readLe32(image, 4), length - 8);
        EXPECT_EQ(readLe32(image, 40), length - 44);
        const auto out = samplesOf(image);
        // Near full scale after the amplitude step (the offset is 0 here); the tempo step may
        // pass over the loudest frame.
        EXPECT_GE(*std::max_element(out.begin(), out.end()), 32600);
        EXPECT_LE(*std::min_element(out.begin(), out.end()), -32600);
        EXPECT_EQ(out[0], 0);
    }
}

TEST(RecordBuffer, EffectsOnARecordingWithoutSamplesLeaveItAtTheHeader) {
    RecordBuffer buffer;
    ASSERT_TRUE(buffer.begin(44100, 2));
    buffer.finish();
    const auto before = imageOf(buffer);
    ASSERT_TRUE(buffer.applyEffects({0.5, 0.3, 3}));
    EXPECT_EQ(imageOf(buffer), before);
    EXPECT_EQ(buffer.allocated(), 44u);
}

TEST(RecordBuffer, EffectsUseTheHeaderNotLaterSettings) {
    // Mono at 8000 Hz: the echo's delay is 2666 frames whatever rate is chosen afterwards.
    RecordBuffer buffer;
    ASSERT_TRUE(buffer.begin(8000, 1));
    std::vector<std::int16_t> samples(3000, 0);
    samples[1] = 10000;
    samples[2999] = -10000; // keeps the mean at 0
    ASSERT_TRUE(buffer.append(bytesOf(samples)));
    buffer.finish();
    ASSERT_TRUE(buffer.applyEffects({1, 1, 1}));
    const auto out = samplesOf(imageOf(buffer));
    ASSERT_EQ(out.size(), 3000u);
    EXPECT_EQ(out[1], 32767);
    EXPECT_EQ(out[1 + 2666], std::int16_t(0.3 * 32767));
}

TEST(RecordBuffer, OutOfMemoryInTheTempoStepLeavesNoRecording) {
    RecordBuffer buffer(600000);
    ASSERT_TRUE(buffer.begin(44100, 2));
    ASSERT_TRUE(buffer.append(std::vector<std::byte>(200000, std::byte{3})));
    buffer.finish();
    EXPECT_FALSE(buffer.applyEffects({1, 0.3, 0})) << "666 708 bytes do not fit";
    EXPECT_FALSE(buffer.exists());
}

TEST(RecordBuffer, EffectValuesOutsideTheirRangesAreLimited) {
    // A box read before it was left may still hold 0 or 5.
    struct Case {
        double amplitude, tempo;
        std::size_t samples;
        std::int16_t peak;
    };
    for (const Case& c : {Case{5, 1, 302, 32767}, Case{1, 0, std::size_t(302 / 0.3), 32767},
                          Case{0, 1, 302, 3276}, Case{1, 50, 100, 32767}}) {
        SCOPED_TRACE(testing::Message() << c.amplitude << ", " << c.tempo);
        RecordBuffer buffer;
        ASSERT_TRUE(buffer.begin(8000, 1));
        std::vector<std::int16_t> samples(302, 0);
        samples[0] = 1000;
        samples[1] = -1000;
        ASSERT_TRUE(buffer.append(bytesOf(samples)));
        buffer.finish();
        ASSERT_TRUE(buffer.applyEffects({c.amplitude, c.tempo, 0}));
        const auto out = samplesOf(imageOf(buffer));
        EXPECT_EQ(out.size(), c.samples);
        EXPECT_EQ(out[0], c.peak);
    }
}

// The user interface thread reads the image for its displays while the audio thread appends
// and grows it; run under ThreadSanitizer as well.
TEST(RecordBuffer, ReadersSeeAConsistentImageWhileAnotherThreadAppends) {
    RecordBuffer buffer;
    ASSERT_TRUE(buffer.begin(44100, 2));
    constexpr int kBlocks = 600;
    constexpr std::size_t kBlockSamples = 2048;
    std::atomic<bool> done{false};
    std::thread audio([&] {
        std::vector<std::int16_t> block(kBlockSamples);
        for (int b = 0; b < kBlocks; ++b) {
            for (std::size_t i = 0; i < kBlockSamples; ++i)
                block[i] = std::int16_t(b);
            buffer.append(bytesOf(block));
        }
        done = true;
    });
    int reads = 0;
    while (!done || reads == 0) {
        const bool consistent = buffer.read([](std::span<const std::byte> image) {
            if ((image.size() - 44) % (kBlockSamples * 2) != 0) return false;
            const auto blocks = (image.size() - 44) / (kBlockSamples * 2);
            // The last complete block holds its own number throughout.
            return blocks == 0 ||
                   std::int16_t(readLe16(image, image.size() - 2)) == std::int16_t(blocks - 1);
        });
        EXPECT_TRUE(consistent);
        buffer.read([](std::span<const std::byte> image) {
            return waveformEnvelope(image).size() + std::size_t(recordingDuration(image));
        });
        ++reads;
        // The display reads now and then; a reader that never lets go of the lock could keep
        // the appending thread waiting for minutes under a slow (sanitized) build.
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    audio.join();
    buffer.finish();
    EXPECT_EQ(buffer.length(), 44 + kBlocks * kBlockSamples * 2);
    const auto samples = samplesOf(imageOf(buffer));
    for (int b = 0; b < kBlocks; ++b)
        ASSERT_EQ(samples[std::size_t(b) * kBlockSamples], b);
}
