#include "project/brush.h"
#include "project/map_editor.h"
#include "project/palette.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using common::Raster;
using project::DrawHistory;
using project::MapEditor;
using project::paletteColors;

namespace {

// The picture of a raster as text: '.' for black, '#' for anything else.
std::string picture(const Raster& r) {
    std::string s;
    for (int y = 0; y < r.height(); ++y) {
        for (int x = 0; x < r.width(); ++x)
            s += r.pixel(x, y) == 0 ? '.' : '#';
        s += '\n';
    }
    return s;
}

} // namespace

TEST(Brush, ShapesOfSmallWidths) {
    struct Case {
        int width;
        int x0, y0, x1, y1;
        const char* shape;
    };
    const Case cases[] = {
        {1, 0, 0, 4, 2, "#....\n.##..\n...##\n"},
        {1, 0, 0, 2, 2, "#..\n.#.\n..#\n"},
        {2, 2, 2, 2, 2, ".....\n.##..\n.##..\n.....\n"},
        {3, 2, 2, 2, 2, ".....\n.###.\n.###.\n.###.\n.....\n"},
        {5, 2, 2, 2, 2, ".###.\n#####\n#####\n#####\n.###.\n"},
        {3, 1, 1, 4, 1, "######\n######\n######\n......\n"},
        {2, 1, 1, 4, 1, "#####.\n#####.\n......\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shape);
        const std::string want = c.shape;
        const int w = int(want.find('\n'));
        const int h = int(std::count(want.begin(), want.end(), '\n'));
        Raster map(w, h);
        project::paintSegment(map, c.x0, c.y0, c.x1, c.y1, c.width, 0x330099);
        EXPECT_EQ("\n" + picture(map), "\n" + want);
    }
}

TEST(Brush, PaintsTheExactColourAndClipsAtTheEdges) {
    Raster map(10, 10);
    const common::PixelRect changed = project::paintSegment(map, 5, 5, 40, 5, 3, 0x9999FF);
    EXPECT_EQ(changed.x + changed.w, 10);
    for (int x = 4; x < 10; ++x)
        EXPECT_EQ(map.pixel(x, 5), 0x9999FFu);
    EXPECT_EQ(map.pixel(3, 5), 0u);
    EXPECT_TRUE(project::paintSegment(map, -50, -50, -40, -40, 5, 0xFF0000).isEmpty());
    EXPECT_EQ(map.pixel(0, 0), 0u);
    // Far-away end points do not overflow.
    project::paintSegment(map, -2000000000, 5, 2000000000, 5, 3, 0xFF0000);
    EXPECT_EQ(map.pixel(0, 5), 0xFF0000u);
}

class MapEditorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        base = Raster(40, 30);
        for (int x = 0; x < 40; ++x)
            base.setPixel(x, 0, paletteColors[9]);
        map = base;
        editor.reset(map);
    }
    void stroke(int color, int width, std::initializer_list<std::pair<int, int>> points) {
        auto it = points.begin();
        editor.beginStroke(color, width, it->first, it->second);
        for (++it; it != points.end(); ++it)
            editor.lineTo(map, it->first, it->second);
    }
    Raster replayed(const std::string& log) {
        Raster out = base;
        DrawHistory h;
        h.strokes = log;
        project::replayStrokes(h, out);
        return out;
    }

    Raster base, map;
    MapEditor editor;
};

TEST_F(MapEditorTest, LogsStrokesAsText) {
    stroke(12, 3, {{10, 20}, {11, 22}, {15, 25}});
    EXPECT_EQ(editor.strokes(), "* 12 3 10 20 11 22 15 25 ");
    stroke(0, 1, {{-3, 4}});
    EXPECT_EQ(editor.strokes(), "* 12 3 10 20 11 22 15 25 * 0 1 -3 4 ");
}

TEST_F(MapEditorTest, UndoRemovesStrokesOneByOne) {
    stroke(12, 3, {{2, 2}, {20, 10}});
    const Raster afterFirst = map;
    stroke(40, 7, {{5, 25}, {30, 5}, {38, 28}});
    EXPECT_NE(map, afterFirst);
    editor.undo(map);
    EXPECT_EQ(map, afterFirst);
    EXPECT_EQ(editor.strokes(), "* 12 3 2 2 20 10 ");
    editor.undo(map);
    EXPECT_EQ(map, base);
    EXPECT_EQ(editor.strokes(), "");
    editor.undo(map);
    EXPECT_EQ(map, base);
}

TEST_F(MapEditorTest, UndoAfterClearBringsTheRemainingStrokesBack) {
    stroke(12, 3, {{2, 2}, {20, 10}});
    const Raster afterFirst = map;
    stroke(40, 5, {{5, 25}, {30, 5}});
    map.fill(0);
    editor.undo(map);
    EXPECT_EQ(map, afterFirst);
}

TEST_F(MapEditorTest, StrokesPaintedAfterAClearStillUndoToTheReplay) {
    stroke(12, 3, {{2, 2}, {20, 10}});
    map.fill(0);
    stroke(40, 5, {{5, 25}, {30, 5}});
    stroke(7, 2, {{0, 0}, {39, 29}});
    editor.undo(map);
    EXPECT_EQ(map, replayed(editor.strokes()));
}

// Many random strokes, erasing ones and ones past the edges among them: every undo must give
// exactly the map that replaying the remaining log onto the opened map gives.
TEST_F(MapEditorTest, UndoEqualsReplayOfTheRemainingLog) {
    std::mt19937 rng(11);
    for (int i = 0; i < 40; ++i) {
        const int color = int(rng() % 200);
        const int width = 1 + int(rng() % 9);
        editor.beginStroke(color, width, int(rng() % 60) - 10, int(rng() % 50) - 10);
        const int points = int(rng() % 5);
        for (int p = 0; p < points; ++p)
            editor.lineTo(map, int(rng() % 60) - 10, int(rng() % 50) - 10);
    }
    EXPECT_EQ(map, replayed(editor.strokes()));
    for (int i = 0; i < 41; ++i) {
        editor.undo(map);
        ASSERT_EQ(map, replayed(editor.strokes())) << i;
    }
    EXPECT_EQ(map, base);
    EXPECT_EQ(editor.replayedMap(), base);
}
