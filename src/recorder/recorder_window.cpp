#include "recorder/recorder_window.h"

#include "common/audio_stream.h"
#include "common/form_controls_qt.h"
#include "editors/panel_status_bar_widget.h"
#include "recorder/effect_values.h"
#include "recorder/recording_display.h"

#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSaveFile>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QTimer>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>

namespace recorder {

using common::makeButton;
using common::makeCombo;
using common::makeLabel;

namespace {

constexpr int kClientWidth = 546;
constexpr int kClientHeight = 448;
const char* const kMessageTitle = "Qiv Zarim Editor";
const char* const kFileWriteError = "Ошибка открытия файла для записи!";
const char* const kEncodingError = "Ошибка кодирования файла!";
// How long the program, when it ends, gives an encoder still running to finish its file.
constexpr int kEncoderGraceMs = 120000;

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

// Refills a device selector from the engine's list without running its change handler.
void fillDevices(QComboBox* combo, const RecordingEngine::DeviceList& list) {
    const QSignalBlocker blocker(combo);
    combo->clear();
    for (const std::string& name : list.names)
        combo->addItem(qs(name));
    combo->setCurrentIndex(list.selected);
}

} // namespace

TForm7::TForm7(const std::string& exeDir, QWidget* parent, std::size_t bufferLimit)
    : QDialog(parent), m_exeDir(exeDir), m_engine(bufferLimit) {
    setObjectName("Form7");
    setWindowTitle("Запись звука");
    setFixedSize(kClientWidth, kClientHeight);
    createControls();

    // The recording thread only posts the news; the message appears on this thread.
    m_engine.setOutOfMemoryHandler([this] {
        QMetaObject::invokeMethod(this, &TForm7::onRecordingOutOfMemory, Qt::QueuedConnection);
    });
    const RecordingEngine::StartUp start = m_engine.startUp();
    if (!start.versionMatches) showError(qs(incorrectVersionText()));
    fillDevices(ComboBox5, start.outputs);
    fillDevices(ComboBox4, start.inputs);

    Timer1->start();
}

TForm7::~TForm7() {
    // Encoders outlive nothing: the files they write are finished before the program ends.
    for (QProcess* encoder : findChildren<QProcess*>()) {
        encoder->disconnect(this);
        if (encoder->state() != QProcess::NotRunning && !encoder->waitForFinished(kEncoderGraceMs))
            encoder->kill();
    }
}

void TForm7::createControls() {
    m_chart = new QChart();
    m_chart->legend()->hide();
    m_chart->setMargins(QMargins(4, 4, 4, 4));
    m_waveform = new QLineSeries(m_chart);
    m_waveform->setObjectName("Series1");
    m_waveform->setPen(QPen(QColor(0, 128, 0), 1));
    m_cursor = new QLineSeries(m_chart);
    m_cursor->setObjectName("Series2");
    m_cursor->setPen(QPen(QColor(255, 0, 0), 1));
    m_chart->addSeries(m_waveform);
    m_chart->addSeries(m_cursor);
    m_axisX = new QValueAxis(m_chart);
    m_axisX->setObjectName("AxisX");
    m_axisX->setRange(0, 1);
    m_axisX->setLabelFormat("%.1f");
    auto* axisY = new QValueAxis(m_chart);
    axisY->setObjectName("AxisY");
    axisY->setRange(-1, 1);
    axisY->setLabelFormat("%.1f");
    m_chart->addAxis(m_axisX, Qt::AlignBottom);
    m_chart->addAxis(axisY, Qt::AlignLeft);
    for (QLineSeries* series : {m_waveform, m_cursor}) {
        series->attachAxis(m_axisX);
        series->attachAxis(axisY);
    }
    Chart1 = new QChartView(m_chart, this);
    Chart1->setObjectName("Chart1");
    Chart1->setGeometry(0, 0, kClientWidth, 240);

    GroupBox1 = new QGroupBox("Параметры", this);
    GroupBox1->setObjectName("GroupBox1");
    GroupBox1->setGeometry(4, 244, 190, 118);
    makeLabel("Режим", GroupBox1, 8, 24);
    ComboBox1 = makeCombo("ComboBox1", GroupBox1, QRect(70, 20, 112, 21), {"моно", "стерео"});
    ComboBox1->setCurrentIndex(1);
    makeLabel("Частота", GroupBox1, 8, 54);
    QStringList rates;
    for (int rate : kRecordRates)
        rates << QString::number(rate);
    ComboBox2 = makeCombo("ComboBox2", GroupBox1, QRect(70, 50, 112, 21), rates);
    ComboBox2->setCurrentIndex(4);
    makeLabel("Качество", GroupBox1, 8, 84);
    ComboBox3 =
        makeCombo("ComboBox3", GroupBox1, QRect(70, 80, 112, 21),
                  {"2 - минимальное", "3", "4", "5", "6", "7", "8", "9", "10 - максимальное"});

    GroupBox2 = new QGroupBox("Эффекты", this);
    GroupBox2->setObjectName("GroupBox2");
    GroupBox2->setGeometry(198, 244, 170, 118);
    makeLabel("Амплитуда", GroupBox2, 8, 24);
    Edit1 = new QLineEdit("1", GroupBox2);
    Edit1->setObjectName("Edit1");
    Edit1->setGeometry(84, 20, 78, 21);
    makeLabel("Темп", GroupBox2, 8, 54);
    Edit2 = new QLineEdit("1", GroupBox2);
    Edit2->setObjectName("Edit2");
    Edit2->setGeometry(84, 50, 78, 21);
    makeLabel("Эхо", GroupBox2, 8, 84);
    ComboBox6 = makeCombo("ComboBox6", GroupBox2, QRect(84, 80, 78, 21),
                          {"отсутствует", "минимальное", "среднее", "максимальное"});

    GroupBox3 = new QGroupBox("Устройства", this);
    GroupBox3->setObjectName("GroupBox3");
    GroupBox3->setGeometry(372, 244, 170, 118);
    makeLabel("Запись", GroupBox3, 8, 18);
    ComboBox4 = makeCombo("ComboBox4", GroupBox3, QRect(8, 34, 154, 21), {});
    ComboBox4->setToolTip("Устройство записи");
    makeLabel("Воспроизведение", GroupBox3, 8, 62);
    ComboBox5 = makeCombo("ComboBox5", GroupBox3, QRect(8, 78, 154, 21), {});
    ComboBox5->setToolTip("Устройство воспроизведения");

    Button1 = makeButton("Запись", "Button1", this, QRect(49, 372, 75, 25));
    Button2 = makeButton("Стоп", "Button2", this, QRect(173, 372, 75, 25));
    Button3 = makeButton("Проиграть", "Button3", this, QRect(297, 372, 75, 25));
    Button4 = makeButton("Сохранить", "Button4", this, QRect(421, 372, 75, 25));
    setButtons(true, false, false, false);

    StatusBar1 = new editors::PanelStatusBar({250, 200, 50}, this);
    StatusBar1->setObjectName("StatusBar1");
    StatusBar1->setGeometry(0, kClientHeight - editors::PanelStatusBar::kHeight, kClientWidth,
                            editors::PanelStatusBar::kHeight);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(1000);
    Timer2 = new QTimer(this);
    Timer2->setObjectName("Timer2");
    Timer2->setInterval(100);

    Edit1->installEventFilter(this);
    Edit2->installEventFilter(this);
    connect(Button1, &QPushButton::clicked, this, &TForm7::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm7::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm7::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TForm7::Button4Click);
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TForm7::ComboBox1Change);
    connect(ComboBox2, &QComboBox::currentIndexChanged, this, &TForm7::ComboBox2Change);
    connect(ComboBox4, &QComboBox::currentIndexChanged, this, &TForm7::ComboBox4Change);
    connect(ComboBox5, &QComboBox::currentIndexChanged, this, &TForm7::ComboBox5Change);
    connect(Timer1, &QTimer::timeout, this, &TForm7::Timer1Timer);
    connect(Timer2, &QTimer::timeout, this, &TForm7::Timer2Timer);
}

