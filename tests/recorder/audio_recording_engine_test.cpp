// The recording engine on SDL's disk driver: the input device reads raw samples from a file
// made here, the output device writes what it plays to another, so that a recording and its
// playback can be compared with the input sample by sample.
#include "recorder/audio_recording_engine.h"

#include "common/audio_devices.h"
#include "common/audio_error.h"
#include "common/audio_output.h"
#include "common/audio_recording.h"
#include "recorder/recording_display.h"
#include "recorder/wav_header.h"
#include "support/test_files.h"

#include <SDL_log.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>
#include <vector>

using namespace recorder;
using namespace std::chrono_literals;

namespace {

using Samples = std::vector<std::int16_t>;

// Stereo frames: left a ramp, right its negation, so that a swap or a lost sample shows.
Samples stereoInput(std::size_t frames) {
    Samples samples;
    for (std::size_t i = 0; i < frames; ++i) {
        const auto value = std::int16_t(int(i % 20000) - 10000);
        samples.push_back(value);
        samples.push_back(std::int16_t(-value));
    }
    return samples;
}

std::string bytesOf(const Samples& samples) {
    std::string bytes(samples.size() * 2, '\0');
    std::memcpy(bytes.data(), samples.data(), bytes.size());
    return bytes;
}

std::vector<std::byte> imageOf(const RecordingEngine& engine) {
    return engine.buffer().read([](std::span<const std::byte> image) {
        return std::vector<std::byte>(image.begin(), image.end());
    });
}

Samples samplesOf(const std::vector<std::byte>& image) {
    Samples samples((image.size() - kWavHeaderSize) / 2);
    std::memcpy(samples.data(), image.data() + kWavHeaderSize, samples.size() * 2);
    return samples;
}

// Every wait is bounded; generous, since the sanitizer builds run these too.
template <typename Predicate> bool waitUntil(Predicate done, std::chrono::seconds timeout = 30s) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

} // namespace

class RecordingEngineOnDisk : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        s_dir = std::make_unique<testing_support::TempDir>();
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", file("out.raw").c_str(), 1);
        setenv("SDL_DISKAUDIOFILEIN", file("in.raw").c_str(), 1);
        // One device buffer per 2 ms: about ten times real time.
        setenv("SDL_DISKAUDIODELAY", "2", 1);
        SDL_LogSetPriority(SDL_LOG_CATEGORY_AUDIO, SDL_NUM_LOG_PRIORITIES);
    }
    static void TearDownTestSuite() { s_dir.reset(); }
    void SetUp() override { setInput(stereoInput(20000)); }
    void TearDown() override {
        common::releaseRecordingDevice();
        common::releaseOutput();
    }

    static std::string file(const std::string& name) { return s_dir->file(name); }
    // Read by the disk driver each time the input device opens.
    static void setInput(const Samples& samples) {
        testing_support::writeFile(file("in.raw"), bytesOf(samples));
    }
    static Samples output() {
        const std::string bytes = testing_support::readFile(file("out.raw"));
        Samples samples(bytes.size() / 2);
        std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
        return samples;
    }
    // Records until `bytes` of samples are in, then stops.
    static void recordAtLeast(RecordingEngine& engine, std::size_t bytes) {
        ASSERT_EQ(engine.beginRecording(), RecordingEngine::Begin::Started);
        ASSERT_TRUE(engine.isRecording());
        ASSERT_TRUE(waitUntil([&] { return engine.buffer().length() >= 44 + bytes; }));
        engine.finishRecording();
    }

    static std::unique_ptr<testing_support::TempDir> s_dir;
};

std::unique_ptr<testing_support::TempDir> RecordingEngineOnDisk::s_dir;

TEST_F(RecordingEngineOnDisk, StartUpListsTheDevicesAndPreparesRecording) {
    RecordingEngine engine;
    const RecordingEngine::StartUp start = engine.startUp();
    EXPECT_TRUE(start.versionMatches);
    ASSERT_FALSE(start.outputs.names.empty());
    ASSERT_FALSE(start.inputs.names.empty());
    EXPECT_EQ(start.outputs.names.size(), common::listOutputDevices().size());
    EXPECT_EQ(start.outputs.selected, int(start.outputs.names.size()) - 1) << "the last enabled";
    EXPECT_EQ(start.inputs.selected, engine.inputDevice());
    EXPECT_TRUE(common::listInputDevices()[std::size_t(engine.inputDevice())].flags &
                common::kAudioDeviceDefault);
    EXPECT_TRUE(common::isOutputInitialised());
    EXPECT_TRUE(common::isRecordingDeviceInitialised());
    EXPECT_EQ(engine.recordRate(), 44100);
    EXPECT_EQ(engine.recordChannels(), 2);
    EXPECT_FALSE(engine.hasRecording());
}

