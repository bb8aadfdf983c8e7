#pragma once
// The map editor's painting and undo. Strokes are logged as text ("* index width x y " then
// "x y " per further point); undo removes the most recent stroke and gives the map the state
// of the map at opening plus every remaining stroke, so a cleared map comes back on undo.
//
// Undo does not replay the log: the editor keeps that replayed map up to date while painting
// and remembers, for every segment, the pixels it covered before (run-length coded), so undo
// restores one stroke's pixels and copies the replayed map, whatever the length of the log.

#include "common/raster.h"

#include <cstdint>
#include <string>
#include <vector>

namespace project {

// The stroke log and the registers of a replay.
struct DrawHistory {
    std::string strokes;
    int readPos = 1; // 1-based reading position while replaying
    int penColor = 0;
    int penWidth = 1;
    int x = 0;
    int y = 0;
};

// Replays `history.strokes` from `history.readPos` onto `map` token by token; the reference
// definition of what undo must produce.
void replayStrokes(DrawHistory& history, common::Raster& map);

class MapEditor {
  public:
    // A freshly opened map: it becomes the undo base; the log is emptied.
    void reset(const common::Raster& colorMap);

    // Left button down: logs the stroke's start; paints nothing.
    void beginStroke(int colorIndex, int width, int x, int y);
    // Pointer moved while painting: logs the point and paints the segment from the pen's
    // position into `colorMap`. Returns the rectangle that may have changed.
    common::PixelRect lineTo(common::Raster& colorMap, int x, int y);

    // Removes the last stroke from the log (if any) and sets `colorMap` to the map at opening
    // plus the remaining strokes.
    void undo(common::Raster& colorMap);

    const std::string& strokes() const { return m_history.strokes; }
    // The map at opening plus every logged stroke.
    const common::Raster& replayedMap() const { return m_replayed; }
    // Bytes held for undo (saved pixels and the log).
    std::size_t memoryBytes() const;

    int lastX = 0;
    int lastY = 0;

  private:
    struct Run {
        common::Rgb color;
        std::uint32_t length;
    };
    struct SavedSegment {
        common::PixelRect rect;
        std::vector<Run> runs; // the rectangle's old pixels, row by row
    };

    void saveSegment(const common::PixelRect& rect);
    void restoreSegment(const SavedSegment& saved);

    DrawHistory m_history;
    common::Raster m_replayed;
    std::vector<SavedSegment> m_segments;
    std::vector<std::size_t> m_strokeStarts; // index into m_segments of each stroke's first
    std::size_t m_runBytes = 0;
    int m_penX = 0, m_penY = 0, m_penWidth = 1;
    common::Rgb m_penColor = 0;
};

} // namespace project
