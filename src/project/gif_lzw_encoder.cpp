#include "project/gif_lzw_encoder.h"

#include <algorithm>

namespace project {

namespace {

constexpr int kMaxCode = 4095; // 12-bit codes
constexpr std::size_t kBlockBytes = 255;

} // namespace

GifLzwEncoder::GifLzwEncoder(int bitsPerPixel)
    : m_codeSize(std::clamp(bitsPerPixel, 2, 8)), m_clearCode(1 << m_codeSize),
      m_eofCode(m_clearCode + 1), m_nextCode(m_eofCode + 1), m_codeBits(m_codeSize + 1),
      m_codeLimit(1 << m_codeBits), m_children(std::size_t(kMaxCode + 1) << m_codeSize, 0),
      m_runLength(kMaxCode + 1, 0), m_runPixel(kMaxCode + 1, 0),
      m_longestRun(std::size_t(m_clearCode), 1),
      m_runCodes(std::size_t(m_clearCode) * (kMaxCode + 1), 0) {
    m_usedSlots.reserve(kMaxCode);
    for (int p = 0; p < m_clearCode; ++p) {
        m_runLength[std::size_t(p)] = 1;
        m_runPixel[std::size_t(p)] = std::uint8_t(p);
        m_runCodes[runSlot(p, 1)] = std::uint16_t(p);
    }
    writeCode(m_clearCode);
}

void GifLzwEncoder::putRun(std::uint8_t pixel, std::size_t count) {
    while (count > 0) {
        if (m_current < 0) {
            m_current = pixel;
            --count;
            continue;
        }
        const std::size_t length =
            m_runPixel[std::size_t(m_current)] == pixel ? m_runLength[std::size_t(m_current)] : 0;
        if (length == 0) { // a string of other values: one step as usual
            put(pixel);
            --count;
            continue;
        }
        // The current string is `length` times the pixel; the table knows up to `longest`.
        const std::size_t longest = m_longestRun[pixel];
        if (length + count <= longest) {
            m_current = m_runCodes[runSlot(pixel, length + count)];
            return;
        }
        // Go to the longest known run; the next pixel makes a new string.
        count -= longest - length + 1;
        m_current = m_runCodes[runSlot(pixel, longest)];
        addString((std::size_t(m_current) << m_codeSize) | pixel, pixel);
    }
}

std::size_t GifLzwEncoder::runSlot(int pixel, std::size_t length) {
    return std::size_t(pixel) * (kMaxCode + 1) + length;
}

void GifLzwEncoder::writeCode(int code) {
    m_bitBuffer |= std::uint64_t(code) << m_bitCount;
    m_bitCount += m_codeBits;
    while (m_bitCount >= 8) {
        m_bytes += char(m_bitBuffer & 0xFF);
        m_bitBuffer >>= 8;
        m_bitCount -= 8;
    }
    // Codes widen once the next string's code needs a further bit.
    if (m_nextCode >= m_codeLimit && m_codeBits < 12) m_codeLimit = 1 << ++m_codeBits;
}

void GifLzwEncoder::addString(std::size_t slot, std::uint8_t pixel) {
    writeCode(m_current);
    m_current = pixel;
    if (m_nextCode >= kMaxCode) {
        // The table is full: a clear code, and the table starts again.
        writeCode(m_clearCode);
        m_nextCode = m_eofCode + 1;
        m_codeBits = m_codeSize + 1;
        m_codeLimit = 1 << m_codeBits;
        for (const std::uint32_t used : m_usedSlots)
            m_children[used] = 0;
        m_usedSlots.clear();
        std::fill(m_longestRun.begin(), m_longestRun.end(), std::uint16_t(1));
    } else {
        const std::size_t prefix = slot >> m_codeSize;
        const int code = m_nextCode++;
        m_children[slot] = std::uint16_t(code);
        m_usedSlots.push_back(std::uint32_t(slot));
        // A run string one longer than the longest of its pixel value, or another string.
        const std::size_t length = m_runPixel[prefix] == pixel ? m_runLength[prefix] : 0;
        if (length > 0) {
            m_runLength[std::size_t(code)] = std::uint16_t(length + 1);
            m_runPixel[std::size_t(code)] = pixel;
            m_longestRun[pixel] = std::uint16_t(length + 1);
            m_runCodes[runSlot(pixel, length + 1)] = std::uint16_t(code);
        } else {
            m_runLength[std::size_t(code)] = 0;
        }
    }
}

void GifLzwEncoder::finish(std::string& out) {
    if (m_current >= 0) writeCode(m_current);
    writeCode(m_eofCode);
    if (m_bitCount > 0) m_bytes += char(m_bitBuffer & 0xFF);
    m_bitBuffer = 0;
    m_bitCount = 0;

    out.reserve(out.size() + m_bytes.size() + m_bytes.size() / kBlockBytes + 3);
    out += char(m_codeSize);
    for (std::size_t at = 0; at < m_bytes.size(); at += kBlockBytes) {
        const std::size_t n = std::min(kBlockBytes, m_bytes.size() - at);
        out += char(n);
        out.append(m_bytes, at, n);
    }
    out += '\0';
    m_bytes.clear();
}

} // namespace project
