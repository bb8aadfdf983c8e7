// Start-up: the headless publishing mode, or the application with all its windows.
#include "app/about_box.h"
#include "app/command_line_qt.h"
#include "app/main_window.h"
#include "app/signal_quit_qt.h"
#include "app/translations_qt.h"
#include "app/window_registry.h"
#include "editors/attribute_window.h"
#include "editors/background_music_window.h"
#include "editors/palette_window.h"
#include "library/picture_library_window.h"
#include "library/sound_library_window.h"
#include "publish/effect_window.h"
#include "publish/export_settings_window.h"
#include "recorder/recorder_window.h"

#include <QApplication>
#include <QFontDatabase>
#include <QIcon>
#include <QMessageBox>
#include <QTimer>

#include <exception>
#include <memory>

namespace {

// Forgets the registered windows when it goes; declared after the windows' owners, so that no
// window can reach another through the registry while they are destroyed.
struct WindowsReset {
    WindowsReset() = default;
    WindowsReset(const WindowsReset&) = delete;
    WindowsReset& operator=(const WindowsReset&) = delete;
    ~WindowsReset() { app::windows() = app::Windows{}; }
};

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
    if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND")) qputenv("QT_MEDIA_BACKEND", "ffmpeg");
    if (app::isHeadlessPublish(argc, argv)) return app::runHeadlessPublish(argc, argv);

    Application application(argc, argv);
    // No display name: the toolkit would add it to every window's caption.
    QApplication::setApplicationName("Qiv Zarim Editor");
    app::installQtTranslations(application);
    QApplication::setWindowIcon(QIcon(":/icons/qiv_zarim.png"));
    // The windows' fixed layouts are measured for an 8-point font: Tahoma where installed,
    // otherwise the desktop's own family at that size.
    QFont font = QFontDatabase::families().contains("Tahoma") ? QFont("Tahoma") : QFont();
    font.setPointSize(8);
    QApplication::setFont(font);
    app::quitOnTerminationSignals();

    try {
        const std::string exeDir = QApplication::applicationDirPath().toStdString();
        app::Windows& w = app::windows();
        std::unique_ptr<app::TForm1> form1;
        std::unique_ptr<app::TAboutBox> aboutBox;
        std::unique_ptr<editors::TForm4> form4;
        std::unique_ptr<library::TForm5> form5;
        std::unique_ptr<library::TForm6> form6;
        std::unique_ptr<recorder::TForm7> form7;
        std::unique_ptr<editors::TForm8> form8;
        std::unique_ptr<editors::TForm9> form9;
        std::unique_ptr<publish::TForm10> form10;
        std::unique_ptr<publish::TForm11> form11;
        const WindowsReset windowsReset;
        // Created in a fixed order; the main window reads the settings before the others exist.
        form1 = std::make_unique<app::TForm1>(exeDir);
        w.Form1 = form1.get();
        aboutBox = std::make_unique<app::TAboutBox>(form1.get());
        w.AboutBox = aboutBox.get();
        form4 = std::make_unique<editors::TForm4>(form1->project(), form1.get());
        w.Form4 = form4.get();
        form5 = std::make_unique<library::TForm5>(exeDir + "/pictures", form1.get());
        w.Form5 = form5.get();
        form6 = std::make_unique<library::TForm6>(exeDir + "/sounds", form1.get());
        w.Form6 = form6.get();
        form7 = std::make_unique<recorder::TForm7>(exeDir, form1.get());
        w.Form7 = form7.get();
        form8 = std::make_unique<editors::TForm8>(form1->project(), form1.get());
        w.Form8 = form8.get();
        form9 = std::make_unique<editors::TForm9>(form1->project(), form1.get());
        w.Form9 = form9.get();
        form10 = std::make_unique<publish::TForm10>(form1->settings(), form1.get());
        w.Form10 = form10.get();
        form11 = std::make_unique<publish::TForm11>(form1.get());
        w.Form11 = form11.get();

        form1->show();
        QTimer::singleShot(1000, form1.get(), [f = form1.get()] { f->showPaletteBeside(); });

        // Without a picture on the command line the editor starts empty.
        const QStringList args = QApplication::arguments();
        if (args.size() > 1) form1->openImage(args.at(1).toStdString());
        return QApplication::exec();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, "Qiv Zarim Editor", QString::fromUtf8(e.what()));
        return 1;
    }
}
