#include "common/helpers.h"

#include "common/raster.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace common {

std::string stripExtension(const std::string& path) {
    const auto dot = path.rfind('.');
    return dot == std::string::npos ? std::string() : path.substr(0, dot);
}

std::string extensionOf(const std::string& path) {
    const auto dot = path.rfind('.');
    return dot == std::string::npos ? std::string() : path.substr(dot);
}

std::string fileNameOf(const std::string& path) {
    const auto sep = path.find_last_of("/\\");
    return sep == std::string::npos ? path : path.substr(sep + 1);
}

std::string directoryOf(const std::string& path) {
    const auto sep = path.rfind('/');
    return sep == std::string::npos ? path : path.substr(0, sep);
}

std::string replaceAll(const std::string& text, const std::string& search,
                       const std::string& replacement) {
    assert(!search.empty());
    if (search.empty()) return text;
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    for (;;) {
        const auto hit = text.find(search, pos);
        if (hit == std::string::npos) break;
        out.append(text, pos, hit - pos);
        out += replacement;
        pos = hit + search.size();
    }
    out.append(text, pos, std::string::npos);
    return out;
}

int splitText(char separator, const std::string& text, Qiv_Result& result) {
    assert(result.limit >= 1 && result.limit <= int(result.items.size()));
    const int limit = std::clamp(result.limit, 1, int(result.items.size()));
    int k = 0;
    result.items[0].clear();
    for (char ch : text) {
        if (ch == separator) {
            if (k >= limit - 1) break;
            ++k;
            result.items[k].clear();
        } else {
            result.items[k] += ch;
        }
    }
    result.count = result.items[k].empty() ? k : k + 1;
    return result.count;
}

namespace {

bool endsWithUpper(const std::string& name, const char* ext) {
    const std::size_t n = std::strlen(ext);
    if (name.size() < n) return false;
    for (std::size_t i = 0; i < n; ++i) {
        char c = name[name.size() - n + i];
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
        if (c != ext[i]) return false;
    }
    return true;
}

template <std::size_t N>
std::string listFiles(const std::string& folder, const std::array<const char*, N>& extensions) {
    std::string out;
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.') continue;
        std::error_code statError;
        if (!std::filesystem::is_regular_file(it->path(), statError)) // follows links
            continue;
        for (const char* ext : extensions) {
            if (endsWithUpper(name, ext)) {
                out += folder + "/" + name + "\r\n";
                break;
            }
        }
    }
    return out;
}

} // namespace

std::string listImageFiles(const std::string& folder) {
    return listFiles(folder, std::array<const char*, 4>{".JPG", ".JPEG", ".PNG", ".GIF"});
}

std::string listSoundFiles(const std::string& folder) {
    return listFiles(folder, std::array<const char*, 3>{".OGG", ".MP3", ".WAV"});
}

std::int64_t fileSizeOf(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    struct stat st {};
    std::int64_t size = 0;
    if (::fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode)) size = std::int64_t(st.st_size);
    ::close(fd);
    return size;
}

std::string formatByteSize(std::int64_t size) {
    constexpr std::int64_t k = 1024;
    if (size < k) return std::to_string(size) + " байт";
    if (size < k * k) return std::to_string(size / k) + " КБ";
    if (size < k * k * k) return std::to_string(size / (k * k)) + " МБ";
    if (size < k * k * k * k) return std::to_string(size / (k * k * k)) + " ГБ";
    if (size < k * k * k * k * k) return std::to_string(size / (k * k * k * k)) + " ТБ";
    return std::to_string(size);
}

void scaleNearest(const Raster& source, Raster& destination) {
    const int dw = destination.width(), dh = destination.height();
    const int sw = source.width(), sh = source.height();
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
    for (int y = 0; y < dh; ++y) {
        const int sy = dh > 1 ? int(std::int64_t(y) * (sh - 1) / (dh - 1)) : 0;
        const std::uint8_t* srcRow = source.row(sy);
        std::uint8_t* dstRow = destination.row(y);
        for (int x = 0; x < dw; ++x) {
            const int sx = dw > 1 ? int(std::int64_t(x) * (sw - 1) / (dw - 1)) : 0;
            std::memcpy(dstRow + 3 * x, srcRow + 3 * sx, 3);
        }
    }
}

} // namespace common
