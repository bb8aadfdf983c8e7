#pragma once
// The recording engine: records from an input device into a RecordBuffer and plays the result
// on an output device, through the program's audio layer. It also owns the choice of both
// devices. It never shows anything: each step reports what the window is to show.
//
// Threading: every member runs on the user interface thread, except appendRecordedData, which
// the audio layer calls on its recording thread; the two share only the buffer (which locks
// itself) and an atomic flag.

#include "common/audio_recording.h"
#include "common/audio_stream.h"
#include "recorder/record_buffer.h"

#include <atomic>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace recorder {

inline constexpr const char* kCouldNotStartRecording = "Couldn't start recording";
inline constexpr const char* kOutOfMemory = "Out of memory!";
inline constexpr const char* kCannotInitialiseDevice = "Can't initialize recording device";

// "%s\n(error code: %d)": how a failed output device is reported.
std::string errorBoxText(const std::string& message, int code);
// The warning shown when the mixer library on the system does not fit the build.
std::string incorrectVersionText();

inline constexpr int kRecordRates[] = {8000, 16000, 22500, 32000, 44100, 48000};

class RecordingEngine {
  public:
    // Device names in the audio layer's order (the position is the device number) and the
    // position to select; -1 selects nothing.
    struct DeviceList {
        std::vector<std::string> names;
        int selected = -1;
    };
    struct DeviceChoice {
        DeviceList list;
        bool ok = true;
        int errorCode = 0; // the audio layer's last error when not ok
    };
    struct StartUp {
        bool versionMatches = true;
        DeviceList outputs; // the last enabled device selected
        DeviceList inputs;  // the default device selected
    };
    struct Playback {
        DeviceChoice output;
        bool started = false; // the stream was made and told to play
    };
    enum class Begin { Started, CouldNotStart, OutOfMemory };

    // `bufferLimit`: see RecordBuffer.
    explicit RecordingEngine(std::size_t bufferLimit = RecordBuffer::kNoLimit);
    // Stops a running recording and frees the playback stream.
    ~RecordingEngine();
    RecordingEngine(const RecordingEngine&) = delete;
    RecordingEngine& operator=(const RecordingEngine&) = delete;

    // Runs on the recording thread when the buffer could not grow; the recording has ended
    // then and no recording remains. Set it before the first recording; it must not call the
    // audio layer.
    void setOutOfMemoryHandler(std::function<void()> handler) {
        m_onOutOfMemory = std::move(handler);
    }

    // Once, when the recorder is created: version check, output on the default device (else
    // the first that opens), both device lists, recording initialised on the default input.
    // Failures of the devices are silent.
    StartUp startUp();

    int recordRate() const { return m_recordRate; }
    int recordChannels() const { return m_recordChannels; }
    void setRecordRate(int rate) { m_recordRate = rate; }
    void setRecordChannels(int channels) { m_recordChannels = channels; }
    int inputDevice() const { return m_inputDevice; }
    int outputDevice() const { return m_outputDevice; }

    // Discards the old recording (freeing the playback and releasing the whole output, which
    // stays released until an output device is selected again) and starts a new one with the
    // current rate and channels. On failure no recording exists.
    Begin beginRecording();
    // True from a successful begin until finishRecording or an out-of-memory end.
    bool isRecording() const;
    // Stops the recording and fills in the header's sizes.
    void finishRecording();
    // True once after the recording thread ran out of memory; the recording is then stopped.
    bool takeOutOfMemory();
    // The effects, on a recording that has been finished. False: out of memory, no recording.
    bool applyEffects(const EffectSettings& settings);
    // A recording exists (a finished one, or one still being recorded).
    bool hasRecording() const { return m_buffer.exists(); }
    const RecordBuffer& buffer() const { return m_buffer; }

    // Plays the whole WAV image from its start on output device `outputPosition` (through
    // selectOutputDevice). Not started when the stream cannot be made: the output is then
    // released.
    Playback playRecording(int outputPosition);
    void stopPlayback();
    common::AudioStreamHandle playStream() const { return m_playStream; }

    // Ends a running recording (without effects), lists the inputs again and initialises
    // recording on `position`. Not ok: "Can't initialize recording device".
    DeviceChoice selectInputDevice(int position);
    // Frees the playback, lists the outputs again and initialises the output on `position` at
    // 44100 Hz. Not ok: errorBoxText("Can't initialize recording device", errorCode).
    DeviceChoice selectOutputDevice(int position);

    // Recording thread: appends the block; false ends the recording (out of memory).
    bool appendRecordedData(std::span<const std::int16_t> samples);

  private:
    static DeviceList outputList(int selected);
    static DeviceList inputList(int selected);

    RecordBuffer m_buffer;
    common::RecordingHandle m_recordChannel = 0;
    common::AudioStreamHandle m_playStream = 0;
    int m_recordRate = 44100;
    int m_recordChannels = 2;
    int m_inputDevice = -1;
    int m_outputDevice = -1;
    std::atomic<bool> m_outOfMemory{false};
    std::function<void()> m_onOutOfMemory;
};

} // namespace recorder
