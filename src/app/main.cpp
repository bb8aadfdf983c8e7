// Start-up: the headless publishing mode, or the application with all its windows.
#include "app/about_box.h"
#include "app/command_line_qt.h"
#include "app/main_window.h"
#include "app/signal_quit_qt.h"
#include "app/window_registry.h"
#include "publish/effect_window.h"

#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QIcon>
#include <QMessageBox>
#include <QTimer>

#include <exception>
#include <memory>

namespace {

// Shows an error that escapes from an event handler in the standard error box, then goes on.
class Application : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            QMessageBox::critical(nullptr, "Qiv Zarim Editor", QString::fromUtf8(e.what()));
        }
        return false;
    }
};

} // namespace

int main(int argc, char** argv) {
    // Qt's FFmpeg media backend plays every format the publisher writes.
    if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND"))
        qputenv("QT_MEDIA_BACKEND", "ffmpeg");
    if (app::isHeadlessPublish(argc, argv))
        return app::runHeadlessPublish(argc, argv);

    Application application(argc, argv);
    QApplication::setApplicationName("Qiv Zarim Editor");
    QApplication::setApplicationDisplayName("Qiv Zarim Editor");
    QApplication::setWindowIcon(QIcon(":/icons/qiv_zarim.png"));
    if (QFontDatabase::families().contains("Tahoma"))
        QApplication::setFont(QFont("Tahoma", 8));
    app::quitOnTerminationSignals();

    try {
        const std::string exeDir = QApplication::applicationDirPath().toStdString();
        app::Windows& w = app::windows();
        // Created in a fixed order; the main window reads the settings before the others exist.
        auto form1 = std::make_unique<app::TForm1>(exeDir);
        w.Form1 = form1.get();
        auto aboutBox = std::make_unique<app::TAboutBox>(form1.get());
        w.AboutBox = aboutBox.get();
        auto form11 = std::make_unique<publish::TForm11>(form1.get());
        w.Form11 = form11.get();

        form1->show();
        QTimer::singleShot(1000, form1.get(), [f = form1.get()] { f->showPaletteBeside(); });

        const QStringList args = QApplication::arguments();
        if (args.size() > 1) {
            form1->openImage(args.at(1).toStdString());
        } else {
            const std::string sample = exeDir + "/sample/sample.png";
            if (QFile::exists(QString::fromStdString(sample)))
                form1->openImage(sample);
        }
        const int code = QApplication::exec();
        w = app::Windows{};
        return code;
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, "Qiv Zarim Editor", QString::fromUtf8(e.what()));
        return 1;
    }
}
