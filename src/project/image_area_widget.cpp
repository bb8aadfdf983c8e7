#include "project/image_area_widget.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace project {

namespace {

QPoint pixelOf(const QMouseEvent* event) {
    const QPointF p = event->position();
    return {int(std::floor(p.x())), int(std::floor(p.y()))};
}

} // namespace

ImageArea::ImageArea(QWidget* parent) : QWidget(parent) {
    setObjectName("Image1");
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ImageArea::setRaster(const common::Raster* raster) {
    m_raster = raster;
    const QSize size = raster ? QSize(raster->width(), raster->height()) : QSize(0, 0);
    setFixedSize(size);
    update();
}

void ImageArea::repaintRect(const common::PixelRect& rect) {
    if (!rect.isEmpty()) update(QRect(rect.x, rect.y, rect.w, rect.h));
}

void ImageArea::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect dirty = event->rect();
    if (!m_raster || m_raster->isEmpty()) {
        painter.fillRect(dirty, palette().window());
        return;
    }
    // Wraps the raster's rows without copying; only the dirty part is converted and drawn.
    const QImage image(m_raster->data(), m_raster->width(), m_raster->height(),
                       qsizetype(m_raster->stride()), QImage::Format_RGB888);
    const QRect part = dirty.intersected(image.rect());
    if (!part.isEmpty()) painter.drawImage(part.topLeft(), image, part);
}

void ImageArea::mousePressEvent(QMouseEvent* event) {
    const QPoint p = pixelOf(event);
    emit mousePressed(p.x(), p.y(), event->button());
}

void ImageArea::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = pixelOf(event);
    emit mouseMoved(p.x(), p.y(), event->buttons());
}

void ImageArea::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint p = pixelOf(event);
    emit mouseReleased(p.x(), p.y(), event->button());
}

void ImageArea::leaveEvent(QEvent* event) {
    emit mouseLeft();
    QWidget::leaveEvent(event);
}

} // namespace project
