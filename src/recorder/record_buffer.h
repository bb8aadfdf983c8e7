#pragma once
// The WAV image of the current recording (header, then samples), owned for the whole run.
//
// Threading: the audio thread appends while the user interface thread reads the image for its
// displays and, once recording has stopped, finishes and reshapes it. A growth may move the
// memory, so every member takes m_mutex and the image is handed out only inside read().

#include "recorder/recording_effects.h"
#include "recorder/wav_header.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <span>

namespace recorder {

class RecordBuffer {
  public:
    static constexpr std::uint32_t kGrowthStep = 500000;
    // The image's length is a 32-bit number in its header, so that is the natural bound.
    static constexpr std::size_t kNoLimit = UINT32_MAX;

    // `sizeLimit`: the largest block the buffer may hold; a growth past it fails the way an
    // exhausted memory does.
    explicit RecordBuffer(std::size_t sizeLimit = kNoLimit) : m_sizeLimit(sizeLimit) {}
    RecordBuffer(const RecordBuffer&) = delete;
    RecordBuffer& operator=(const RecordBuffer&) = delete;

    // Discards the old image and starts a new one: one step allocated, the header for
    // `channels` and `rate` with both sizes 0. False when the memory cannot be had (then no
    // image exists).
    bool begin(int rate, int channels);
    // Audio thread: appends a block of samples, growing the allocation to the next whole step
    // when the block reaches the end of the current one. False when that growth fails: the
    // image is discarded.
    bool append(std::span<const std::byte> block);
    // Fills in both size fields from the length.
    void finish();
    void discard();

    // The effects in their order on the samples, with the channels and rate from the header;
    // then the allocation is cut to the exact length. False when the memory for the new
    // length cannot be had: the image is discarded and the echo is not applied.
    bool applyEffects(const EffectSettings& settings);

    bool exists() const;
    // Bytes in use, header included; 0 when no image exists.
    std::uint32_t length() const;
    std::size_t allocated() const;

    // Runs `reader` on the image (empty when none exists) with the buffer locked, and returns
    // what it returns. The span is valid only inside the call.
    template <typename Reader> decltype(auto) read(Reader&& reader) const {
        std::lock_guard lock(m_mutex);
        return reader(std::span<const std::byte>(m_data.get(), m_length));
    }

  private:
    struct FreeBytes {
        void operator()(std::byte* bytes) const { std::free(bytes); }
    };

    // With m_mutex held. Keeps the contents; false (and nothing changed) when it fails.
    bool reallocate(std::size_t size);
    void discardLocked();

    mutable std::mutex m_mutex;
    std::unique_ptr<std::byte, FreeBytes> m_data;
    std::uint32_t m_length = 0;
    std::size_t m_allocated = 0;
    const std::size_t m_sizeLimit;
};

} // namespace recorder
