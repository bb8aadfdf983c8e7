// The picture library on a folder of 200 photographs of 4000 x 3000 pixels: the time from
// showing the window until every thumbnail of the first screen is drawn, with the shared
// thumbnail cache empty (cold) and filled (warm, as after a restart), the longest time the
// user interface thread is busy at once while the grid is scrolled to its end, and, for
// comparison, what decoding the first screen's files at full size costs (what painting would
// cost if every paint decoded the files).
//
// CPU times of the first-screen benchmarks add up every thread (the two workers included).
// The pictures are generated once into bench-data/ in the build folder. File data is in the
// operating system's cache in every run; "cold" means no thumbnail was made before.
#include "common/helpers.h"
#include "common/raster.h"
#include "library/draw_grid_widget.h"
#include "library/library_geometry.h"
#include "library/picture_library_window.h"
#include "library/thumbnail_loader_qt.h"
#include "project/picture_decoder_qt.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QThread>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <memory>
#include <thread>
#include <time.h>
#include <vector>

namespace {

constexpr int kPictures = 200;
constexpr int kWidth = 4000, kHeight = 3000;

QString pictureFolder() {
    return QCoreApplication::applicationDirPath() + "/../bench-data/pictures_4000x3000";
}

// A photograph-like picture: smooth shapes with fine texture, so that JPEG has real work.
QImage makePicture(int seed) {
    QImage image(kWidth, kHeight, QImage::Format_RGB888);
    std::uint32_t noise = 2166136261u ^ std::uint32_t(seed);
    for (int y = 0; y < kHeight; ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < kWidth; ++x) {
            noise = noise * 1664525u + 1013904223u;
            const int n = int(noise >> 27); // 0..31
            const double u = x / double(kWidth), v = y / double(kHeight);
            const double wave = std::sin(u * 9.0 + seed) * std::cos(v * 7.0 - seed * 0.5);
            row[3 * x] = uchar(std::clamp(int(120 + 90 * wave + n), 0, 255));
            row[3 * x + 1] = uchar(std::clamp(int(60 + 150 * v + n - 16), 0, 255));
            row[3 * x + 2] = uchar(std::clamp(int(200 - 140 * u * v + n / 2), 0, 255));
        }
    }
    return image;
}

// Makes the missing pictures, two at a time.
void ensurePictures() {
    QDir().mkpath(pictureFolder());
    std::atomic<int> next{0};
    auto work = [&] {
        for (int i = next++; i < kPictures; i = next++) {
            const QString path =
                pictureFolder() + QString("/photo_%1.jpg").arg(i, 3, 10, QChar('0'));
            if (QFileInfo::exists(path)) continue;
            QImageWriter writer(path + ".part", "jpeg");
            writer.setQuality(85);
            if (writer.write(makePicture(i))) QFile::rename(path + ".part", path);
        }
    };
    std::thread helper(work);
    work();
    helper.join();
}

std::vector<std::string> entries() {
    return library::listedPaths(common::listImageFiles(pictureFolder().toStdString()));
}

// True when every cell in view has its thumbnail; asks for the missing ones, as a paint does.
bool screenReady(library::TForm5& form) {
    library::DrawGrid* grid = form.grid();
    const QRect cells = grid->visibleCells();
    const auto& paths = form.entries();
    bool ready = true;
    for (int row = cells.top(); row <= cells.bottom(); ++row)
        for (int column = cells.left(); column <= cells.right(); ++column) {
            const int index = row * grid->columnCount() + column;
            if (index >= int(paths.size())) continue;
            const QFileInfo file(QString::fromStdString(paths[std::size_t(index)]));
            if (!form.thumbnails().thumbnail(file)) ready = false;
        }
    return ready;
}

// Shows the window and returns the seconds until the first screen is drawn complete. The
// thread sleeps between events, as the program's own event loop does.
double showUntilFirstScreen(library::TForm5& form) {
    int made = 0;
    const QMetaObject::Connection counting = QObject::connect(
        &form.thumbnails(), &library::ThumbnailLoader::thumbnailReady, [&made] { ++made; });
    QElapsedTimer clock;
    clock.start();
    form.show();
    QApplication::processEvents();
    for (int seen = -1;; QApplication::processEvents(QEventLoop::WaitForMoreEvents)) {
        if (seen == made) continue;
        seen = made;
        if (screenReady(form)) break;
    }
    QApplication::processEvents();
    form.grid()->viewport()->repaint();
    const double seconds = clock.nsecsElapsed() * 1e-9;
    QObject::disconnect(counting);
    return seconds;
}

void reportCells(benchmark::State& state, library::TForm5& form) {
    const QRect cells = form.grid()->visibleCells();
    state.counters["cells"] = double(cells.width() * cells.height());
}

