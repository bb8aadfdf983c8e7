#pragma once

#include "common/audio_stream.h"
#include "project/region_attributes.h"

#include <QDialog>

#include <string>
#include <utility>
#include <vector>

class QCheckBox;
class QComboBox;
class QFileDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTabBar;

namespace project {
struct ProjectState;
}

namespace editors {

class PanelStatusBar;
class VideoPlayerWindow;

// Attribute window
// Edits one cell of the attribute table: the one of `currentColor` and the selected event tab,
// both read at the moment of each read or write. Text boxes are stored when they are left (or
// by N2Click), check boxes and lists when they change.
class TForm8 : public QDialog {
    Q_OBJECT
  public:
    // `project` belongs to the main window and outlives this window.
    explicit TForm8(project::ProjectState& project, QWidget* parent = nullptr);
    ~TForm8() override;

    // "Обновить": every control from the cell, giving it its style defaults first.
    void N1Click();
    // "Сохранить данные в памяти": the exit step of every text box, in a fixed order.
    void N2Click();

    // The libraries' way in: they write the sound or picture boxes as a user would type them,
    // then run N2Click, which validates and stores them. The loop box stores itself at once.
    void setSoundBoxes(const std::string& file, const std::string& volume, bool loop);
    void setPictureBoxes(const std::string& file, const std::string& width,
                         const std::string& height);

    // The selected tab, which is the event (project::EventKind) of the edited cell.
    int selectedEvent() const { return m_selectedTab; }
    // The stream the sound preview played last; 0 before the first play. Never released by
    // hiding the window: the next preview replaces it.
    common::AudioStreamHandle previewStream() const { return m_previewStream; }

    // Handlers.
    void TabControl1Changing();
    void TabControl1Change();
    void Edit1Exit();
    void Edit2Exit();
    void Edit3Exit();
    void Edit4Exit();
    void Edit5Exit();
    void Edit6Exit();
    void Edit7Exit();
    void Edit8Exit();
    void Edit9Exit();
    void Edit10Exit();
    void Memo1Exit();
    void CheckBox1Click();
    void CheckBox2Click();
    void CheckBox3Click();
    void ComboBox1Change();
    void ComboBox2Change();
    void ComboBox3Change();
    void Button1Click();
    void Button12Click();
    void Button3Click();
    void Button2Click();
    void Button4Click();
    void Button8Click();
    // "Выбрать" of the sound and picture groups: the sound and picture libraries.
    void Button5Click();
    void Button6Click();
    // Previews, link and clipboard.
    void Button7Click();
    void Button9Click();
    void Button10Click();
    void Button11Click();
    void N3Click();
    void N4Click();
    void N6Click();
    void N8Click();

  protected:
    // Runs a text box's exit step when the focus leaves it for another control.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void createControls();
    void onTabChanged(int index);

    int color() const;
    std::string field(project::Field f) const;
    void setField(project::Field f, std::string value);
    void storeText(QLineEdit* edit, project::Field f);
    void storeSize(QLineEdit* edit, project::Field f, int defaultSize);
    void storeVolume(QLineEdit* edit, project::Field f);
    void storeCheck(QCheckBox* box, project::Field f);
    // Selects the list item numbered by `f` (read as atoi does); a number outside the list
    // selects `fallback`.
    void selectStyle(QComboBox* box, project::Field f, int fallback);
    // "Предыдущий цвет" / "Следующий цвет".
    void stepColor(int delta);
    // Yes/No question under the caption "Вы уверены?"; true for Yes.
    bool confirm(const QString& question);
    void showEventWords();
    // The picture preview of Image1 from the file at `path`.
    void showPicturePreview(const std::string& path);
    // The video player failed after it had started, or was closed by its frame.
    void onVideoFailed(const QString& message);
    void onVideoClosed();
    QMenu* makeCopyPasteMenu(const char* name, const char* copyName, const char* pasteName,
                             void (TForm8::*copy)(), void (TForm8::*paste)());

    project::ProjectState& m_project;
    int m_selectedTab = 0;
    // Text boxes and their exit steps.
    std::vector<std::pair<QWidget*, void (TForm8::*)()>> m_exitSteps;

    QTabBar* TabControl1 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    QGroupBox* GroupBox4 = nullptr;
    QGroupBox* GroupBox5 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QLineEdit* Edit4 = nullptr;
    QLineEdit* Edit5 = nullptr;
    QLineEdit* Edit6 = nullptr;
    QLineEdit* Edit7 = nullptr;
    QLineEdit* Edit8 = nullptr;
    QLineEdit* Edit9 = nullptr;
    QLineEdit* Edit10 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QCheckBox* CheckBox3 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QComboBox* ComboBox2 = nullptr;
    QComboBox* ComboBox3 = nullptr;
    QLabel* Image1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button4 = nullptr;
    QPushButton* Button5 = nullptr;
    QPushButton* Button6 = nullptr;
    QPushButton* Button7 = nullptr;
    QPushButton* Button8 = nullptr;
    QPushButton* Button9 = nullptr;
    QPushButton* Button10 = nullptr;
    QPushButton* Button11 = nullptr;
    QPushButton* Button12 = nullptr;
    PanelStatusBar* StatusBar1 = nullptr;
    QFileDialog* OpenDialog1 = nullptr; // made on first use
    QMenu* PopupMenu2 = nullptr;        // of Edit1
    QMenu* PopupMenu3 = nullptr;        // of Memo1
    VideoPlayerWindow* MediaPlayer1 = nullptr;
    common::AudioStreamHandle m_previewStream = 0;
};

} // namespace editors