TEST_F(RecordingEngineOnDisk, RecordingIsTheInputBehindACompleteHeader) {
    RecordingEngine engine;
    engine.startUp();
    const Samples input = stereoInput(20000);
    recordAtLeast(engine, input.size() * 2);
    EXPECT_FALSE(engine.isRecording());
    const auto image = imageOf(engine);
    const std::size_t length = image.size();
    EXPECT_EQ(readLe32(image, 4), length - 8);
    EXPECT_EQ(readLe32(image, 40), length - 44);
    EXPECT_EQ(wavFormatOf(image).channels, 2);
    EXPECT_EQ(wavFormatOf(image).rate, 44100);
    const Samples recorded = samplesOf(image);
    ASSERT_GE(recorded.size(), input.size());
    EXPECT_TRUE(std::equal(input.begin(), input.end(), recorded.begin()));
    // The input file has ended: silence follows.
    EXPECT_TRUE(std::all_of(recorded.begin() + std::ptrdiff_t(input.size()), recorded.end(),
                            [](std::int16_t s) { return s == 0; }));
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(engine.buffer().length(), length) << "nothing is appended after the stop";
}

TEST_F(RecordingEngineOnDisk, TheHeaderKeepsTheSettingsOfTheStart) {
    struct Case {
        int rate, channels;
    };
    for (const Case& c : {Case{22500, 1}, Case{8000, 2}, Case{48000, 1}}) {
        SCOPED_TRACE(c.rate);
        RecordingEngine engine;
        engine.startUp();
        engine.setRecordRate(c.rate);
        engine.setRecordChannels(c.channels);
        ASSERT_EQ(engine.beginRecording(), RecordingEngine::Begin::Started);
        engine.setRecordRate(44100); // the selectors may change during the recording
        engine.setRecordChannels(3 - c.channels);
        ASSERT_TRUE(waitUntil([&] { return engine.buffer().length() > 44 + 4096; }));
        engine.finishRecording();
        const auto image = imageOf(engine);
        EXPECT_EQ(wavFormatOf(image).rate, c.rate);
        EXPECT_EQ(wavFormatOf(image).channels, c.channels);
        EXPECT_EQ(readLe32(image, 28), std::uint32_t(c.rate * c.channels * 2));
        common::releaseRecordingDevice();
        common::releaseOutput();
    }
}

TEST_F(RecordingEngineOnDisk, PlaybackSendsTheRecordingToTheChosenOutput) {
    RecordingEngine engine;
    engine.startUp();
    const Samples input = stereoInput(20000);
    recordAtLeast(engine, input.size() * 2);
    const RecordingEngine::Playback playback = engine.playRecording(0);
    EXPECT_TRUE(playback.output.ok);
    EXPECT_EQ(playback.output.list.selected, 0);
    ASSERT_TRUE(playback.started);
    const common::AudioStreamHandle stream = engine.playStream();
    ASSERT_NE(stream, 0u);
    EXPECT_EQ(common::streamLength(stream), std::uint64_t(imageOf(engine).size() - 44));
    ASSERT_TRUE(waitUntil([&] { return !common::isStreamPlaying(stream); }));
    common::releaseOutput(); // the output file then holds the whole mix
    const Samples out = output();
    const auto at = std::search(out.begin(), out.end(), input.begin(), input.end());
    EXPECT_NE(at, out.end()) << "the recorded samples reach the output unchanged";

    // Stopping frees the stream.
    engine.playRecording(0);
    engine.stopPlayback();
    EXPECT_EQ(engine.playStream(), 0u);
}

TEST_F(RecordingEngineOnDisk, WaveformOfATenSecondStereoRecording) {
    Samples tone;
    for (int i = 0; i < 441000; ++i) {
        tone.push_back(std::int16_t(i % 100 < 50 ? 12000 : -12000));
        tone.push_back(std::int16_t(i % 100 < 50 ? 6000 : -6000));
    }
    setInput(tone);
    RecordingEngine engine;
    engine.startUp();
    ASSERT_EQ(engine.beginRecording(), RecordingEngine::Begin::Started);
    // The window's one-second display reads the growing recording meanwhile.
    std::size_t drawn = 0;
    while (engine.buffer().length() < 44 + 1764000) {
        drawn = engine.buffer().read(
            [](std::span<const std::byte> image) { return waveformEnvelope(image).size(); });
        ASSERT_EQ(drawn, 999u);
        std::this_thread::sleep_for(5ms);
    }
    engine.finishRecording();
    const auto image = imageOf(engine);
    const double duration = recordingDuration(image);
    EXPECT_GE(duration, 10.0);
    EXPECT_LT(duration, 10.5);
    const auto points = waveformEnvelope(image);
    ASSERT_EQ(points.size(), 999u);
    EXPECT_NEAR(points.back().seconds, 0.999 * duration, 1e-9);
    EXPECT_NEAR(points[1].level, 12000 / 32768.0, 1e-12);
    EXPECT_NEAR(points[2].level, -12000 / 32768.0, 1e-12);
}

