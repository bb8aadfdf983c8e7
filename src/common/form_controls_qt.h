#pragma once
// Makers of the plain controls the fixed-layout windows place by hand.

#include <QtContainerFwd>

class QComboBox;
class QLabel;
class QPushButton;
class QRect;
class QWidget;

namespace common {

// A button at `r`. It is never a default one: Return in a text box presses no button.
QPushButton* makeButton(const QString& text, const char* name, QWidget* parent, const QRect& r);

// A label sized to its text with its top left at (x, y); `name` may be null.
QLabel* makeLabel(const QString& text, QWidget* parent, int x, int y, const char* name = nullptr);

// A drop-down list at `r` holding `items`.
QComboBox* makeCombo(const char* name, QWidget* parent, const QRect& r, const QStringList& items);

} // namespace common