bool TForm7::eventFilter(QObject* watched, QEvent* event) {
    // Leaving a box, but not for a popup such as its own context menu.
    if (event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
        if (watched == Edit1) Edit1Exit();
        if (watched == Edit2) Edit2Exit();
    }
    return QDialog::eventFilter(watched, event);
}

void TForm7::setButtons(bool record, bool stop, bool play, bool save) {
    Button1->setEnabled(record);
    Button2->setEnabled(stop);
    Button3->setEnabled(play);
    Button4->setEnabled(save);
}

EffectSettings TForm7::currentEffects() const {
    return {effectValue(Edit1->text().toStdString()), effectValue(Edit2->text().toStdString()),
            ComboBox6->currentIndex()};
}

void TForm7::showMessage(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, kMessageTitle, text, QMessageBox::Ok, this);
    box.exec();
}

void TForm7::showError(const QString& text) {
    QMessageBox::critical(this, kMessageTitle, text);
}

void TForm7::Button1Click() {
    if (m_engine.isRecording()) return;
    Timer2->stop();
    const RecordingEngine::Begin begun = m_engine.beginRecording();
    m_waveform->clear();
    switch (begun) {
    case RecordingEngine::Begin::Started:
        setButtons(false, true, false, false);
        break;
    case RecordingEngine::Begin::CouldNotStart:
        showMessage(kCouldNotStartRecording);
        break;
    case RecordingEngine::Begin::OutOfMemory:
        showMessage(kOutOfMemory);
        break;
    }
}

