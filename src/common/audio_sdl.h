#pragma once
// Glue shared by the audio_*.cpp files over SDL2; not meant for callers outside the audio layer.

#include "common/audio_error.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace common::audio_detail {

void setLastAudioError(AudioError error);

// Sets the last error and returns `result`, so that failures read as one statement.
template <typename T> T fail(AudioError error, T result) {
    setLastAudioError(error);
    return result;
}

// Starts SDL's audio subsystem on first use (never at load time). Returns false when no audio
// driver can be started; a later call tries again. Thread-safe.
bool ensureAudioSubsystem();

// Names of the output (capture false) or input devices, freshly enumerated, in SDL's order;
// the position in the list is the device number. Empty when the subsystem cannot start.
std::vector<std::string> audioDeviceNames(bool capture);
// Position of the system's default device in `names`; 0 when the driver cannot tell.
int defaultAudioDevice(const std::vector<std::string>& names, bool capture);

// A new handle, never 0, unique among streams and recordings of this run.
std::uint32_t nextAudioHandle();

} // namespace common::audio_detail