TEST_F(RecordingEngineOnDisk, ChangingTheInputWhileRecordingEndsTheRecording) {
    RecordingEngine engine;
    engine.startUp();
    engine.setRecordRate(8000);
    ASSERT_EQ(engine.beginRecording(), RecordingEngine::Begin::Started);
    ASSERT_TRUE(waitUntil([&] { return engine.buffer().length() > 44 + 8000; }));
    const RecordingEngine::DeviceChoice choice = engine.selectInputDevice(0);
    EXPECT_TRUE(choice.ok);
    EXPECT_EQ(choice.list.selected, 0);
    EXPECT_FALSE(engine.isRecording());
    const auto image = imageOf(engine);
    EXPECT_EQ(readLe32(image, 4), image.size() - 8);
    EXPECT_EQ(readLe32(image, 40), image.size() - 44);
    EXPECT_EQ(samplesOf(image)[0], -10000) << "no effect applied";
    // Recording works on the newly chosen device.
    ASSERT_EQ(engine.beginRecording(), RecordingEngine::Begin::Started);
    engine.finishRecording();
}

TEST_F(RecordingEngineOnDisk, RunningOutOfMemoryEndsTheRecordingAndLeavesNone) {
    RecordingEngine engine(700000);
    std::atomic<int> told{0};
    std::atomic<bool> onAudioThread{false};
    const auto uiThread = std::this_thread::get_id();
    engine.setOutOfMemoryHandler([&] {
        onAudioThread = std::this_thread::get_id() != uiThread;
        ++told;
    });
    engine.startUp();
    ASSERT_EQ(engine.beginRecording(), RecordingEngine::Begin::Started);
    ASSERT_TRUE(waitUntil([&] { return told > 0; }));
    EXPECT_TRUE(onAudioThread);
    EXPECT_FALSE(engine.isRecording());
    EXPECT_FALSE(engine.hasRecording());
    EXPECT_TRUE(engine.takeOutOfMemory());
    EXPECT_FALSE(engine.takeOutOfMemory()) << "told once";
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(told, 1);
    // Nothing to play.
    EXPECT_FALSE(engine.playRecording(0).started);
    // The next recording starts normally.
    setInput(stereoInput(1000));
    recordAtLeast(engine, 4000);
    EXPECT_TRUE(engine.hasRecording());
}

TEST_F(RecordingEngineOnDisk, ARecordingThatCannotStartLeavesNone) {
    RecordingEngine engine;
    engine.startUp();
    recordAtLeast(engine, 4000);
    ASSERT_TRUE(engine.playRecording(0).started);
    common::releaseRecordingDevice();
    EXPECT_EQ(engine.beginRecording(), RecordingEngine::Begin::CouldNotStart);
    EXPECT_FALSE(engine.hasRecording());
    EXPECT_FALSE(engine.isRecording());
    EXPECT_EQ(engine.playStream(), 0u);
    EXPECT_FALSE(common::isOutputInitialised())
        << "a new recording releases the output even when it cannot start";
}

TEST_F(RecordingEngineOnDisk, ANewRecordingReleasesTheOutputUntilADeviceIsChosen) {
    RecordingEngine engine;
    engine.startUp();
    recordAtLeast(engine, 4000);
    ASSERT_TRUE(common::isOutputInitialised());
    ASSERT_EQ(engine.beginRecording(), RecordingEngine::Begin::Started);
    EXPECT_FALSE(common::isOutputInitialised());
    engine.finishRecording();
    EXPECT_TRUE(engine.selectOutputDevice(0).ok);
    EXPECT_TRUE(common::isOutputInitialised());
}

TEST_F(RecordingEngineOnDisk, DevicesThatCannotBeInitialisedAreReported) {
    RecordingEngine engine;
    const RecordingEngine::StartUp start = engine.startUp();
    const int outputs = int(start.outputs.names.size());
    const RecordingEngine::DeviceChoice output = engine.selectOutputDevice(outputs);
    EXPECT_FALSE(output.ok);
    EXPECT_EQ(output.errorCode, int(common::AudioError::NoDevice));
    EXPECT_EQ(output.list.names, start.outputs.names);
    EXPECT_EQ(output.list.selected, -1);
    EXPECT_EQ(errorBoxText(kCannotInitialiseDevice, output.errorCode),
              "Can't initialize recording device\n(error code: 2)");

    const RecordingEngine::DeviceChoice input =
        engine.selectInputDevice(int(start.inputs.names.size()));
    EXPECT_FALSE(input.ok);
    ASSERT_EQ(engine.beginRecording(), RecordingEngine::Begin::CouldNotStart);
}

TEST(RecordingEngineTexts, VersionWarningNamesTheMixerLibrary) {
    EXPECT_EQ(incorrectVersionText(), "An incorrect version of libSDL2_mixer-2.0.so.0 was loaded");
}
