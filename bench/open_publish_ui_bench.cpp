// Opening and publishing a big project next to what the libraries underneath need for the same
// files: a 6000 x 4000 JPEG of quality 90 and its painted ".map".
//
// Floors, with plain library calls: TurboJPEG decode of the JPEG (what djpeg does), giflib
// decode of the map and giflib encode of its colour indexes. Ours: headless open + publish (no
// media, no effect), opening in the main window up to the composed picture painted, and the map
// encode of "Сохранить" with the map unchanged.
//
// After the Google Benchmark runs, a summary times every step once per round, in turn, and
// prints the best of the rounds with the three ratios against their goals, then the peak memory
// of a headless "--publish" run of the editor and of a window opening, each in a process of its
// own. Options: --rounds=N (default 5), --summary-only, --no-summary. The files are made once into
// build/bench-data; the publish run rewrites the project's map and checks it stays identical.
#include "app/main_window.h"
#include "common/file_io.h"
#include "common/raster.h"
#include "editors/music_volume.h"
#include "project/brush.h"
#include "project/image_area_widget.h"
#include "project/map_file.h"
#include "project/palette.h"
#include "project/picture_decoder_qt.h"
#include "project/project_loader_qt.h"
#include "project/project_state.h"
#include "publish/publisher.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <gif_lib.h>
#include <turbojpeg.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <map>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

constexpr int kWidth = 6000, kHeight = 4000;
constexpr int kRegions = 60;

const std::string kBuildDir = QZ_BINARY_DIR;
const std::string kDataDir = kBuildDir + "/bench-data";
const std::string kPicture = kDataDir + "/project/big.jpg";
const std::string kMap = kDataDir + "/project/big.map";
const std::string kReferenceMap = kDataDir + "/reference.map"; // the map as first written
const std::string kFloorGif = kDataDir + "/floor-encode.gif";
const std::string kSavedMap = kDataDir + "/saved.map";

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "open_publish_ui_bench: %s\n", what.c_str());
    std::exit(1);
}

std::string readAll(const std::string& path) {
    std::string bytes;
    if (!common::readFileBytes(path, bytes)) fail("cannot read " + path);
    return bytes;
}

// --- The files ------------------------------------------------------------------------------

std::uint32_t hash(std::uint32_t x) {
    x ^= x >> 16;
    x *= 0x7feb352du;
    x ^= x >> 15;
    x *= 0x846ca68bu;
    return x ^ (x >> 16);
}

// Smooth colour fields with fine texture and a little grain, about the entropy of a photo.
void makePicture() {
    std::vector<unsigned char> rgb(std::size_t(kWidth) * kHeight * 3);
    std::vector<float> sx(kWidth), cx(kWidth);
    for (int x = 0; x < kWidth; ++x) {
        sx[std::size_t(x)] = std::sin(x / 310.0f);
        cx[std::size_t(x)] = std::cos(x / 23.0f);
    }
    for (int y = 0; y < kHeight; ++y) {
        unsigned char* p = rgb.data() + std::size_t(y) * kWidth * 3;
        const float sy = std::sin(y / 470.0f), cy = std::cos(y / 41.0f);
        for (int x = 0; x < kWidth; ++x, p += 3) {
            const float field = 60 * sx[std::size_t(x)] * sy;
            const float texture = 18 * cx[std::size_t(x)] * cy;
            const int grain = int(hash(std::uint32_t(y * kWidth + x)) & 15) - 8;
            const int r = int(128 + field + texture) + grain;
            const int g = int(110 - field * 0.6f + texture * 0.8f + (x + y) * 0.004f) + grain;
            const int b = int(90 + field * 0.3f - texture + y * 0.01f) + grain;
            p[0] = std::uint8_t(std::clamp(r, 0, 255));
            p[1] = std::uint8_t(std::clamp(g, 0, 255));
            p[2] = std::uint8_t(std::clamp(b, 0, 255));
        }
    }
    tjhandle tj = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    if (tjCompress2(tj, rgb.data(), kWidth, 0, kHeight, TJPF_RGB, &jpeg, &size, TJSAMP_420, 90,
                    0) != 0)
        fail(std::string("JPEG encoding: ") + tjGetErrorStr2(tj));
    if (!common::writeFileAtomically(kPicture, std::string(reinterpret_cast<char*>(jpeg), size)))
        fail("cannot write " + kPicture);
    tjFree(jpeg);
    tjDestroy(tj);
}

