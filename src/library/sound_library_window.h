#pragma once

#include "common/audio_stream.h"

#include <QDialog>

#include <string>
#include <vector>

class QCheckBox;
class QGroupBox;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QSlider;
class QStatusBar;

namespace library {

class FolderTree;

// Sound library
// Lists the sound files of a folder, plays the selected one as a preview and hands the chosen
// one, with the slider's volume and the loop flag, to the attribute window (through the window
// registry). Shown modally; closing it in any way stops the preview and only hides it.
class TForm6 : public QDialog {
    Q_OBJECT
  public:
    // `libraryFolder`: the folder shown first ("sounds" beside the executable).
    explicit TForm6(const std::string& libraryFolder, QWidget* parent = nullptr);
    ~TForm6() override;

    // The current folder and the full paths of its entries, in the list's order.
    std::string folder() const;
    const std::vector<std::string>& entries() const { return m_paths; }
    // The preview's stream; 0 when none plays.
    common::AudioStreamHandle libraryStream() const { return m_libraryStream; }
    FolderTree* folderTree() const { return m_folders; }

    // Handlers.
    void DirectoryOutline1Change();
    void ListBox1Click();
    void ListBox1DblClick();
    void TrackBar1Change();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void FormClose();

    // Every way of closing (a choice, the frame's close button, Escape) ends here.
    void done(int result) override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void createControls();
    void stopPreview();
    std::string selectedPath() const;

    std::vector<std::string> m_paths;
    common::AudioStreamHandle m_libraryStream = 0;
    int m_rowAtPress = -1;
    bool m_refreshing = false;

    FolderTree* m_folders = nullptr;
    QListWidget* ListBox1 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QSlider* TrackBar1 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
};

} // namespace library
