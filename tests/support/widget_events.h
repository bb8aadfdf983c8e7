#pragma once
// Helpers for window tests: real mouse events for a widget, and a catcher that answers the
// modal message boxes a handler shows and records their texts.

#include <QColor>
#include <QMessageBox>
#include <QObject>
#include <QPoint>
#include <QStringList>
#include <QTimer>

#include <ostream>
#include <string>

class QWidget;

// Readable QString values in test failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace testing_support {

// Saves a picture of one colour at `path` (format from the extension); false on failure.
bool writeFilledPicture(const std::string& path, int width, int height, QColor color);

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

// While alive, answers the next modal QFileDialog as a user would: types `fileName` into its
// file name box and accepts (the dialog's own checks run), or cancels when `fileName` is empty.
// A dialog that refuses the name is cancelled rather than waited for. Records what it showed.
class FileDialogAnswer : public QObject {
  public:
    explicit FileDialogAnswer(QString fileName);
    bool answered = false;
    QString folder;      // the folder the dialog showed
    QStringList filters; // its name filters

  private:
    void check();
    QTimer m_timer;
    QString m_fileName;
};

} // namespace testing_support
