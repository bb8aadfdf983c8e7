#include "recorder/record_buffer.h"

#include "recorder/effect_values.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

namespace recorder {

// The samples are handled as native 16-bit words; WAV stores them little-endian.
static_assert(std::endian::native == std::endian::little);

bool RecordBuffer::reallocate(std::size_t size) {
    if (size > m_sizeLimit || size == 0) return false;
    void* moved = std::realloc(m_data.get(), size);
    if (!moved) return false;
    (void)m_data.release(); // realloc has taken it over
    m_data.reset(static_cast<std::byte*>(moved));
    m_allocated = size;
    return true;
}

void RecordBuffer::discardLocked() {
    m_data.reset();
    m_length = 0;
    m_allocated = 0;
}

bool RecordBuffer::begin(int rate, int channels) {
    std::lock_guard lock(m_mutex);
    discardLocked();
    if (!reallocate(kGrowthStep)) return false;
    m_length = kWavHeaderSize;
    writeWavHeader(std::span<std::byte, kWavHeaderSize>(m_data.get(), kWavHeaderSize), channels,
                   rate);
    return true;
}

bool RecordBuffer::append(std::span<const std::byte> block) {
    std::lock_guard lock(m_mutex);
    if (!m_data) return false;
    const std::size_t n = block.size();
    if (std::uint64_t(m_length) + n > UINT32_MAX) {
        discardLocked();
        return false;
    }
    if (m_length % kGrowthStep + n >= kGrowthStep) {
        const std::size_t size = ((m_length + n) / kGrowthStep + 1) * std::size_t(kGrowthStep);
        if (!reallocate(size)) {
            discardLocked();
            return false;
        }
    }
    if (n > 0) std::memcpy(m_data.get() + m_length, block.data(), n);
    m_length += std::uint32_t(n);
    return true;
}

void RecordBuffer::finish() {
    std::lock_guard lock(m_mutex);
    if (m_data) setWavSizes(std::span<std::byte>(m_data.get(), m_length));
}

void RecordBuffer::discard() {
    std::lock_guard lock(m_mutex);
    discardLocked();
}

bool RecordBuffer::applyEffects(const EffectSettings& settings) {
    std::lock_guard lock(m_mutex);
    if (!m_data) return true;
    const WavFormat format = wavFormatOf(std::span<const std::byte>(m_data.get(), m_length));
    const int channels = std::max(format.channels, 1);
    const std::size_t total = (m_length - kWavHeaderSize) / 2;
    auto samplesOf = [this](std::size_t count) {
        return std::span<std::int16_t>(
            reinterpret_cast<std::int16_t*>(m_data.get() + kWavHeaderSize), count);
    };

    // The boxes keep both values in their ranges; limited again here because a tempo of 0
    // or an amplitude above 1 would make no sound sense.
    auto limited = [](double value, double low, double high) {
        return value >= low ? std::min(value, high) : low;
    };
    removeOffset(samplesOf(total));
    scaleToAmplitude(samplesOf(total), limited(settings.amplitude, kMinAmplitude, kMaxAmplitude));
    const double tempo = limited(settings.tempo, kMinTempo, kMaxTempo);

    // The tempo step writes into a new block of the exact new length.
    const std::size_t frames = total / std::size_t(channels);
    const std::size_t newTotal = tempoFrames(frames, tempo) * std::size_t(channels);
    const std::uint64_t newLength = kWavHeaderSize + std::uint64_t(newTotal) * 2;
    std::unique_ptr<std::byte, FreeBytes> result;
    if (newLength <= m_sizeLimit)
        result.reset(static_cast<std::byte*>(std::malloc(std::size_t(newLength))));
    if (!result) {
        discardLocked();
        return false;
    }
    std::memcpy(result.get(), m_data.get(), kWavHeaderSize);
    const std::span<std::int16_t> out(
        reinterpret_cast<std::int16_t*>(result.get() + kWavHeaderSize), newTotal);
    changeTempo(samplesOf(total), channels, out);
    m_data = std::move(result);
    m_length = std::uint32_t(newLength);
    m_allocated = m_length;
    setWavSizes(std::span<std::byte>(m_data.get(), m_length));

    addEcho(samplesOf(newTotal), channels, format.rate, settings.echoLevel);
    return true;
}

bool RecordBuffer::exists() const {
    std::lock_guard lock(m_mutex);
    return m_data != nullptr;
}

std::uint32_t RecordBuffer::length() const {
    std::lock_guard lock(m_mutex);
    return m_length;
}

std::size_t RecordBuffer::allocated() const {
    std::lock_guard lock(m_mutex);
    return m_allocated;
}

} // namespace recorder
