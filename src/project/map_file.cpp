#include "project/map_file.h"

#include "common/file_io.h"
#include "project/gif_lzw_decoder.h"
#include "project/gif_lzw_encoder.h"

#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace project {

namespace {

constexpr int kMaxColors = 256;
// GIF sizes are 16-bit. The reader also refuses screens beyond 2^28 pixels (about 800 MB of
// raster), so that a few bytes of a broken or hostile file cannot claim gigabytes.
constexpr int kMaxGifSide = 65535;
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
// Fuzzing builds refuse from 2^22 pixels on: the same refusal, at a size each run can afford.
constexpr std::int64_t kMaxReadPixels = std::int64_t(1) << 22;
#else
constexpr std::int64_t kMaxReadPixels = std::int64_t(1) << 28;
#endif

// Distinct colours of a map, at most kMaxColors, in an open-addressing table. Maps hold long
// runs of one colour, so the last colour looked up is remembered.
class ColorIndexTable {
  public:
    ColorIndexTable() { m_keys.fill(kEmpty); }

    // Adds `c` if new; false when the table would exceed kMaxColors.
    bool add(common::Rgb c) {
        if (c == m_lastColor) return true;
        std::size_t slot = find(c);
        if (m_keys[slot] == kEmpty) {
            if (m_count == kMaxColors) return false;
            m_keys[slot] = c;
            m_colors[m_count++] = c;
        }
        m_lastColor = c;
        m_lastIndex = m_values[slot];
        return true;
    }

    // Sorts the colours (black first when present, files independent of pixel order) and
    // numbers them 0..count-1.
    void assignIndexes() {
        std::sort(m_colors.begin(), m_colors.begin() + m_count);
        for (int i = 0; i < m_count; ++i)
            m_values[find(m_colors[i])] = std::uint8_t(i);
        m_lastColor = kEmpty;
    }

    // Index of a colour that was added.
    std::uint8_t indexOf(common::Rgb c) {
        if (c != m_lastColor) {
            m_lastColor = c;
            m_lastIndex = m_values[find(c)];
        }
        return m_lastIndex;
    }

    int count() const { return m_count; }
    common::Rgb color(int i) const { return m_colors[i]; }

  private:
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu; // never a 24-bit colour
    static constexpr int kSlotBits = 10;                 // 1024 slots, at most a quarter full

    std::size_t find(common::Rgb c) const {
        std::size_t slot = (c * 2654435761u) >> (32 - kSlotBits);
        while (m_keys[slot] != kEmpty && m_keys[slot] != c)
            slot = (slot + 1) & ((1u << kSlotBits) - 1);
        return slot;
    }

    std::array<std::uint32_t, 1 << kSlotBits> m_keys{};
    std::array<std::uint8_t, 1 << kSlotBits> m_values{};
    std::array<common::Rgb, kMaxColors> m_colors{};
    int m_count = 0;
    common::Rgb m_lastColor = kEmpty;
    std::uint8_t m_lastIndex = 0;
};

common::Rgb rgbAt(const std::uint8_t* p) {
    return (common::Rgb(p[0]) << 16) | (common::Rgb(p[1]) << 8) | p[2];
}

struct MemoryInput {
    const std::uint8_t* bytes = nullptr;
    std::size_t size = 0;
    std::size_t position = 0;
};

int gifInput(GifFileType* gif, GifByteType* data, int length) {
    auto* in = static_cast<MemoryInput*>(gif->UserData);
    if (length <= 0) return 0;
    const std::size_t n = std::min(std::size_t(length), in->size - in->position);
    if (n > 0) std::memcpy(data, in->bytes + in->position, n);
    in->position += n;
    return int(n);
}

struct DecoderCloser {
    void operator()(GifFileType* gif) const { DGifCloseFile(gif, nullptr); }
};

std::string readFailure(std::string_view path, int gifError) {
    std::string reason;
    switch (gifError) {
    case D_GIF_ERR_NOT_GIF_FILE:
        reason = "это не изображение GIF";
        break;
    case D_GIF_ERR_READ_FAILED:
    case D_GIF_ERR_EOF_TOO_SOON:
        reason = "файл обрезан";
        break;
    case D_GIF_ERR_NO_IMAG_DSCR:
        reason = "в файле нет изображения";
        break;
    case D_GIF_ERR_NO_COLOR_MAP:
        reason = "в файле нет таблицы цветов";
        break;
    case D_GIF_ERR_NOT_ENOUGH_MEM:
        reason = "недостаточно памяти";
        break;
    default:
        reason = "файл повреждён";
        break;
    }
    return "Не удалось прочитать файл карты \"" + std::string(path) + "\": " + reason;
}

// Eight pixels of one colour as they lie in a row: 24 bytes, three words.
struct EightPixels {
    std::uint64_t w[3];

