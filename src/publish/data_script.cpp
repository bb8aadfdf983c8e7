#include "publish/data_script.h"

#include "common/helpers.h"
#include "common/raster.h"
#include "project/palette.h"
#include "project/region_attributes.h"

#include <algorithm>
#include <cassert>
#include <cstdint>

namespace publish {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr char kMediaFolder[] = "qiv_zarim/";
constexpr char kLineEnd[] = "\r\n";
constexpr int kMaxRun = 255;

void appendHexByte(std::string& out, int v) {
    out += kHexDigits[(v >> 4) & 0xF];
    out += kHexDigits[v & 0xF];
}

void appendRun(std::string& out, int index, int length) {
    for (; length > kMaxRun; length -= kMaxRun) {
        appendHexByte(out, index);
        appendHexByte(out, kMaxRun);
    }
    appendHexByte(out, index);
    appendHexByte(out, length);
}

void appendEncodedRow(std::string& out, const common::Raster& map, int y) {
    const std::uint8_t* p = map.row(y);
    // Neighbouring samples mostly share a colour; remembering the last lookup saves most of them.
    common::Rgb lastColor = 0;
    int lastIndex = project::colorIndexOf(0);
    int runIndex = -1;
    int runLength = 0;
    for (int x = 1; x < map.width(); x += 3) {
        const std::uint8_t* px = p + 3 * x;
        const common::Rgb color = (common::Rgb(px[0]) << 16) | (common::Rgb(px[1]) << 8) | px[2];
        if (color != lastColor) {
            lastColor = color;
            lastIndex = project::colorIndexOf(color);
        }
        if (lastIndex == runIndex) {
            ++runLength;
            continue;
        }
        if (runLength > 0) appendRun(out, runIndex, runLength);
        runIndex = lastIndex;
        runLength = 1;
    }
    if (runLength > 0) appendRun(out, runIndex, runLength);
    out += "2323";
}

void appendQuoted(std::string& out, const std::string& value) {
    out += '\'';
    out += escapeScriptValue(value);
    out += '\'';
}

} // namespace

std::string HexByte(int v) {
    assert(v >= 0 && v <= 255);
    std::string out;
    appendHexByte(out, v);
    return out;
}

std::string MediaUrl(const std::string& path) {
    if (path.empty()) return {};
    return kMediaFolder + common::fileNameOf(path);
}

std::string VideoUrl(const std::string& path) {
    if (path.empty()) return {};
    return kMediaFolder + common::fileNameOf(common::stripExtension(path)) + ".mp4";
}

std::string EncodeMapRow(const common::Raster& map, int y) {
    assert(y >= 0 && y < map.height());
    std::string out;
    appendEncodedRow(out, map, y);
    return out;
}

std::string escapeScriptValue(const std::string& value) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '\'') {
            out += "\\'";
        } else if (c == '\\') {
            const bool startsLineBreak = i + 1 < value.size() && value[i + 1] == 'n';
            out += startsLineBreak ? "\\" : "\\\\";
        } else if (c == '\r' || c == '\n') {
            // A raw line break would end the string and the whole script with it.
            out += "\\n";
            if (c == '\r' && i + 1 < value.size() && value[i + 1] == '\n') ++i;
        } else if (c == '\xE2' && i + 2 < value.size() && value[i + 1] == '\x80' &&
                   (value[i + 2] == '\xA8' || value[i + 2] == '\xA9')) {
            // U+2028 and U+2029 end a line inside a string in older script engines.
            out += "\\n";
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

std::string BuildDataScript(const project::RegionAttributes& attrs, int imageWidth, int imageHeight,
                            const common::Raster& colorMap) {
    using project::Field;
    std::string out;
    out += "SRC_WIDTH=" + std::to_string(imageWidth) +
           "; SRC_HEIGHT=" + std::to_string(imageHeight) + ";" + kLineEnd;
    out += "var DATA=new Array(";
    out += kLineEnd;

    assert(attrs.rowCount >= 0 && attrs.rowCount <= project::kColorCount);
    const int rowCount = std::clamp(attrs.rowCount, 0, project::kColorCount);
    for (int c = 0; c < rowCount; ++c) {
        for (int e = 0; e < project::kEventCount; ++e) {
            for (Field f : project::kFileFieldOrder) {
                const std::string& value = attrs.get(f, c, e);
                if (f == project::sound || f == project::picture)
                    appendQuoted(out, MediaUrl(value));
                else if (f == project::video)
                    appendQuoted(out, VideoUrl(value));
                else
                    appendQuoted(out, value);
                out += ',';
            }
        }
        out += kLineEnd;
    }

    appendQuoted(out, MediaUrl(attrs.backgroundMusic));
    out += ',';
    appendQuoted(out, attrs.backgroundVolume);
    out += ',';
    appendQuoted(out, attrs.backgroundLoop);
    out += ");";
    out += kLineEnd;
    out += "var Count=" + std::to_string(rowCount) + ";" + kLineEnd;

    for (int y = 1, n = 0; y < colorMap.height(); y += 3, ++n) {
        out += "C[" + std::to_string(n) + "]=\"";
        appendEncodedRow(out, colorMap, y);
        out += "\";";
        out += kLineEnd;
    }
    return out;
}

} // namespace publish
