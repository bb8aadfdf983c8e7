#include "library/sound_library_window.h"

#include "app/window_registry.h"
#include "common/audio_output.h"
#include "common/file_io.h"
#include "common/form_controls_qt.h"
#include "common/helpers.h"
#include "editors/attribute_window.h"
#include "library/folder_tree_widget.h"
#include "library/library_geometry.h"
#include "recorder/recorder_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QStatusBar>
#include <QTreeView>

namespace library {

using common::makeButton;

namespace {

constexpr int kClientWidth = 535;
constexpr int kClientHeight = 534;

} // namespace

TForm6::TForm6(const std::string& libraryFolder, QWidget* parent) : QDialog(parent) {
    setObjectName("Form6");
    setWindowTitle("Звуки");
    setFixedSize(kClientWidth, kClientHeight);
    createControls();
    // The output runs from its initialisation on; the volume set before it applies at once.
    TrackBar1->setValue(100);
    common::setOutputVolume(TrackBar1->value() * 0.01);
    common::initAudioOutput();
    const QString start = QString::fromStdString(libraryFolder);
    if (!m_folders->setFolder(start)) {
        // No library folder: the home folder is shown, with an empty list and no message.
        const QSignalBlocker blocker(m_folders);
        m_folders->setFolder(QDir::homePath());
    }
}

TForm6::~TForm6() {
    stopPreview();
}

void TForm6::createControls() {
    m_folders = new FolderTree(this);
    m_folders->driveBox()->setGeometry(0, 0, 273, 21);
    m_folders->tree()->setGeometry(0, 24, 273, 422);

    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName("ListBox1");
    ListBox1->setGeometry(278, 0, 257, 446);
    ListBox1->viewport()->installEventFilter(this);

    GroupBox1 = new QGroupBox("Громкость звука", this);
    GroupBox1->setObjectName("GroupBox1");
    GroupBox1->setGeometry(0, 452, kClientWidth, 60);
    TrackBar1 = new QSlider(Qt::Horizontal, GroupBox1);
    TrackBar1->setObjectName("TrackBar1");
    TrackBar1->setGeometry(8, 20, 170, 30);
    TrackBar1->setRange(0, 100);
    TrackBar1->setTickPosition(QSlider::TicksBelow);
    TrackBar1->setTickInterval(10);
    TrackBar1->setPageStep(10);
    CheckBox1 = new QCheckBox("зациклить", GroupBox1);
    CheckBox1->setObjectName("CheckBox1");
    CheckBox1->setGeometry(186, 24, 85, 21);
    Button1 = makeButton("Стоп", "Button1", GroupBox1, QRect(278, 22, 75, 25));
    Button2 = makeButton("Запись", "Button2", GroupBox1, QRect(364, 22, 75, 25));
    Button3 = makeButton("OK", "Button3", GroupBox1, QRect(450, 22, 75, 25));

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName("StatusBar1");
    StatusBar1->setSizeGripEnabled(false);
    StatusBar1->setGeometry(0, kClientHeight - 19, kClientWidth, 19);

    connect(m_folders, &FolderTree::folderChanged, this, &TForm6::DirectoryOutline1Change);
    // A new current row comes from the mouse or from the keyboard; a click on the row that
    // was current already replays it.
    connect(ListBox1, &QListWidget::currentRowChanged, this, [this] {
        if (!m_refreshing) ListBox1Click();
    });
    connect(ListBox1, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        if (ListBox1->row(item) == m_rowAtPress) ListBox1Click();
    });
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, &TForm6::ListBox1DblClick);
    connect(TrackBar1, &QSlider::valueChanged, this, &TForm6::TrackBar1Change);
    connect(Button1, &QPushButton::clicked, this, &TForm6::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm6::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm6::Button3Click);
}

bool TForm6::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ListBox1->viewport() &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick))
        m_rowAtPress = ListBox1->currentRow();
    return QDialog::eventFilter(watched, event);
}

std::string TForm6::folder() const {
    return m_folders->folder().toStdString();
}

void TForm6::DirectoryOutline1Change() {
    const std::string current = folder();
    if (current.empty() || !QFileInfo(QString::fromStdString(current)).isDir()) return;
    m_paths = listedPaths(common::listSoundFiles(current));
    m_refreshing = true;
    ListBox1->clear();
    for (const std::string& path : m_paths)
        ListBox1->addItem(QString::fromStdString(visibleNameOf(path, current)));
    m_refreshing = false;
    setWindowTitle(QString::fromStdString(libraryCaption(current, int(m_paths.size()))));
}

std::string TForm6::selectedPath() const {
    const int row = ListBox1->currentRow();
    if (row < 0 || row >= int(m_paths.size())) return {};
    return m_paths[std::size_t(row)];
}

void TForm6::ListBox1Click() {
    const std::string path = selectedPath();
    if (path.empty() || !common::fileExists(path)) return;
    stopPreview();
    // A file the audio layer cannot open gives 0 and is not heard; deliberately silent.
    m_libraryStream = common::createFileStream(path, CheckBox1->isChecked());
    common::playStream(m_libraryStream);
}

void TForm6::ListBox1DblClick() {
    Button3Click();
}

void TForm6::TrackBar1Change() {
    // The volume of the whole output: every other sound playing changes with it.
    common::setOutputVolume(TrackBar1->value() * 0.01);
}

void TForm6::Button1Click() {
    stopPreview();
}

void TForm6::Button2Click() {
    // Modal and centred on this window; the list is not refreshed when it closes.
    recorder::TForm7* recorderWindow = app::windows().Form7;
    if (!recorderWindow) return;
    recorderWindow->move(geometry().center() - recorderWindow->rect().center());
    recorderWindow->exec();
}

void TForm6::Button3Click() {
    const std::string path = selectedPath();
    if (path.empty() || !common::fileExists(path)) return;
    if (editors::TForm8* attributes = app::windows().Form8) {
        const std::string absolute =
            QFileInfo(QString::fromStdString(path)).absoluteFilePath().toStdString();
        attributes->setSoundBoxes(absolute, sliderVolumeText(TrackBar1->value()),
                                  CheckBox1->isChecked());
        attributes->N2Click();
    }
    accept();
}

void TForm6::stopPreview() {
    common::stopStream(m_libraryStream);
    common::freeStream(m_libraryStream);
    m_libraryStream = 0;
}

void TForm6::FormClose() {
    stopPreview();
}

void TForm6::done(int result) {
    FormClose();
    QDialog::done(result);
}

} // namespace library