// Regions painted as a user does: each a scribble of wide brush strokes filling an area, some
// with a thin outline, in its own palette colour.
void makeMap() {
    common::Raster map(kWidth, kHeight);
    std::uint32_t seed = 12345;
    auto next = [&seed](int n) {
        seed = seed * 1664525u + 1013904223u;
        return int((seed >> 8) % std::uint32_t(n));
    };
    for (int r = 0; r < kRegions; ++r) {
        const common::Rgb color = project::paletteColors[std::size_t(1 + r * 3 % 199)];
        const int cx = 250 + next(kWidth - 500), cy = 250 + next(kHeight - 500);
        const int width = 40 + next(80), reach = 150 + next(250);
        int x = cx, y = cy;
        for (int s = 0; s < 60; ++s) {
            const int nx = std::clamp(x + next(241) - 120, cx - reach, cx + reach);
            const int ny = std::clamp(y + next(241) - 120, cy - reach, cy + reach);
            project::paintSegment(map, x, y, nx, ny, width, color);
            x = nx;
            y = ny;
        }
        if (r % 3 == 0) {
            const int w = 3 + next(5);
            for (int a = 0; a <= 64; ++a) {
                const double t0 = a * 6.2831853 / 64, t1 = (a + 1) * 6.2831853 / 64;
                project::paintSegment(map, cx + int(reach * 1.2 * std::cos(t0)),
                                      cy + int(reach * 1.2 * std::sin(t0)),
                                      cx + int(reach * 1.2 * std::cos(t1)),
                                      cy + int(reach * 1.2 * std::sin(t1)), w, color);
            }
        }
    }
    if (!project::writeMapFile(kMap, map)) fail("cannot write " + kMap);
    std::filesystem::copy_file(kMap, kReferenceMap,
                               std::filesystem::copy_options::overwrite_existing);
}

void makeFiles() {
    std::filesystem::create_directories(kDataDir + "/project");
    if (!std::filesystem::exists(kPicture)) makePicture();
    if (!std::filesystem::exists(kReferenceMap)) makeMap();
    // The publish runs rewrite the map; start from the reference each time.
    std::filesystem::copy_file(kReferenceMap, kMap,
                               std::filesystem::copy_options::overwrite_existing);
}

// --- Floors: the libraries alone ------------------------------------------------------------

void floorJpegDecode() {
    const std::string jpeg = readAll(kPicture);
    tjhandle tj = tjInitDecompress();
    int w = 0, h = 0, subsampling = 0, colorspace = 0;
    const auto* data = reinterpret_cast<const unsigned char*>(jpeg.data());
    if (tjDecompressHeader3(tj, data, jpeg.size(), &w, &h, &subsampling, &colorspace) != 0)
        fail("JPEG header");
    auto* pixels = static_cast<unsigned char*>(std::malloc(std::size_t(w) * h * 3));
    if (tjDecompress2(tj, data, jpeg.size(), pixels, w, 0, h, TJPF_RGB, 0) != 0)
        fail("JPEG decode");
    benchmark::DoNotOptimize(pixels[std::size_t(w) * h * 3 - 1]);
    std::free(pixels);
    tjDestroy(tj);
}

void floorGifDecode() {
    int error = 0;
    GifFileType* gif = DGifOpenFileName(kMap.c_str(), &error);
    if (gif == nullptr || DGifSlurp(gif) != GIF_OK) fail("giflib decode");
    benchmark::DoNotOptimize(gif->SavedImages[0].RasterBits[0]);
    DGifCloseFile(gif, &error);
}

