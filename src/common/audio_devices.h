#pragma once
// Output and input device lists. A device's number is its position in its list; the lists are
// enumerated afresh on every call, so devices plugged in meanwhile appear. Thread-safe.

#include <optional>
#include <string>
#include <vector>

namespace common {

inline constexpr unsigned kAudioDeviceEnabled = 1;
inline constexpr unsigned kAudioDeviceDefault = 2;

struct AudioDeviceInfo {
    std::string name;   // UTF-8, as the sound system reports it
    unsigned flags = 0; // kAudioDeviceEnabled | kAudioDeviceDefault
};

// The device with that number; nullopt past the last one (and when there is no sound system,
// where both lists are empty). Every listed device is enabled; exactly one is the default.
std::optional<AudioDeviceInfo> outputDeviceInfo(int device);
std::optional<AudioDeviceInfo> inputDeviceInfo(int device);

std::vector<AudioDeviceInfo> listOutputDevices();
std::vector<AudioDeviceInfo> listInputDevices();

} // namespace common
