// Painting on a 6000 x 4000 map: the cost of one mouse movement (paint the segment, recompose
// its rectangle) with brushes 3 and 30, next to a whole-picture compose; and undo after 5,000
// strokes next to a copy of the map, with the memory the undo data takes.
#include "project/compose.h"
#include "project/map_editor.h"

#include <benchmark/benchmark.h>

#include <cstring>

namespace {

constexpr int kWidth = 6000, kHeight = 4000;

struct Canvas {
    common::Raster source{kWidth, kHeight}, map{kWidth, kHeight}, display{kWidth, kHeight};
    Canvas() {
        for (std::size_t i = 0; i < source.byteSize(); ++i)
            source.data()[i] = std::uint8_t(i * 7);
    }
};

Canvas& canvas() {
    static Canvas c;
    return c;
}

void BM_MouseMovement(benchmark::State& state) {
    Canvas& c = canvas();
    project::MapEditor editor;
    editor.reset(c.map);
    const int brush = int(state.range(0));
    int x = 100, y = 100, step = 0;
    editor.beginStroke(12, brush, x, y);
    for (auto _ : state) {
        // A typical drag: a few pixels per movement, wandering over the picture.
        x = 100 + (step * 3) % 5800;
        y = 100 + ((step * 3) / 5800 * 37 + step % 11) % 3800;
        ++step;
        const common::PixelRect r = editor.lineTo(c.map, x, y);
        project::composeView(c.source, c.map, c.display, project::View::SourceAndMask, 12, r);
        if (step % 200 == 0) { // a new stroke now and then, as the user lifts the button
            state.PauseTiming();
            editor.beginStroke(12, brush, x, y);
            state.ResumeTiming();
        }
    }
}

void BM_ComposeWholeForComparison(benchmark::State& state) {
    Canvas& c = canvas();
    for (auto _ : state)
        project::composeView(c.source, c.map, c.display, project::View::SourceAndMask, 12,
                             c.source.bounds());
}

void BM_MemcpyMap(benchmark::State& state) {
    Canvas& c = canvas();
    common::Raster copy(kWidth, kHeight);
    for (auto _ : state) {
        std::memcpy(copy.data(), c.map.data(), c.map.byteSize());
        benchmark::ClobberMemory();
    }
}

// 5,000 strokes of 30 movements each, brush 3..30, spread over the picture.
void paintStrokes(project::MapEditor& editor, common::Raster& map, int strokes) {
    for (int s = 0; s < strokes; ++s) {
        int x = (s * 7919) % kWidth, y = (s * 104729) % kHeight;
        editor.beginStroke(1 + s % 199, 3 + s % 28, x, y);
        for (int p = 0; p < 30; ++p) {
            x += 4;
            y += (p % 3) - 1;
            editor.lineTo(map, x, y);
        }
    }
}

void BM_UndoAfter5000Strokes(benchmark::State& state) {
    common::Raster map(kWidth, kHeight);
    project::MapEditor editor;
    editor.reset(map);
    paintStrokes(editor, map, 5000);
    state.counters["undo_MB"] = double(editor.memoryBytes()) / (1024.0 * 1024.0);
    int undone = 0;
    for (auto _ : state) {
        editor.undo(map);
        if (++undone == 4000) { // keep a long log under the measurement
            state.PauseTiming();
            paintStrokes(editor, map, 4000);
            undone = 0;
            state.ResumeTiming();
        }
    }
}

} // namespace

BENCHMARK(BM_MouseMovement)->Arg(3)->Arg(30)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ComposeWholeForComparison)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemcpyMap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UndoAfter5000Strokes)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
