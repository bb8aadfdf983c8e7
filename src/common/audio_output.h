#pragma once
// The program's one audio output: 16-bit stereo, mixed by SDL2_mixer. Every stream plays
// through it (audio_stream.h). Thread-safe; no call waits for a playback to end.
// With no sound system or device, initialisation fails quietly and every later call fails with
// an error code; nothing else is affected.

namespace common {

inline constexpr int kOutputRate = 44100;
// Stream positions and lengths count bytes of the output format: 16-bit stereo, 4 per frame.
inline constexpr int kOutputBytesPerFrame = 4;

// Device: -1 the system's default device, -2 the first listed device that opens, otherwise a
// position in the output device list (audio_devices.h). Rate in Hz, 8000 to 192000.
// Fails with AlreadyInitialised while an output is initialised.
bool initOutputDevice(int device, int rate = kOutputRate);
// An initialised output runs from initialisation on; this only reports whether there is one.
bool startOutput();
// Stops and frees every stream (their handles become invalid) and closes the device, so that
// the output can be initialised again, maybe on another device. Does nothing when not
// initialised.
void releaseOutput();
bool isOutputInitialised();

// Volume of the whole output, applied to the final mix: 0.0 silent to 1.0 unchanged. Values
// outside that range are clamped; NaN is refused. The volume may be set before initialisation
// and is kept across releases.
bool setOutputVolume(double volume);
double outputVolume();

// The start-up step of every window that plays sound: the default device at kOutputRate, else
// the first device that opens, then start. Failures are deliberately silent; once an output is
// initialised, later runs change nothing.
void initAudioOutput();

} // namespace common