    explicit EightPixels(common::Rgb c) {
        std::uint8_t bytes[24];
        for (int i = 0; i < 24; i += 3) {
            bytes[i] = std::uint8_t(c >> 16);
            bytes[i + 1] = std::uint8_t(c >> 8);
            bytes[i + 2] = std::uint8_t(c);
        }
        std::memcpy(w, bytes, sizeof w);
    }
    bool matches(const std::uint8_t* p) const {
        std::uint64_t v[3];
        std::memcpy(v, p, sizeof v);
        return ((v[0] ^ w[0]) | (v[1] ^ w[1]) | (v[2] ^ w[2])) == 0;
    }
};

void putWord(std::string& out, int v) {
    out += char(v & 0xFF);
    out += char((v >> 8) & 0xFF);
}

// Encodes `map` into `out` as the one-frame GIF giflib would write for it: "GIF87a", a global
// colour table of the smallest power of two that holds the map's colours (sorted, unused
// entries black), one image of the whole screen, no extensions.
common::Status encodeGif(const common::Raster& map, std::string& out) {
    const int w = map.width(), h = map.height();
    // Maps are long runs of one colour: whole groups of eight pixels equal to the last colour
    // are passed over at once.
    ColorIndexTable table;
    common::Rgb last = rgbAt(map.row(0));
    EightPixels run(last);
    table.add(last);
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* p = map.row(y);
        int x = 0;
        while (x < w) {
            if (x + 8 <= w && run.matches(p)) {
                x += 8;
                p += 24;
                continue;
            }
            const common::Rgb c = rgbAt(p);
            if (c != last) {
                if (!table.add(c))
                    return common::Status::failure(
                        "Карта содержит больше 256 цветов и не может быть сохранена");
                last = c;
                run = EightPixels(c);
            }
            ++x;
            p += 3;
        }
    }
    table.assignIndexes();

    int bits = 1;
    while ((1 << bits) < table.count())
        ++bits;
    const int tableSize = 1 << bits;

    out.clear();
    out += "GIF87a";
    putWord(out, w);
    putWord(out, h);
    out += char(0x80 | ((bits - 1) << 4) | (bits - 1)); // global table, its depth and size
    out += '\0';                                        // background colour index
    out += '\0';                                        // no aspect ratio
    for (int i = 0; i < tableSize; ++i) {
        const common::Rgb c = i < table.count() ? table.color(i) : 0;
        out += char(c >> 16);
        out += char((c >> 8) & 0xFF);
        out += char(c & 0xFF);
    }
    out += ',';
    putWord(out, 0);
    putWord(out, 0);
    putWord(out, w);
    putWord(out, h);
    out += '\0'; // no local table, not interlaced

    // The pixels as runs of one colour, found eight pixels at a time where they are long.
    GifLzwEncoder encoder(bits);
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* p = map.row(y);
        int x = 0;
        while (x < w) {
            const common::Rgb c = rgbAt(p);
            int end = x + 1;
            p += 3;
            if (end + 8 <= w && rgbAt(p) == c) {
                const EightPixels same(c);
                while (end + 8 <= w && same.matches(p)) {
                    end += 8;
                    p += 24;
                }
            }
            while (end < w && rgbAt(p) == c) {
                ++end;
                p += 3;
            }
            encoder.putRun(table.indexOf(c), std::size_t(end - x));
            x = end;
        }
    }
    encoder.finish(out);
    out += ';';
    return common::Status::success();
}

// Skips the data blocks of an extension record.
bool skipExtension(GifFileType* gif) {
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) return false;
    while (block != nullptr)
        if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) return false;
    return true;
}

// A colour table as the decoder writes it out.
struct PixelTable {
    std::array<std::uint32_t, 256> rgb{};                  // R, G, B as a little-endian word
    std::array<std::array<std::uint64_t, 3>, 256> eight{}; // eight pixels of each colour
};

