#include "publish/brightness.h"

#include "common/helpers.h"
#include "common/raster.h"

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <limits>
#include <vector>

namespace publish {

namespace {

// Largest grid count the script step accepts; beyond it the grid text would only grow.
constexpr int kMaxScriptGridCount = 1000;

constexpr char kScriptTemplate[] =
    "// Image effects\n"
    "MM=[MM]; NN=[NN];\n"
    "IN=new Array([INTENSITIES]);\n"
    "px=MM*x/img.width;\n"
    "py=NN*y/img.height;\n"
    "X1=Math.floor(px); X2=X1+1; if (X2>=MM) X2=MM-1;\n"
    "Y1=Math.floor(py); Y2=Y1+1; if (Y2>=NN) Y2=NN-1;\n"
    "V1=IN[Y1*MM+X1]+(IN[Y1*MM+X2]-IN[Y1*MM+X1])*(px-X1);\n"
    "V2=IN[Y2*MM+X1]+(IN[Y2*MM+X2]-IN[Y2*MM+X1])*(px-X1);\n"
    "V=(V1+(V2-V1)*(py-Y1))/255;\n"
    "if (V<=0.5) V=1*100+100*[DEPTH]/20*(1-2*V);\n"
    "else V=1*100+50*[DEPTH]/20*(1-2*V);\n"
    "img.setAttribute(\"style\",\"-webkit-filter:brightness(\" + Math.round(V) + \"%)\");\n";

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// First pixel of each of `cells` cells over `size` pixels, plus `size` at the end: pixel p
// belongs to cell cells * p / size.
std::vector<int> cellStarts(int size, int cells) {
    std::vector<int> starts(std::size_t(cells) + 1, size);
    for (int p = size - 1; p >= 0; --p)
        starts[std::size_t(std::int64_t(cells) * p / size)] = p;
    // A cell without pixels starts where the next one does, so its span is empty.
    for (int i = cells - 1; i >= 0; --i)
        starts[i] = std::min(starts[i], starts[i + 1]);
    return starts;
}

// Pixel under the centre of cell i of `cells` over `size` pixels.
int centrePixel(int i, int size, int cells) {
    return int(std::min<std::int64_t>((2 * std::int64_t(i) + 1) * size / (2 * std::int64_t(cells)),
                                      size - 1));
}

} // namespace

bool parseWholeNumber(const std::string& text, int& value) {
    std::size_t i = 0, end = text.size();
    while (i < end && isBlank(text[i]))
        ++i;
    while (end > i && isBlank(text[end - 1]))
        --end;
    bool negative = false;
    if (i < end && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == end) return false;
    std::int64_t magnitude = 0;
    for (; i < end; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > std::int64_t(std::numeric_limits<int>::max()) + 1) return false;
    }
    const std::int64_t v = negative ? -magnitude : magnitude;
    if (v > std::numeric_limits<int>::max()) return false;
    value = int(v);
    return true;
}

std::string checkedGridCount(const std::string& text) {
    int value = kDefaultGridCount;
    if (!parseWholeNumber(text, value)) value = kDefaultGridCount;
    return std::to_string(std::clamp(value, kMinGridCount, kMaxGridCount));
}

std::string BuildIntensities(const common::Raster& image, int mm, int nn) {
    assert(mm >= 1 && nn >= 1);
    mm = std::max(mm, 1);
    nn = std::max(nn, 1);
    const int w = image.width(), h = image.height();
    const std::size_t cellCount = std::size_t(mm) * std::size_t(nn);
    std::vector<std::uint64_t> sums(cellCount, 0);
    std::vector<int> values(cellCount, 0);

    if (w > 0 && h > 0) {
        const std::vector<int> columns = cellStarts(w, mm);
        const std::vector<int> rows = cellStarts(h, nn);
        for (int j = 0; j < nn; ++j) {
            std::uint64_t* rowSums = sums.data() + std::size_t(j) * mm;
            for (int y = rows[j]; y < rows[j + 1]; ++y) {
                const std::uint8_t* p = image.row(y);
                for (int i = 0; i < mm; ++i) {
                    std::uint64_t s = 0;
                    const std::uint8_t* q = p + 3 * columns[i];
                    const std::uint8_t* qEnd = p + 3 * columns[i + 1];
                    for (; q < qEnd; ++q)
                        s += *q;
                    rowSums[i] += s;
                }
            }
        }
        for (int j = 0; j < nn; ++j) {
            const std::uint64_t height = std::uint64_t(rows[j + 1] - rows[j]);
            for (int i = 0; i < mm; ++i) {
                const std::uint64_t count = 3 * height * std::uint64_t(columns[i + 1] - columns[i]);
                const std::size_t k = std::size_t(j) * mm + i;
                if (count > 0) {
                    values[k] = int(sums[k] / count);
                } else {
                    const common::Rgb c = image.pixel(centrePixel(i, w, mm), centrePixel(j, h, nn));
                    values[k] = int(((c >> 16 & 0xFF) + (c >> 8 & 0xFF) + (c & 0xFF)) / 3);
                }
            }
        }
    }

    std::string out;
    out.reserve(cellCount * 4 + std::size_t(nn));
    for (int j = 0; j < nn; ++j) {
        for (int i = 0; i < mm; ++i) {
            const std::size_t k = std::size_t(j) * mm + i;
            out += std::to_string(values[k]);
            if (k + 1 < cellCount) out += ',';
        }
        out += '\n';
    }
    return out;
}

common::Status BuildEffectScript(const EffectSettings& settings, const common::Raster& image,
                                 std::string& script) {
    script.clear();
    if (!settings.enabled) return common::Status::success();
    int mm = 0, nn = 0;
    for (const auto& [text, value] : {std::pair{&settings.mm, &mm}, std::pair{&settings.nn, &nn}}) {
        if (!parseWholeNumber(*text, *value) || *value < 1 || *value > kMaxScriptGridCount)
            return common::Status::failure("\"" + *text +
                                           "\" не является допустимым числом точек сетки");
    }
    // The counts go in as canonical decimals: a typed "020" would be octal in the page.
    std::string out = common::replaceAll(kScriptTemplate, "[MM]", std::to_string(mm));
    out = common::replaceAll(out, "[NN]", std::to_string(nn));
    out = common::replaceAll(out, "[DEPTH]", std::to_string(settings.depth));
    script = common::replaceAll(out, "[INTENSITIES]", BuildIntensities(image, mm, nn));
    return common::Status::success();
}

} // namespace publish
