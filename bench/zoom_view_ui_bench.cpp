// The zoomed image area on a 6000 x 4000 picture shown whole in an 860 x 545 view: one mouse
// movement while painting (paint the segment, recompose its rectangle, repaint the screen
// pixels it covers), and one zoom or scroll frame (repaint of everything visible) at several
// zooms, next to scaling the whole picture per frame, which the area avoids.
#include "project/compose.h"
#include "project/image_area_widget.h"
#include "project/map_editor.h"
#include "project/zoom.h"

#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

namespace {

constexpr int kWidth = 6000, kHeight = 4000;
constexpr int kViewWidth = 860, kViewHeight = 545;

struct Canvas {
    common::Raster source{kWidth, kHeight}, map{kWidth, kHeight}, display{kWidth, kHeight};
    Canvas() {
        for (std::size_t i = 0; i < source.byteSize(); ++i)
            source.data()[i] = std::uint8_t(i * 7);
        project::composeView(source, map, display, project::View::SourceAndMask, 0,
                             source.bounds());
    }
};

Canvas& canvas() {
    static Canvas c;
    return c;
}

double fit() {
    return project::fitZoom(kWidth, kHeight, kViewWidth, kViewHeight);
}

void BM_PaintingMoveAtFit(benchmark::State& state) {
    Canvas& c = canvas();
    project::ImageArea area;
    area.setRaster(&c.display);
    area.setZoom(fit());
    QImage screen(area.size(), QImage::Format_RGB32);
    project::MapEditor editor;
    editor.reset(c.map);
    const int brush = int(state.range(0));
    int x = 100, y = 100, step = 0;
    editor.beginStroke(12, brush, x, y);
    for (auto _ : state) {
        // A drag at this zoom: one screen pixel is about seven picture pixels.
        x = 100 + (step * 7) % 5800;
        y = 100 + ((step * 7) / 5800 * 37 + step % 11) % 3800;
        ++step;
        const common::PixelRect r = editor.lineTo(c.map, x, y);
        project::composeView(c.source, c.map, c.display, project::View::SourceAndMask, 12, r);
        const QRect dirty = area.widgetRectOf(r);
        area.render(&screen, dirty.topLeft(), QRegion(dirty), QWidget::DrawChildren);
    }
}
BENCHMARK(BM_PaintingMoveAtFit)->Arg(3)->Arg(30)->Arg(200)->Unit(benchmark::kMicrosecond);

// Zoom in 1/1000 (0 = fit); repaints one view's worth of the picture's middle.
void BM_VisibleFrame(benchmark::State& state) {
    Canvas& c = canvas();
    project::ImageArea area;
    area.setRaster(&c.display);
    area.setZoom(state.range(0) == 0 ? fit() : state.range(0) / 1000.0);
    const QRect view =
        QRect(QPoint(0, 0), QSize(kViewWidth, kViewHeight))
            .translated((area.width() - kViewWidth) / 2, (area.height() - kViewHeight) / 2)
            .intersected(area.rect());
    QImage screen(view.size(), QImage::Format_RGB32);
    for (auto _ : state)
        area.render(&screen, QPoint(0, 0), QRegion(view), QWidget::DrawChildren);
    state.SetLabel(std::to_string(view.width()) + "x" + std::to_string(view.height()));
}
BENCHMARK(BM_VisibleFrame)->Arg(0)->Arg(250)->Arg(1000)->Arg(4000)->Unit(benchmark::kMicrosecond);

// What a frame would cost if the whole picture were scaled to the view each time.
void BM_WholePictureScaledPerFrame(benchmark::State& state) {
    Canvas& c = canvas();
    const QImage image(c.display.data(), kWidth, kHeight, qsizetype(c.display.stride()),
                       QImage::Format_RGB888);
    const double z = fit();
    QImage screen(project::scaledLength(kWidth, z), project::scaledLength(kHeight, z),
                  QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&screen);
        painter.drawImage(screen.rect(), image);
    }
}
BENCHMARK(BM_WholePictureScaledPerFrame)->Unit(benchmark::kMillisecond);

} // namespace
