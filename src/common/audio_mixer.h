#pragma once
// The state behind audio_output.h and audio_stream.h: the SDL2_mixer output and the stream
// table. Internal to the audio layer. One instance per process, created on first use.
//
// Threading: every public method locks m_mutex. SDL's mixing thread runs only the two
// callbacks, which touch atomics alone, so holding m_mutex while SDL_mixer takes its audio lock
// cannot deadlock.

#include "common/audio_stream.h"

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>

struct Mix_Chunk;
struct SDL_RWops;

namespace common::audio_detail {

class AudioMixer {
  public:
    static AudioMixer& instance();
    ~AudioMixer();
    AudioMixer(const AudioMixer&) = delete;
    AudioMixer& operator=(const AudioMixer&) = delete;

    bool open(int device, int rate);
    bool start();
    void close();
    bool isOpen();

    bool setVolume(double volume);
    double volume() const;

    AudioStreamHandle createFromFile(const std::string& path, bool loop);
    AudioStreamHandle createFromMemory(std::span<const std::byte> image);
    bool play(AudioStreamHandle handle);
    bool stop(AudioStreamHandle handle);
    bool free(AudioStreamHandle handle);
    std::optional<std::uint64_t> position(AudioStreamHandle handle);
    std::optional<std::uint64_t> length(AudioStreamHandle handle);
    bool isPlaying(AudioStreamHandle handle);

  private:
    struct ChunkDeleter {
        void operator()(Mix_Chunk* chunk) const;
    };
    struct Stream {
        std::unique_ptr<Mix_Chunk, ChunkDeleter> chunk;
        bool loop = false;
        int channel = -1;              // the mixer channel last played on, -1 when none
        std::uint64_t playedBytes = 0; // bytes mixed, kept when the channel is given up
    };

    AudioMixer() = default;
    bool openDevice(const char* name, int rate);
    AudioStreamHandle addStream(SDL_RWops* source, bool loop);
    Stream* find(AudioStreamHandle handle);
    // Halts the stream's channel if it is still playing it and keeps the byte count.
    void detach(Stream& stream);
    std::uint64_t mixedBytes(const Stream& stream) const;

    std::mutex m_mutex;
    bool m_open = false;
    std::unordered_map<AudioStreamHandle, Stream> m_streams;
    // Which stream last played on each channel; 0 for none.
    std::array<AudioStreamHandle, kMaxPlayingStreams> m_channelOwner{};
    // Bytes mixed on each channel since its stream started; written by the mixing thread.
    std::array<std::atomic<std::uint64_t>, kMaxPlayingStreams> m_channelBytes{};
    std::atomic<float> m_volume{1.0f};
};

} // namespace common::audio_detail
