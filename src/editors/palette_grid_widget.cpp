#include "editors/palette_grid_widget.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace editors {

namespace {

constexpr int kPitchX = PaletteGrid::kCellWidth + PaletteGrid::kLineWidth;
constexpr int kPitchY = PaletteGrid::kCellHeight + PaletteGrid::kLineWidth;

} // namespace

PaletteGrid::PaletteGrid(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setFixedSize(2 * kBorder + kColumns * kPitchX, 2 * kBorder + kRows * kPitchY);
}

QRect PaletteGrid::cellRect(int column, int row) const {
    return QRect(kBorder + column * kPitchX, kBorder + row * kPitchY, kCellWidth, kCellHeight);
}

void PaletteGrid::setCurrentCell(int column, int row) {
    column = std::clamp(column, 0, kColumns - 1);
    row = std::clamp(row, 0, kRows - 1);
    if (column == m_column && row == m_row) return;
    const QRect old = cellRect(m_column, m_row);
    m_column = column;
    m_row = row;
    update(old);
    update(cellRect(m_column, m_row));
}

bool PaletteGrid::cellAt(QPoint pos, int& column, int& row) const {
    const int x = pos.x() - kBorder;
    const int y = pos.y() - kBorder;
    if (x < 0 || y < 0) return false;
    column = x / kPitchX;
    row = y / kPitchY;
    return column < kColumns && row < kRows;
}

void PaletteGrid::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    // Sunken border and the grid lines in the window's shadow colour.
    painter.fillRect(rect(), palette().color(QPalette::Mid));
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            const QRect cell = cellRect(column, row);
            if (!event->rect().intersects(cell)) continue;
            if (m_painter) {
                painter.save();
                painter.setClipRect(cell);
                m_painter(painter, column, row, cell);
                painter.restore();
            }
        }
    }
    // The current cell is marked by a dotted black-and-white frame along its edge, visible on
    // any colour.
    const QRect current = cellRect(m_column, m_row).adjusted(0, 0, -1, -1);
    painter.setClipRect(current.adjusted(0, 0, 1, 1));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(current);
    painter.setPen(QPen(Qt::white, 1, Qt::DotLine));
    painter.drawRect(current);
}

void PaletteGrid::mousePressEvent(QMouseEvent* event) {
    int column = 0;
    int row = 0;
    if (event->button() != Qt::LeftButton || !cellAt(event->position().toPoint(), column, row)) {
        QWidget::mousePressEvent(event);
        return;
    }
    setCurrentCell(column, row);
    emit clicked();
}

void PaletteGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    int column = 0;
    int row = 0;
    if (event->button() != Qt::LeftButton || !cellAt(event->position().toPoint(), column, row)) {
        QWidget::mouseDoubleClickEvent(event);
        return;
    }
    // The second press of a double click is a click as well.
    setCurrentCell(column, row);
    emit clicked();
    emit doubleClicked();
}

void PaletteGrid::keyPressEvent(QKeyEvent* event) {
    int column = m_column;
    int row = m_row;
    const bool control = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_Left:
        --column;
        break;
    case Qt::Key_Right:
        ++column;
        break;
    case Qt::Key_Up:
        --row;
        break;
    case Qt::Key_Down:
        ++row;
        break;
    case Qt::Key_Home:
        column = 0;
        if (control) row = 0;
        break;
    case Qt::Key_End:
        column = kColumns - 1;
        if (control) row = kRows - 1;
        break;
    case Qt::Key_PageUp: // every row is visible: a page is the whole grid
        row = 0;
        break;
    case Qt::Key_PageDown:
        row = kRows - 1;
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    column = std::clamp(column, 0, kColumns - 1);
    row = std::clamp(row, 0, kRows - 1);
    if (column == m_column && row == m_row) return;
    setCurrentCell(column, row);
    emit clicked();
}

} // namespace editors
