#include "common/audio_error.h"

#include "common/audio_sdl.h"

namespace common {

namespace {
thread_local AudioError t_lastError = AudioError::Ok;
} // namespace

AudioError lastAudioError() {
    return t_lastError;
}

const char* audioErrorName(AudioError error) {
    switch (error) {
    case AudioError::Ok:
        return "ok";
    case AudioError::NoDriver:
        return "no sound driver";
    case AudioError::NoDevice:
        return "no such device";
    case AudioError::AlreadyInitialised:
        return "already initialised";
    case AudioError::NotInitialised:
        return "not initialised";
    case AudioError::DeviceFailed:
        return "device cannot be opened";
    case AudioError::FileOpen:
        return "file cannot be opened";
    case AudioError::FileFormat:
        return "unsupported sound data";
    case AudioError::BadHandle:
        return "invalid handle";
    case AudioError::BadParameter:
        return "invalid parameter";
    case AudioError::NoFreeChannel:
        return "no free mixer channel";
    case AudioError::Busy:
        return "recording already running";
    }
    return "unknown";
}

namespace audio_detail {

void setLastAudioError(AudioError error) {
    t_lastError = error;
}

} // namespace audio_detail
} // namespace common
