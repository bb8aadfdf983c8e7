// The audio layer on SDL's "disk" driver: the output device writes the final mix to a raw file
// (16-bit stereo 44100 Hz) and the input device reads raw samples from another, so what plays
// and what is recorded can be compared sample by sample.

#include "common/audio_devices.h"
#include "common/audio_error.h"
#include "common/audio_output.h"
#include "common/audio_recording.h"
#include "common/audio_stream.h"
#include "common/audio_version.h"
#include "support/test_files.h"

#include <SDL_log.h>
#include <gtest/gtest.h>

#include <link.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <numbers>
#include <optional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

using namespace common;
using namespace std::chrono_literals;

namespace {

using Samples = std::vector<std::int16_t>;

constexpr std::size_t kInputSamples = 6000;

std::string toBytes(const Samples& samples) {
    std::string bytes(samples.size() * 2, '\0');
    std::memcpy(bytes.data(), samples.data(), bytes.size());
    return bytes;
}

void putLe(std::string& out, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::string wavImage(int rate, int channels, const Samples& samples) {
    const auto dataSize = static_cast<std::uint32_t>(samples.size() * 2);
    const auto blockAlign = static_cast<std::uint32_t>(channels * 2);
    std::string out = "RIFF";
    putLe(out, 36 + dataSize, 4);
    out += "WAVEfmt ";
    putLe(out, 16, 4);
    putLe(out, 1, 2);
    putLe(out, static_cast<std::uint32_t>(channels), 2);
    putLe(out, static_cast<std::uint32_t>(rate), 4);
    putLe(out, static_cast<std::uint32_t>(rate) * blockAlign, 4);
    putLe(out, blockAlign, 2);
    putLe(out, 16, 2);
    out += "data";
    putLe(out, dataSize, 4);
    return out + toBytes(samples);
}

// Stereo frames: left start, start + step, ...; right the negated left, so that a swap or a
// lost sample shows.
Samples stereoRamp(std::size_t frames, int start, int step) {
    Samples samples;
    for (std::size_t i = 0; i < frames; ++i) {
        const int value = start + step * static_cast<int>(i);
        samples.push_back(static_cast<std::int16_t>(value));
        samples.push_back(static_cast<std::int16_t>(-value));
    }
    return samples;
}

Samples constantSamples(std::size_t frames, int value) {
    return Samples(frames * 2, static_cast<std::int16_t>(value));
}

Samples scaled(const Samples& samples, double factor) {
    Samples out;
    for (std::int16_t s : samples)
        out.push_back(static_cast<std::int16_t>(s * factor));
    return out;
}

Samples repeated(const Samples& samples, int times) {
    Samples out;
    for (int i = 0; i < times; ++i)
        out.insert(out.end(), samples.begin(), samples.end());
    return out;
}

std::optional<std::size_t> findSequence(const Samples& haystack, const Samples& needle,
                                        std::size_t from = 0) {
    if (from > haystack.size()) return std::nullopt;
    auto it = std::search(haystack.begin() + static_cast<std::ptrdiff_t>(from), haystack.end(),
                          needle.begin(), needle.end());
    if (it == haystack.end()) return std::nullopt;
    return static_cast<std::size_t>(it - haystack.begin());
}

std::size_t longestRunOf(const Samples& samples, std::int16_t value) {
    std::size_t best = 0, run = 0;
    for (std::int16_t s : samples) {
        run = s == value ? run + 1 : 0;
        best = std::max(best, run);
    }
    return best;
}

// Polls until `done` holds; false after the timeout. Every wait in these tests is bounded.
template <typename Predicate>
bool waitUntil(Predicate done, std::chrono::milliseconds timeout = 5s) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

Samples inputRamp() {
    Samples samples;
    for (std::size_t i = 0; i < kInputSamples; ++i) {
        samples.push_back(static_cast<std::int16_t>(-15000 + 5 * static_cast<int>(i)));
    }
    return samples;
}

} // namespace

class AudioLayer : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        s_dir = std::make_unique<testing_support::TempDir>();
        testing_support::writeFile(file("in.raw"), toBytes(inputRamp()));
        // Read by SDL when the subsystem starts (driver) and at every device open (files).
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", file("out.raw").c_str(), 1);
        setenv("SDL_DISKAUDIOFILEIN", file("in.raw").c_str(), 1);
        // One device buffer per 2 ms: about 10 times real time, without spinning.
        setenv("SDL_DISKAUDIODELAY", "2", 1);
        // The disk driver announces itself at every open as a critical message; keep the log quiet.
        SDL_LogSetPriority(SDL_LOG_CATEGORY_AUDIO, SDL_NUM_LOG_PRIORITIES);
    }
    static void TearDownTestSuite() {
        releaseRecordingDevice();
        releaseOutput();
        s_dir.reset();
    }
    void TearDown() override {
        releaseRecordingDevice();
        releaseOutput();
        setOutputVolume(1.0);
    }

    static std::string file(const std::string& name) { return s_dir->file(name); }
    static std::string writeWav(const std::string& name, int rate, int channels,
                                const Samples& samples) {
        testing_support::writeFile(file(name), wavImage(rate, channels, samples));
        return file(name);
    }
    // Everything the output device has written since it was initialised. Reads only the size
    // found at the start, since the file keeps growing while a device is open.
    static Samples output() {
        std::error_code error;
        const auto size = std::filesystem::file_size(file("out.raw"), error);
        if (error) return {};
        Samples samples(static_cast<std::size_t>(size) / 2);
        std::ifstream in(file("out.raw"), std::ios::binary);
        in.read(reinterpret_cast<char*>(samples.data()),
                static_cast<std::streamsize>(samples.size() * 2));
        samples.resize(static_cast<std::size_t>(in.gcount()) / 2);
        return samples;
    }
    static bool outputContains(const Samples& needle) {
        return waitUntil([&] { return findSequence(output(), needle).has_value(); });
    }
    // Waits until the stream has played to its end, then closes the device so that the file
    // holds the whole mix.
    static bool playToEnd(AudioStreamHandle stream) {
        if (!playStream(stream)) return false;
        const bool ended = waitUntil([&] { return !isStreamPlaying(stream); });
        releaseOutput();
        return ended;
    }

    static std::unique_ptr<testing_support::TempDir> s_dir;
};

