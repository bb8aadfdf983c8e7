#pragma once
// Text file encodings: UTF-8 and UTF-16 (either byte order) recognised by their byte order
// mark; without a mark, valid UTF-8 (what today's editors write) or else Windows-1251, the
// 8-bit code page of files from older systems.

#include "common/status.h"

#include <string>

namespace common {

// Utf8NoMark: UTF-8 found without a byte order mark, written back without one.
enum class TextEncoding { Utf8, Utf16Le, Utf16Be, Cp1251, Utf8NoMark };

struct DecodedText {
    std::string utf8;
    TextEncoding encoding = TextEncoding::Cp1251;
};

// Decodes by the byte order mark (removed); without one, valid UTF-8 with at least one
// non-ASCII character is UTF-8 (Utf8NoMark) and anything else Windows-1251. Fails only on UTF-16
// that cannot be decoded (malformed UTF-8 after a UTF-8 mark is kept byte for byte).
Status decodeText(const std::string& bytes, DecodedText& out);

// Encodes UTF-8 text, with the encoding's byte order mark in front (none for Windows-1251).
// Characters that Windows-1251 cannot hold become "?".
std::string encodeText(const std::string& utf8, TextEncoding encoding);

// True when `bytes` is well-formed UTF-8 (no overlong forms, surrogates or values past
// U+10FFFF).
bool isValidUtf8(const std::string& bytes);

// Every line break (CR LF, CR or LF) made CR LF.
std::string normalizeLineBreaksToCrLf(const std::string& text);

} // namespace common
