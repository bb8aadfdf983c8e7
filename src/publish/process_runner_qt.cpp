#include "publish/process_runner_qt.h"

#include "common/helpers.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QProcess>
#include <QProgressDialog>
#include <QStringList>
#include <QWidget>

namespace publish {

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

// A progress dialog the user cannot dismiss: every run goes on to its end.
class ConversionDialog : public QProgressDialog {
  public:
    explicit ConversionDialog(QWidget* parent)
        : QProgressDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
        setObjectName("ConversionDialog");
        setWindowTitle("Qiv Zarim Editor");
        setCancelButton(nullptr);
        setAutoClose(false);
        setAutoReset(false);
        setMinimumDuration(0);
        setMinimumWidth(420);
        setWindowModality(Qt::ApplicationModal);
    }

  protected:
    void closeEvent(QCloseEvent* event) override { event->ignore(); }
    void reject() override {} // Escape
};

} // namespace

QtProcessRunner::QtProcessRunner(QWidget* dialogParent,
                                 std::function<void(const std::string&)> progressLine)
    : m_parent(dialogParent), m_progressLine(std::move(progressLine)) {}

QtProcessRunner::~QtProcessRunner() {
    if (m_dialog) {
        m_dialog->hide();
        m_dialog->deleteLater();
    }
}

void QtProcessRunner::showProgress(const ConversionProgress& progress) {
    const std::string from = common::fileNameOf(progress.source);
    const std::string to = common::fileNameOf(progress.output);
    if (!m_parent) {
        if (m_progressLine)
            m_progressLine("Преобразование " + std::to_string(progress.number) + " из " +
                           std::to_string(progress.total) + ": " + progress.source + " -> " +
                           progress.output);
        return;
    }
    if (!m_dialog) m_dialog = new ConversionDialog(m_parent); // owned by the parent window
    m_dialog->setRange(0, progress.total);
    m_dialog->setLabelText(QString("Преобразование файла %1 в %2\n%3 из %4")
                               .arg(qs(from), qs(to))
                               .arg(progress.number)
                               .arg(progress.total));
    m_dialog->setValue(progress.number - 1);
    m_dialog->show();
}

int QtProcessRunner::run(const std::string& program, const std::vector<std::string>& args,
                         const std::string&) {
    QProcess process;
    process.setProgram(qs(program));
    QStringList list;
    for (const std::string& a : args)
        list << qs(a);
    process.setArguments(list);
    // The converter's console is of no use to anyone; it must not wait for input either.
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());

    process.start();
    if (!process.waitForStarted(-1)) return -1;
    if (m_dialog) {
        // Keep the dialog painted while waiting; its modality keeps every window from edits.
        QEventLoop loop;
        QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
        if (process.state() != QProcess::NotRunning) loop.exec();
    } else {
        process.waitForFinished(-1);
    }
    if (process.exitStatus() != QProcess::NormalExit) return -1;
    return process.exitCode();
}

} // namespace publish
