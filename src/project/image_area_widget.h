#pragma once

#include "common/raster.h"

#include <QWidget>

namespace project {

// The main window's image area: shows the composed picture at its natural size and reports
// the mouse in picture pixel coordinates (also outside the picture while a button is held).
class ImageArea : public QWidget {
    Q_OBJECT
  public:
    explicit ImageArea(QWidget* parent = nullptr);

    // The raster to show; it must outlive the widget or be replaced before it goes away.
    // Resizes the widget to the raster's size.
    void setRaster(const common::Raster* raster);
    // Repaints just `rect` (picture pixels).
    void repaintRect(const common::PixelRect& rect);

  signals:
    void mousePressed(int x, int y, Qt::MouseButton button);
    void mouseMoved(int x, int y, Qt::MouseButtons buttons);
    void mouseReleased(int x, int y, Qt::MouseButton button);
    void mouseLeft();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    const common::Raster* m_raster = nullptr;
};

} // namespace project