std::unique_ptr<testing_support::TempDir> AudioLayer::s_dir;

TEST_F(AudioLayer, StreamPlaysItsSamplesOnceWhilePositionAdvancesToLength) {
    ASSERT_TRUE(initOutputDevice(-1));
    const Samples ramp = stereoRamp(4410, 1000, 3);
    const AudioStreamHandle stream = createFileStream(writeWav("ramp.wav", 44100, 2, ramp), false);
    ASSERT_NE(stream, 0u) << audioErrorName(lastAudioError());
    EXPECT_EQ(streamLength(stream), 4410u * kOutputBytesPerFrame);
    EXPECT_EQ(streamPosition(stream), 0u);
    EXPECT_FALSE(isStreamPlaying(stream));

    ASSERT_TRUE(playStream(stream));
    std::vector<std::uint64_t> positions;
    ASSERT_TRUE(waitUntil([&] {
        positions.push_back(streamPosition(stream).value_or(0));
        return positions.back() == 4410u * kOutputBytesPerFrame;
    }));
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
    ASSERT_TRUE(waitUntil([&] { return !isStreamPlaying(stream); }));
    EXPECT_EQ(streamPosition(stream), 4410u * kOutputBytesPerFrame) << "stays at the end";

    releaseOutput();
    const Samples mix = output();
    const auto at = findSequence(mix, ramp);
    ASSERT_TRUE(at.has_value());
    EXPECT_FALSE(findSequence(mix, ramp, *at + 1).has_value()) << "played more than once";
}

TEST_F(AudioLayer, LoopingStreamRepeatsUntilStoppedAndItsPositionWraps) {
    ASSERT_TRUE(initOutputDevice(-1));
    const Samples ramp = stereoRamp(300, 2000, 5);
    const AudioStreamHandle stream = createFileStream(writeWav("loop.wav", 44100, 2, ramp), true);
    ASSERT_NE(stream, 0u);
    ASSERT_TRUE(playStream(stream));
    EXPECT_TRUE(outputContains(repeated(ramp, 3)));
    EXPECT_TRUE(isStreamPlaying(stream));
    EXPECT_LT(*streamPosition(stream), *streamLength(stream));

    ASSERT_TRUE(stopStream(stream));
    EXPECT_FALSE(isStreamPlaying(stream));
    const auto stoppedAt = streamPosition(stream);
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(streamPosition(stream), stoppedAt) << "a stopped stream does not advance";
}

