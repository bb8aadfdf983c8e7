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
      m_codeLimit(1 << m_codeBits), m_children(std::size_t(kMaxCode + 1) << m_codeSize, 0) {
    m_usedSlots.reserve(kMaxCode);
    writeCode(m_clearCode);
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
    } else {
        m_children[slot] = std::uint16_t(m_nextCode++);
        m_usedSlots.push_back(std::uint32_t(slot));
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