// The map's colour table and indexes, as giflib's encoder takes them.
struct IndexedMap {
    ColorMapObject* colors = nullptr;
    std::vector<GifByteType> indexes;
};

const IndexedMap& indexedMap() {
    static const IndexedMap indexed = [] {
        IndexedMap m;
        int error = 0;
        GifFileType* gif = DGifOpenFileName(kReferenceMap.c_str(), &error);
        if (gif == nullptr || DGifSlurp(gif) != GIF_OK) fail("giflib decode");
        m.colors = GifMakeMapObject(gif->SColorMap->ColorCount, gif->SColorMap->Colors);
        const SavedImage& image = gif->SavedImages[0];
        m.indexes.assign(image.RasterBits,
                         image.RasterBits + image.ImageDesc.Width * image.ImageDesc.Height);
        DGifCloseFile(gif, &error);
        return m;
    }();
    return indexed;
}

void floorGifEncode() {
    const IndexedMap& m = indexedMap();
    int error = 0;
    GifFileType* gif = EGifOpenFileName(kFloorGif.c_str(), false, &error);
    if (gif == nullptr ||
        EGifPutScreenDesc(gif, kWidth, kHeight, m.colors->BitsPerPixel, 0, m.colors) != GIF_OK ||
        EGifPutImageDesc(gif, 0, 0, kWidth, kHeight, false, nullptr) != GIF_OK)
        fail("giflib encode");
    for (int y = 0; y < kHeight; ++y)
        if (EGifPutLine(gif, const_cast<GifByteType*>(m.indexes.data()) + std::size_t(y) * kWidth,
                        kWidth) != GIF_OK)
            fail("giflib encode");
    if (EGifCloseFile(gif, &error) != GIF_OK) fail("giflib encode");
}

// --- Ours -----------------------------------------------------------------------------------

class SilentReporter : public publish::PublishReporter {
  public:
    void info(const std::string&) override {}
    void error(const std::string& message) override { fail("publish: " + message); }
};

// What "--publish PICTURE --no-effect" does after start-up, without media.
void headlessOpenPublish() {
    project::ProjectState state;
    const project::OpenOutcome opened = project::openProject(kPicture, state);
    if (!opened.status || !opened.warnings.empty() || !opened.errors.empty())
        fail("open: " + opened.status.message());
    editors::settleBackgroundMusic(state.myAttrs);
    publish::PublishOptions options;
    options.templateDir = kBuildDir + "/template";
    options.effect.enabled = false;
    SilentReporter reporter;
    if (!publish::publishProject(state, options, {}, reporter)) fail("publish");
}

app::TForm1& mainWindow() {
    static app::TForm1* form = [] {
        auto* f = new app::TForm1(kBuildDir);
        f->resize(1024, 700);
        f->show();
        QApplication::processEvents();
        return f;
    }();
    return *form;
}

// "Открыть изображение" after its dialog, up to the composed picture painted.
void windowOpen() {
    app::TForm1& form = mainWindow();
    if (!form.openImage(kPicture)) fail("window open");
    form.imageArea()->repaint();
    QApplication::processEvents();
}

const common::Raster& openedMap() {
    static const common::Raster map = [] {
        common::Raster m;
        if (!project::readMapFile(kReferenceMap, m)) fail("read map");
        return m;
    }();
    return map;
}

void saveMap() {
    if (!project::writeMapFile(kSavedMap, openedMap())) fail("write map");
}

// --- Google Benchmark -----------------------------------------------------------------------