void BM_FirstScreenCold(benchmark::State& state) {
    ensurePictures();
    for (auto _ : state) {
        const QTemporaryDir cache;
        // Created at start-up, as the program does; the first showing is what is timed.
        library::TForm5 form(pictureFolder().toStdString(), nullptr,
                             cache.path() + "/thumbnails/normal");
        state.SetIterationTime(showUntilFirstScreen(form));
        reportCells(state, form);
        state.counters["decoded"] = form.thumbnails().decodedCount();
    }
}
BENCHMARK(BM_FirstScreenCold)
    ->Iterations(5)
    ->UseManualTime()
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

void BM_FirstScreenWarm(benchmark::State& state) {
    ensurePictures();
    const QTemporaryDir cache;
    const QString folder = cache.path() + "/thumbnails/normal";
    {
        library::TForm5 filler(pictureFolder().toStdString(), nullptr, folder);
        showUntilFirstScreen(filler);
    }
    for (auto _ : state) {
        // A new window, as after a restart: nothing in memory, the shared cache filled.
        library::TForm5 form(pictureFolder().toStdString(), nullptr, folder);
        state.SetIterationTime(showUntilFirstScreen(form));
        reportCells(state, form);
        state.counters["decoded"] = form.thumbnails().decodedCount();
    }
}
BENCHMARK(BM_FirstScreenWarm)
    ->Iterations(5)
    ->UseManualTime()
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

// CPU time of the calling thread, in nanoseconds.
qint64 threadCpuNs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// Scrolls from top to end by one wheel step (three quarters of a row) every 16 ms, then waits
// until the last screen is complete. Reports the longest single pass of the event loop, in
// wall time (what the user sees; on a shared machine it includes time the thread waited for a
// core) and in the thread's own CPU time (the work the pass held the thread for).
void BM_ScrollToEndLongestStall(benchmark::State& state) {
    ensurePictures();
    // The longest over all runs.
    qint64 longest = 0, longestBusy = 0;
    for (auto _ : state) {
        const QTemporaryDir cache;
        library::TForm5 form(pictureFolder().toStdString(), nullptr,
                             cache.path() + "/thumbnails/normal");
        showUntilFirstScreen(form);
        QScrollBar* bar = form.grid()->verticalScrollBar();
        const int step = 3 * bar->singleStep();
        QElapsedTimer total, pass;
        total.start();
        auto timed = [&](auto&& work) {
            const qint64 cpu = threadCpuNs();
            pass.start();
            work();
            longest = std::max(longest, pass.nsecsElapsed());
            longestBusy = std::max(longestBusy, threadCpuNs() - cpu);
        };
        auto passEvents = [&] {
            timed([] { QApplication::processEvents(QEventLoop::AllEvents); });
        };
        for (int value = bar->value(); value < bar->maximum();) {
            value = std::min(bar->maximum(), value + step);
            timed([&] { bar->setValue(value); });
            QElapsedTimer frame;
            frame.start();
            while (frame.elapsed() < 16) {
                passEvents();
                QThread::usleep(500);
            }
        }
        while (!screenReady(form)) {
            passEvents();
            QThread::usleep(500);
        }
        passEvents();
        state.SetIterationTime(total.nsecsElapsed() * 1e-9);
    }
    state.counters["longest_stall_ms"] = longest * 1e-6;
    state.counters["longest_busy_ms"] = longestBusy * 1e-6;
}
BENCHMARK(BM_ScrollToEndLongestStall)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// What one paint of the first screen costs when every visible file is decoded at full size and
// scaled by nearest neighbour, on the user interface thread.
void BM_FirstScreenFullDecode(benchmark::State& state) {
    ensurePictures();
    const std::vector<std::string> paths = entries();
    const int cells = int(state.range(0));
    common::Raster decoded, scaled;
    for (auto _ : state) {
        for (int i = 0; i < cells && i < int(paths.size()); ++i) {
            if (!project::decodePicture(paths[std::size_t(i)], decoded))
                state.SkipWithError("decode");
            const library::ThumbnailPlace place =
                library::thumbnailPlace(decoded.width(), decoded.height());
            scaled = common::Raster(place.width, place.height);
            common::scaleNearest(decoded, scaled);
        }
    }
    state.counters["cells"] = cells;
}
BENCHMARK(BM_FirstScreenFullDecode)->Arg(18)->Iterations(2)->Unit(benchmark::kMillisecond);

// One thumbnail as the workers decode it: the file read at the shared cache's 128 pixels, which
// lets JPEG decode at 1/8 scale.
void BM_ReducedDecodeOfOneFile(benchmark::State& state) {
    ensurePictures();
    const QString path = QString::fromStdString(entries().front());
    for (auto _ : state) {
        QImageReader reader(path, "jpeg");
        reader.setScaledSize(QSize(128, 96));
        QImage image;
        if (!reader.read(&image)) state.SkipWithError("decode");
        benchmark::DoNotOptimize(image);
    }
}
BENCHMARK(BM_ReducedDecodeOfOneFile)->Unit(benchmark::kMillisecond);

} // namespace