TEST_F(AudioLayer, PlayStartsAgainFromTheBeginning) {
    ASSERT_TRUE(initOutputDevice(-1));
    const Samples ramp = stereoRamp(20000, 100, 1);
    const AudioStreamHandle stream = createFileStream(writeWav("long.wav", 44100, 2, ramp), false);
    ASSERT_NE(stream, 0u);
    ASSERT_TRUE(playStream(stream));
    ASSERT_TRUE(waitUntil([&] { return *streamPosition(stream) > 30000; }));
    ASSERT_TRUE(playStream(stream));
    EXPECT_LT(*streamPosition(stream), 30000u);
    ASSERT_TRUE(waitUntil([&] { return *streamPosition(stream) > 8000; }));
    releaseOutput();
    // The first frames appear twice: once per play.
    const Samples head(ramp.begin(), ramp.begin() + 2000);
    const auto first = findSequence(output(), head);
    ASSERT_TRUE(first.has_value());
    EXPECT_TRUE(findSequence(output(), head, *first + 1).has_value());
}

TEST_F(AudioLayer, OutputVolumeScalesTheMix) {
    // Multiples of 4, so that every volume below gives exact integers.
    const Samples ramp = stereoRamp(2000, 4000, 4);
    const std::string path = writeWav("volume.wav", 44100, 2, ramp);
    for (double volume : {0.5, 0.25, 0.0}) {
        SCOPED_TRACE(volume);
        ASSERT_TRUE(setOutputVolume(volume));
        ASSERT_TRUE(initOutputDevice(-1));
        const AudioStreamHandle stream = createFileStream(path, false);
        ASSERT_NE(stream, 0u);
        ASSERT_TRUE(playToEnd(stream));
        const Samples mix = output();
        EXPECT_FALSE(findSequence(mix, ramp).has_value());
        if (volume > 0) {
            EXPECT_TRUE(findSequence(mix, scaled(ramp, volume)).has_value());
        } else {
            EXPECT_TRUE(std::all_of(mix.begin(), mix.end(), [](std::int16_t s) { return s == 0; }));
        }
    }
}

TEST_F(AudioLayer, VolumeChangeReachesAStreamAlreadyPlaying) {
    ASSERT_TRUE(initOutputDevice(-1));
    const AudioStreamHandle stream =
        createFileStream(writeWav("steady.wav", 44100, 2, constantSamples(4000, 8000)), true);
    ASSERT_NE(stream, 0u);
    ASSERT_TRUE(playStream(stream));
    ASSERT_TRUE(waitUntil([] { return longestRunOf(output(), 8000) >= 4000; }));
    ASSERT_TRUE(setOutputVolume(0.5));
    EXPECT_TRUE(waitUntil([] { return longestRunOf(output(), 4000) >= 4000; }));
}

TEST_F(AudioLayer, VolumeIsClampedToItsRangeAndNaNIsRefused) {
    struct Case {
        double set;
        bool accepted;
        double result;
    };
    const Case cases[] = {
        {0.3, true, 0.3}, {1.5, true, 1.0}, {-0.5, true, 0.0}, {std::nan(""), false, 0.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.set);
        EXPECT_EQ(setOutputVolume(c.set), c.accepted);
        EXPECT_FLOAT_EQ(static_cast<float>(outputVolume()), static_cast<float>(c.result));
    }
    EXPECT_EQ(lastAudioError(), AudioError::BadParameter);
}

TEST_F(AudioLayer, TwoStreamsPlayingAtOnceAreSummed) {
    ASSERT_TRUE(initOutputDevice(-1));
    // Looping, so that they overlap however late the second one starts.
    const AudioStreamHandle a =
        createFileStream(writeWav("a.wav", 44100, 2, constantSamples(4410, 1000)), true);
    const AudioStreamHandle b =
        createFileStream(writeWav("b.wav", 44100, 2, constantSamples(4410, 3000)), true);
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    ASSERT_TRUE(playStream(a));
    ASSERT_TRUE(playStream(b));
    EXPECT_TRUE(waitUntil([] { return longestRunOf(output(), 4000) >= 20000; }));
    EXPECT_TRUE(isStreamPlaying(a));
    EXPECT_TRUE(isStreamPlaying(b));
}

