#include "project/map_editor.h"

#include "project/brush.h"
#include "project/palette.h"

#include <cassert>
#include <cstdlib>

namespace project {

namespace {

// Reads the characters up to the next space (consumed); empty at the end of the text.
std::string nextToken(DrawHistory& h) {
    const std::size_t start = std::size_t(h.readPos - 1);
    if (start >= h.strokes.size()) return {};
    std::size_t end = h.strokes.find(' ', start);
    if (end == std::string::npos) end = h.strokes.size();
    h.readPos = int(end) + 2;
    return h.strokes.substr(start, end - start);
}

int toInt(const std::string& token) {
    return int(std::strtol(token.c_str(), nullptr, 10));
}

common::Rgb colorOfIndex(int index) {
    return index >= 0 && index < kTableSize ? paletteColors[index] : 0;
}

} // namespace

void replayStrokes(DrawHistory& h, common::Raster& map) {
    int penX = 0, penY = 0;
    for (;;) {
        const std::string token = nextToken(h);
        if (token.empty()) break;
        if (token == "*") {
            h.penColor = toInt(nextToken(h));
            h.penWidth = toInt(nextToken(h));
            h.x = toInt(nextToken(h));
            h.y = toInt(nextToken(h));
            penX = h.x;
            penY = h.y;
            continue;
        }
        h.x = toInt(token);
        h.y = toInt(nextToken(h));
        paintSegment(map, penX, penY, h.x, h.y, h.penWidth, colorOfIndex(h.penColor));
        penX = h.x;
        penY = h.y;
    }
}

void MapEditor::reset(const common::Raster& colorMap) {
    m_replayed = colorMap;
    m_history = DrawHistory{};
    m_segments.clear();
    m_segments.shrink_to_fit();
    m_strokeStarts.clear();
    m_runBytes = 0;
}

void MapEditor::beginStroke(int colorIndex, int width, int x, int y) {
    m_history.strokes += "* " + std::to_string(colorIndex) + " " + std::to_string(width) + " " +
                         std::to_string(x) + " " + std::to_string(y) + " ";
    m_strokeStarts.push_back(m_segments.size());
    lastX = x;
    lastY = y;
    m_penColor = colorOfIndex(colorIndex);
    m_penWidth = width;
    m_penX = x;
    m_penY = y;
}

common::PixelRect MapEditor::lineTo(common::Raster& colorMap, int x, int y) {
    assert(!m_strokeStarts.empty());
    m_history.strokes += std::to_string(x) + " " + std::to_string(y) + " ";
    const common::PixelRect rect =
        segmentBounds(m_replayed.bounds(), m_penX, m_penY, x, y, m_penWidth);
    saveSegment(rect);
    paintSegment(m_replayed, m_penX, m_penY, x, y, m_penWidth, m_penColor);
    const common::PixelRect changed =
        paintSegment(colorMap, m_penX, m_penY, x, y, m_penWidth, m_penColor);
    m_penX = x;
    m_penY = y;
    lastX = x;
    lastY = y;
    return changed;
}

void MapEditor::undo(common::Raster& colorMap) {
    const std::size_t star = m_history.strokes.rfind('*');
    if (star != std::string::npos) {
        m_history.strokes.resize(star);
        assert(!m_strokeStarts.empty());
        const std::size_t first = m_strokeStarts.back();
        m_strokeStarts.pop_back();
        while (m_segments.size() > first) {
            restoreSegment(m_segments.back());
            m_runBytes -= m_segments.back().runs.capacity() * sizeof(Run);
            m_segments.pop_back();
        }
    }
    m_history.readPos = 1;
    colorMap = m_replayed;
}

std::size_t MapEditor::memoryBytes() const {
    return m_runBytes + m_segments.capacity() * sizeof(SavedSegment) +
           m_strokeStarts.capacity() * sizeof(std::size_t) + m_history.strokes.capacity();
}

void MapEditor::saveSegment(const common::PixelRect& rect) {
    SavedSegment saved{rect, {}};
    for (int y = rect.y; y < rect.y + rect.h; ++y) {
        for (int x = rect.x; x < rect.x + rect.w; ++x) {
            const common::Rgb c = m_replayed.pixel(x, y);
            if (!saved.runs.empty() && saved.runs.back().color == c)
                ++saved.runs.back().length;
            else
                saved.runs.push_back({c, 1});
        }
    }
    saved.runs.shrink_to_fit();
    m_runBytes += saved.runs.capacity() * sizeof(Run);
    m_segments.push_back(std::move(saved));
}

void MapEditor::restoreSegment(const SavedSegment& saved) {
    const common::PixelRect& r = saved.rect;
    int x = r.x, y = r.y;
    for (const Run& run : saved.runs) {
        for (std::uint32_t i = 0; i < run.length; ++i) {
            m_replayed.setPixel(x, y, run.color);
            if (++x == r.x + r.w) {
                x = r.x;
                ++y;
            }
        }
    }
}

} // namespace project