// Colour indexes into pixels: eight equal indexes as three words, other pixels as four-byte
// stores each overlapping the next pixel, and the last pixel in three bytes so that nothing
// beyond the row is touched.
void expandRow(const std::uint8_t* indexes, std::uint8_t* out, int n, const PixelTable& table) {
    constexpr std::uint64_t kEveryByte = 0x0101010101010101ULL;
    int i = 0;
    while (i + 8 < n) {
        std::uint64_t group;
        std::memcpy(&group, indexes + i, 8);
        if (group == indexes[i] * kEveryByte) {
            std::memcpy(out, table.eight[indexes[i]].data(), 24);
        } else {
            for (int k = 0; k < 8; ++k)
                std::memcpy(out + 3 * k, &table.rgb[indexes[i + k]], 4);
        }
        i += 8;
        out += 24;
    }
    for (; i + 1 < n; ++i, out += 3)
        std::memcpy(out, &table.rgb[indexes[i]], 4);
    if (n > 0) std::memcpy(out, &table.rgb[indexes[n - 1]], 3);
}

// Decodes the pixels of the image whose descriptor was just read into `map`, clipped to it.
// False with gif->Error set on failure.
bool decodeFrame(GifFileType* gif, common::Raster& map) {
    const GifImageDesc& desc = gif->Image;
    const ColorMapObject* colors = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
    if (colors == nullptr) {
        gif->Error = D_GIF_ERR_NO_COLOR_MAP;
        return false;
    }
    // Indexes beyond the table are black, as are entries of a table shorter than 256.
    PixelTable table;
    for (int i = 0; i < std::min(colors->ColorCount, 256); ++i) {
        std::uint8_t bytes[24];
        for (int k = 0; k < 24; k += 3) {
            bytes[k] = colors->Colors[i].Red;
            bytes[k + 1] = colors->Colors[i].Green;
            bytes[k + 2] = colors->Colors[i].Blue;
        }
        std::memcpy(&table.rgb[std::size_t(i)], bytes, 3);
        std::memcpy(table.eight[std::size_t(i)].data(), bytes, 24);
    }

    if (desc.Width <= 0 || desc.Height <= 0) return true;
    const std::size_t pixels = std::size_t(desc.Width) * std::size_t(desc.Height);
    if (pixels > std::size_t(kMaxReadPixels)) {
        gif->Error = D_GIF_ERR_NOT_ENOUGH_MEM;
        return false;
    }

    // The compressed data, its sub-blocks joined.
    int codeSize = 0;
    GifByteType* block = nullptr;
    std::vector<std::uint8_t> data;
    if (DGifGetCode(gif, &codeSize, &block) == GIF_ERROR) return false;
    while (block != nullptr) {
        data.insert(data.end(), block + 1, block + 1 + block[0]);
        if (DGifGetCodeNext(gif, &block) == GIF_ERROR) return false;
    }

    // The frame's colour indexes in the order they are stored. A frame that is the whole
    // picture, as in every map this program writes, is decoded into the end of the raster's
    // own memory and expanded from its first row on: the pixels written stay behind the
    // indexes still to be read, but for the last rows, whose indexes are moved aside first.
    const bool inPlace = !desc.Interlace && desc.Left == 0 && desc.Top == 0 &&
                         desc.Width == map.width() && desc.Height == map.height() &&
                         map.byteSize() >= pixels + kGifLzwSlack;
    std::unique_ptr<std::uint8_t[]> buffer;
    std::uint8_t* indexes = nullptr;
    if (inPlace) {
        indexes = map.data() + map.byteSize() - (pixels + kGifLzwSlack);
    } else {
        buffer.reset(new std::uint8_t[pixels + kGifLzwSlack]);
        indexes = buffer.get();
    }
    switch (decodeGifLzw(codeSize, data.data(), data.size(), indexes, pixels)) {
    case GifLzwResult::Complete:
        break;
    case GifLzwResult::Truncated:
        gif->Error = D_GIF_ERR_EOF_TOO_SOON;
        return false;
    case GifLzwResult::Corrupt:
        gif->Error = D_GIF_ERR_IMAGE_DEFECT;
        return false;
    }

    if (inPlace) {
        const std::size_t w = std::size_t(desc.Width), padding = std::size_t(map.stride()) - 3 * w;
        std::vector<std::uint8_t> lastRows;
        int lastRowsFrom = 0;
        for (int y = 0; y < desc.Height; ++y) {
            const std::uint8_t* row = indexes + std::size_t(y) * w;
            std::uint8_t* out = map.row(y);
            if (lastRows.empty() && out + 3 * w > row) {
                lastRows.assign(row, static_cast<const std::uint8_t*>(indexes + pixels));
                lastRowsFrom = y;
            }
            if (!lastRows.empty()) row = lastRows.data() + std::size_t(y - lastRowsFrom) * w;
            expandRow(row, out, desc.Width, table);
            if (padding > 0) std::memset(out + 3 * w, 0, padding);
        }
        return true;
    }

    const int x0 = std::max(desc.Left, 0), x1 = std::min(desc.Left + desc.Width, map.width());
    std::size_t stored = 0; // frame rows in the order they are stored
    auto placeRow = [&](int frameRow) {
        const std::uint8_t* row = indexes + stored++ * std::size_t(desc.Width);
        const int y = desc.Top + frameRow;
        if (y < 0 || y >= map.height() || x0 >= x1) return;
        expandRow(row + (x0 - desc.Left), map.row(y) + 3 * x0, x1 - x0, table);
    };
    if (desc.Interlace) {
        constexpr int kStart[] = {0, 4, 2, 1}, kStep[] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass)
            for (int row = kStart[pass]; row < desc.Height; row += kStep[pass])
                placeRow(row);
    } else {
        for (int row = 0; row < desc.Height; ++row)
            placeRow(row);
    }
    return true;
}

} // namespace

