#pragma once
// Error codes of the audio layer. Every audio call sets the calling thread's last error:
// AudioError::Ok when it succeeds, the reason when it fails. The numbers are stable, since
// windows show them to the user ("error code: N").

namespace common {

enum class AudioError : int {
    Ok = 0,
    NoDriver = 1,           // the sound system could not be started (no driver, no sound server)
    NoDevice = 2,           // no device with that number
    AlreadyInitialised = 3, // the output or the recording device is initialised already
    NotInitialised = 4,     // the output or the recording device is not initialised
    DeviceFailed = 5,       // the device exists but could not be opened
    FileOpen = 6,           // the file is missing or cannot be read
    FileFormat = 7,         // the data is not a sound the decoders can read
    BadHandle = 8,          // 0, freed, or belonging to an output that has been released since
    BadParameter = 9,       // a value out of its range (rate, channel count, empty buffer, ...)
    NoFreeChannel = 10,     // every mixer channel is busy
    Busy = 11,              // a recording is running already
};

AudioError lastAudioError();
// Short English name of the code, for logs and test messages.
const char* audioErrorName(AudioError error);

} // namespace common
