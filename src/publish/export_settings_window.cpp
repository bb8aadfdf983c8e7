#include "publish/export_settings_window.h"

#include "publish/export_settings.h"
#include "publish/media_pass.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>

namespace publish {

const char* const TForm10::kDownloadPage = "https://ffmpeg.org/download.html";
const char* const TForm10::kFormatsPage =
    "https://developer.mozilla.org/docs/Web/Media/Formats/Audio_codecs";

namespace {

const char* const kSoundBitrateItems[] = {"40 кбит",  "64 кбит",  "96 кбит", "128 кбит",
                                          "192 кбит", "256 кбит", "320 кбит"};
const char* const kVideoBitrateItems[] = {"384 кбит", "512 кбит", "768 кбит", "1024 кбит"};

template <typename T> T* named(T* widget, const char* name, const QRect& rect) {
    widget->setObjectName(name);
    widget->setGeometry(rect);
    return widget;
}

// Position of `value` in `values`, or -1.
template <std::size_t N>
int positionOf(const std::string& value, const std::array<const char*, N>& values) {
    for (std::size_t i = 0; i < N; ++i)
        if (value == values[i]) return int(i);
    return -1;
}

} // namespace

TForm10::TForm10(ExportSettings& settings, QWidget* parent)
    : QDialog(parent), m_settings(settings) {
    setObjectName("Form10");
    setWindowTitle("Настройки экпорта медиа файлов");
    setFixedSize(556, 337);

    GroupBox1 = named(new QGroupBox("Настройки FFMPEG", this), "GroupBox1", {8, 4, 540, 156});
    Memo1 = named(new QPlainTextEdit(GroupBox1), "Memo1", {8, 22, 524, 88});
    Memo1->setReadOnly(true);
    Memo1->setPlainText(
        "Разные браузеры поддерживают воспроизведение разных форматов звуковых файлов.\n"
        "Поэтому, при публикации желательно иметь копии в разных форматах.\n"
        "Если на Вашем компьютере установлено приложение FFMPEG.exe укажите путь к нему,\n"
        "есди нет, скачайте его (нажмите кнопку [Скачать] для перехода на сайт).");
    Button1 = named(new QPushButton("Путь к FFMPEG", GroupBox1), "Button1", {8, 118, 140, 28});
    // Shows the path only: the path is chosen with Button1.
    Edit1 = named(new QLineEdit(GroupBox1), "Edit1", {156, 120, 376, 24});
    Edit1->setReadOnly(true);

    GroupBox2 = named(new QGroupBox("Настройки экспорта звуковых файлов", this), "GroupBox2",
                      {8, 166, 300, 124});
    CheckBox1 =
        named(new QCheckBox("Переписывать файлы", GroupBox2), "CheckBox1", {8, 24, 284, 20});
    named(new QLabel("Количество каналов", GroupBox2), "Label1", {8, 56, 150, 20});
    ComboBox2 = named(new QComboBox(GroupBox2), "ComboBox2", {164, 54, 128, 24});
    ComboBox2->addItems({"моно", "стерео"});
    named(new QLabel("Битрейт", GroupBox2), "Label2", {8, 90, 150, 20});
    ComboBox1 = named(new QComboBox(GroupBox2), "ComboBox1", {164, 88, 128, 24});
    for (const char* item : kSoundBitrateItems)
        ComboBox1->addItem(item);

    GroupBox3 = named(new QGroupBox("Настройки экспорта видео файлов", this), "GroupBox3",
                      {316, 166, 232, 124});
    CheckBox2 =
        named(new QCheckBox("Переписывать файлы", GroupBox3), "CheckBox2", {8, 24, 216, 20});
    named(new QLabel("Битрейт", GroupBox3), "Label3", {8, 56, 90, 20});
    ComboBox3 = named(new QComboBox(GroupBox3), "ComboBox3", {100, 54, 124, 24});
    for (const char* item : kVideoBitrateItems)
        ComboBox3->addItem(item);

    Button6 = named(new QPushButton("Скачать FFMPEG", this), "Button6", {8, 300, 150, 28});
    Button2 = named(new QPushButton("Подробнее о форматах", this), "Button2", {166, 300, 190, 28});
    Button5 = named(new QPushButton("OK", this), "Button5", {473, 300, 75, 28});
    Button5->setDefault(true);

    // The controls show the settings as read; an unknown bitrate becomes the default one.
    Edit1->setText(QString::fromStdString(m_settings.ffmpegPath));
    CheckBox1->setChecked(m_settings.soundRewrite == 1);
    CheckBox2->setChecked(m_settings.videoRewrite == 1);
    ComboBox2->setCurrentIndex(m_settings.soundChannels == 1 ? 0 : 1); // the setting stays
    int sound = positionOf(m_settings.soundBitrate, kSoundBitrates);
    if (sound < 0) {
        m_settings.soundBitrate = kDefaultSoundBitrate;
        sound = positionOf(m_settings.soundBitrate, kSoundBitrates);
    }
    ComboBox1->setCurrentIndex(sound);
    int video = positionOf(m_settings.videoBitrate, kVideoBitrates);
    if (video < 0) {
        m_settings.videoBitrate = kDefaultVideoBitrate;
        video = positionOf(m_settings.videoBitrate, kVideoBitrates);
    }
    ComboBox3->setCurrentIndex(video);

    // Connected only now, so that showing the start values changes no setting.
    connect(Button1, &QPushButton::clicked, this, &TForm10::Button1Click);
    connect(CheckBox1, &QCheckBox::toggled, this, &TForm10::CheckBox1Click);
    connect(CheckBox2, &QCheckBox::toggled, this, &TForm10::CheckBox2Click);
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TForm10::ComboBox1Change);
    connect(ComboBox2, &QComboBox::currentIndexChanged, this, &TForm10::ComboBox2Change);
    connect(ComboBox3, &QComboBox::currentIndexChanged, this, &TForm10::ComboBox3Change);
    connect(Button6, &QPushButton::clicked, this, &TForm10::Button6Click);
    connect(Button2, &QPushButton::clicked, this, &TForm10::Button2Click);
    connect(Button5, &QPushButton::clicked, this, &TForm10::Button5Click);
}

