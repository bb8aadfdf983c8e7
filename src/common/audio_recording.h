#pragma once
// Recording from an audio input device: 16-bit signed samples, channels interleaved, delivered
// in blocks to a callback on SDL's audio thread. One recording device is initialised at a time
// and one recording runs on it at a time. Thread-safe.

#include <cstdint>
#include <functional>
#include <span>

namespace common {

// 0 stands for "no recording".
using RecordingHandle = std::uint32_t;

// Runs on the audio thread for every block, in order. Returns true to go on, false to end the
// recording: no block follows then. It must not call the audio layer (a stop waits for it).
using RecordingCallback = std::function<bool(std::span<const std::int16_t> samples)>;

// Device: -1 the system's default input, otherwise a position in the input device list
// (audio_devices.h). The device is opened once to prove that it works. Fails with
// AlreadyInitialised while a device is initialised.
bool initRecordingDevice(int device);
// Stops a running recording and forgets the device. Does nothing when none is initialised.
void releaseRecordingDevice();
bool isRecordingDeviceInitialised();

// Starts recording at `rate` Hz (1000 to 384000; the sound system resamples) with 1 to 8
// channels. 0 on failure: NotInitialised, BadParameter, Busy (another recording runs),
// DeviceFailed. A recording whose callback has answered false no longer counts as running.
RecordingHandle startRecording(int rate, int channels, RecordingCallback callback);
// Stops the recording; when it returns, the callback is not running and will not run again.
// Fine after the callback has ended the recording itself. 0 or an old handle: BadHandle.
bool stopRecording(RecordingHandle recording);
// True from the start until the callback answers false or the recording is stopped.
bool isRecording(RecordingHandle recording);

} // namespace common
