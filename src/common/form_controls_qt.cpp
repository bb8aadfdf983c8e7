#include "common/form_controls_qt.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace common {

QPushButton* makeButton(const QString& text, const char* name, QWidget* parent, const QRect& r) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setGeometry(r);
    button->setAutoDefault(false);
    return button;
}

QLabel* makeLabel(const QString& text, QWidget* parent, int x, int y, const char* name) {
    auto* label = new QLabel(text, parent);
    if (name) label->setObjectName(name);
    label->move(x, y);
    label->adjustSize();
    return label;
}

QComboBox* makeCombo(const char* name, QWidget* parent, const QRect& r, const QStringList& items) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->setGeometry(r);
    combo->addItems(items);
    return combo;
}

} // namespace common
