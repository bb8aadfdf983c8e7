#pragma once

#include "common/raster.h"

#include <QDialog>
#include <QSize>

#include <string>
#include <vector>

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPainter;
class QPushButton;
class QSplitter;

namespace editors {
class PanelStatusBar;
}

namespace library {

class DrawGrid;
class FolderTree;
class ThumbnailLoader;

// Picture library
// Shows the pictures of a folder as a grid of thumbnails, previews the clicked one with its
// size, renames and deletes picture files, and hands the chosen picture, with its fitted size
// when asked, to the attribute window (through the window registry). Shown modally; closing
// it only hides it, so folder, grid, preview and size boxes stay for the next opening.
class TForm5 : public QDialog {
    Q_OBJECT
  public:
    // `libraryFolder`: the folder shown first ("pictures" beside the executable).
    // `thumbnailCacheFolder`: the shared thumbnail cache's folder; empty for the default one.
    explicit TForm5(const std::string& libraryFolder, QWidget* parent = nullptr,
                    const QString& thumbnailCacheFolder = {});
    ~TForm5() override;

    // The current folder and the full paths of its entries, in the grid's order.
    std::string folder() const;
    const std::vector<std::string>& entries() const { return m_paths; }
    int lastClickedCell() const { return m_lastClickedCell; }
    // The size of the picture the preview shows; (0, 0) when it shows none.
    QSize shownPictureSize() const { return m_shownSize; }
    FolderTree* folderTree() const { return m_folders; }
    DrawGrid* grid() const { return DrawGrid1; }
    ThumbnailLoader& thumbnails() const { return *m_thumbnails; }

    // Handlers.
    void DirectoryOutline1Change();
    void FormResize();
    void DrawGrid1DrawCell(QPainter& painter, int column, int row, const QRect& rect,
                           bool selected);
    void DrawGrid1Click();
    void DrawGrid1DblClick();
    void Button1Click();
    void N1Click(); // "Выбрать"
    void N2Click(); // "Удалить"
    void N3Click(); // "Обновить"
    void Edit1Exit();
    void Edit2Exit();
    void Edit3Enter();

  signals:
    // The information beep sounded: a choice with no entry in the current cell.
    void beeped();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void createControls();
    void choose();
    void layoutPreview();
    void showPreview(const common::Raster& picture);
    void clearStatus();
    int currentIndex() const;
    std::string entryAt(int index) const;
    void thumbnailReady(const QString& path);

    std::vector<std::string> m_paths;
    int m_lastClickedCell = -1;
    int m_columns = 1;
    bool m_afterDoubleClick = false;
    // What the preview shows, and the picture decoded for it.
    common::Raster decodedPicture;
    common::Raster scaledPicture;
    QSize m_shownSize;
    bool m_showsPicture = false;

    ThumbnailLoader* m_thumbnails = nullptr;
    FolderTree* m_folders = nullptr;
    QSplitter* m_columnsSplitter = nullptr;
    QSplitter* m_rightSplitter = nullptr;
    QWidget* m_upper = nullptr;
    QWidget* m_lower = nullptr;
    DrawGrid* DrawGrid1 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QPushButton* Button1 = nullptr;
    QFrame* ScrollBox1 = nullptr;
    QLabel* Image1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    editors::PanelStatusBar* StatusBar1 = nullptr;
};

} // namespace library
