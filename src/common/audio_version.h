#pragma once
// Which SDL2_mixer the program runs with, compared with the one it was built against, so that
// a window can warn when the library file on the system does not fit.

namespace common {

struct AudioLibraryVersion {
    int major = 0;
    int minor = 0;
    int patch = 0;
};

// The shared library's file name, for messages.
inline constexpr const char* kMixerLibraryFileName = "libSDL2_mixer-2.0.so.0";

// The version actually loaded; safe to call before any other audio call.
AudioLibraryVersion loadedMixerVersion();
// The version of the headers the program was built with.
AudioLibraryVersion builtMixerVersion();
// Compatible: the same major version and not older than the build (an older library may lack
// functions or fixes the program relies on).
bool isCompatibleMixerVersion(AudioLibraryVersion loaded, AudioLibraryVersion built);
bool mixerVersionMatches();

} // namespace common
