#include "support/widget_events.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QWidget>

namespace testing_support {

namespace {

void send(QWidget* w, QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(p), QPointF(w->mapToGlobal(p)), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

} // namespace

bool writeFilledPicture(const std::string& path, int width, int height, QColor color) {
    QImage image(width, height, QImage::Format_RGB888);
    image.fill(color);
    return image.save(QString::fromStdString(path));
}

void mousePress(QWidget* w, QPoint p, Qt::MouseButton button) {
    send(w, QEvent::MouseButtonPress, p, button, button);
}

void mouseMove(QWidget* w, QPoint p, Qt::MouseButtons held) {
    send(w, QEvent::MouseMove, p, Qt::NoButton, held);
}

void mouseRelease(QWidget* w, QPoint p, Qt::MouseButton button) {
    send(w, QEvent::MouseButtonRelease, p, button, Qt::NoButton);
}

void drag(QWidget* w, std::initializer_list<QPoint> points) {
    auto it = points.begin();
    const QPoint first = *it;
    mousePress(w, first, Qt::LeftButton);
    QPoint last = first;
    for (++it; it != points.end(); ++it) {
        mouseMove(w, *it, Qt::LeftButton);
        last = *it;
    }
    mouseRelease(w, last, Qt::LeftButton);
}

MessageBoxCatcher::MessageBoxCatcher(QMessageBox::StandardButton answer) : m_answer(answer) {
    connect(&m_timer, &QTimer::timeout, this, &MessageBoxCatcher::check);
    m_timer.start(5);
}

void MessageBoxCatcher::check() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    texts << box->text();
    titles << box->windowTitle();
    QAbstractButton* button = box->button(m_answer);
    if (!button)
        button = box->defaultButton() ? static_cast<QAbstractButton*>(box->defaultButton())
                                      : box->buttons().value(0);
    if (button)
        button->click();
    else
        box->done(0);
}

FileDialogAnswer::FileDialogAnswer(QString fileName) : m_fileName(std::move(fileName)) {
    connect(&m_timer, &QTimer::timeout, this, &FileDialogAnswer::check);
    m_timer.start(10);
}

void FileDialogAnswer::check() {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    auto* name = dialog ? dialog->findChild<QLineEdit*>("fileNameEdit") : nullptr;
    if (!name) return;
    if (answered) { // the dialog refused the name
        dialog->reject();
        return;
    }
    answered = true;
    folder = dialog->directory().absolutePath();
    filters = dialog->nameFilters();
    if (m_fileName.isEmpty()) {
        dialog->reject();
        return;
    }
    name->setText(m_fileName);
    static_cast<QDialog*>(dialog)->accept(); // runs the file dialog's own checks
}

} // namespace testing_support