TEST_F(AudioLayer, MemoryWavPlaysAndTheCallerMayReuseItsBuffer) {
    ASSERT_TRUE(initOutputDevice(-1));
    const Samples ramp = stereoRamp(2205, 3000, 2);
    std::string image = wavImage(44100, 2, ramp);
    const AudioStreamHandle stream = createMemoryStream(std::as_bytes(std::span(image)));
    ASSERT_NE(stream, 0u) << audioErrorName(lastAudioError());
    std::fill(image.begin(), image.end(), '\0');
    EXPECT_EQ(streamLength(stream), 2205u * kOutputBytesPerFrame);
    ASSERT_TRUE(playToEnd(stream));
    EXPECT_TRUE(findSequence(output(), ramp).has_value());
}

TEST_F(AudioLayer, LengthCountsOutputBytesWhateverTheSourceFormat) {
    // One second of 8000 Hz mono becomes one second of 44100 Hz stereo.
    ASSERT_TRUE(initOutputDevice(-1));
    const std::string image = wavImage(8000, 1, Samples(8000, 1234));
    const AudioStreamHandle stream = createMemoryStream(std::as_bytes(std::span(image)));
    ASSERT_NE(stream, 0u);
    const double expected = 44100.0 * kOutputBytesPerFrame;
    EXPECT_NEAR(static_cast<double>(*streamLength(stream)), expected, expected * 0.01);
}

TEST_F(AudioLayer, EmptySoundPlaysAsFinishedEvenWhenLooping) {
    ASSERT_TRUE(initOutputDevice(-1));
    const AudioStreamHandle stream = createFileStream(writeWav("empty.wav", 44100, 2, {}), true);
    ASSERT_NE(stream, 0u);
    EXPECT_EQ(streamLength(stream), 0u);
    EXPECT_TRUE(playStream(stream));
    EXPECT_FALSE(isStreamPlaying(stream));
    EXPECT_EQ(streamPosition(stream), 0u);
}

TEST_F(AudioLayer, StreamsThatCannotBeCreatedGiveHandleZeroAndAReason) {
    EXPECT_EQ(createFileStream(writeWav("early.wav", 44100, 2, constantSamples(10, 1)), false), 0u);
    EXPECT_EQ(lastAudioError(), AudioError::NotInitialised);

    ASSERT_TRUE(initOutputDevice(-1));
    testing_support::writeFile(file("text.wav"), "this is not a sound file at all");
    struct Case {
        std::string path;
        AudioError error;
    };
    const Case cases[] = {{file("missing.ogg"), AudioError::FileOpen},
                          {"", AudioError::FileOpen},
                          {file("text.wav"), AudioError::FileFormat}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(createFileStream(c.path, false), 0u);
        EXPECT_EQ(lastAudioError(), c.error);
    }
    const std::string garbage("RIFF\x10\0\0\0WAVEjunk", 16);
    EXPECT_EQ(createMemoryStream(std::as_bytes(std::span(garbage))), 0u);
    EXPECT_EQ(lastAudioError(), AudioError::FileFormat);
    EXPECT_EQ(createMemoryStream({}), 0u);
    EXPECT_EQ(lastAudioError(), AudioError::BadParameter);
}

TEST_F(AudioLayer, HandleZeroAndFreedHandlesDoNothing) {
    ASSERT_TRUE(initOutputDevice(-1));
    const AudioStreamHandle stream =
        createFileStream(writeWav("hum.wav", 44100, 2, constantSamples(1000, 500)), true);
    ASSERT_NE(stream, 0u);
    ASSERT_TRUE(playStream(stream));

    EXPECT_FALSE(stopStream(0));
    EXPECT_FALSE(freeStream(0));
    EXPECT_FALSE(playStream(0));
    EXPECT_EQ(lastAudioError(), AudioError::BadHandle);
    EXPECT_FALSE(streamPosition(0).has_value());
    EXPECT_FALSE(streamLength(0).has_value());
    EXPECT_TRUE(isStreamPlaying(stream)) << "handle 0 must not touch other streams";

    EXPECT_TRUE(freeStream(stream));
    EXPECT_FALSE(freeStream(stream));
    EXPECT_FALSE(playStream(stream));
    EXPECT_FALSE(streamPosition(stream).has_value());
    EXPECT_EQ(lastAudioError(), AudioError::BadHandle);
}

