#include "project/image_area_widget.h"

#include "project/zoom.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace project {

ImageArea::ImageArea(QWidget* parent) : QWidget(parent) {
    setObjectName("Image1");
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ImageArea::setRaster(const common::Raster* raster) {
    m_raster = raster;
    updateSize();
    update();
}

void ImageArea::setZoom(double zoom) {
    zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    if (zoom == m_zoom) return;
    m_zoom = zoom;
    updateSize();
    update();
}

void ImageArea::updateSize() {
    const bool empty = !m_raster || m_raster->isEmpty();
    setFixedSize(empty ? QSize(0, 0)
                       : QSize(scaledLength(m_raster->width(), m_zoom),
                               scaledLength(m_raster->height(), m_zoom)));
}

QPoint ImageArea::pictureOf(QPointF p) const {
    return {int(std::floor(p.x() / m_zoom)), int(std::floor(p.y() / m_zoom))};
}

QRect ImageArea::widgetRectOf(const common::PixelRect& rect) const {
    if (rect.isEmpty()) return {};
    // One pixel more on each side: screen pixels sample the picture at their centres.
    const int left = int(std::floor(rect.x * m_zoom)) - 1;
    const int top = int(std::floor(rect.y * m_zoom)) - 1;
    const int right = int(std::ceil((double(rect.x) + rect.w) * m_zoom)) + 1;
    const int bottom = int(std::ceil((double(rect.y) + rect.h) * m_zoom)) + 1;
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)).intersected(this->rect());
}

void ImageArea::repaintRect(const common::PixelRect& rect) {
    const QRect r = widgetRectOf(rect);
    if (!r.isEmpty()) update(r);
}

void ImageArea::setBrushWidth(int width) {
    if (width == m_brushWidth) return;
    const QRect old = outlineRect();
    m_brushWidth = std::max(0, width);
    update(old.united(outlineRect()));
}

QRect ImageArea::outlineRect() const {
    if (!m_pointerShown || m_brushWidth <= 0) return {};
    // Odd widths centre on the pixel, even ones on its top left corner (as the pen paints).
    const double offset = m_brushWidth % 2 ? 0.5 : 0.0;
    const QPointF centre((m_pointer.x() + offset) * m_zoom, (m_pointer.y() + offset) * m_zoom);
    const double r = m_brushWidth * m_zoom / 2;
    if (r < 1.5) return {}; // smaller than the pointer itself
    return QRectF(centre.x() - r, centre.y() - r, 2 * r, 2 * r)
        .toAlignedRect()
        .adjusted(-2, -2, 2, 2);
}

void ImageArea::movePointer(QPoint pixel, bool shown) {
    if (pixel == m_pointer && shown == m_pointerShown) return;
    const QRect old = outlineRect();
    m_pointer = pixel;
    m_pointerShown = shown;
    const QRect now = outlineRect();
    if (!old.isEmpty()) update(old);
    if (!now.isEmpty()) update(now);
}

void ImageArea::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect dirty = event->rect();
    if (!m_raster || m_raster->isEmpty()) {
        painter.fillRect(dirty, palette().window());
        return;
    }
    const QRect part = dirty.intersected(rect());
    if (!part.isEmpty()) paintPicture(painter, part);
    if (const QRect outline = outlineRect(); outline.intersects(dirty)) {
        const QRectF circle = QRectF(outline).adjusted(2, 2, -2, -2);
        painter.setPen(QPen(Qt::black, 1));
        painter.drawEllipse(circle);
        QPen dashes(Qt::white, 1, Qt::DashLine);
        painter.setPen(dashes);
        painter.drawEllipse(circle);
    }
}

void ImageArea::paintPicture(QPainter& painter, const QRect& part) {
    // Nearest picture pixel of every screen pixel's centre, written as 32-bit pixels.
    if (m_buffer.width() < part.width() || m_buffer.height() < part.height())
        m_buffer = QImage(std::max(m_buffer.width(), part.width()),
                          std::max(m_buffer.height(), part.height()), QImage::Format_RGB32);
    const int w = m_raster->width(), h = m_raster->height();
    m_columnOffset.resize(std::size_t(part.width()));
    for (int i = 0; i < part.width(); ++i) {
        const int sx = std::min(int((part.x() + i + 0.5) / m_zoom), w - 1);
        m_columnOffset[std::size_t(i)] = 3 * sx;
    }
    int lastRow = -1;
    for (int j = 0; j < part.height(); ++j) {
        auto* out = reinterpret_cast<std::uint32_t*>(m_buffer.scanLine(j));
        const int sy = std::min(int((part.y() + j + 0.5) / m_zoom), h - 1);
        if (sy == lastRow) { // the same picture row again: copy the line above
            std::copy_n(reinterpret_cast<const std::uint32_t*>(m_buffer.constScanLine(j - 1)),
                        part.width(), out);
            continue;
        }
        lastRow = sy;
        const std::uint8_t* in = m_raster->row(sy);
        for (int i = 0; i < part.width(); ++i) {
            const std::uint8_t* p = in + m_columnOffset[std::size_t(i)];
            out[i] = 0xff000000u | (std::uint32_t(p[0]) << 16) | (std::uint32_t(p[1]) << 8) | p[2];
        }
    }
    painter.drawImage(part.topLeft(), m_buffer, QRect(0, 0, part.width(), part.height()));
}

void ImageArea::mousePressEvent(QMouseEvent* event) {
    const QPoint p = pictureOf(event->position());
    emit mousePressed(p.x(), p.y(), event->button());
}

void ImageArea::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = pictureOf(event->position());
    movePointer(p, true);
    emit mouseMoved(p.x(), p.y(), event->buttons());
}

void ImageArea::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint p = pictureOf(event->position());
    emit mouseReleased(p.x(), p.y(), event->button());
}

void ImageArea::leaveEvent(QEvent* event) {
    movePointer(m_pointer, false);
    emit mouseLeft();
    QWidget::leaveEvent(event);
}

void ImageArea::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier)) {
        event->ignore(); // plain wheel scrolls the area around
        return;
    }
    m_wheelRemainder += event->angleDelta().y();
    const int steps = m_wheelRemainder / QWheelEvent::DefaultDeltasPerStep;
    m_wheelRemainder -= steps * QWheelEvent::DefaultDeltasPerStep;
    if (steps != 0) emit zoomWheel(steps, event->position());
    event->accept();
}

} // namespace project
