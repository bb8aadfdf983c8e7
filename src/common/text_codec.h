#pragma once
// Text file encodings: UTF-8 and UTF-16 (either byte order) recognised by their byte order
// mark, and Windows-1251, the 8-bit code page used for files without a mark.

#include "common/status.h"

#include <string>

namespace common {

enum class TextEncoding { Utf8, Utf16Le, Utf16Be, Cp1251 };

struct DecodedText {
    std::string utf8;
    TextEncoding encoding = TextEncoding::Cp1251;
};

// Decodes by the byte order mark (removed); without one the bytes are Windows-1251.
// Fails only on UTF-16 that cannot be decoded (malformed UTF-8 is kept byte for byte).
Status decodeText(const std::string& bytes, DecodedText& out);

// Encodes UTF-8 text, with the encoding's byte order mark in front (none for Windows-1251).
// Characters that Windows-1251 cannot hold become "?".
std::string encodeText(const std::string& utf8, TextEncoding encoding);

// Every line break (CR LF, CR or LF) made CR LF.
std::string normalizeLineBreaksToCrLf(const std::string& text);

} // namespace common
