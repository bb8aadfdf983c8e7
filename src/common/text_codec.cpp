#include "common/text_codec.h"

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
