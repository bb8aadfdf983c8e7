#include "publish/effect_window.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>

namespace publish {

namespace {

constexpr int kDefaultDepth = 10;

QLabel* makeLabel(const QString& text, const QString& name, QWidget* parent, const QRect& rect) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(rect);
    return label;
}

} // namespace

TForm11::TForm11(QWidget* parent) : QDialog(parent) {
    setObjectName("Form11");
    setWindowTitle("Динамическая яркость");
    setFixedSize(310, 293);

    auto* memo = new QPlainTextEdit(this);
    memo->setObjectName("Memo1");
    memo->setReadOnly(true);
    memo->setFocusPolicy(Qt::NoFocus);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The explanation's lines, those ending in a blank flowing into the next: the box wraps
    // them at its own width, whatever the font.
    memo->setPlainText("Использование динамической яркости позволяет "
                       "лучше рассмотреть изображение и добавляет "
                       "интерактивности при просмотре.\n"
                       "Однако в настоящее время поддержка этого "
                       "эффекта реализована не для всех браузеров.");
    memo->setGeometry(8, 8, 294, 110);

    CheckBox1 = new QCheckBox("Использовать динамическую яркость", this);
    CheckBox1->setObjectName("CheckBox1");
    CheckBox1->setGeometry(8, 124, 294, 20);

    makeLabel("Количество точек по горизонтали", "Label1", this, QRect(8, 153, 226, 18));
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    Edit1->setGeometry(240, 150, 62, 24);

    makeLabel("Количество точек по вертикали", "Label2", this, QRect(8, 181, 226, 18));
    Edit2 = new QLineEdit(this);
    Edit2->setObjectName("Edit2");
    Edit2->setGeometry(240, 178, 62, 24);

    makeLabel("Глубина эффекта", "Label3", this, QRect(8, 206, 226, 18));
    TrackBar1 = new QSlider(Qt::Horizontal, this);
    TrackBar1->setObjectName("TrackBar1");
    TrackBar1->setRange(1, 20);
    TrackBar1->setPageStep(1);
    TrackBar1->setTickPosition(QSlider::TicksBelow);
    TrackBar1->setTickInterval(1);
    TrackBar1->setGeometry(8, 224, 294, 28);

    Button1 = new QPushButton("Значения по умолчанию", this);
    Button1->setObjectName("Button1");
    Button1->setGeometry(8, 258, 180, 27);
    Button2 = new QPushButton("OK", this);
    Button2->setObjectName("Button2");
    Button2->setDefault(true);
    Button2->setGeometry(227, 258, 75, 27);

    // editingFinished comes on Return and when the field loses focus: the moment the user
    // leaves it.
    connect(Edit1, &QLineEdit::editingFinished, this, &TForm11::Edit1Exit);
    connect(Edit2, &QLineEdit::editingFinished, this, &TForm11::Edit2Exit);
    connect(Button1, &QPushButton::clicked, this, &TForm11::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm11::Button2Click);

    Button1Click();
}

EffectSettings TForm11::effectSettings() const {
    EffectSettings settings;
    settings.enabled = CheckBox1->isChecked();
    settings.mm = Edit1->text().toStdString();
    settings.nn = Edit2->text().toStdString();
    settings.depth = TrackBar1->value();
    return settings;
}

void TForm11::Edit1Exit() {
    Edit1->setText(QString::fromStdString(checkedGridCount(Edit1->text().toStdString())));
}

void TForm11::Edit2Exit() {
    Edit2->setText(QString::fromStdString(checkedGridCount(Edit2->text().toStdString())));
}

void TForm11::Button1Click() {
    CheckBox1->setChecked(true);
    Edit1->setText(QString::number(kDefaultGridCount));
    Edit2->setText(QString::number(kDefaultGridCount));
    TrackBar1->setValue(kDefaultDepth);
}

void TForm11::Button2Click() {
    accept();
}

} // namespace publish
