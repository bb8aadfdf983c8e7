#include "app/main_window.h"

#include "app/wait_cursor.h"

#include "app/about_box.h"
#include "app/window_hooks_qt.h"
#include "app/window_registry.h"
#include "common/file_io.h"
#include "common/helpers.h"
#include "project/image_area_widget.h"
#include "project/palette.h"
#include "project/project_loader_qt.h"
#include "project/zoom.h"
#include "publish/publisher.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace app {

namespace {

const char* const kTitle = "Qiv Zarim Editor";

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

TForm1::TForm1(const std::string& exeDir, QWidget* parent) : QMainWindow(parent), m_exeDir(exeDir) {
    setObjectName("Form1");
    setWindowTitle(kTitle);

    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setObjectName("ScrollBox1");
    ScrollBox1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1 = new project::ImageArea;
    ScrollBox1->setWidget(Image1);
    setCentralWidget(ScrollBox1);
    connect(Image1, &project::ImageArea::mousePressed, this, &TForm1::Image1MouseDown);
    connect(Image1, &project::ImageArea::mouseMoved, this, &TForm1::Image1MouseMove);
    connect(Image1, &project::ImageArea::mouseReleased, this, &TForm1::Image1MouseUp);
    connect(Image1, &project::ImageArea::mouseLeft, this, &TForm1::Image1MouseLeave);
    connect(Image1, &project::ImageArea::zoomWheel, this, [this](int steps, QPointF at) {
        double zoom = Image1->zoom();
        for (int i = 0; i < std::abs(steps); ++i)
            zoom = steps > 0 ? project::zoomIn(zoom) : project::zoomOut(zoom);
        zoomAbout(zoom, Image1->mapTo(ScrollBox1->viewport(), at.toPoint()));
    });

    createMenus();
    createStatusBar();

    m_project.brushSize = 3;
    m_drawing = false;
    m_project.myAttrs.clearAll();
    Readini1Click();

    // Client area 861 x 527 below the menu bar, centred on the screen.
    resize(861, 527 + menuBar()->sizeHint().height());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

TForm1::~TForm1() {
    Writeini1Click();
}

void TForm1::createMenus() {
    QMenu* file = menuBar()->addMenu("Файл");
    Open1 =
        file->addAction("Открыть изображение", QKeySequence("Ctrl+O"), this, &TForm1::Open1Click);
    file->addSeparator();
    Save1 = file->addAction("Сохранить", QKeySequence("Ctrl+S"), this, &TForm1::Save1Click);
    Saveas1 = file->addAction("Сохранить как", this, &TForm1::Saveas1Click);
    N13 = file->addAction("Протестировать в браузере", QKeySequence("Ctrl+T"), this,
                          &TForm1::N13Click);
    file->addSeparator();
    Exit1 = file->addAction("Выход", this, &TForm1::close);

    QMenu* edit = menuBar()->addMenu("Редактирование");
    Undo1 = edit->addAction("Отменить", QKeySequence("Ctrl+Z"), this, &TForm1::Undo1Click);
    edit->addSeparator();
    Clearmap1 = edit->addAction("Очистить карту", this, &TForm1::Clearmap1Click);

    QMenu* view = menuBar()->addMenu("Режим просмотра");
    m_views = new QActionGroup(this);
    m_views->setExclusive(true);
    Source1 = view->addAction("Исходное изображение");
    Source1->setShortcut(QKeySequence("F5"));
    Sourceandmask1 = view->addAction("Изображение + маска");
    Sourceandmask1->setShortcut(QKeySequence("F6"));
    Sourceandcurrentcolor1 = view->addAction("Изображение + текущий цвет");
    Sourceandcurrentcolor1->setShortcut(QKeySequence("F7"));
    for (QAction* a : {Source1, Sourceandmask1, Sourceandcurrentcolor1}) {
        a->setCheckable(true);
        m_views->addAction(a);
    }
    Sourceandmask1->setChecked(true);
    connect(m_views, &QActionGroup::triggered, this, &TForm1::Updateview1Click);
    view->addSeparator();
    Zoomin1 = view->addAction("Увеличить", this, &TForm1::Zoomin1Click);
    Zoomin1->setShortcuts({QKeySequence("Ctrl++"), QKeySequence("Ctrl+=")});
    Zoomout1 = view->addAction("Уменьшить", QKeySequence("Ctrl+-"), this, &TForm1::Zoomout1Click);
    Fitwindow1 =
        view->addAction("По размеру окна", QKeySequence("Ctrl+0"), this, &TForm1::Fitwindow1Click);
    Actualsize1 =
        view->addAction("Исходный размер", QKeySequence("Ctrl+1"), this, &TForm1::Actualsize1Click);

    QMenu* options = menuBar()->addMenu("Параметры");
    N11 = options->addAction("Настройки экспорта медиа файлов", this,
                             [] { hooks::showExportSettings(); });
    N12 = options->addAction("Динамическая яркость", this, &TForm1::N12Click);

    QMenu* windowsMenu = menuBar()->addMenu("Окна");
    Palette1 = windowsMenu->addAction("Палитра", this, [] { hooks::showPalette(); });
    Music1 = windowsMenu->addAction("Фоновая музыка", this, [] { hooks::showBackgroundMusic(); });

    QMenu* help = menuBar()->addMenu("Помощь");
    // The help page ships beside the executable, so it opens without a network.
    Help1 = help->addAction("Справка", this, [this] {
        QDesktopServices::openUrl(QUrl::fromLocalFile(qs(m_exeDir + "/help/index.html")));
    });
    help->addSeparator();
    About1 = help->addAction("О программе", this, [] {
        if (windows().AboutBox) windows().AboutBox->exec();
    });
}

void TForm1::createStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName("StatusBar1");
    bar->setSizeGripEnabled(false);
    const int widths[4] = {200, 200, 200, 30};
    for (int i = 0; i < 4; ++i) {
        m_panels[i] = new QLabel(bar);
        m_panels[i]->setObjectName(QString("StatusPanel%1").arg(i));
        m_panels[i]->setMinimumWidth(widths[i]); // wider only when a font needs it
        m_panels[i]->setAlignment(Qt::AlignCenter);
        m_panels[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        bar->addWidget(m_panels[i]);
    }
}

void TForm1::Readini1Click() {
    m_settings = publish::readSettingsFile(settingsPath(), publish::findOnPath("ffmpeg"));
}

void TForm1::Writeini1Click() {
    publish::writeSettingsFile(settingsPath(),
                               m_settings); // an unwritable file is silently skipped
}

void TForm1::closeEvent(QCloseEvent* event) {
    // Closing the main window ends the program, whatever other windows are shown.
    event->accept();
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

void TForm1::showError(const std::string& message) {
    QMessageBox::critical(this, kTitle, qs(message));
}

void TForm1::showInfo(const std::string& message) {
    QMessageBox::information(this, kTitle, qs(message));
}

void TForm1::Open1Click() {
    const QString path = QFileDialog::getOpenFileName(
        this, "Открыть изображение", QString(),
        "Все поддерживаемые (*.jpg *.jpeg *.png *.gif);;Все файлы (*)"
        ";;JPEG изображения (*.jpg *.jpeg);;PNG изображения (*.png);;GIF изображения (*.gif)");
    if (path.isEmpty()) return;
    openImage(path.toStdString());
}

bool TForm1::openImage(const std::string& path) {
    const project::OpenOutcome outcome = [&] {
        const WaitCursor wait;
        return project::openProject(path, m_project);
    }();
    if (!outcome.status) {
        showError(outcome.status.message());
        return false;
    }
    Image1->setRaster(&m_project.displayImage);
    m_panels[1]->setText(
        QString("Размеры изображения: %1x%2").arg(m_project.imageWidth).arg(m_project.imageHeight));
    setWindowTitle(QString(kTitle) + " - " + qs(path));
    m_editor.reset(m_project.colorMap);
    m_drawing = false;
    fitWindowToPicture();
    hooks::refreshAttributes();
    hooks::loadBackgroundMusic(m_project.myAttrs);
    composeView();
    for (const std::string& message : outcome.errors)
        showError(message);
    for (const std::string& message : outcome.warnings)
        showInfo(message);
    return true;
}

void TForm1::composeView() {
    if (!m_project.imageLoaded) return;
    m_composedColor = m_project.currentColor;
    composeRect(m_project.sourceImage.bounds());
}

void TForm1::followCurrentColor() {
    if (m_project.view == project::View::SourceAndCurrentColor &&
        m_project.currentColor != m_composedColor)
        composeView();
}

void TForm1::composeRect(const common::PixelRect& rect) {
    if (!m_project.imageLoaded || rect.isEmpty()) return;
    project::composeView(m_project.sourceImage, m_project.colorMap, m_project.displayImage,
                         m_project.view, m_project.currentColor, rect);
    Image1->repaintRect(rect);
}

QPoint TForm1::viewportCentre() const {
    return ScrollBox1->viewport()->rect().center();
}

void TForm1::zoomAbout(double zoom, QPoint anchor) {
    QScrollBar* h = ScrollBox1->horizontalScrollBar();
    QScrollBar* v = ScrollBox1->verticalScrollBar();
    // The picture point under the anchor, in picture pixels (fractional).
    const QPoint inArea = Image1->mapFrom(ScrollBox1->viewport(), anchor);
    const double old = Image1->zoom();
    const double px = inArea.x() / old, py = inArea.y() / old;
    Image1->setZoom(zoom);
    const QPoint areaOrigin = Image1->mapTo(ScrollBox1->viewport(), QPoint(0, 0));
    // Where the scroll bars must be for that point to come back under the anchor.
    const int offsetX = areaOrigin.x() + h->value(), offsetY = areaOrigin.y() + v->value();
    h->setValue(int(std::lround(px * Image1->zoom())) + offsetX - anchor.x());
    v->setValue(int(std::lround(py * Image1->zoom())) + offsetY - anchor.y());
}

void TForm1::Zoomin1Click() {
    zoomAbout(project::zoomIn(Image1->zoom()), viewportCentre());
}

void TForm1::Zoomout1Click() {
    zoomAbout(project::zoomOut(Image1->zoom()), viewportCentre());
}

void TForm1::Fitwindow1Click() {
    if (!m_project.imageLoaded) return;
    const QSize area = ScrollBox1->maximumViewportSize();
    zoomAbout(
        project::fitZoom(m_project.imageWidth, m_project.imageHeight, area.width(), area.height()),
        viewportCentre());
}

void TForm1::Actualsize1Click() {
    zoomAbout(1.0, viewportCentre());
}

void TForm1::fitWindowToPicture() {
    Image1->setZoom(1.0);
    if (!isVisible()) return; // a hidden window has no layout to measure yet
    if (const QScreen* screen =
            this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
        // What the window adds around the picture: frame, menu bar, status bar, scroll frame.
        const QSize around = frameGeometry().size() - ScrollBox1->maximumViewportSize();
        const QRect available = screen->availableGeometry();
        const QSize wanted = (QSize(m_project.imageWidth, m_project.imageHeight) + around)
                                 .expandedTo(frameGeometry().size())
                                 .boundedTo(available.size());
        resize(size() + (wanted - frameGeometry().size()));
        QRect frame = frameGeometry();
        frame.moveLeft(
            std::clamp(frame.left(), available.left(),
                       std::max(available.left(), available.right() - frame.width() + 1)));
        frame.moveTop(
            std::clamp(frame.top(), available.top(),
                       std::max(available.top(), available.bottom() - frame.height() + 1)));
        move(frame.topLeft());
    }
    const QSize area = ScrollBox1->maximumViewportSize();
    if (m_project.imageWidth > area.width() || m_project.imageHeight > area.height())
        Fitwindow1Click();
}

void TForm1::Updateview1Click(QAction* view) {
    if (view == Source1)
        m_project.view = project::View::Source;
    else if (view == Sourceandcurrentcolor1)
        m_project.view = project::View::SourceAndCurrentColor;
    else
        m_project.view = project::View::SourceAndMask;
    composeView();
}

void TForm1::pickColor(int n) {
    // Only the 200 palette colours can be chosen; the reverse lookup's extra colours pick 0.
    if (n >= project::kPaletteSize) n = 0;
    if (!hooks::selectPaletteColor(n)) {
        m_project.currentColor = n;
        followCurrentColor();
    }
}

void TForm1::Image1MouseDown(int x, int y, Qt::MouseButton button) {
    if (!m_project.imageLoaded) return;
    if (button == Qt::LeftButton) {
        m_editor.beginStroke(m_project.currentColor, m_project.brushSize, x, y);
        m_drawing = true;
    } else if (button == Qt::RightButton) {
        const int n = m_project.colorMap.contains(x, y)
                          ? project::colorIndexOf(m_project.colorMap.pixel(x, y))
                          : 0;
        m_drawing = false;
        pickColor(n);
    }
}

void TForm1::Image1MouseMove(int x, int y, Qt::MouseButtons buttons) {
    if (!m_project.imageLoaded) return;
    Image1->setBrushWidth(m_project.brushSize);
    m_panels[0]->setText(QString("Текущие координаты: %1,%2").arg(x).arg(y));
    const int under = m_project.colorMap.contains(x, y)
                          ? project::colorIndexOf(m_project.colorMap.pixel(x, y))
                          : 0;
    m_panels[2]->setText(QString("Цвет под курсором: %1").arg(under));
    if ((buttons & Qt::LeftButton) && m_drawing)
        composeRect(m_editor.lineTo(m_project.colorMap, x, y));
}

void TForm1::Image1MouseUp(int, int, Qt::MouseButton) {
    m_drawing = false;
}

void TForm1::Image1MouseLeave() {
    m_panels[0]->clear();
}

void TForm1::Undo1Click() {
    if (!m_project.imageLoaded) return;
    // Undo while the button is still down ends the stroke being drawn and takes it back;
    // painting waits for the next press, so no segment lands outside a logged stroke.
    m_drawing = false;
    m_editor.undo(m_project.colorMap);
    if (!m_editor.strokes().empty()) QGuiApplication::clipboard()->setText(qs(m_editor.strokes()));
    composeView();
}

void TForm1::Clearmap1Click() {
    if (!m_project.imageLoaded) return;
    m_project.colorMap.fill(0);
    composeView();
}

namespace {

class DialogReporter : public publish::PublishReporter {
  public:
    explicit DialogReporter(QWidget* parent) : m_parent(parent) {}
    void info(const std::string& message) override {
        QMessageBox::information(m_parent, kTitle, qs(message));
    }
    void error(const std::string& message) override {
        QMessageBox::critical(m_parent, kTitle, qs(message));
    }

  private:
    QWidget* m_parent;
};

} // namespace

bool TForm1::publish() {
    publish::PublishOptions options;
    options.templateDir = m_exeDir + "/template";
    options.effect = hooks::effectSettings();
    publish::PublishHooks publishHooks;
    publishHooks.commitPendingEdits = [] { hooks::commitAttributes(); };
    publishHooks.storeBackgroundMusic = [this] { hooks::storeBackgroundMusic(m_project.myAttrs); };
    publishHooks.mediaPass = hooks::mediaPass(m_settings, m_project);
    DialogReporter reporter(this);
    return publish::publishProject(m_project, options, publishHooks, reporter);
}

void TForm1::Save1Click() {
    publish();
}

void TForm1::Saveas1Click() {
    if (!m_project.imageLoaded) {
        showInfo("Нечего сохранять!");
        return;
    }
    const QString name = QFileDialog::getSaveFileName(
        this, "Сохранить как", QFileInfo(qs(m_project.imagePath)).absolutePath(),
        "JPEG Image File (*.jpg);;JPEG Image File (*.jpeg);; All files (*.*)");
    if (name.isEmpty()) return;
    saveAs(name.toStdString());
}

bool TForm1::saveAs(const std::string& chosenName) {
    if (!m_project.imageLoaded) {
        showInfo("Нечего сохранять!");
        return false;
    }
    QString name = qs(chosenName);
    const QString upper = name.toUpper();
    if (!upper.endsWith(".JPG") && !upper.endsWith(".JPEG")) name += ".jpg";
    const std::string target = name.toStdString();
    if (target != m_project.imagePath) {
        // The picture is copied as it is, whatever its format. The page shows it under its new
        // name, so a failed copy must not pass for a saved project.
        if (common::Status s = common::copyFileBytes(m_project.imagePath, target); !s) {
            showError(s.message());
            return false;
        }
    }
    m_project.imagePath = target;
    setWindowTitle(QString(kTitle) + " - " + name);
    return publish();
}

void TForm1::N13Click() {
    // Without a picture there is no page to open.
    if (!m_project.imageLoaded) {
        showInfo("Нечего сохранять!");
        return;
    }
    publish();
    // The page just written (whether the browser opens is not examined). Named as the
    // publisher names it, so a dot in a folder name cannot lead elsewhere.
    const std::string page = publish::pageFolderOf(m_project.imagePath) + "/" +
                             publish::pageNameOf(m_project.imagePath) + ".html";
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(qs(page)).absoluteFilePath()));
}

void TForm1::N12Click() {
    hooks::showBrightness();
}

void TForm1::showPaletteBeside() {
    hooks::showPaletteAt(x() + frameGeometry().width() + 10, y());
}

} // namespace app
