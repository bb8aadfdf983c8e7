#include "common/audio_sdl.h"

#include <SDL.h>

#include <atomic>
#include <mutex>

namespace common::audio_detail {

bool ensureAudioSubsystem() {
    static std::mutex mutex;
    static bool ready = false;
    std::lock_guard lock(mutex);
    if (ready) return true;
    // The host application handles SIGINT/SIGTERM itself; SDL must not turn them into events.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    // The subsystem stays up for the rest of the run: devices are opened and closed often, and
    // quitting it while a static destructor still closes a device would be unsafe.
    ready = true;
    return true;
}

std::vector<std::string> audioDeviceNames(bool capture) {
    std::vector<std::string> names;
    if (!ensureAudioSubsystem()) return names;
    const int iscapture = capture ? 1 : 0;
    const int count = SDL_GetNumAudioDevices(iscapture);
    for (int i = 0; i < count; ++i) {
        const char* name = SDL_GetAudioDeviceName(i, iscapture);
        names.emplace_back(name ? name : "");
    }
    return names;
}

int defaultAudioDevice(const std::vector<std::string>& names, bool capture) {
    char* name = nullptr;
    SDL_AudioSpec spec{};
    if (SDL_GetDefaultAudioInfo(&name, &spec, capture ? 1 : 0) == 0 && name) {
        const std::string defaultName = name;
        SDL_free(name);
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (names[i] == defaultName) return static_cast<int>(i);
        }
    }
    // Drivers that offer only "the default device" list exactly that one, at position 0.
    return 0;
}

std::uint32_t nextAudioHandle() {
    static std::atomic<std::uint32_t> counter{0};
    std::uint32_t handle = ++counter;
    while (handle == 0)
        handle = ++counter;
    return handle;
}

} // namespace common::audio_detail
