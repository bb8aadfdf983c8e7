// Publishing a large project: a 6000 × 4000 picture with 50 painted regions. Each step of the
// save that depends on the picture's size is timed alone, then all of them in a row.
#include "common/raster.h"
#include "project/attribute_file.h"
#include "project/map_file.h"
#include "project/palette.h"
#include "project/region_attributes.h"
#include "publish/brightness.h"
#include "publish/data_script.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;
constexpr int kRegions = 50;

struct Project {
    common::Raster source{kWidth, kHeight};
    common::Raster map{kWidth, kHeight};
    project::RegionAttributes attrs;
    std::string folder;

    Project() {
        for (int y = 0; y < kHeight; ++y) {
            std::uint8_t* p = source.row(y);
            for (int x = 0; x < kWidth; ++x, p += 3) {
                p[0] = std::uint8_t(x * 255 / kWidth);
                p[1] = std::uint8_t(y * 255 / kHeight);
                p[2] = std::uint8_t((x ^ y) & 0xFF);
            }
        }
        // Regions are discs of radius 300 on a 10 × 5 grid, each with a link and a tooltip.
        for (int r = 0; r < kRegions; ++r) {
            const int cx = 300 + (r % 10) * 600, cy = 400 + (r / 10) * 800, radius = 300;
            const common::Rgb color = project::paletteColors[1 + r];
            for (int y = cy - radius; y <= cy + radius; ++y)
                for (int x = cx - radius; x <= cx + radius; ++x)
                    if (map.contains(x, y) &&
                        (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius)
                        map.setPixel(x, y, color);
            attrs.set(project::link, 1 + r, project::onClick, "page" + std::to_string(r) + ".html");
            attrs.set(project::hint, 1 + r, project::onMouseOver, "Region\\n" + std::to_string(r));
            attrs.set(project::sound, 1 + r, project::onClick,
                      "/sounds/s" + std::to_string(r) + ".ogg");
        }
        attrs.rowCount = kRegions + 1;
        folder = (std::filesystem::temp_directory_path() / "qz-publish-bench").string();
        std::filesystem::create_directories(folder);
    }
    ~Project() { std::filesystem::remove_all(folder); }
};

Project& benchProject() {
    static Project p;
    return p;
}

void writeMap(Project& p) {
    if (!project::writeMapFile(p.folder + "/bench.map", p.map)) std::abort();
}

void writeAttributes(Project& p) {
    if (!project::writeAttributeFile(p.folder + "/bench.zarm", p.attrs)) std::abort();
}

std::string dataBlock(Project& p) {
    return publish::BuildDataScript(p.attrs, kWidth, kHeight, p.map);
}

std::string intensities(Project& p) {
    return publish::BuildIntensities(p.source, 20, 20);
}

void BM_MapFileWrite(benchmark::State& state) {
    Project& p = benchProject();
    for (auto _ : state)
        writeMap(p);
}

void BM_AttributeFileWrite(benchmark::State& state) {
    Project& p = benchProject();
    for (auto _ : state)
        writeAttributes(p);
}

void BM_DataBlock(benchmark::State& state) {
    Project& p = benchProject();
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string block = dataBlock(p);
        bytes = block.size();
        benchmark::DoNotOptimize(block.data());
    }
    state.counters["block_bytes"] = double(bytes);
}

void BM_Intensities(benchmark::State& state) {
    Project& p = benchProject();
    for (auto _ : state) {
        const std::string grid = intensities(p);
        benchmark::DoNotOptimize(grid.data());
    }
}

void BM_AllSteps(benchmark::State& state) {
    Project& p = benchProject();
    for (auto _ : state) {
        writeMap(p);
        writeAttributes(p);
        const std::string block = dataBlock(p);
        const std::string grid = intensities(p);
        benchmark::DoNotOptimize(block.data());
        benchmark::DoNotOptimize(grid.data());
    }
}

BENCHMARK(BM_MapFileWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AttributeFileWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DataBlock)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Intensities)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AllSteps)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
