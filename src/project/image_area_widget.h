#pragma once

#include "common/raster.h"

#include <QImage>
#include <QWidget>

#include <vector>

namespace project {

// The main window's image area: shows the composed picture at the view's zoom and reports the
// mouse in picture pixel coordinates (also outside the picture while a button is held). Under
// the pointer it outlines the brush at its true size. Paints only the part asked for, sampling
// the picture pixel by pixel, so a frame costs what is shown, not the picture's size.
class ImageArea : public QWidget {
    Q_OBJECT
  public:
    explicit ImageArea(QWidget* parent = nullptr);

    // The raster to show; it must outlive the widget or be replaced before it goes away.
    // Resizes the widget to the raster's size at the current zoom.
    void setRaster(const common::Raster* raster);
    // Repaints just `rect` (picture pixels).
    void repaintRect(const common::PixelRect& rect);

    // Screen pixels per picture pixel (clamped to 1/16..16); resizes the widget to match.
    void setZoom(double zoom);
    double zoom() const { return m_zoom; }
    // The picture pixel under widget point `p` (may lie outside the picture).
    QPoint pictureOf(QPointF p) const;
    // The widget pixels showing the picture pixels of `rect`, clipped to the widget.
    QRect widgetRectOf(const common::PixelRect& rect) const;

    // Width of the brush outlined under the pointer (picture pixels); 0 shows no outline.
    void setBrushWidth(int width);

  signals:
    void mousePressed(int x, int y, Qt::MouseButton button);
    void mouseMoved(int x, int y, Qt::MouseButtons buttons);
    void mouseReleased(int x, int y, Qt::MouseButton button);
    void mouseLeft();
    // Ctrl + wheel: `steps` notches (positive away from the user) at widget point `at`.
    void zoomWheel(int steps, QPointF at);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    void updateSize();
    void paintPicture(QPainter& painter, const QRect& part);
    // Widget rectangle covering the brush outline at the pointer; empty when none is shown.
    QRect outlineRect() const;
    void movePointer(QPoint pixel, bool shown);

    const common::Raster* m_raster = nullptr;
    double m_zoom = 1.0;
    int m_brushWidth = 0;
    QPoint m_pointer;
    bool m_pointerShown = false;
    int m_wheelRemainder = 0;
    QImage m_buffer;                 // reused between frames
    std::vector<int> m_columnOffset; // byte offset in a source row of each painted column
};

} // namespace project
