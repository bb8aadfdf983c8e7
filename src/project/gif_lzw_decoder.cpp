#include "project/gif_lzw_decoder.h"

#include <array>
#include <cstring>

namespace project {

namespace {

constexpr int kTableSize = 4096; // 12-bit codes

// Reads codes least significant bit first from the data.
class CodeReader {
  public:
    CodeReader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    // False when the data ends before `bits` more bits.
    bool read(int bits, int& code) {
        while (m_count < bits) {
            if (m_at == m_size) return false;
            m_buffer |= std::uint64_t(m_data[m_at++]) << m_count;
            m_count += 8;
        }
        code = int(m_buffer & ((1u << bits) - 1));
        m_buffer >>= bits;
        m_count -= bits;
        return true;
    }

  private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
    std::uint64_t m_buffer = 0;
    int m_count = 0;
};

// Copies `n` bytes from an earlier part of the output; short strings in whole words. The
// source ends at or before the destination; words read past its end and written past the
// destination's end only touch bytes that are written again later or lie in the slack.
inline void copyString(std::uint8_t* out, std::size_t to, std::size_t from, std::size_t n) {
    if (n <= 16) {
        std::uint64_t w[2];
        std::memcpy(w, out + from, 16);
        std::memcpy(out + to, w, 16);
    } else {
        std::memcpy(out + to, out + from, n);
    }
}

} // namespace

GifLzwResult decodeGifLzw(int codeSize, const std::uint8_t* data, std::size_t size,
                          std::uint8_t* out, std::size_t count) {
    if (codeSize < 0 || codeSize > 8) return GifLzwResult::Corrupt;
    if (count == 0) return GifLzwResult::Complete;
    const int clearCode = 1 << codeSize, eofCode = clearCode + 1;
    // Where each string of the table was written and how long it is.
    std::array<std::uint32_t, kTableSize> start{};
    std::array<std::uint16_t, kTableSize> length{};

    CodeReader reader(data, size);
    int codeBits = codeSize + 1, codeLimit = 1 << codeBits;
    int nextCode = eofCode + 1;
    int previous = -1; // no string yet since the last clear code
    std::size_t previousStart = 0, previousLength = 0;
    std::size_t at = 0;
    while (at < count) {
        int code = 0;
        if (!reader.read(codeBits, code)) return GifLzwResult::Truncated;
        if (code == clearCode) {
            codeBits = codeSize + 1;
            codeLimit = 1 << codeBits;
            nextCode = eofCode + 1;
            previous = -1;
            continue;
        }
        if (code == eofCode) return GifLzwResult::Truncated;

        std::size_t n = 0;
        if (code < clearCode) {
            out[at] = std::uint8_t(code);
            n = 1;
        } else if (previous < 0) {
            return GifLzwResult::Corrupt; // a string code with no table
        } else if (code < nextCode) {
            n = length[std::size_t(code)];
            copyString(out, at, start[std::size_t(code)], n);
        } else if (code == nextCode && nextCode < kTableSize) {
            // The string being defined: the previous one and its own first pixel.
            n = previousLength + 1;
            copyString(out, at, previousStart, previousLength);
            out[at + previousLength] = out[previousStart];
        } else {
            return GifLzwResult::Corrupt;
        }

        // The previous string and this one's first pixel, which follow each other in the output.
        if (previous >= 0 && nextCode < kTableSize) {
            start[std::size_t(nextCode)] = std::uint32_t(previousStart);
            length[std::size_t(nextCode)] = std::uint16_t(previousLength + 1);
            ++nextCode;
        }
        if (nextCode >= codeLimit && codeBits < 12) codeLimit = 1 << ++codeBits;
        previous = code;
        previousStart = at;
        previousLength = n;
        at += n;
    }
    return GifLzwResult::Complete;
}

} // namespace project
