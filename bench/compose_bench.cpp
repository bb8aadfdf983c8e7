// Composition of the shown picture on a 6000 x 4000 picture: a whole pass next to a plain copy
// of one raster, and the 40 x 40 rectangle a brush segment touches.
#include "project/compose.h"
#include "project/palette.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>

namespace {

constexpr int kWidth = 6000, kHeight = 4000;

struct Scene {
    common::Raster source{kWidth, kHeight}, map{kWidth, kHeight}, display{kWidth, kHeight};
    Scene() {
        std::mt19937 rng(3);
        for (std::size_t i = 0; i < source.byteSize(); ++i)
            source.data()[i] = std::uint8_t(rng());
        // About a third of the picture painted, in blobs of a few colours.
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                if ((x / 500 + y / 500) % 3 == 0)
                    map.setPixel(x, y, project::paletteColors[1 + (x / 500) % 199]);
    }
};

Scene& scene() {
    static Scene s;
    return s;
}

void BM_MemcpyOneRaster(benchmark::State& state) {
    Scene& s = scene();
    for (auto _ : state) {
        std::memcpy(s.display.data(), s.source.data(), s.source.byteSize());
        benchmark::ClobberMemory();
    }
}

void BM_ComposeWhole(benchmark::State& state) {
    Scene& s = scene();
    const auto view = project::View(state.range(0));
    for (auto _ : state) {
        project::composeView(s.source, s.map, s.display, view, 5, s.source.bounds());
        benchmark::ClobberMemory();
    }
}

void BM_ComposeRect40(benchmark::State& state) {
    Scene& s = scene();
    for (auto _ : state) {
        project::composeView(s.source, s.map, s.display, project::View::SourceAndMask, 5,
                             {2980, 1980, 40, 40});
        benchmark::ClobberMemory();
    }
}

} // namespace

BENCHMARK(BM_MemcpyOneRaster)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComposeWhole)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComposeRect40)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