common::Status writeMapFile(const std::string& path, const common::Raster& map) {
    if (map.isEmpty()) return common::Status::failure("Карта пуста и не может быть сохранена");
    if (map.width() > kMaxGifSide || map.height() > kMaxGifSide)
        return common::Status::failure(
            "Карта больше 65535 точек по ширине или высоте и не может быть сохранена");
    std::string bytes;
    try {
        if (common::Status s = encodeGif(map, bytes); !s) return s;
    } catch (const std::bad_alloc&) {
        return common::Status::failure("Недостаточно памяти для записи карты");
    }
    return common::writeFileAtomically(path, bytes);
}

common::Status readMapBytes(const std::uint8_t* data, std::size_t size, common::Raster& map,
                            std::string_view name) {
    MemoryInput input{data, data != nullptr ? size : 0, 0};
    int error = 0;
    std::unique_ptr<GifFileType, DecoderCloser> gif(DGifOpen(&input, gifInput, &error));
    if (!gif) return common::Status::failure(readFailure(name, error));
    if (gif->SWidth <= 0 || gif->SHeight <= 0)
        return common::Status::failure(readFailure(name, D_GIF_ERR_NO_SCRN_DSCR));
    if (std::int64_t(gif->SWidth) * gif->SHeight > kMaxReadPixels)
        return common::Status::failure("Не удалось прочитать файл карты \"" + std::string(name) +
                                       "\": карта слишком велика");

    try {
        // Pixels outside the first frame are black, "no region": a GIF's background index is
        // often 0 whatever colour that is, and must not make a region of its own.
        common::Raster decoded(gif->SWidth, gif->SHeight);
        for (;;) {
            GifRecordType record = UNDEFINED_RECORD_TYPE;
            if (DGifGetRecordType(gif.get(), &record) == GIF_ERROR)
                return common::Status::failure(readFailure(name, gif->Error));
            if (record == EXTENSION_RECORD_TYPE) {
                if (!skipExtension(gif.get()))
                    return common::Status::failure(readFailure(name, gif->Error));
            } else if (record == IMAGE_DESC_RECORD_TYPE) {
                if (DGifGetImageDesc(gif.get()) == GIF_ERROR || !decodeFrame(gif.get(), decoded))
                    return common::Status::failure(readFailure(name, gif->Error));
                map = std::move(decoded);
                return common::Status::success();
            } else {
                return common::Status::failure(readFailure(name, D_GIF_ERR_NO_IMAG_DSCR));
            }
        }
    } catch (const std::bad_alloc&) {
        return common::Status::failure(readFailure(name, D_GIF_ERR_NOT_ENOUGH_MEM));
    }
}

common::Status readMapFile(const std::string& path, common::Raster& map) {
    std::string bytes;
    if (common::Status s = common::readFileBytes(path, bytes); !s) return s;
    return readMapBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), map,
                        path);
}

} // namespace project
