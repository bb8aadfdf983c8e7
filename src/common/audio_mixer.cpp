#include "common/audio_mixer.h"

#include "common/audio_output.h"
#include "common/audio_sdl.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace common::audio_detail {

namespace {

constexpr int kChunkFrames = 1024; // about 23 ms at 44100 Hz

// Mixing thread: counts the bytes each channel mixes; `arg` is that channel's counter.
void SDLCALL countMixedBytes(int, void*, int len, void* arg) {
    static_cast<std::atomic<std::uint64_t>*>(arg)->fetch_add(static_cast<std::uint64_t>(len),
                                                             std::memory_order_relaxed);
}

// Mixing thread: scales the final mix (signed 16-bit, native order) by the output volume.
void SDLCALL applyOutputVolume(void* arg, Uint8* stream, int len) {
    const float volume = static_cast<std::atomic<float>*>(arg)->load(std::memory_order_relaxed);
    if (volume >= 1.0f) return;
    auto* samples = reinterpret_cast<Sint16*>(stream);
    const int count = len / 2;
    for (int i = 0; i < count; ++i) {
        samples[i] = static_cast<Sint16>(std::lrintf(static_cast<float>(samples[i]) * volume));
    }
}

} // namespace

void AudioMixer::ChunkDeleter::operator()(Mix_Chunk* chunk) const {
    Mix_FreeChunk(chunk);
}

AudioMixer& AudioMixer::instance() {
    static AudioMixer mixer;
    return mixer;
}

AudioMixer::~AudioMixer() {
    // Runs at exit: the mixing thread must stop before the counters and volume it reads go.
    close();
}

bool AudioMixer::openDevice(const char* name, int rate) {
    // No allowed changes: SDL converts to exactly this format whatever the hardware wants, so
    // byte counts always mean 16-bit stereo.
    return Mix_OpenAudioDevice(rate, AUDIO_S16SYS, 2, kChunkFrames, name, 0) == 0;
}

bool AudioMixer::open(int device, int rate) {
    std::lock_guard lock(m_mutex);
    if (m_open) return fail(AudioError::AlreadyInitialised, false);
    if (rate < 8000 || rate > 192000 || device < -2) return fail(AudioError::BadParameter, false);
    if (!ensureAudioSubsystem()) return fail(AudioError::NoDriver, false);

    static const bool decodersLoaded = [] {
        Mix_Init(MIX_INIT_OGG | MIX_INIT_MP3 | MIX_INIT_FLAC); // best effort; WAV needs none
        return true;
    }();
    (void)decodersLoaded;

    bool opened = false;
    if (device == -1) {
        opened = openDevice(nullptr, rate);
    } else {
        const std::vector<std::string> names = audioDeviceNames(false);
        if (device == -2) {
            if (names.empty()) return fail(AudioError::NoDevice, false);
            for (const std::string& name : names) {
                if ((opened = openDevice(name.c_str(), rate))) break;
            }
        } else {
            if (device >= static_cast<int>(names.size())) return fail(AudioError::NoDevice, false);
            opened = openDevice(names[static_cast<std::size_t>(device)].c_str(), rate);
        }
    }
    if (!opened) return fail(AudioError::DeviceFailed, false);

    if (Mix_AllocateChannels(kMaxPlayingStreams) != kMaxPlayingStreams) {
        Mix_CloseAudio();
        return fail(AudioError::DeviceFailed, false);
    }
    m_channelOwner.fill(0);
    Mix_SetPostMix(applyOutputVolume, &m_volume);
    m_open = true;
    setLastAudioError(AudioError::Ok);
    return true;
}

bool AudioMixer::start() {
    std::lock_guard lock(m_mutex);
    if (!m_open) return fail(AudioError::NotInitialised, false);
    setLastAudioError(AudioError::Ok);
    return true;
}

void AudioMixer::close() {
    std::lock_guard lock(m_mutex);
    if (!m_open) return;
    Mix_HaltChannel(-1);
    m_streams.clear(); // frees the chunks while the device is still open
    Mix_SetPostMix(nullptr, nullptr);
    Mix_CloseAudio();
    m_channelOwner.fill(0);
    m_open = false;
}

bool AudioMixer::isOpen() {
    std::lock_guard lock(m_mutex);
    return m_open;
}

bool AudioMixer::setVolume(double volume) {
    if (std::isnan(volume)) return fail(AudioError::BadParameter, false);
    m_volume.store(static_cast<float>(std::clamp(volume, 0.0, 1.0)), std::memory_order_relaxed);
    setLastAudioError(AudioError::Ok);
    return true;
}

double AudioMixer::volume() const {
    return m_volume.load(std::memory_order_relaxed);
}

AudioStreamHandle AudioMixer::addStream(SDL_RWops* source, bool loop) {
    // Called with m_mutex held and the output open; takes ownership of `source`.
    Mix_Chunk* chunk = Mix_LoadWAV_RW(source, 1);
    if (!chunk) return fail(AudioError::FileFormat, AudioStreamHandle{0});
    const AudioStreamHandle handle = nextAudioHandle();
    Stream& stream = m_streams[handle];
    stream.chunk.reset(chunk);
    stream.loop = loop;
    setLastAudioError(AudioError::Ok);
    return handle;
}

