#include "project/attribute_file.h"

#include "common/file_io.h"
#include "common/helpers.h"
#include "common/text_codec.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace project {

namespace {

constexpr int kLineFieldCount = kEventCount * kFieldCount; // 51
constexpr int kSplitLimit = 100;

// The format has no escapes: a TAB would shift the following fields and a line break would
// split the line, so each becomes one space (CR LF counts as one line break).
void appendValue(std::string& out, const std::string& value) {
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char ch = value[i];
        if (ch == '\t' || ch == '\n') {
            out += ' ';
        } else if (ch == '\r') {
            out += ' ';
            if (i + 1 < value.size() && value[i + 1] == '\n') ++i;
        } else {
            out += ch;
        }
    }
}

// Lines ended by CR LF, CR or LF. A break at the very end ends the last line and does not
// start another, so "a\r\n" is one line and "" is none.
std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

} // namespace

std::string attributeFileText(RegionAttributes& attrs) {
    int last = kColorCount - 1;
    for (int c = kColorCount - 1; c >= 1; --c) {
        if (attrs.isInUse(c)) {
            last = c;
            break;
        }
    }

    std::string out = "\xEF\xBB\xBF";
    for (int c = 0; c <= last; ++c) {
        for (int k = 0; k < kLineFieldCount; ++k) {
            if (k > 0) out += '\t';
            appendValue(
                out, attrs.get(kFileFieldOrder[std::size_t(k % kFieldCount)], c, k / kFieldCount));
        }
        out += "\r\n";
    }
    attrs.rowCount = last + 1;

    appendValue(out, attrs.backgroundMusic);
    out += '\t';
    appendValue(out, attrs.backgroundVolume);
    out += '\t';
    appendValue(out, attrs.backgroundLoop);
    out += "\r\n";
    return out;
}

common::Status writeAttributeFile(const std::string& path, RegionAttributes& attrs) {
    const int previousRowCount = attrs.rowCount;
    const std::string text = attributeFileText(attrs);
    common::Status status = common::writeFileAtomically(path, text);
    // The old file is still on disk, and so is its row count.
    if (!status) attrs.rowCount = previousRowCount;
    return status;
}

common::Status parseAttributeFile(const std::string& bytes, RegionAttributes& attrs) {
    attrs.clearAll();
    common::DecodedText decoded;
    if (common::Status s = common::decodeText(bytes, decoded); !s) return s;

    const std::vector<std::string_view> lines = splitLines(decoded.utf8);
    if (lines.empty()) {
        // An empty file describes a project with no colour rows; nothing to tell the user.
        attrs.rowCount = 0;
        return common::Status::success();
    }

    common::Qiv_Result parts;
    parts.limit = kSplitLimit;
    const int colorLines = int(lines.size()) - 1;
    // Colour lines past the table's 200 colours are ignored, and rowCount never counts them:
    // every reader of rowCount indexes the table with it.
    const int stored = std::min(colorLines, kColorCount);
    for (int c = 0; c < stored; ++c) {
        const int n = common::splitText('\t', std::string(lines[std::size_t(c)]), parts);
        for (int k = 0; k < n && k < kLineFieldCount; ++k)
            attrs.set(kFileFieldOrder[std::size_t(k % kFieldCount)], c, k / kFieldCount,
                      std::move(parts.items[std::size_t(k)]));
    }
    attrs.rowCount = stored;

    const int n = common::splitText('\t', std::string(lines.back()), parts);
    if (n > 0) attrs.backgroundMusic = std::move(parts.items[0]);
    if (n > 1) attrs.backgroundVolume = std::move(parts.items[1]);
    if (n > 2) attrs.backgroundLoop = std::move(parts.items[2]);
    return common::Status::success();
}

common::Status readAttributeFile(const std::string& path, RegionAttributes& attrs) {
    attrs.clearAll();
    std::string bytes;
    if (common::Status s = common::readFileBytes(path, bytes); !s) return s;
    if (common::Status s = parseAttributeFile(bytes, attrs); !s)
        return common::Status::failure("Не удалось прочитать файл атрибутов \"" + path +
                                       "\": " + s.message());
    return common::Status::success();
}

} // namespace project
