#pragma once
// LZW compression of GIF image data, code for code the stream giflib's encoder writes: the same
// greedy string table, the same moment to widen codes and to clear the table when it is full.
// The string table is a direct table (code × pixel value) instead of a hash, which makes the
// usual step, a string that is known already, one memory look-up. Runs of one pixel value, which
// make most of a map, skip even that: the table's strings of one value repeated are numbered by
// their length, so the longest one that a run continues is found at once.

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

    // `count` pixels of the same colour index; the same as `count` calls of put(pixel).
    void putRun(std::uint8_t pixel, std::size_t count);

    // Ends the stream and appends the image data to `out`: the code size byte, the data
    // sub-blocks and the block terminator.
    void finish(std::string& out);

  private:
    void addString(std::size_t slot, std::uint8_t pixel);
    void writeCode(int code);
    static std::size_t runSlot(int pixel, std::size_t length);

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
    // Strings of one pixel value repeated: for each code its length (0 for other strings) and
    // value; for each value the longest such string in the table and the code of each length.
    std::vector<std::uint16_t> m_runLength;
    std::vector<std::uint8_t> m_runPixel;
    std::vector<std::uint16_t> m_longestRun;
    std::vector<std::uint16_t> m_runCodes; // [pixel × 4096 + length]
    std::string m_bytes;
};

} // namespace project
