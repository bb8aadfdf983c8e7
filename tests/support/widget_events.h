#pragma once
// Helpers for window tests: real mouse events for a widget, and a catcher that answers the
// modal message boxes a handler shows and records their texts.

#include <QMessageBox>
#include <QObject>
#include <QPoint>
#include <QStringList>
#include <QTimer>

#include <ostream>

class QWidget;

// Readable QString values in test failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace testing_support {

void mousePress(QWidget* w, QPoint p, Qt::MouseButton button);
void mouseMove(QWidget* w, QPoint p, Qt::MouseButtons held);
void mouseRelease(QWidget* w, QPoint p, Qt::MouseButton button);
// Press at the first point, move through the others with the left button held, release.
void drag(QWidget* w, std::initializer_list<QPoint> points);

// While alive, every modal QMessageBox shown is answered with `answer` and its text recorded.
class MessageBoxCatcher : public QObject {
public:
    explicit MessageBoxCatcher(QMessageBox::StandardButton answer = QMessageBox::Ok);
    QStringList texts;
    QStringList titles;
    void setAnswer(QMessageBox::StandardButton answer) { m_answer = answer; }

private:
    void check();
    QTimer m_timer;
    QMessageBox::StandardButton m_answer;
};

} // namespace testing_support
