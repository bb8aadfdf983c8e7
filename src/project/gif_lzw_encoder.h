#pragma once
// LZW compression of GIF image data, code for code the stream giflib's encoder writes: the same
// greedy string table, the same moment to widen codes and to clear the table when it is full.
// The string table is a direct table (code × pixel value) instead of a hash, which makes the
// usual step, a string that is known already, one memory look-up.

#include <cstdint>
#include <string>
#include <vector>

namespace project {

class GifLzwEncoder {
  public:
    // `bitsPerPixel` (1..8) is that of the colour table; the code size is at least 2.
    explicit GifLzwEncoder(int bitsPerPixel);

    // The next pixel's colour index, below 2 to the power of the code size.
    void put(std::uint8_t pixel) {
        if (m_current < 0) {
            m_current = pixel;
            return;
        }
        const std::size_t slot = (std::size_t(m_current) << m_codeSize) | pixel;
        const std::uint16_t known = m_children[slot];
        if (known != 0) {
            m_current = known;
            return;
        }
        addString(slot, pixel);
    }

    // Ends the stream and appends the image data to `out`: the code size byte, the data
    // sub-blocks and the block terminator.
    void finish(std::string& out);

  private:
    void addString(std::size_t slot, std::uint8_t pixel);
    void writeCode(int code);

    int m_codeSize;
    int m_clearCode;
    int m_eofCode;
    int m_nextCode;
    int m_codeBits;
    int m_codeLimit; // 2 to the power of m_codeBits
    int m_current = -1;
    std::uint64_t m_bitBuffer = 0;
    int m_bitCount = 0;
    std::vector<std::uint16_t> m_children; // code of string (code, pixel); 0 when unknown
    std::vector<std::uint32_t> m_usedSlots;
    std::string m_bytes;
};

} // namespace project
