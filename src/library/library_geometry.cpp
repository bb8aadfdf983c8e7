#include "library/library_geometry.h"

#include "common/helpers.h"
#include "editors/field_values.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace library {

std::vector<std::string> listedPaths(const std::string& listing) {
    std::vector<std::string> paths;
    std::size_t start = 0;
    while (start < listing.size()) {
        std::size_t end = listing.find("\r\n", start);
        if (end == std::string::npos) end = listing.size();
        if (end > start) paths.push_back(listing.substr(start, end - start));
        start = end + 2;
    }
    return paths;
}

std::string visibleNameOf(const std::string& path, const std::string& folder) {
    return path.size() > folder.size() ? path.substr(folder.size() + 1) : std::string();
}

std::string libraryCaption(const std::string& folder, int entries) {
    return common::fileNameOf(folder) + " (" + std::to_string(entries) + ")";
}

int gridColumns(int width) {
    return std::max(1, width / kCellWidth);
}

int gridRows(int entries, int columns) {
    columns = std::max(1, columns);
    return std::max(1, (std::max(0, entries) + columns - 1) / columns);
}

ThumbnailPlace thumbnailPlace(int w, int h) {
    ThumbnailPlace place;
    if (w <= 0 || h <= 0) return place;
    if (w > h) {
        place.width = kThumbnailSide;
        place.height = int(std::int64_t(h) * kThumbnailSide / w);
        place.y = (kThumbnailSide - place.height) / 2;
    } else {
        place.width = int(std::int64_t(w) * kThumbnailSide / h);
        place.height = kThumbnailSide;
        place.x = (kThumbnailSide - place.width) / 2;
    }
    return place;
}

int captionOffset(int textWidth) {
    constexpr int strip = kCellWidth - 10;
    return textWidth < strip ? (strip - textWidth) / 2 : 0;
}

FittedSize fitIntoRectangle(int w, int h, int W, int H) {
    FittedSize size;
    if (w <= 0 || h <= 0) return size;
    size.width = W;
    size.height = int(h * (double(W) / w));
    if (size.height > H) {
        size.height = H;
        size.width = int(w * (double(H) / h));
    }
    return size;
}

int sizeBoxValue(const std::string& text) {
    constexpr int fallback = 100;
    const char* begin = text.c_str();
    while (*begin == ' ' || *begin == '\t')
        ++begin;
    const char* digits = begin + ((*begin == '+' || *begin == '-') ? 1 : 0);
    if (*digits < '0' || *digits > '9') return fallback;
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(begin, &end, 10);
    if (*end != '\0' || errno == ERANGE || value > std::numeric_limits<int>::max() ||
        value < std::numeric_limits<int>::min())
        return fallback;
    return int(std::clamp<long long>(value, 10, 1000));
}

std::string resolutionText(int w, int h) {
    return "Разрешение: " + std::to_string(w) + "x" + std::to_string(h);
}

std::string ratioText(int w, int h) {
    char text[64];
    std::snprintf(text, sizeof text, "%5.2g", h != 0 ? double(w) / h : 0.0);
    // The C library follows the system's locale, which may write a decimal comma.
    return "Отношение: " + common::replaceAll(text, ",", ".");
}

std::string sliderVolumeText(int position) {
    return common::replaceAll(editors::formatGeneral(position * 0.01), ",", ".");
}

} // namespace library