TEST_F(AudioLayer, OutputInitialisesOnceAndAgainAfterRelease) {
    EXPECT_FALSE(isOutputInitialised());
    EXPECT_FALSE(startOutput());
    EXPECT_EQ(lastAudioError(), AudioError::NotInitialised);

    ASSERT_TRUE(initOutputDevice(-1));
    EXPECT_TRUE(startOutput());
    const AudioStreamHandle stream =
        createFileStream(writeWav("drone.wav", 44100, 2, constantSamples(1000, 700)), true);
    ASSERT_TRUE(playStream(stream));
    for (int device : {-1, -2, 0}) {
        SCOPED_TRACE(device);
        EXPECT_FALSE(initOutputDevice(device));
        EXPECT_EQ(lastAudioError(), AudioError::AlreadyInitialised);
    }
    initAudioOutput();
    EXPECT_TRUE(isStreamPlaying(stream)) << "a later start-up step changes nothing";

    releaseOutput();
    EXPECT_FALSE(isOutputInitialised());
    EXPECT_FALSE(isStreamPlaying(stream));
    EXPECT_FALSE(freeStream(stream)) << "release freed it already";
    EXPECT_EQ(lastAudioError(), AudioError::BadHandle);

    const int deviceCount = static_cast<int>(listOutputDevices().size());
    for (int device : {-2, 0}) {
        SCOPED_TRACE(device);
        EXPECT_TRUE(initOutputDevice(device));
        releaseOutput();
    }
    struct Refused {
        int device, rate;
        AudioError error;
    };
    for (const Refused& r : {Refused{deviceCount, 44100, AudioError::NoDevice},
                             Refused{-3, 44100, AudioError::BadParameter},
                             Refused{-1, 1000, AudioError::BadParameter}}) {
        SCOPED_TRACE(r.device);
        EXPECT_FALSE(initOutputDevice(r.device, r.rate));
        EXPECT_EQ(lastAudioError(), r.error);
    }
    initAudioOutput();
    EXPECT_TRUE(isOutputInitialised());
}

TEST_F(AudioLayer, DeviceListsNumberDevicesAndFlagOneDefault) {
    for (const bool input : {false, true}) {
        SCOPED_TRACE(input ? "input" : "output");
        const auto devices = input ? listInputDevices() : listOutputDevices();
        ASSERT_FALSE(devices.empty());
        int defaults = 0;
        for (std::size_t i = 0; i < devices.size(); ++i) {
            EXPECT_TRUE(devices[i].flags & kAudioDeviceEnabled);
            if (devices[i].flags & kAudioDeviceDefault) ++defaults;
            const int n = static_cast<int>(i);
            const auto info = input ? inputDeviceInfo(n) : outputDeviceInfo(n);
            ASSERT_TRUE(info.has_value());
            EXPECT_EQ(info->name, devices[i].name);
            EXPECT_EQ(info->flags, devices[i].flags);
        }
        EXPECT_EQ(defaults, 1);
        const int past = static_cast<int>(devices.size());
        EXPECT_FALSE((input ? inputDeviceInfo(past) : outputDeviceInfo(past)).has_value());
        EXPECT_FALSE((input ? inputDeviceInfo(-1) : outputDeviceInfo(-1)).has_value());
    }
}

// Collects what a recording delivers; stops once `wanted` samples have arrived, if set.
struct Collector {
    std::mutex mutex;
    Samples samples;
    std::atomic<int> blocks{0};
    std::atomic<bool> stopped{false};
    std::size_t wanted = 0;

    RecordingCallback callback() {
        return [this](std::span<const std::int16_t> block) {
            std::lock_guard lock(mutex);
            samples.insert(samples.end(), block.begin(), block.end());
            ++blocks;
            if (wanted > 0 && samples.size() >= wanted) {
                stopped = true;
                return false;
            }
            return true;
        };
    }
};

