#pragma once
// Sound streams played through the audio output (audio_output.h). A stream is decoded in full
// into the output format when it is created, so its length and position are exact. Each playing
// stream has a mixer channel of its own; any number up to kMaxPlayingStreams play at once and
// are summed (with clipping), then scaled by the output volume. Thread-safe.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace common {

// 0 stands for "no stream"; a freed handle is never given out again during the run.
using AudioStreamHandle = std::uint32_t;

inline constexpr int kMaxPlayingStreams = 32;

// A stream on a sound file (WAV, Ogg Vorbis, MP3, FLAC; UTF-8 path), looping endlessly when
// `loop` is set. 0 on failure: NotInitialised, FileOpen, FileFormat.
AudioStreamHandle createFileStream(const std::string& path, bool loop);
// A stream on a complete sound file image in memory (typically WAV). The bytes are decoded
// during the call; the caller may free or reuse them afterwards. 0 on failure.
AudioStreamHandle createMemoryStream(std::span<const std::byte> image);

// Plays from the beginning, also when the stream is playing already or stopped halfway.
bool playStream(AudioStreamHandle stream);
// Stops; the position stays where the stream stopped. Handle 0 does nothing (false).
bool stopStream(AudioStreamHandle stream);
// Stops and frees. Handle 0, or one freed already, does nothing (false).
bool freeStream(AudioStreamHandle stream);

// Bytes of the output format handed to the mixer since the last play, in 0..length: a looping
// stream's position starts again from 0 at each repeat; a finished one stays at its length.
// The sound reaches the speakers one device buffer (about 23 ms) later. nullopt: BadHandle.
std::optional<std::uint64_t> streamPosition(AudioStreamHandle stream);
// Total bytes of the decoded sound in the output format (kOutputBytesPerFrame per frame).
std::optional<std::uint64_t> streamLength(AudioStreamHandle stream);
// True from play until the end (never, for a looping stream), a stop or a free.
bool isStreamPlaying(AudioStreamHandle stream);

} // namespace common
