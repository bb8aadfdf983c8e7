#pragma once
// An owner-drawn grid of 8 columns and 25 rows of 22 x 14 pixel cells with 1-pixel grid lines,
// no headers and no scroll bars. The owner paints each cell; the grid paints its lines and the
// mark of its current cell. A left click on a cell, or a key that moves the current cell, moves
// it first and then reports `clicked`.

#include <QWidget>

#include <functional>

namespace editors {

class PaletteGrid : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kColumns = 8;
    static constexpr int kRows = 25;
    static constexpr int kCellWidth = 22;
    static constexpr int kCellHeight = 14;
    static constexpr int kLineWidth = 1;
    static constexpr int kBorder = 2;

    explicit PaletteGrid(QWidget* parent = nullptr);

    // Paints cell (column, row) into `rect`, clipped to it.
    using CellPainter = std::function<void(QPainter&, int column, int row, const QRect& rect)>;
    void setCellPainter(CellPainter painter) { m_painter = std::move(painter); }

    int column() const { return m_column; }
    int row() const { return m_row; }
    // Moves the current cell without reporting a click.
    void setCurrentCell(int column, int row);
    QRect cellRect(int column, int row) const;

  signals:
    void clicked();
    void doubleClicked();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // The cell under `pos`, each cell owning the grid lines right and below it; false outside.
    bool cellAt(QPoint pos, int& column, int& row) const;

    CellPainter m_painter;
    int m_column = 0;
    int m_row = 0;
};

} // namespace editors