void BM_FloorJpegDecode(benchmark::State& state) {
    for (auto _ : state)
        floorJpegDecode();
}
void BM_FloorGifDecode(benchmark::State& state) {
    for (auto _ : state)
        floorGifDecode();
}
void BM_FloorGifEncode(benchmark::State& state) {
    indexedMap();
    for (auto _ : state)
        floorGifEncode();
}
void BM_HeadlessOpenPublish(benchmark::State& state) {
    for (auto _ : state)
        headlessOpenPublish();
}
void BM_WindowOpen(benchmark::State& state) {
    mainWindow();
    for (auto _ : state)
        windowOpen();
}
void BM_SaveMapUnchanged(benchmark::State& state) {
    openedMap();
    for (auto _ : state)
        saveMap();
}
void BM_DecodePicture(benchmark::State& state) {
    for (auto _ : state) {
        common::Raster picture;
        if (!project::decodePicture(kPicture, picture)) fail("decode");
    }
}
void BM_ReadMapFile(benchmark::State& state) {
    for (auto _ : state) {
        common::Raster map;
        if (!project::readMapFile(kMap, map)) fail("read map");
    }
}

BENCHMARK(BM_FloorJpegDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloorGifDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloorGifEncode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodePicture)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadMapFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveMapUnchanged)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HeadlessOpenPublish)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WindowOpen)->Unit(benchmark::kMillisecond);

// --- Summary --------------------------------------------------------------------------------

struct ChildRun {
    double seconds = 0;
    long maxRssKb = 0;
    int status = -1;
};

ChildRun spawnAndWait(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    ChildRun run;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return run;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) return run;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.maxRssKb = usage.ru_maxrss;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// A child's peak resident size counts the memory of the process it was started from (the kernel
// carries it over the exec), so the child is started by a small process of its own: this
// program in "--peak-of" mode, before it makes anything big.
ChildRun runChild(const std::vector<std::string>& args) {
    const std::string out = kDataDir + "/peak.txt";
    std::vector<std::string> measured = {"/proc/self/exe", "--peak-of", out};
    measured.insert(measured.end(), args.begin(), args.end());
    std::filesystem::remove(out);
    if (spawnAndWait(measured).status != 0) fail("cannot measure " + args[0]);
    ChildRun run;
    std::FILE* f = std::fopen(out.c_str(), "r");
    if (f == nullptr || std::fscanf(f, "%lf %ld %d", &run.seconds, &run.maxRssKb, &run.status) != 3)
        fail("cannot read " + out);
    std::fclose(f);
    return run;
}

// "--peak-of OUT PROGRAM ARGS...": runs the program and writes its time, peak and exit status.
int peakOf(int argc, char** argv) {
    const ChildRun run = spawnAndWait(std::vector<std::string>(argv + 3, argv + argc));
    std::FILE* f = std::fopen(argv[2], "w");
    if (f == nullptr) return 1;
    std::fprintf(f, "%f %ld %d\n", run.seconds, run.maxRssKb, run.status);
    return std::fclose(f) == 0 ? 0 : 1;
}

double processSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + t.tv_nsec / 1e9;
}

