#pragma once

#include "publish/brightness.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QSlider;
class QPushButton;

namespace publish {

// Dynamic brightness window
class TForm11 : public QDialog {
    Q_OBJECT
  public:
    explicit TForm11(QWidget* parent = nullptr);

    // The values the next save publishes with, as the controls hold them now.
    EffectSettings effectSettings() const;

    // Leaving a count field: whole number limited to 10..100, 20 when it is not a number.
    void Edit1Exit();
    void Edit2Exit();
    // "Значения по умолчанию": effect on, 20 × 20 points, depth 10.
    void Button1Click();
    // "OK": closes the window; the values stay for the run.
    void Button2Click();

  private:
    QCheckBox* CheckBox1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QSlider* TrackBar1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
};

} // namespace publish
