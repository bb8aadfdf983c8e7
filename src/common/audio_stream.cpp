#include "common/audio_stream.h"

#include "common/audio_mixer.h"

namespace common {

using audio_detail::AudioMixer;

AudioStreamHandle createFileStream(const std::string& path, bool loop) {
    return AudioMixer::instance().createFromFile(path, loop);
}

AudioStreamHandle createMemoryStream(std::span<const std::byte> image) {
    return AudioMixer::instance().createFromMemory(image);
}

bool playStream(AudioStreamHandle stream) {
    return AudioMixer::instance().play(stream);
}
bool stopStream(AudioStreamHandle stream) {
    return AudioMixer::instance().stop(stream);
}
bool freeStream(AudioStreamHandle stream) {
    return AudioMixer::instance().free(stream);
}

std::optional<std::uint64_t> streamPosition(AudioStreamHandle stream) {
    return AudioMixer::instance().position(stream);
}

std::optional<std::uint64_t> streamLength(AudioStreamHandle stream) {
    return AudioMixer::instance().length(stream);
}

bool isStreamPlaying(AudioStreamHandle stream) {
    return AudioMixer::instance().isPlaying(stream);
}

} // namespace common