void summary(int rounds) {
    struct Step {
        const char* name;
        std::function<void()> run;
        double wall = 1e9, cpu = 1e9; // best of the rounds, seconds
    };
    std::vector<Step> steps = {
        {"floor: TurboJPEG decode", floorJpegDecode},
        {"floor: giflib decode", floorGifDecode},
        {"floor: giflib encode", floorGifEncode},
        {"headless open + publish", headlessOpenPublish},
        {"window open, composed, painted", windowOpen},
        {"save: map encode (unchanged)", saveMap},
    };
    indexedMap();
    openedMap();
    mainWindow();
    for (int r = 0; r < rounds; ++r)
        for (Step& s : steps) {
            const auto start = std::chrono::steady_clock::now();
            const double cpuStart = processSeconds();
            s.run();
            s.cpu = std::min(s.cpu, processSeconds() - cpuStart);
            s.wall = std::min(
                s.wall,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        }
    if (readAll(kMap) != readAll(kReferenceMap)) fail("the published map differs from the opened");
    if (readAll(kSavedMap) != readAll(kFloorGif)) fail("our map file differs from giflib's");

    std::printf("\nBest of %d rounds, ms:                 wall      cpu\n", rounds);
    for (const Step& s : steps)
        std::printf("  %-34s %8.1f %8.1f\n", s.name, s.wall * 1000, s.cpu * 1000);
    struct Ratio {
        const char* name;
        int ours;
        std::vector<int> floor;
        double goal;
    };
    const Ratio ratios[] = {
        {"headless open + publish / (jpeg + gif dec + gif enc)", 3, {0, 1, 2}, 1.5},
        {"window open / (jpeg + gif dec)", 4, {0, 1}, 1.3},
        {"save map encode / gif enc", 5, {2}, 1.1},
    };
    std::printf("\nRatios, by wall and by cpu time (goal):\n");
    for (const Ratio& r : ratios) {
        double wall = 0, cpu = 0;
        for (int i : r.floor) {
            wall += steps[std::size_t(i)].wall;
            cpu += steps[std::size_t(i)].cpu;
        }
        wall = steps[std::size_t(r.ours)].wall / wall;
        cpu = steps[std::size_t(r.ours)].cpu / cpu;
        std::printf("  %-54s %5.2f x %5.2f x  (goal %.1f x) %s\n", r.name, wall, cpu, r.goal,
                    std::max(wall, cpu) <= r.goal ? "met" : "NOT MET");
    }

    const double rasterMb = kWidth * double(kHeight) * 3 / 1e6;
    const double budgetMb = 3 * rasterMb * 1.15;
    std::printf("\nPeak memory, own process each (budget 3 rasters of %.0f MB + 15%% = %.0f MB):\n",
                rasterMb, budgetMb);
    std::filesystem::copy_file(kReferenceMap, kMap,
                               std::filesystem::copy_options::overwrite_existing);
    const ChildRun headless =
        runChild({kBuildDir + "/qiv-zarim-editor", "--publish", kPicture, "--no-effect"});
    if (headless.status != 0) fail("qiv-zarim-editor --publish failed");
    if (readAll(kMap) != readAll(kReferenceMap)) fail("the published map differs from the opened");
    std::printf("  %-34s %8.1f MB  (%.0f ms wall, with start-up)\n", "qiv-zarim-editor --publish",
                headless.maxRssKb * 1024 / 1e6, headless.seconds * 1000);
    const ChildRun window = runChild({"/proc/self/exe", "--window-open-child"});
    const ChildRun windowBase = runChild({"/proc/self/exe", "--window-only-child"});
    if (window.status != 0 || windowBase.status != 0) fail("window child failed");
    std::printf("  %-34s %8.1f MB  (window alone %.1f MB, picture %.1f MB)\n", "window open",
                window.maxRssKb * 1024 / 1e6, windowBase.maxRssKb * 1024 / 1e6,
                (window.maxRssKb - windowBase.maxRssKb) * 1024 / 1e6);
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 3 && std::strcmp(argv[1], "--peak-of") == 0) return peakOf(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int rounds = 5;
    bool summaryOnly = false, noSummary = false;
    std::string child;
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--rounds=", 0) == 0)
            rounds = std::max(1, std::atoi(arg.c_str() + 9));
        else if (arg == "--summary-only")
            summaryOnly = true;
        else if (arg == "--no-summary")
            noSummary = true;
        else if (arg == "--window-open-child" || arg == "--window-only-child")
            child = arg;
        else
            rest.push_back(argv[i]);
    }
    int restCount = int(rest.size());
    QApplication app(restCount, rest.data());
    if (!child.empty()) {
        mainWindow();
        if (child == "--window-open-child") windowOpen();
        return 0;
    }
    makeFiles();
    if (!summaryOnly) {
        benchmark::Initialize(&restCount, rest.data());
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }
    if (!noSummary) summary(rounds);
    return 0;
}
