#include "common/text_codec.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>

namespace common {

namespace {

constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

// Converts with iconv. With `replaceInvalid`, an input sequence the target cannot hold is
// replaced by "?" and one input character (UTF-8 sequence) is skipped; otherwise it fails.
bool convert(const char* to, const char* from, const std::string& in, std::string& out,
             bool replaceInvalid) {
    out.clear();
    iconv_t cd = ::iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    char* inPtr = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    char buffer[4096];
    bool ok = true;
    while (inLeft > 0) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t r = ::iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        out.append(buffer, sizeof buffer - outLeft);
        if (r != std::size_t(-1)) continue;
        if (errno == E2BIG) continue;
        if (!replaceInvalid) {
            ok = false;
            break;
        }
        // Skip one UTF-8 character of the input.
        out += '?';
        std::size_t skip = 1;
        while (skip < inLeft && (static_cast<unsigned char>(inPtr[skip]) & 0xC0) == 0x80)
            ++skip;
        inPtr += skip;
        inLeft -= skip;
    }
    ::iconv_close(cd);
    return ok;
}

} // namespace

Status decodeText(const std::string& bytes, DecodedText& out) {
    auto startsWith = [&](const char* bom, std::size_t n) {
        return bytes.size() >= n && bytes.compare(0, n, bom, n) == 0;
    };
    if (startsWith(kUtf8Bom, 3)) {
        out.encoding = TextEncoding::Utf8;
        out.utf8 = bytes.substr(3);
        return Status::success();
    }
    if (startsWith("\xFF\xFE", 2) || startsWith("\xFE\xFF", 2)) {
        const bool le = bytes[0] == '\xFF';
        out.encoding = le ? TextEncoding::Utf16Le : TextEncoding::Utf16Be;
        if (!convert("UTF-8", le ? "UTF-16LE" : "UTF-16BE", bytes.substr(2), out.utf8, false))
            return Status::failure("Неверная кодировка UTF-16");
        return Status::success();
    }
    const bool ascii = std::all_of(bytes.begin(), bytes.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    // Plain ASCII reads the same either way; it stays Windows-1251, so what is filled into an
    // older template is written as it always was.
    if (!ascii && isValidUtf8(bytes)) {
        out.encoding = TextEncoding::Utf8NoMark;
        out.utf8 = bytes;
        return Status::success();
    }
    out.encoding = TextEncoding::Cp1251;
    // Every byte has a meaning in Windows-1251 except 0x98; iconv rejects it, so keep it as "?".
    std::string cleaned = bytes;
    for (char& c : cleaned)
        if (c == '\x98') c = '?';
    if (!convert("UTF-8", "CP1251", cleaned, out.utf8, false))
        return Status::failure("Неверная кодировка Windows-1251");
    return Status::success();
}

std::string encodeText(const std::string& utf8, TextEncoding encoding) {
    std::string out;
    switch (encoding) {
    case TextEncoding::Utf8:
        return kUtf8Bom + utf8;
    case TextEncoding::Utf8NoMark:
        return utf8;
    case TextEncoding::Utf16Le:
        convert("UTF-16LE", "UTF-8", utf8, out, true);
        return std::string("\xFF\xFE", 2) + out;
    case TextEncoding::Utf16Be:
        convert("UTF-16BE", "UTF-8", utf8, out, true);
        return std::string("\xFE\xFF", 2) + out;
    case TextEncoding::Cp1251:
        convert("CP1251", "UTF-8", utf8, out, true);
        return out;
    }
    return out;
}

bool isValidUtf8(const std::string& bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    for (std::size_t i = 0; i < n;) {
        const unsigned c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t len;
        unsigned min, cp;
        if ((c & 0xE0) == 0xC0) {
            len = 2, min = 0x80, cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            len = 3, min = 0x800, cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            len = 4, min = 0x10000, cp = c & 0x07;
        } else {
            return false;
        }
        if (n - i < len) return false;
        for (std::size_t k = 1; k < len; ++k) {
            if ((p[i + k] & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += len;
    }
    return true;
}

std::string normalizeLineBreaksToCrLf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            out += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else if (c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace common
