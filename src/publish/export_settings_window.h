#pragma once

#include <QDialog>

#include <string>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace publish {

struct ExportSettings;

// Media export settings window
// Shows the six export settings and writes every change into them at once. Made once at
// start-up, after the settings have been read; an unknown bitrate is then corrected.
class TForm10 : public QDialog {
    Q_OBJECT
  public:
    // `settings` must outlive the window (the main window's settings).
    explicit TForm10(ExportSettings& settings, QWidget* parent = nullptr);

    // Handlers.
    void Button1Click(); // "Путь к FFMPEG": file dialog, then setFfmpegPath
    void CheckBox1Click();
    void CheckBox2Click();
    void ComboBox1Change();
    void ComboBox2Change();
    void ComboBox3Change();
    void Button6Click(); // ffmpeg download page in the browser
    void Button2Click(); // HTML5 audio formats page in the browser
    void Button5Click(); // "OK"

    // What Button1Click does with a chosen file: shows it and makes it the converter path.
    void setFfmpegPath(const std::string& path);

    static const char* const kDownloadPage;
    static const char* const kFormatsPage;

  private:
    ExportSettings& m_settings;

    QGroupBox* GroupBox1 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* Button1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QComboBox* ComboBox2 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QComboBox* ComboBox3 = nullptr;
    QPushButton* Button6 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button5 = nullptr;
};

} // namespace publish
