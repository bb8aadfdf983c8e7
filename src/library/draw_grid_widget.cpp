#include "library/draw_grid_widget.h"

#include <QAbstractItemDelegate>
#include <QAbstractTableModel>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include <algorithm>

namespace library {

// Rows and columns only; every cell's look comes from the grid's drawCell.
class DrawGrid::Model : public QAbstractTableModel {
  public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : m_rows;
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : m_columns;
    }
    QVariant data(const QModelIndex&, int) const override { return {}; }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

    void resize(int columns, int rows) {
        beginResetModel();
        m_columns = columns;
        m_rows = rows;
        endResetModel();
    }

  private:
    int m_columns = 1;
    int m_rows = 1;
};

class DrawGrid::Delegate : public QAbstractItemDelegate {
  public:
    Delegate(DrawGrid* grid) : QAbstractItemDelegate(grid), m_grid(grid) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette::ColorGroup group =
            option.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive;
        painter->fillRect(option.rect, option.palette.brush(group, selected ? QPalette::Highlight
                                                                            : QPalette::Base));
        if (m_grid->m_drawCell) {
            painter->save();
            painter->setClipRect(option.rect, Qt::IntersectClip);
            painter->setPen(
                option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
            m_grid->m_drawCell(*painter, index.column(), index.row(), option.rect, selected);
            painter->restore();
        }
        if (option.state & QStyle::State_HasFocus) {
            QStyleOptionFocusRect focus;
            focus.QStyleOption::operator=(option);
            focus.rect = option.rect.adjusted(1, 1, -1, -1);
            focus.backgroundColor =
                option.palette.color(group, selected ? QPalette::Highlight : QPalette::Base);
            m_grid->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, m_grid);
        }
    }
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return {m_grid->columnWidth(0), m_grid->rowHeight(0)};
    }

  private:
    DrawGrid* m_grid;
};

DrawGrid::DrawGrid(QWidget* parent) : QTableView(parent) {
    m_model = new Model(this);
    setModel(m_model);
    setItemDelegate(new Delegate(this));
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setMinimumSectionSize(1);
    setShowGrid(false);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setCurrentCell(0, 0);
}

DrawGrid::~DrawGrid() = default;

void DrawGrid::setDrawCell(DrawCell drawCell) {
    m_drawCell = std::move(drawCell);
    viewport()->update();
}

void DrawGrid::setCellSize(int width, int height) {
    horizontalHeader()->setDefaultSectionSize(width);
    verticalHeader()->setDefaultSectionSize(height);
    verticalScrollBar()->setSingleStep(std::max(1, height / 4));
    horizontalScrollBar()->setSingleStep(std::max(1, width / 4));
}

int DrawGrid::columnCount() const {
    return m_model->columnCount();
}

int DrawGrid::rowCount() const {
    return m_model->rowCount();
}

void DrawGrid::setDimensions(int columns, int rows) {
    columns = std::max(1, columns);
    rows = std::max(1, rows);
    if (columns == columnCount() && rows == rowCount()) return;
    const int column = std::min(currentColumn(), columns - 1);
    const int row = std::min(currentRow(), rows - 1);
    const int scroll = verticalScrollBar()->value();
    m_model->resize(columns, rows);
    setCurrentCell(column, row);
    verticalScrollBar()->setValue(scroll);
}

int DrawGrid::currentColumn() const {
    const QModelIndex index = currentIndex();
    return index.isValid() ? index.column() : 0;
}

int DrawGrid::currentRow() const {
    const QModelIndex index = currentIndex();
    return index.isValid() ? index.row() : 0;
}

void DrawGrid::setCurrentCell(int column, int row) {
    const QModelIndex index = m_model->index(std::clamp(row, 0, rowCount() - 1),
                                             std::clamp(column, 0, columnCount() - 1));
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
}

QRect DrawGrid::selectedRange() const {
    const QItemSelection selection = selectionModel()->selection();
    QRect range;
    for (const QItemSelectionRange& r : selection)
        range |= QRect(QPoint(r.left(), r.top()), QPoint(r.right(), r.bottom()));
    if (range.isEmpty()) range = QRect(currentColumn(), currentRow(), 1, 1);
    return range;
}

QRect DrawGrid::cellRect(int column, int row) const {
    return QRect(columnViewportPosition(column), rowViewportPosition(row), columnWidth(column),
                 rowHeight(row));
}

QRect DrawGrid::visibleCells() const {
    const QRect area = viewport()->rect();
    int left = columnAt(area.left()), right = columnAt(area.right());
    int top = rowAt(area.top()), bottom = rowAt(area.bottom());
    if (left < 0) return {};
    if (top < 0) return {};
    if (right < 0) right = columnCount() - 1;
    if (bottom < 0) bottom = rowCount() - 1;
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

bool DrawGrid::viewportEvent(QEvent* event) {
    // A right click keeps the current cell and the selection for the context menu's commands.
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
        if (static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
            event->accept();
            return true;
        }
    }
    return QTableView::viewportEvent(event);
}

} // namespace library
