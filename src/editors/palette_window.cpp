#include "editors/palette_window.h"

#include "app/window_hooks_qt.h"
#include "app/window_registry.h"
#include "common/form_controls_qt.h"
#include "editors/attribute_window.h"
#include "editors/palette_grid_widget.h"
#include "editors/panel_status_bar_widget.h"
#include "project/palette.h"
#include "project/project_state.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSlider>

#include <algorithm>
#include <cassert>

namespace editors {

namespace {

constexpr int kClientWidth = 190;
constexpr int kClientHeight = 524;

QColor colorOf(int index) {
    return QColor::fromRgb(QRgb(0xFF000000u | project::paletteColors[std::size_t(index)]));
}

TForm8* attributeWindow() {
    return app::windows().Form8;
}

} // namespace

TForm4::TForm4(project::ProjectState& project, QWidget* parent)
    : QDialog(parent), m_project(project) {
    setObjectName("Form4");
    setWindowTitle("Палитра");
    setFixedSize(kClientWidth, kClientHeight);

    DrawGrid1 = new PaletteGrid(this);
    DrawGrid1->setObjectName("DrawGrid1");
    DrawGrid1->move(0, 0);
    QFont gridFont = DrawGrid1->font();
    gridFont.setPointSize(7);
    // Plain white digits, the same on every cell colour.
    gridFont.setStyleStrategy(QFont::NoAntialias);
    DrawGrid1->setFont(gridFont);
    DrawGrid1->setCellPainter([this](QPainter& painter, int column, int row, const QRect& rect) {
        DrawGrid1DrawCell(painter, column, row, rect);
    });

    // Return on the grid presses no button.
    Button1 = common::makeButton("Предыдущий", "Button1", this, QRect(1, 385, 90, 25));
    Button2 = common::makeButton("Следующий", "Button2", this, QRect(97, 385, 90, 25));
    Button3 = common::makeButton("Показать атрибуты", "Button3", this, QRect(1, 416, 186, 25));

    Label1 = new QLabel("Размер кисти", this);
    Label1->setObjectName("Label1");
    Label1->move(6, 448);
    Label1->adjustSize();

    // Starts at 1 while brushSize starts at 3: the bar is never set from brushSize, and its
    // first change sets the brush.
    TrackBar1 = new QSlider(Qt::Horizontal, this);
    TrackBar1->setObjectName("TrackBar1");
    TrackBar1->setRange(1, 100);
    TrackBar1->setValue(1);
    TrackBar1->setPageStep(2);
    TrackBar1->setTickPosition(QSlider::TicksBelow);
    TrackBar1->setTickInterval(5);
    TrackBar1->setGeometry(-2, 467, 190, 32);

    StatusBar1 = new PanelStatusBar({150, 50}, this);
    StatusBar1->setObjectName("StatusBar1");
    StatusBar1->setGeometry(0, kClientHeight - PanelStatusBar::kHeight, kClientWidth,
                            PanelStatusBar::kHeight);
    // The swatch covers (155, 3) to (width - 5, height - 3) of the status bar, edges excluded.
    m_swatch = new QWidget(StatusBar1);
    m_swatch->setObjectName("Swatch");
    m_swatch->setGeometry(155, 3, kClientWidth - 5 - 155, PanelStatusBar::kHeight - 3 - 3);
    m_swatch->setAutoFillBackground(true);
    m_swatch->hide();

    connect(DrawGrid1, &PaletteGrid::clicked, this, &TForm4::DrawGrid1Click);
    connect(DrawGrid1, &PaletteGrid::doubleClicked, this, &TForm4::DrawGrid1DblClick);
    connect(Button1, &QPushButton::clicked, this, &TForm4::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm4::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm4::Button3Click);
    connect(TrackBar1, &QSlider::valueChanged, this, &TForm4::TrackBar1Change);
}

void TForm4::DrawGrid1DrawCell(QPainter& painter, int column, int row, const QRect& rect) {
    const int index = row * PaletteGrid::kColumns + column;
    painter.fillRect(rect, colorOf(index));
    const QString text = QString::number(index);
    const QFontMetrics metrics(DrawGrid1->font());
    const int x = rect.left() + (PaletteGrid::kCellWidth - metrics.horizontalAdvance(text)) / 2;
    const int y = rect.top() + 1;
    painter.setFont(DrawGrid1->font());
    painter.setPen(Qt::white);
    painter.drawText(QPoint(x, y + metrics.ascent()), text);
}

void TForm4::DrawGrid1Click() {
    if (TForm8* form8 = attributeWindow()) form8->N2Click();
    m_project.currentColor = DrawGrid1->row() * PaletteGrid::kColumns + DrawGrid1->column();
    if (TForm8* form8 = attributeWindow()) form8->N1Click();
    showCurrentColor();
}

void TForm4::DrawGrid1DblClick() {
    if (TForm8* form8 = attributeWindow()) {
        form8->show();
        form8->raise();
        form8->activateWindow();
        form8->N1Click();
    }
}

void TForm4::Button3Click() {
    DrawGrid1DblClick();
}

void TForm4::Button1Click() {
    stepColor(-1);
}

void TForm4::Button2Click() {
    stepColor(+1);
}

void TForm4::stepColor(int delta) {
    if (TForm8* form8 = attributeWindow()) form8->N2Click();
    m_project.currentColor =
        std::clamp(m_project.currentColor + delta, 0, project::kPaletteSize - 1);
    if (TForm8* form8 = attributeWindow()) form8->N1Click();
    showCurrentColor();
}

void TForm4::selectColorCell(int n) {
    assert(n >= 0 && n < project::kPaletteSize);
    n = std::clamp(n, 0, project::kPaletteSize - 1);
    DrawGrid1->setCurrentCell(n % PaletteGrid::kColumns, n / PaletteGrid::kColumns);
    DrawGrid1Click();
}

void TForm4::showCurrentColor() {
    StatusBar1->setPanelText(0, "Текущий цвет: " + QString::number(m_project.currentColor));
    QPalette swatchPalette = m_swatch->palette();
    swatchPalette.setColor(QPalette::Window, colorOf(m_project.currentColor));
    m_swatch->setPalette(swatchPalette);
    m_swatch->show();
    m_swatch->raise();
    app::hooks::currentColorChanged();
}

void TForm4::TrackBar1Change(int position) {
    m_project.brushSize = position;
    Label1->setText("Размер кисти (" + QString::number(position) + ")");
    Label1->adjustSize();
}

} // namespace editors
