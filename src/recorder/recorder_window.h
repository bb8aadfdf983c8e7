#pragma once

#include "recorder/audio_recording_engine.h"

#include <QDialog>

#include <string>

class QChart;
class QChartView;
class QComboBox;
class QFileDialog;
class QGroupBox;
class QLineEdit;
class QLineSeries;
class QProcess;
class QPushButton;
class QTimer;
class QValueAxis;

namespace editors {
class PanelStatusBar;
}

namespace recorder {

// Sound recorder
// Records from an input device with the engine, shows the duration and waveform every second
// and the playback position every 100 ms, shapes a recording with the effects when it is
// stopped, plays it, and saves it as Ogg Vorbis through oggenc, which it does not wait for.
// Shown modally from the sound library; closing only hides it and leaves a recording or a
// playback running.
class TForm7 : public QDialog {
    Q_OBJECT
  public:
    // `exeDir`: the folder of the executable (oggenc and the work file "temp.wav").
    // `bufferLimit`: see RecordBuffer.
    explicit TForm7(const std::string& exeDir, QWidget* parent = nullptr,
                    std::size_t bufferLimit = RecordBuffer::kNoLimit);
    // Waits for encoders still running, so that their files are complete.
    ~TForm7() override;

    RecordingEngine& engine() { return m_engine; }
    QLineSeries* waveformSeries() const { return m_waveform; }
    QLineSeries* cursorSeries() const { return m_cursor; }
    double playbackPosition() const { return m_position; }

    // Handlers.
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void ComboBox1Change();
    void ComboBox2Change();
    void ComboBox4Change();
    void ComboBox5Change();
    void Edit1Exit();
    void Edit2Exit();
    void Timer1Timer();
    void Timer2Timer();

    // What "Сохранить" does once its dialog has given `chosenName`: ".ogg" added unless the
    // name ends in it (any case), the image written to the work file, the encoder started.
    void saveRecording(const QString& chosenName);
    // The encoder: "oggenc" beside the executable, else the one on the search path.
    QString encoderProgram() const;
    // "temp.wav" beside the executable when that folder is writable, else in the temporary
    // folder.
    QString workFilePath() const;
    int runningEncoders() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void createControls();
    void showRecording();
    void updateAxis();
    void onRecordingOutOfMemory();
    void onEncoderFinished(QProcess* encoder);
    void setButtons(bool record, bool stop, bool play, bool save);
    EffectSettings currentEffects() const;
    void showMessage(const QString& text);
    void showError(const QString& text);

    const std::string m_exeDir;
    RecordingEngine m_engine;
    double m_position = 0; // seconds

    QChartView* Chart1 = nullptr;
    QChart* m_chart = nullptr;
    QLineSeries* m_waveform = nullptr;
    QLineSeries* m_cursor = nullptr;
    QValueAxis* m_axisX = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QComboBox* ComboBox2 = nullptr;
    QComboBox* ComboBox3 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QComboBox* ComboBox6 = nullptr;
    QComboBox* ComboBox4 = nullptr;
    QComboBox* ComboBox5 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button4 = nullptr;
    editors::PanelStatusBar* StatusBar1 = nullptr;
    QFileDialog* SaveDialog1 = nullptr; // made on first use
    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;
};

} // namespace recorder
