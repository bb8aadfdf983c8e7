#pragma once

#include "common/audio_stream.h"

#include <QDialog>

class QCheckBox;
class QFileDialog;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

namespace project {
class RegionAttributes;
struct ProjectState;
} // namespace project

namespace editors {

// Background music window
// Its three controls are the working copy of the page's background music: the file, the volume
// (box and slider of hundredths mirror each other) and the loop flag. It never writes the
// attribute table itself; the main window copies the values in when a picture is opened and out
// when the project is saved. Shown modally; closing it stops the music.
class TForm9 : public QDialog {
    Q_OBJECT
  public:
    // `project` belongs to the main window and outlives this window.
    TForm9(project::ProjectState& project, QWidget* parent = nullptr);
    ~TForm9() override;

    // Opening a picture: the controls from the table's three background values, then the volume
    // box's exit step.
    void loadBackgroundMusic(const project::RegionAttributes& attrs);
    // Saving: the controls into the table's background values, the loop as "1" or "0".
    void storeBackgroundMusic(project::RegionAttributes& attrs) const;

    // The stream "Проиграть" played last; 0 before the first play. Kept after a stop.
    common::AudioStreamHandle musicStream() const { return m_musicStream; }

    // Handlers.
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void TrackBar1Change();
    void Edit2Exit();
    void FormClose();

    // Every way of closing ("OK", the frame's close button, Escape) ends here.
    void done(int result) override;

  protected:
    // Runs the volume box's exit step when the focus leaves it for another control.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void createControls();
    std::string soundsFolder() const;

    project::ProjectState& m_project;
    common::AudioStreamHandle m_musicStream = 0;

    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLabel* Label2 = nullptr;
    QSlider* TrackBar1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button4 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button5 = nullptr;
    QFileDialog* OpenDialog1 = nullptr; // made on first use
};

} // namespace editors
