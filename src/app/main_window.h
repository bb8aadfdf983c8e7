#pragma once

#include "project/map_editor.h"
#include "project/project_state.h"
#include "publish/export_settings.h"

#include <QMainWindow>

#include <string>

class QAction;
class QActionGroup;
class QLabel;
class QScrollArea;

namespace project {
class ImageArea;
}

namespace app {

// Main window: the map editor with its menus and status bar; owns the project for the run.
class TForm1 : public QMainWindow {
    Q_OBJECT
  public:
    // `exeDir`: folder of the executable without a trailing "/", base of the settings file,
    // the templates and the libraries.
    explicit TForm1(const std::string& exeDir, QWidget* parent = nullptr);
    ~TForm1() override;

    project::ProjectState& project() { return m_project; }
    publish::ExportSettings& settings() { return m_settings; }
    const std::string& exeDir() const { return m_exeDir; }
    std::string settingsPath() const { return m_exeDir + "/Qiv_Zarim_Editor.ini"; }
    const project::MapEditor& mapEditor() const { return m_editor; }
    project::ImageArea* imageArea() const { return Image1; }
    QLabel* statusPanel(int i) const { return m_panels[i]; }

    // Opens the picture at `path` with its project (everything after the file dialog).
    // False when the picture could not be decoded; the previous project then stays.
    bool openImage(const std::string& path);
    // Recomposes the whole picture for the selected view and repaints it.
    void composeView();
    // Recomposes the third view when the current colour is not the one it shows; nothing in
    // the other views or when the colour is unchanged.
    void followCurrentColor();
    // "Сохранить как" after its file dialog: `chosenName` gets ".jpg" unless it ends in
    // ".jpg"/".jpeg" (any case), the picture file is copied there byte for byte and becomes
    // the project's picture, and the project is published under the new name. False when
    // nothing is open, the copy failed (reported) or publishing did not run to its end.
    bool saveAs(const std::string& chosenName);

    // Handlers.
    void Open1Click();
    void Save1Click();
    void Saveas1Click();
    void N13Click();
    void Undo1Click();
    void Clearmap1Click();
    void Updateview1Click(QAction* view);
    void Readini1Click();
    void Writeini1Click();
    void N12Click();
    void Zoomin1Click();
    void Zoomout1Click();
    void Fitwindow1Click();
    void Actualsize1Click();

    // Shows the picture at `zoom` (clamped to 1/16..16), keeping the picture point under
    // `anchor` (a point of the scroll area's viewport) where it is.
    void zoomAbout(double zoom, QPoint anchor);

    void Image1MouseDown(int x, int y, Qt::MouseButton button);
    void Image1MouseMove(int x, int y, Qt::MouseButtons buttons);
    void Image1MouseUp(int x, int y, Qt::MouseButton button);
    void Image1MouseLeave();

    // Shows the palette window beside this one (one second after start).
    void showPaletteBeside();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void createMenus();
    void createStatusBar();
    // Grows the window towards the picture's size within the screen's available area, and
    // shows the picture whole when it is still larger than the view.
    void fitWindowToPicture();
    QPoint viewportCentre() const;
    void composeRect(const common::PixelRect& rect);
    // Selects palette index n through the palette window when there is one.
    void pickColor(int n);
    void showError(const std::string& message);
    void showInfo(const std::string& message);
    // The publishing sequence; true when it ran to its end.
    bool publish();

    std::string m_exeDir;
    publish::ExportSettings m_settings;
    project::ProjectState m_project;
    project::MapEditor m_editor;
    bool m_drawing = false;
    int m_composedColor = -1; // the current colour of the last whole composition

    QScrollArea* ScrollBox1 = nullptr;
    project::ImageArea* Image1 = nullptr;
    QLabel* m_panels[4] = {};
    QActionGroup* m_views = nullptr;

  public:
    QAction* Open1 = nullptr;
    QAction* Save1 = nullptr;
    QAction* Saveas1 = nullptr;
    QAction* N13 = nullptr;
    QAction* Exit1 = nullptr;
    QAction* Undo1 = nullptr;
    QAction* Clearmap1 = nullptr;
    QAction* Source1 = nullptr;
    QAction* Sourceandmask1 = nullptr;
    QAction* Sourceandcurrentcolor1 = nullptr;
    QAction* Zoomin1 = nullptr;
    QAction* Zoomout1 = nullptr;
    QAction* Fitwindow1 = nullptr;
    QAction* Actualsize1 = nullptr;
    QAction* N11 = nullptr; // media export settings
    QAction* N12 = nullptr; // dynamic brightness
    QAction* Palette1 = nullptr;
    QAction* Music1 = nullptr;
    QAction* Help1 = nullptr;
    QAction* About1 = nullptr;
};

} // namespace app