TEST_F(AudioLayer, RecordingDeliversTheInputUntilTheCallbackEndsIt) {
    ASSERT_TRUE(initRecordingDevice(-1)) << audioErrorName(lastAudioError());
    Collector collector;
    collector.wanted = kInputSamples;
    const RecordingHandle recording = startRecording(8000, 1, collector.callback());
    ASSERT_NE(recording, 0u) << audioErrorName(lastAudioError());
    ASSERT_TRUE(waitUntil([&] { return !isRecording(recording); }));
    ASSERT_TRUE(collector.stopped);

    const int blocks = collector.blocks;
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(collector.blocks, blocks) << "no block after the callback said stop";
    {
        std::lock_guard lock(collector.mutex);
        ASSERT_GE(collector.samples.size(), kInputSamples);
        const Samples head(collector.samples.begin(),
                           collector.samples.begin() + static_cast<std::ptrdiff_t>(kInputSamples));
        EXPECT_EQ(head, inputRamp());
    }

    // The ended recording no longer blocks a new one.
    Collector next;
    const RecordingHandle again = startRecording(44100, 2, next.callback());
    EXPECT_NE(again, 0u);
    EXPECT_FALSE(stopRecording(recording)) << "closed when the new one started";
    EXPECT_TRUE(stopRecording(again));
}

TEST_F(AudioLayer, StoppingARecordingEndsItsCallbacks) {
    ASSERT_TRUE(initRecordingDevice(-1));
    Collector collector;
    const RecordingHandle recording = startRecording(22500, 2, collector.callback());
    ASSERT_NE(recording, 0u);
    ASSERT_TRUE(waitUntil([&] { return collector.blocks >= 3; }));
    EXPECT_TRUE(isRecording(recording));
    ASSERT_TRUE(stopRecording(recording));
    const int blocks = collector.blocks;
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(collector.blocks, blocks);
    EXPECT_FALSE(isRecording(recording));
    EXPECT_FALSE(stopRecording(recording));
    EXPECT_EQ(lastAudioError(), AudioError::BadHandle);
    std::lock_guard lock(collector.mutex);
    EXPECT_EQ(collector.samples.size() % 2, 0u) << "whole stereo frames";
}

TEST_F(AudioLayer, RecordingDeviceLifecycleAndRefusals) {
    Collector collector;
    EXPECT_EQ(startRecording(44100, 2, collector.callback()), 0u);
    EXPECT_EQ(lastAudioError(), AudioError::NotInitialised);
    EXPECT_FALSE(initRecordingDevice(static_cast<int>(listInputDevices().size())));
    EXPECT_EQ(lastAudioError(), AudioError::NoDevice);

    ASSERT_TRUE(initRecordingDevice(-1));
    EXPECT_FALSE(initRecordingDevice(-1));
    EXPECT_EQ(lastAudioError(), AudioError::AlreadyInitialised);

    struct Refused {
        int rate, channels;
        bool withCallback;
    };
    for (const Refused& r : {Refused{0, 1, true}, Refused{44100, 0, true}, Refused{44100, 9, true},
                             Refused{44100, 2, false}}) {
        SCOPED_TRACE(testing::Message() << r.rate << " Hz, " << r.channels << " channels");
        EXPECT_EQ(startRecording(r.rate, r.channels,
                                 r.withCallback ? collector.callback() : RecordingCallback{}),
                  0u);
        EXPECT_EQ(lastAudioError(), AudioError::BadParameter);
    }

    const RecordingHandle recording = startRecording(16000, 1, collector.callback());
    ASSERT_NE(recording, 0u);
    Collector other;
    EXPECT_EQ(startRecording(16000, 1, other.callback()), 0u);
    EXPECT_EQ(lastAudioError(), AudioError::Busy);

    releaseRecordingDevice();
    EXPECT_FALSE(isRecordingDeviceInitialised());
    EXPECT_FALSE(isRecording(recording)) << "release stops the recording";
    const int blocks = collector.blocks;
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(collector.blocks, blocks);

    EXPECT_TRUE(initRecordingDevice(0));
    EXPECT_NE(startRecording(16000, 1, other.callback()), 0u);
}

// Compressed files, made by the encoders the program itself uses when they are installed.
struct Codec {
    const char* extension;
    std::vector<std::string> (*command)(const std::string& in, const std::string& out);
};

void PrintTo(const Codec& codec, std::ostream* out) {
    *out << codec.extension;
}

class AudioLayerCodec : public AudioLayer, public ::testing::WithParamInterface<Codec> {};

