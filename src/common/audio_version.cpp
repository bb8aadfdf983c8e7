#include "common/audio_version.h"

#include <SDL_mixer.h>

#include <tuple>

namespace common {

AudioLibraryVersion loadedMixerVersion() {
    const SDL_version* version = Mix_Linked_Version();
    if (!version) return {};
    return {version->major, version->minor, version->patch};
}

AudioLibraryVersion builtMixerVersion() {
    return {SDL_MIXER_MAJOR_VERSION, SDL_MIXER_MINOR_VERSION, SDL_MIXER_PATCHLEVEL};
}

bool isCompatibleMixerVersion(AudioLibraryVersion loaded, AudioLibraryVersion built) {
    return loaded.major == built.major &&
           std::tie(loaded.minor, loaded.patch) >= std::tie(built.minor, built.patch);
}

bool mixerVersionMatches() {
    return isCompatibleMixerVersion(loadedMixerVersion(), builtMixerVersion());
}

} // namespace common
