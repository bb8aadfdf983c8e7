#include "common/audio_devices.h"

#include "common/audio_sdl.h"

namespace common {

namespace {

std::vector<AudioDeviceInfo> listDevices(bool capture) {
    std::vector<AudioDeviceInfo> devices;
    if (!audio_detail::ensureAudioSubsystem()) {
        audio_detail::setLastAudioError(AudioError::NoDriver);
        return devices;
    }
    const std::vector<std::string> names = audio_detail::audioDeviceNames(capture);
    const int defaultDevice = audio_detail::defaultAudioDevice(names, capture);
    for (std::size_t i = 0; i < names.size(); ++i) {
        unsigned flags = kAudioDeviceEnabled;
        if (static_cast<int>(i) == defaultDevice) flags |= kAudioDeviceDefault;
        devices.push_back({names[i], flags});
    }
    audio_detail::setLastAudioError(AudioError::Ok);
    return devices;
}

std::optional<AudioDeviceInfo> deviceInfo(int device, bool capture) {
    std::vector<AudioDeviceInfo> devices = listDevices(capture);
    if (device < 0 || device >= static_cast<int>(devices.size())) {
        if (lastAudioError() == AudioError::Ok)
            audio_detail::setLastAudioError(AudioError::NoDevice);
        return std::nullopt;
    }
    return std::move(devices[static_cast<std::size_t>(device)]);
}

} // namespace

std::optional<AudioDeviceInfo> outputDeviceInfo(int device) {
    return deviceInfo(device, false);
}
std::optional<AudioDeviceInfo> inputDeviceInfo(int device) {
    return deviceInfo(device, true);
}
std::vector<AudioDeviceInfo> listOutputDevices() {
    return listDevices(false);
}
std::vector<AudioDeviceInfo> listInputDevices() {
    return listDevices(true);
}

} // namespace common