void TForm7::Button2Click() {
    if (m_engine.isRecording()) {
        m_engine.finishRecording();
        if (m_engine.applyEffects(currentEffects())) {
            showRecording();
        } else {
            m_waveform->clear();
            showMessage(kOutOfMemory);
        }
    }
    m_engine.stopPlayback();
    setButtons(true, false, true, true);
    // Timer2 goes on: its next tick finds no stream and stops itself.
}

void TForm7::Button3Click() {
    if (!m_engine.hasRecording() || m_engine.isRecording()) return;
    const RecordingEngine::Playback playback = m_engine.playRecording(ComboBox5->currentIndex());
    fillDevices(ComboBox5, playback.output.list);
    if (playback.started) {
        m_position = 0;
        Timer2->start();
    }
    Button2->setEnabled(true);
    if (!playback.output.ok)
        showError(qs(errorBoxText(kCannotInitialiseDevice, playback.output.errorCode)));
}

void TForm7::Button4Click() {
    if (!m_engine.hasRecording() || m_engine.isRecording()) return;
    if (!SaveDialog1) {
        SaveDialog1 = new QFileDialog(this);
        SaveDialog1->setObjectName("SaveDialog1");
        SaveDialog1->setAcceptMode(QFileDialog::AcceptSave);
        SaveDialog1->setFileMode(QFileDialog::AnyFile);
        SaveDialog1->setNameFilters({"Ogg-файлы (*.ogg)", "Все файлы (*.*)"});
        // ".ogg" may still be added to the name, so the dialog's own question about an
        // existing file would be about the wrong one.
        SaveDialog1->setOption(QFileDialog::DontConfirmOverwrite);
    }
    if (SaveDialog1->exec() != QDialog::Accepted || SaveDialog1->selectedFiles().isEmpty()) return;
    saveRecording(SaveDialog1->selectedFiles().first());
}

QString TForm7::encoderProgram() const {
    const QFileInfo beside(QDir(qs(m_exeDir)).filePath("oggenc"));
    if (beside.isFile() && beside.isExecutable()) return beside.filePath();
    const QString onPath = QStandardPaths::findExecutable("oggenc");
    return onPath.isEmpty() ? QString("oggenc") : onPath;
}

QString TForm7::workFilePath() const {
    const QFileInfo folder(qs(m_exeDir));
    const QString dir =
        folder.isDir() && folder.isWritable() ? folder.filePath() : QDir::tempPath();
    return QDir(dir).filePath("temp.wav");
}

int TForm7::runningEncoders() const {
    int running = 0;
    for (const QProcess* encoder : findChildren<QProcess*>())
        if (encoder->state() != QProcess::NotRunning) ++running;
    return running;
}

void TForm7::saveRecording(const QString& chosenName) {
    if (!m_engine.hasRecording()) return;
    QString name = chosenName;
    if (name.right(4).toUpper() != ".OGG") name += ".ogg";

    const QString wav = workFilePath();
    QSaveFile file(wav);
    const bool written =
        file.open(QIODevice::WriteOnly) &&
        m_engine.buffer().read([&file](std::span<const std::byte> image) {
            const auto size = qint64(image.size());
            return file.write(reinterpret_cast<const char*>(image.data()), size) == size;
        }) &&
        file.commit();
    if (!written) {
        showMessage(kFileWriteError);
        return;
    }

    // Every path is one argument, blanks and all.
    auto* encoder = new QProcess(this);
    encoder->setObjectName("Encoder");
    encoder->setProgram(encoderProgram());
    encoder->setArguments({"-q", QString::number(ComboBox3->currentIndex() + 2), "-o", name, wav});
    encoder->setWorkingDirectory(qs(m_exeDir));
    encoder->setStandardInputFile(QProcess::nullDevice());
    encoder->setStandardOutputFile(QProcess::nullDevice());
    encoder->setStandardErrorFile(QProcess::nullDevice());
    connect(encoder, &QProcess::finished, this, [this, encoder] { onEncoderFinished(encoder); });
    encoder->start();
    if (!encoder->waitForStarted()) {
        delete encoder;
        showMessage(kEncodingError);
    }
}