// Runs a program with an argument list; false when it cannot start or fails.
bool runProgram(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
    int status = 0;
    return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST_P(AudioLayerCodec, CompressedFileDecodesInFull) {
    Samples sine;
    for (int i = 0; i < 44100; ++i) {
        const auto s =
            static_cast<std::int16_t>(10000 * std::sin(2 * std::numbers::pi * 440 * i / 44100.0));
        sine.push_back(s);
        sine.push_back(s);
    }
    const std::string source = writeWav("sine.wav", 44100, 2, sine);
    const std::string encoded = file(std::string("sine.") + GetParam().extension);
    if (!runProgram(GetParam().command(source, encoded))) {
        GTEST_SKIP() << "encoder not available";
    }
    ASSERT_TRUE(initOutputDevice(-1));
    const AudioStreamHandle stream = createFileStream(encoded, false);
    ASSERT_NE(stream, 0u) << audioErrorName(lastAudioError());
    // Encoders may add a little padding, never lose the sound.
    const double seconds =
        static_cast<double>(*streamLength(stream)) / kOutputBytesPerFrame / 44100;
    EXPECT_GE(seconds, 0.99);
    EXPECT_LE(seconds, 1.1);
    ASSERT_TRUE(playToEnd(stream));
    const Samples mix = output();
    const auto peak = std::max_element(mix.begin(), mix.end());
    ASSERT_NE(peak, mix.end());
    EXPECT_GT(*peak, 8000);
    EXPECT_LT(*peak, 12000);
}

INSTANTIATE_TEST_SUITE_P(
    Encoders, AudioLayerCodec,
    ::testing::Values(Codec{"ogg",
                            [](const std::string& in, const std::string& out) {
                                return std::vector<std::string>{"oggenc", "-Q", "-o", out, in};
                            }},
                      Codec{"mp3",
                            [](const std::string& in, const std::string& out) {
                                return std::vector<std::string>{"ffmpeg", "-v", "quiet", "-y",
                                                                "-i",     in,   out};
                            }}),
    [](const auto& info) { return std::string(info.param.extension); });

TEST(AudioLayerWithoutDriver, EveryCallFailsQuietly) {
    // A fresh process, so that SDL has not picked a driver yet.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
            std::string failures;
            auto check = [&](bool ok, const char* what) {
                if (!ok) failures += std::string(what) + "; ";
            };
            initAudioOutput();
            check(!isOutputInitialised(), "output initialised");
            check(!initOutputDevice(-1) && lastAudioError() == AudioError::NoDriver, "init -1");
            check(listOutputDevices().empty() && listInputDevices().empty(), "device lists");
            check(!outputDeviceInfo(0).has_value(), "device info");
            check(setOutputVolume(0.5), "volume");
            check(createFileStream("/nonexistent.ogg", false) == 0, "file stream");
            check(!playStream(0) && !stopStream(0) && !freeStream(0), "handle 0");
            check(!initRecordingDevice(-1) && lastAudioError() == AudioError::NoDriver,
                  "recording device");
            check(startRecording(44100, 2, [](auto) { return true; }) == 0, "recording");
            releaseRecordingDevice();
            releaseOutput();
            std::fputs(failures.c_str(), stderr);
            std::exit(failures.empty() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(AudioLibraryVersion, CompatibleMeansSameMajorAndNotOlder) {
    struct Case {
        AudioLibraryVersion loaded;
        bool compatible;
    };
    const AudioLibraryVersion built{2, 6, 2};
    const Case cases[] = {{{2, 6, 2}, true},  {{2, 6, 3}, true},  {{2, 8, 0}, true},
                          {{2, 6, 1}, false}, {{2, 4, 9}, false}, {{3, 0, 0}, false},
                          {{1, 9, 9}, false}, {{0, 0, 0}, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.loaded.major << "." << c.loaded.minor << "." << c.loaded.patch);
        EXPECT_EQ(isCompatibleMixerVersion(c.loaded, built), c.compatible);
    }
}

TEST(AudioLibraryVersion, TheLoadedLibraryIsTheNamedFileAndFitsTheBuild) {
    EXPECT_TRUE(mixerVersionMatches());
    bool found = false;
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void* data) {
            const std::string path = info->dlpi_name ? info->dlpi_name : "";
            const std::string name = std::string("/") + kMixerLibraryFileName;
            if (path.size() >= name.size() && path.ends_with(name))
                *static_cast<bool*>(data) = true;
            return 0;
        },
        &found);
    EXPECT_TRUE(found);
}
