#include "project/map_file.h"

#include "common/file_io.h"

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
constexpr std::int64_t kMaxReadPixels = std::int64_t(1) << 28;

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

// Called from C code, so no exception may leave it; a short count makes the library fail.
int gifOutput(GifFileType* gif, const GifByteType* data, int length) {
    try {
        static_cast<std::string*>(gif->UserData)
            ->append(reinterpret_cast<const char*>(data), std::size_t(length));
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return length;
}

struct MemoryInput {
    const std::string* bytes = nullptr;
    std::size_t position = 0;
};

int gifInput(GifFileType* gif, GifByteType* data, int length) {
    auto* in = static_cast<MemoryInput*>(gif->UserData);
    const std::size_t n = std::min(std::size_t(length), in->bytes->size() - in->position);
    std::memcpy(data, in->bytes->data() + in->position, n);
    in->position += n;
    return int(n);
}

struct EncoderCloser {
    void operator()(GifFileType* gif) const { EGifCloseFile(gif, nullptr); }
};
struct DecoderCloser {
    void operator()(GifFileType* gif) const { DGifCloseFile(gif, nullptr); }
};
struct MapObjectFreer {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};

std::string readFailure(const std::string& path, int gifError) {
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
    return "Не удалось прочитать файл карты \"" + path + "\": " + reason;
}

// Encodes `map` into `out`; `path` only names the file in messages.
common::Status encodeGif(const common::Raster& map, std::string& out, const std::string& path) {
    const auto encodingFailed = [&] {
        return common::Status::failure("Не удалось записать файл карты \"" + path +
                                       "\": ошибка кодирования GIF");
    };
    const auto outOfMemory = [] {
        return common::Status::failure("Недостаточно памяти для записи карты");
    };
    ColorIndexTable table;
    for (int y = 0; y < map.height(); ++y) {
        const std::uint8_t* p = map.row(y);
        for (int x = 0; x < map.width(); ++x, p += 3)
            if (!table.add(rgbAt(p)))
                return common::Status::failure(
                    "Карта содержит больше 256 цветов и не может быть сохранена");
    }
    table.assignIndexes();

    int tableSize = 2;
    while (tableSize < table.count())
        tableSize *= 2;
    std::unique_ptr<ColorMapObject, MapObjectFreer> colors(GifMakeMapObject(tableSize, nullptr));
    if (!colors) return outOfMemory();
    for (int i = 0; i < table.count(); ++i) {
        const common::Rgb c = table.color(i);
        colors->Colors[i] = {GifByteType(c >> 16), GifByteType(c >> 8), GifByteType(c)};
    }

    int error = 0;
    std::unique_ptr<GifFileType, EncoderCloser> gif(EGifOpen(&out, gifOutput, &error));
    if (!gif) return outOfMemory();
    if (EGifPutScreenDesc(gif.get(), map.width(), map.height(), colors->BitsPerPixel, 0,
                          colors.get()) == GIF_ERROR ||
        EGifPutImageDesc(gif.get(), 0, 0, map.width(), map.height(), false, nullptr) == GIF_ERROR)
        return encodingFailed();
    std::vector<GifPixelType> line(std::size_t(map.width()));
    for (int y = 0; y < map.height(); ++y) {
        const std::uint8_t* p = map.row(y);
        for (int x = 0; x < map.width(); ++x, p += 3)
            line[std::size_t(x)] = table.indexOf(rgbAt(p));
        if (EGifPutLine(gif.get(), line.data(), map.width()) == GIF_ERROR) return encodingFailed();
    }
    if (EGifCloseFile(gif.release(), &error) == GIF_ERROR) return encodingFailed();
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

// Decodes the pixels of the image whose descriptor was just read into `map`, clipped to it.
bool decodeFrame(GifFileType* gif, common::Raster& map) {
    const GifImageDesc& desc = gif->Image;
    const ColorMapObject* colors = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
    if (colors == nullptr) {
        gif->Error = D_GIF_ERR_NO_COLOR_MAP;
        return false;
    }
    // Indexes beyond the table are black, as are entries of a table shorter than 256.
    std::array<std::array<std::uint8_t, 3>, 256> rgb{};
    for (int i = 0; i < std::min(colors->ColorCount, 256); ++i)
        rgb[std::size_t(i)] = {colors->Colors[i].Red, colors->Colors[i].Green,
                               colors->Colors[i].Blue};

    if (desc.Width <= 0 || desc.Height <= 0) return true;
    const int x0 = std::max(desc.Left, 0), x1 = std::min(desc.Left + desc.Width, map.width());
    std::vector<GifPixelType> line(std::size_t(desc.Width));
    auto readRow = [&](int frameRow) {
        if (DGifGetLine(gif, line.data(), desc.Width) == GIF_ERROR) return false;
        const int y = desc.Top + frameRow;
        if (y < 0 || y >= map.height() || x0 >= x1) return true;
        std::uint8_t* out = map.row(y) + 3 * x0;
        for (int x = x0; x < x1; ++x, out += 3)
            std::memcpy(out, rgb[line[std::size_t(x - desc.Left)]].data(), 3);
        return true;
    };
    if (desc.Interlace) {
        constexpr int kStart[] = {0, 4, 2, 1}, kStep[] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass)
            for (int row = kStart[pass]; row < desc.Height; row += kStep[pass])
                if (!readRow(row)) return false;
    } else {
        for (int row = 0; row < desc.Height; ++row)
            if (!readRow(row)) return false;
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
        if (common::Status s = encodeGif(map, bytes, path); !s) return s;
    } catch (const std::bad_alloc&) {
        return common::Status::failure("Недостаточно памяти для записи карты");
    }
    return common::writeFileAtomically(path, bytes);
}

common::Status readMapFile(const std::string& path, common::Raster& map) {
    std::string bytes;
    if (common::Status s = common::readFileBytes(path, bytes); !s) return s;

    MemoryInput input{&bytes, 0};
    int error = 0;
    std::unique_ptr<GifFileType, DecoderCloser> gif(DGifOpen(&input, gifInput, &error));
    if (!gif) return common::Status::failure(readFailure(path, error));
    if (gif->SWidth <= 0 || gif->SHeight <= 0)
        return common::Status::failure(readFailure(path, D_GIF_ERR_NO_SCRN_DSCR));
    if (std::int64_t(gif->SWidth) * gif->SHeight > kMaxReadPixels)
        return common::Status::failure("Не удалось прочитать файл карты \"" + path +
                                       "\": карта слишком велика");

    try {
        // Pixels outside the first frame are black, "no region": a GIF's background index is
        // often 0 whatever colour that is, and must not make a region of its own.
        common::Raster decoded(gif->SWidth, gif->SHeight);
        for (;;) {
            GifRecordType record = UNDEFINED_RECORD_TYPE;
            if (DGifGetRecordType(gif.get(), &record) == GIF_ERROR)
                return common::Status::failure(readFailure(path, gif->Error));
            if (record == EXTENSION_RECORD_TYPE) {
                if (!skipExtension(gif.get()))
                    return common::Status::failure(readFailure(path, gif->Error));
            } else if (record == IMAGE_DESC_RECORD_TYPE) {
                if (DGifGetImageDesc(gif.get()) == GIF_ERROR || !decodeFrame(gif.get(), decoded))
                    return common::Status::failure(readFailure(path, gif->Error));
                map = std::move(decoded);
                return common::Status::success();
            } else {
                return common::Status::failure(readFailure(path, D_GIF_ERR_NO_IMAG_DSCR));
            }
        }
    } catch (const std::bad_alloc&) {
        return common::Status::failure(readFailure(path, D_GIF_ERR_NOT_ENOUGH_MEM));
    }
}

} // namespace project