void TForm7::onEncoderFinished(QProcess* encoder) {
    const bool failed = encoder->exitStatus() != QProcess::NormalExit || encoder->exitCode() != 0;
    encoder->deleteLater();
    // The encoder is not waited for; its failure is told once it has ended, since the file
    // the user expects does not exist then.
    if (failed) showMessage(kEncodingError);
}

void TForm7::ComboBox1Change() {
    m_engine.setRecordChannels(ComboBox1->currentIndex() + 1);
}

void TForm7::ComboBox2Change() {
    m_engine.setRecordRate(ComboBox2->currentText().toInt());
}

void TForm7::ComboBox4Change() {
    const RecordingEngine::DeviceChoice choice =
        m_engine.selectInputDevice(ComboBox4->currentIndex());
    fillDevices(ComboBox4, choice.list);
    if (!choice.ok) showMessage(kCannotInitialiseDevice);
}

void TForm7::ComboBox5Change() {
    const RecordingEngine::DeviceChoice choice =
        m_engine.selectOutputDevice(ComboBox5->currentIndex());
    fillDevices(ComboBox5, choice.list);
    if (!choice.ok) showError(qs(errorBoxText(kCannotInitialiseDevice, choice.errorCode)));
}

void TForm7::Edit1Exit() {
    Edit1->setText(
        qs(limitedEffectText(Edit1->text().toStdString(), kMinAmplitude, kMaxAmplitude)));
}

void TForm7::Edit2Exit() {
    Edit2->setText(qs(limitedEffectText(Edit2->text().toStdString(), kMinTempo, kMaxTempo)));
}

void TForm7::onRecordingOutOfMemory() {
    if (m_engine.takeOutOfMemory()) showMessage(kOutOfMemory);
}

void TForm7::showRecording() {
    struct Shown {
        double duration = 0;
        std::vector<WavePoint> points;
    };
    const Shown shown = m_engine.buffer().read([](std::span<const std::byte> image) {
        return Shown{recordingDuration(image), waveformEnvelope(image)};
    });
    StatusBar1->setPanelText(0, qs(durationText(shown.duration)));
    QList<QPointF> points;
    points.reserve(qsizetype(shown.points.size()));
    for (const WavePoint& p : shown.points)
        points.append(QPointF(p.seconds, p.level));
    m_waveform->replace(points);
    updateAxis();
}

void TForm7::updateAxis() {
    // The horizontal axis follows the points: the waveform's end or the cursor, if later.
    double end = 0;
    for (const QLineSeries* series : {m_waveform, m_cursor})
        for (const QPointF& p : series->points())
            end = std::max(end, p.x());
    m_axisX->setRange(0, end > 0 ? end : 1);
}

void TForm7::Timer1Timer() {
    if (!m_engine.isRecording() || m_engine.buffer().length() == 0) return;
    showRecording();
}

void TForm7::Timer2Timer() {
    const double duration = m_engine.buffer().read(
        [](std::span<const std::byte> image) { return recordingDuration(image); });
    const common::AudioStreamHandle stream = m_engine.playStream();
    std::optional<std::uint64_t> played;
    std::optional<std::uint64_t> length;
    if (stream != 0) {
        played = common::streamPosition(stream);
        length = common::streamLength(stream);
    }
    m_position = recorder::playbackPosition(duration, played, length);
    StatusBar1->setPanelText(1, qs(positionText(m_position)));
    if (m_position >= duration || stream == 0) {
        Timer2->stop();
        Button2->setEnabled(false);
    }
    m_cursor->replace(QList<QPointF>{{m_position, -1}, {m_position + 0.001, 1}});
    updateAxis();
    Chart1->update();
}

} // namespace recorder