AudioStreamHandle AudioMixer::createFromFile(const std::string& path, bool loop) {
    std::lock_guard lock(m_mutex);
    if (!m_open) return fail(AudioError::NotInitialised, AudioStreamHandle{0});
    SDL_RWops* source = SDL_RWFromFile(path.c_str(), "rb");
    if (!source) return fail(AudioError::FileOpen, AudioStreamHandle{0});
    return addStream(source, loop);
}

AudioStreamHandle AudioMixer::createFromMemory(std::span<const std::byte> image) {
    std::lock_guard lock(m_mutex);
    if (!m_open) return fail(AudioError::NotInitialised, AudioStreamHandle{0});
    if (image.empty() || image.size() > static_cast<std::size_t>(INT32_MAX)) {
        return fail(AudioError::BadParameter, AudioStreamHandle{0});
    }
    SDL_RWops* source = SDL_RWFromConstMem(image.data(), static_cast<int>(image.size()));
    if (!source) return fail(AudioError::BadParameter, AudioStreamHandle{0});
    return addStream(source, false);
}

AudioMixer::Stream* AudioMixer::find(AudioStreamHandle handle) {
    auto it = m_streams.find(handle);
    return it == m_streams.end() ? nullptr : &it->second;
}

std::uint64_t AudioMixer::mixedBytes(const Stream& stream) const {
    if (stream.channel < 0) return stream.playedBytes;
    return m_channelBytes[static_cast<std::size_t>(stream.channel)].load(std::memory_order_relaxed);
}

void AudioMixer::detach(Stream& stream) {
    if (stream.channel < 0) return;
    const int channel = stream.channel;
    // A finished channel has no effect left, so after the halt its counter is final.
    Mix_HaltChannel(channel);
    stream.playedBytes = m_channelBytes[static_cast<std::size_t>(channel)].load();
    stream.channel = -1;
    m_channelOwner[static_cast<std::size_t>(channel)] = 0;
}

bool AudioMixer::play(AudioStreamHandle handle) {
    std::lock_guard lock(m_mutex);
    Stream* stream = find(handle);
    if (!stream) return fail(AudioError::BadHandle, false);
    detach(*stream);
    stream->playedBytes = 0;
    if (stream->chunk->alen == 0) {
        // Nothing to mix; SDL_mixer would also count an empty looping chunk as playing forever.
        setLastAudioError(AudioError::Ok);
        return true;
    }

    int channel = -1;
    for (int c = 0; c < kMaxPlayingStreams; ++c) {
        if (!Mix_Playing(c)) {
            channel = c;
            break;
        }
    }
    if (channel < 0) return fail(AudioError::NoFreeChannel, false);
    const auto slot = static_cast<std::size_t>(channel);
    if (Stream* previous = find(m_channelOwner[slot])) detach(*previous);

    // The channel is idle, so the mixing thread does not touch its counter or effects now.
    m_channelBytes[slot].store(0);
    Mix_UnregisterAllEffects(channel);
    if (Mix_RegisterEffect(channel, countMixedBytes, nullptr, &m_channelBytes[slot]) == 0 ||
        Mix_PlayChannel(channel, stream->chunk.get(), stream->loop ? -1 : 0) < 0) {
        Mix_UnregisterAllEffects(channel);
        return fail(AudioError::DeviceFailed, false);
    }
    m_channelOwner[slot] = handle;
    stream->channel = channel;
    setLastAudioError(AudioError::Ok);
    return true;
}

bool AudioMixer::stop(AudioStreamHandle handle) {
    std::lock_guard lock(m_mutex);
    Stream* stream = find(handle);
    if (!stream) return fail(AudioError::BadHandle, false);
    detach(*stream);
    setLastAudioError(AudioError::Ok);
    return true;
}

bool AudioMixer::free(AudioStreamHandle handle) {
    std::lock_guard lock(m_mutex);
    Stream* stream = find(handle);
    if (!stream) return fail(AudioError::BadHandle, false);
    detach(*stream);
    m_streams.erase(handle);
    setLastAudioError(AudioError::Ok);
    return true;
}

std::optional<std::uint64_t> AudioMixer::position(AudioStreamHandle handle) {
    std::lock_guard lock(m_mutex);
    const Stream* stream = find(handle);
    if (!stream) return fail(AudioError::BadHandle, std::optional<std::uint64_t>{});
    const std::uint64_t length = stream->chunk->alen;
    std::uint64_t bytes = mixedBytes(*stream);
    if (stream->loop && length > 0) {
        bytes %= length;
    } else {
        bytes = std::min(bytes, length);
    }
    setLastAudioError(AudioError::Ok);
    return bytes;
}

std::optional<std::uint64_t> AudioMixer::length(AudioStreamHandle handle) {
    std::lock_guard lock(m_mutex);
    const Stream* stream = find(handle);
    if (!stream) return fail(AudioError::BadHandle, std::optional<std::uint64_t>{});
    setLastAudioError(AudioError::Ok);
    return std::uint64_t{stream->chunk->alen};
}

bool AudioMixer::isPlaying(AudioStreamHandle handle) {
    std::lock_guard lock(m_mutex);
    const Stream* stream = find(handle);
    if (!stream) return fail(AudioError::BadHandle, false);
    setLastAudioError(AudioError::Ok);
    return stream->channel >= 0 && Mix_Playing(stream->channel) != 0;
}

} // namespace common::audio_detail