void TForm10::Button1Click() {
    QFileDialog dialog(this, "Путь к FFMPEG");
    dialog.setObjectName("OpenDialog1");
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter("ffmpeg (ffmpeg ffmpeg.exe)");
    dialog.setSizeGripEnabled(true);
    const QFileInfo current(QString::fromStdString(m_settings.ffmpegPath));
    if (!m_settings.ffmpegPath.empty() && current.dir().exists())
        dialog.setDirectory(current.dir());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    setFfmpegPath(dialog.selectedFiles().first().toStdString());
}

void TForm10::setFfmpegPath(const std::string& path) {
    Edit1->setText(QString::fromStdString(path));
    m_settings.ffmpegPath = path;
}

void TForm10::CheckBox1Click() {
    m_settings.soundRewrite = CheckBox1->isChecked() ? 1 : 0;
}

void TForm10::CheckBox2Click() {
    m_settings.videoRewrite = CheckBox2->isChecked() ? 1 : 0;
}

void TForm10::ComboBox1Change() {
    if (const int i = ComboBox1->currentIndex(); i >= 0)
        m_settings.soundBitrate = kSoundBitrates[std::size_t(i)];
}

void TForm10::ComboBox2Change() {
    if (const int i = ComboBox2->currentIndex(); i >= 0) m_settings.soundChannels = i + 1;
}

void TForm10::ComboBox3Change() {
    if (const int i = ComboBox3->currentIndex(); i >= 0)
        m_settings.videoBitrate = kVideoBitrates[std::size_t(i)];
}

// Whether the browser opens is deliberately not examined.
void TForm10::Button6Click() {
    QDesktopServices::openUrl(QUrl(kDownloadPage));
}

void TForm10::Button2Click() {
    QDesktopServices::openUrl(QUrl(kFormatsPage));
}

void TForm10::Button5Click() {
    accept();
}

} // namespace publish
