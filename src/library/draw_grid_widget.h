#pragma once

#include <QTableView>

#include <functional>

class QPainter;

namespace library {

// An owner-drawn grid of equal cells with no fixed rows or columns. It has a current cell and
// one rectangular selected range, chosen with the mouse or with Shift and the arrow keys; a
// right click opens the context menu without touching either. The grid paints each cell's
// background and selection highlight, then hands the cell to the drawCell function.
class DrawGrid : public QTableView {
    Q_OBJECT
  public:
    // Paints cell (column, row), whose rectangle in viewport coordinates is `rect`.
    using DrawCell = std::function<void(QPainter& painter, int column, int row, const QRect& rect,
                                        bool selected)>;

    explicit DrawGrid(QWidget* parent = nullptr);
    ~DrawGrid() override;

    void setDrawCell(DrawCell drawCell);
    void setCellSize(int width, int height);

    int columnCount() const;
    int rowCount() const;
    // Both at least 1. The current cell stays where it was, moved inside when it falls outside;
    // the selection becomes the current cell alone.
    void setDimensions(int columns, int rows);

    // The current cell; (0, 0) at start.
    int currentColumn() const;
    int currentRow() const;
    void setCurrentCell(int column, int row);
    // The selected range: x and width in columns, y and height in rows. It holds the current
    // cell alone when nothing else is selected.
    QRect selectedRange() const;

    // Cell rectangle in viewport coordinates (also for a cell scrolled out of view).
    QRect cellRect(int column, int row) const;
    // The cells at least partly in view: x and width in columns, y and height in rows.
    QRect visibleCells() const;

  protected:
    bool viewportEvent(QEvent* event) override;

  private:
    class Model;
    class Delegate;

    Model* m_model = nullptr;
    DrawCell m_drawCell;
};

} // namespace library
