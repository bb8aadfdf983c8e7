#include "support/widget_events.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

namespace testing_support {

namespace {

void send(QWidget* w, QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(p), QPointF(w->mapToGlobal(p)), button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

} // namespace

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
    if (!box)
        return;
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

} // namespace testing_support
