#include "app/about_box.h"

#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace app {

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName("AboutBox");
    setWindowTitle("О программе");
    setFixedSize(298, 213);

    auto* panel = new QFrame(this);
    panel->setObjectName("Panel1");
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setGeometry(8, 8, 282, 161);

    auto* icon = new QLabel(panel);
    icon->setObjectName("ProgramIcon");
    icon->setPixmap(QPixmap(":/icons/qiv_zarim.png"));
    icon->setScaledContents(true);
    icon->setGeometry(8, 8, 100, 79);

    QFont bold = font();
    bold.setBold(true);
    auto* product = new QLabel("Qiv Zarim Editor", panel);
    product->setObjectName("ProductName");
    product->setFont(bold);
    product->setGeometry(120, 16, 150, 16);
    auto* version = new QLabel("Версия 3.0", panel);
    version->setObjectName("Version");
    version->setFont(bold);
    version->setGeometry(120, 40, 150, 16);

    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("OKButton");
    ok->setDefault(true);
    ok->setGeometry(111, 178, 75, 25);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

} // namespace app
