#pragma once

#include <QDialog>

class QLabel;
class QPainter;
class QPushButton;
class QSlider;

namespace project {
struct ProjectState;
}

namespace editors {

class PaletteGrid;
class PanelStatusBar;

// Palette window
// Picks `currentColor` from the 200 palette colours and sets `brushSize`; keeps the attribute
// window in step by running its store before and its refresh after each colour change.
class TForm4 : public QDialog {
    Q_OBJECT
  public:
    // `project` belongs to the main window and outlives this window.
    explicit TForm4(project::ProjectState& project, QWidget* parent = nullptr);

    // The map editor's right-button pick of palette index n (0..199): moves the grid's current
    // cell to n, then runs DrawGrid1Click.
    void selectColorCell(int n);
    // Panel 0 reads "Текущий цвет: N"; a swatch of the colour is laid over panel 1.
    void showCurrentColor();

    // Handlers.
    void DrawGrid1DrawCell(QPainter& painter, int column, int row, const QRect& rect);
    void DrawGrid1Click();
    void DrawGrid1DblClick();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void TrackBar1Change(int position);

  private:
    // "Предыдущий" / "Следующий": -1 or +1, clamped to the palette; the grid's cell stays.
    void stepColor(int delta);

    project::ProjectState& m_project;

    PaletteGrid* DrawGrid1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QLabel* Label1 = nullptr;
    QSlider* TrackBar1 = nullptr;
    PanelStatusBar* StatusBar1 = nullptr;
    QWidget* m_swatch = nullptr;
};

} // namespace editors
