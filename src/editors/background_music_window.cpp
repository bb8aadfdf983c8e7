#include "editors/background_music_window.h"

#include "app/main_window.h"
#include "app/window_registry.h"
#include "common/audio_output.h"
#include "common/file_io.h"
#include "common/form_controls_qt.h"
#include "editors/field_values.h"
#include "editors/music_volume.h"
#include "project/project_state.h"
#include "project/region_attributes.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

#include <algorithm>

namespace editors {

namespace {

constexpr int kClientWidth = 416;
constexpr int kClientHeight = 140;
constexpr int kEditHeight = 21;

} // namespace

TForm9::TForm9(project::ProjectState& project, QWidget* parent)
    : QDialog(parent), m_project(project) {
    setObjectName("Form9");
    setWindowTitle("Фоновая музыка");
    setFixedSize(kClientWidth, kClientHeight);
    createControls();
    common::initAudioOutput();
}

TForm9::~TForm9() {
    // The box goes after this object's own part: its exit step must not run then.
    Edit2->removeEventFilter(this);
}

void TForm9::createControls() {
    Label1 = common::makeLabel("Файл", this, 16, 10, "Label1");
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    Edit1->setGeometry(8, 34, 400, kEditHeight);

    Label2 = common::makeLabel("Громкость", this, 16, 64, "Label2");
    TrackBar1 = new QSlider(Qt::Horizontal, this);
    TrackBar1->setObjectName("TrackBar1");
    TrackBar1->setGeometry(89, 61, 156, 33);
    TrackBar1->setRange(0, kMusicSliderMax);
    TrackBar1->setValue(kMusicSliderMax);
    TrackBar1->setTickPosition(QSlider::TicksBelow);
    TrackBar1->setTickInterval(10);
    TrackBar1->setPageStep(10);
    Edit2 = new QLineEdit("1", this);
    Edit2->setObjectName("Edit2");
    Edit2->setGeometry(251, 61, 42, kEditHeight);
    CheckBox1 = new QCheckBox("зациклить", this);
    CheckBox1->setObjectName("CheckBox1");
    CheckBox1->setGeometry(337, 61, 71, kEditHeight);

    // One row of equal buttons along the bottom.
    auto rowButton = [this](const char* text, const char* name, int x) {
        return common::makeButton(text, name, this, QRect(x, 100, 75, 25));
    };
    Button1 = rowButton("Выбрать", "Button1", 7);
    Button2 = rowButton("Проиграть", "Button2", 89);
    Button4 = rowButton("Стоп", "Button4", 171);
    Button3 = rowButton("Очистить", "Button3", 253);
    Button5 = rowButton("OK", "Button5", 335);

    Edit2->installEventFilter(this);
    // Runs for every change of position, the program's own ones included.
    connect(TrackBar1, &QSlider::valueChanged, this, &TForm9::TrackBar1Change);
    connect(Button1, &QPushButton::clicked, this, &TForm9::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm9::Button2Click);
    connect(Button4, &QPushButton::clicked, this, &TForm9::Button4Click);
    connect(Button3, &QPushButton::clicked, this, &TForm9::Button3Click);
    connect(Button5, &QPushButton::clicked, this, &TForm9::Button5Click);
}

bool TForm9::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Edit2 && event->type() == QEvent::FocusOut) {
        // Leaving the box means moving to another control of this window; losing the focus to
        // another window or to a pop-up menu does not leave it.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) Edit2Exit();
    }
    return QDialog::eventFilter(watched, event);
}

std::string TForm9::soundsFolder() const {
    if (const app::TForm1* main = app::windows().Form1) return main->exeDir() + "/sounds";
    return QCoreApplication::applicationDirPath().toStdString() + "/sounds";
}

void TForm9::loadBackgroundMusic(const project::RegionAttributes& attrs) {
    Edit1->setText(QString::fromStdString(attrs.backgroundMusic));
    Edit2->setText(QString::fromStdString(attrs.backgroundVolume));
    CheckBox1->setChecked(attrs.backgroundLoop == "1");
    Edit2Exit();
}

void TForm9::storeBackgroundMusic(project::RegionAttributes& attrs) const {
    attrs.backgroundMusic = Edit1->text().toStdString();
    attrs.backgroundVolume = Edit2->text().toStdString();
    attrs.backgroundLoop.assign(1, CheckBox1->isChecked() ? '1' : '0');
}

void TForm9::Button1Click() {
    if (!OpenDialog1) {
        OpenDialog1 = new QFileDialog(this);
        OpenDialog1->setObjectName("OpenDialog1");
        OpenDialog1->setFileMode(QFileDialog::ExistingFile);
        OpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);
        OpenDialog1->setNameFilter("Ogg-файлы (*.ogg)");
    }
    OpenDialog1->setDirectory(QString::fromStdString(soundsFolder()));
    if (OpenDialog1->exec() != QDialog::Accepted || OpenDialog1->selectedFiles().isEmpty()) return;
    Edit1->setText(OpenDialog1->selectedFiles().first());
}

void TForm9::Button2Click() {
    // The volume of the whole output: every other sound playing changes with it.
    common::setOutputVolume(musicPlayVolume(Edit2->text().toStdString()));
    const std::string path = Edit1->text().toStdString();
    if (!common::fileExists(path)) return;
    common::stopStream(m_musicStream);
    common::freeStream(m_musicStream);
    // A file the audio layer cannot open gives 0, and nothing plays; deliberately silent.
    m_musicStream = common::createFileStream(path, CheckBox1->isChecked());
    common::playStream(m_musicStream);
}

void TForm9::Button4Click() {
    common::stopStream(m_musicStream);
    common::freeStream(m_musicStream);
}

void TForm9::Button3Click() {
    Edit1->clear();
    Edit2->setText("1");
    TrackBar1->setValue(kMusicSliderMax);
}

void TForm9::Button5Click() {
    accept();
}

void TForm9::TrackBar1Change() {
    const int position = TrackBar1->value();
    Edit2->setText(QString::fromStdString(musicVolumeTextOf(position)));
    common::setOutputVolume(position / double(kMusicSliderMax));
}

void TForm9::Edit2Exit() {
    const double volume = std::clamp(readVolume(Edit2->text().toStdString()), 0.0, 1.0);
    Edit2->setText(QString::fromStdString(musicVolumeText(volume)));
    // Moving the slider runs its own step, which rewrites the box from the new position.
    TrackBar1->setValue(musicSliderPositionOf(volume));
    common::setOutputVolume(volume);
}

void TForm9::FormClose() {
    common::stopStream(m_musicStream);
    common::freeStream(m_musicStream);
}

void TForm9::done(int result) {
    FormClose();
    QDialog::done(result);
}

} // namespace editors
