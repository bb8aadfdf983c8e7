// Zoom and pan of the main window's image area, through real events.
#include "app/main_window.h"
#include "project/image_area_widget.h"
#include "project/palette.h"
#include "support/test_files.h"
#include "support/widget_events.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <memory>

using app::TForm1;
using testing_support::TempDir;

namespace {

class ZoomWindow : public ::testing::Test {
  protected:
    // A shown main window with a one-colour picture of `width` x `height` opened.
    void open(int width, int height) {
        picture = dir.file("scene.png");
        ASSERT_TRUE(
            testing_support::writeFilledPicture(picture, width, height, QColor(90, 90, 90)));
        testing_support::writeMinimalTemplates(dir.path().string());
        form = std::make_unique<TForm1>(dir.path().string());
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        ASSERT_TRUE(form->openImage(picture));
        area = form->imageArea();
        scroll = form->findChild<QScrollArea*>("ScrollBox1");
        ASSERT_NE(scroll, nullptr);
    }
    void zoomTo(double zoom) { form->zoomAbout(zoom, QPoint(0, 0)); }
    // The picture pixel shown at `p` of the scroll area's viewport.
    QPoint pixelAtViewport(QPoint p) const {
        return area->pictureOf(area->mapFrom(scroll->viewport(), p));
    }
    void ctrlWheel(QPoint atViewport, int delta) {
        const QPoint at = area->mapFrom(scroll->viewport(), atViewport);
        QWheelEvent event(QPointF(at), QPointF(area->mapToGlobal(at)), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(area, &event);
    }

    TempDir dir;
    std::string picture;
    std::unique_ptr<TForm1> form;
    project::ImageArea* area = nullptr;
    QScrollArea* scroll = nullptr;
};

} // namespace

// The same stroke, drawn at different zooms through the points that show the same picture
// pixels, gives the same map: the brush is always in picture pixels.
TEST_F(ZoomWindow, AStrokeGivesTheSameMapAtEveryZoom) {
    open(200, 160);
    const QPoint stroke[] = {{20, 20}, {80, 20}, {80, 120}, {40, 100}};
    common::Raster reference;
    for (const double zoom : {1.0, 0.25, 3.0, 0.5}) {
        form->Clearmap1->trigger();
        zoomTo(zoom);
        ASSERT_DOUBLE_EQ(area->zoom(), zoom);
        form->project().currentColor = 12;
        form->project().brushSize = 5;
        const auto at = [&](QPoint p) { return QPoint(int(p.x() * zoom), int(p.y() * zoom)); };
        testing_support::drag(area, {at(stroke[0]), at(stroke[1]), at(stroke[2]), at(stroke[3])});
        if (reference.isEmpty()) {
            reference = form->project().colorMap;
            ASSERT_EQ(reference.pixel(50, 20), project::paletteColors[12]);
        } else {
            EXPECT_EQ(form->project().colorMap, reference) << "at zoom " << zoom;
        }
    }
}

TEST_F(ZoomWindow, TheStatusBarAndThePickSpeakPicturePixels) {
    open(200, 160);
    form->project().currentColor = 40;
    testing_support::drag(area, {{10, 20}, {30, 20}});
    zoomTo(3.0);
    EXPECT_EQ(area->size(), QSize(600, 480));
    testing_support::mouseMove(area, {3 * 15 + 2, 3 * 20 + 1}, Qt::NoButton);
    EXPECT_EQ(form->statusPanel(0)->text(), "Текущие координаты: 15,20");
    EXPECT_EQ(form->statusPanel(2)->text(), "Цвет под курсором: 40");
    form->project().currentColor = 0;
    testing_support::mousePress(area, {3 * 25, 3 * 20}, Qt::RightButton);
    EXPECT_EQ(form->project().currentColor, 40);
    zoomTo(0.25);
    testing_support::mouseMove(area, {5, 5}, Qt::NoButton);
    EXPECT_EQ(form->statusPanel(0)->text(), "Текущие координаты: 20,20");
}

TEST_F(ZoomWindow, ABigPictureOpensWholeAndCtrl0FitsItAgain) {
    open(6000, 4000);
    const QRect available = form->screen()->availableGeometry();
    EXPECT_LE(form->frameGeometry().width(), available.width());
    EXPECT_LE(form->frameGeometry().height(), available.height());
    auto fitsWhole = [&] {
        const QSize view = scroll->maximumViewportSize();
        return area->width() <= view.width() && area->height() <= view.height() &&
               (area->width() >= view.width() - 1 || area->height() >= view.height() - 1);
    };
    EXPECT_TRUE(fitsWhole()) << area->width() << "x" << area->height();
    EXPECT_LT(area->zoom(), 1.0);

    QTest::keySequence(form.get(), QKeySequence("Ctrl+1"));
    EXPECT_DOUBLE_EQ(area->zoom(), 1.0);
    EXPECT_EQ(area->size(), QSize(6000, 4000));
    QTest::keySequence(form.get(), QKeySequence("Ctrl+0"));
    EXPECT_TRUE(fitsWhole()) << area->width() << "x" << area->height();
    // The area's far corner shows the picture's, in picture pixels.
    testing_support::mouseMove(area, {area->width() - 1, area->height() - 1}, Qt::NoButton);
    const QStringList xy = form->statusPanel(0)->text().section(' ', 2).split(',');
    ASSERT_EQ(xy.size(), 2) << form->statusPanel(0)->text().toStdString();
    EXPECT_GT(xy[0].toInt(), 6000 - 2 / area->zoom());
    EXPECT_LE(xy[0].toInt(), 5999);
    EXPECT_GT(xy[1].toInt(), 4000 - 2 / area->zoom());
    EXPECT_LE(xy[1].toInt(), 3999);
}

TEST_F(ZoomWindow, KeysStepTheZoomWithinItsRange) {
    open(200, 160);
    zoomTo(1.0);
    for (const char* keys : {"Ctrl++", "Ctrl+="}) {
        const double before = area->zoom();
        QTest::keySequence(form.get(), QKeySequence(keys));
        EXPECT_GT(area->zoom(), before) << keys;
    }
    for (int i = 0; i < 30; ++i)
        QTest::keySequence(form.get(), QKeySequence("Ctrl+="));
    EXPECT_DOUBLE_EQ(area->zoom(), 16.0);
    for (int i = 0; i < 30; ++i)
        QTest::keySequence(form.get(), QKeySequence("Ctrl+-"));
    EXPECT_DOUBLE_EQ(area->zoom(), 1.0 / 16);
    EXPECT_FALSE(area->size().isEmpty());
}

TEST_F(ZoomWindow, CtrlWheelZoomsAboutThePointer) {
    open(3000, 2000);
    zoomTo(1.0);
    scroll->horizontalScrollBar()->setValue(1000);
    scroll->verticalScrollBar()->setValue(700);
    const QPoint pointer(300, 200);
    const QPoint under = pixelAtViewport(pointer);
    ctrlWheel(pointer, 120);
    EXPECT_DOUBLE_EQ(area->zoom(), 1.5);
    EXPECT_LE((pixelAtViewport(pointer) - under).manhattanLength(), 1);
    ctrlWheel(pointer, -240);
    EXPECT_DOUBLE_EQ(area->zoom(), 2.0 / 3);
    EXPECT_LE((pixelAtViewport(pointer) - under).manhattanLength(), 2);

    // A plain wheel is left to the scroll area and leaves the zoom alone.
    QWheelEvent plain(QPointF(10, 10), QPointF(area->mapToGlobal(QPoint(10, 10))), QPoint(),
                      QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    plain.setAccepted(true);
    QCoreApplication::sendEvent(area, &plain);
    EXPECT_FALSE(plain.isAccepted());
    EXPECT_DOUBLE_EQ(area->zoom(), 2.0 / 3);
}

// What the area shows at a zoom is the picture sampled pixel by pixel, outline aside.
TEST_F(ZoomWindow, TheAreaShowsThePictureAtTheZoom) {
    open(40, 30);
    form->project().currentColor = 7;
    form->project().brushSize = 1;
    testing_support::drag(area, {{10, 10}, {10, 12}});
    form->Source1->trigger();
    form->Sourceandmask1->trigger();
    zoomTo(4.0);
    const QImage shown = area->grab().toImage();
    const common::Raster& display = form->project().displayImage;
    for (const QPoint p : {QPoint(10, 11), QPoint(0, 0), QPoint(39, 29), QPoint(11, 11)}) {
        const common::Rgb c = display.pixel(p.x(), p.y());
        EXPECT_EQ(shown.pixel(4 * p.x() + 2, 4 * p.y() + 2) & 0xffffff, c) << p.x() << "," << p.y();
    }
}

TEST_F(ZoomWindow, TheBrushIsOutlinedAtItsTrueSizeUnderThePointer) {
    open(40, 30);
    zoomTo(4.0);
    form->project().brushSize = 5; // 20 screen pixels across at 4x
    testing_support::mouseMove(area, {4 * 20 + 1, 4 * 15 + 1}, Qt::NoButton);
    const QImage shown = area->grab().toImage();
    const QRgb picture = shown.pixel(2, 2);
    const QPoint centre(4 * 20 + 2, 4 * 15 + 2); // the middle of picture pixel (20, 15)
    auto drawnNear = [&](QPoint p) {
        for (int d = -1; d <= 1; ++d)
            if (shown.pixel(p.x() + d, p.y()) != picture ||
                shown.pixel(p.x(), p.y() + d) != picture)
                return true;
        return false;
    };
    EXPECT_EQ(shown.pixel(centre), picture);
    for (const QPoint edge : {QPoint(10, 0), QPoint(-10, 0), QPoint(0, 10), QPoint(0, -10)})
        EXPECT_TRUE(drawnNear(centre + edge)) << edge.x() << "," << edge.y();
    for (const QPoint beyond : {QPoint(14, 0), QPoint(0, -14), QPoint(6, 6)})
        EXPECT_EQ(shown.pixel(centre + beyond), picture) << beyond.x() << "," << beyond.y();

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(area, &leave);
    const QImage after = area->grab().toImage();
    EXPECT_EQ(after.pixel(centre + QPoint(10, 0)), picture);
}
