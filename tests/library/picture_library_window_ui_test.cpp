// The picture library: listing a folder, the thumbnail grid and its cache, the preview with its
// status texts, renaming, deleting into the trash and the choice handed to the attribute window.
#include "library/picture_library_window.h"

#include "app/window_registry.h"
#include "common/helpers.h"
#include "common/raster.h"
#include "editors/attribute_window.h"
#include "editors/panel_status_bar_widget.h"
#include "library/draw_grid_widget.h"
#include "library/folder_tree_widget.h"
#include "library/library_geometry.h"
#include "library/thumbnail_loader_qt.h"
#include "library/thumbnail_uri.h"
#include "project/map_file.h"
#include "project/project_state.h"
#include "support/test_files.h"
#include "support/wait_for.h"
#include "support/widget_events.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>

using library::TForm5;
using testing_support::TempDir;
using testing_support::writeFile;
using testing_support::writeFilledPicture;
using testing_support::waitFor;

namespace {

namespace fs = std::filesystem;

// Sets an environment variable for the life of the object.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const std::string& value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name)) {
        qputenv(name, QByteArray::fromStdString(value));
    }
    ~ScopedEnv() {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

const QColor kRed(255, 0, 0);

class PictureLibrary : public ::testing::Test {
  protected:
    void SetUp() override {
        pictures = dir.path() / "pictures";
        fs::create_directory(pictures);
        attributes = std::make_unique<editors::TForm8>(project);
        app::windows().Form8 = attributes.get();
    }
    void TearDown() override {
        if (form) form->done(0);
        form.reset();
        app::windows() = app::Windows{};
    }
    std::string file(const std::string& name) const { return (pictures / name).string(); }
    // A picture of one colour; Qt writes no GIF, the map file writer does.
    void picture(const std::string& name, int w, int h, QColor color = kRed) {
        if (name.ends_with(".gif")) {
            common::Raster raster(w, h);
            raster.fill(color.rgb() & 0xFFFFFF);
            ASSERT_TRUE(project::writeMapFile(file(name), raster)) << name;
            return;
        }
        ASSERT_TRUE(writeFilledPicture(file(name), w, h, color)) << name;
    }
    void open(const fs::path& folder) {
        form = std::make_unique<TForm5>(folder.string());
        form->show();
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        settle();
    }
    // Paints the grid and waits until every thumbnail it asked for is made and painted.
    void settle() {
        library::DrawGrid* g = grid();
        g->viewport()->repaint();
        ASSERT_TRUE(waitFor([&] { return form->thumbnails().isIdle(); }));
        QApplication::processEvents();
        g->viewport()->repaint();
    }
    library::DrawGrid* grid() { return form->grid(); }
    editors::PanelStatusBar* status() {
        return form->findChild<editors::PanelStatusBar*>("StatusBar1");
    }
    QLineEdit* edit(const char* name) { return form->findChild<QLineEdit*>(name); }
    QCheckBox* fit() { return form->findChild<QCheckBox*>("CheckBox1"); }
    QAction* menu(const char* name) { return form->findChild<QAction*>(name); }
    int indexOf(const std::string& name) {
        const auto& e = form->entries();
        for (std::size_t i = 0; i < e.size(); ++i)
            if (fs::path(e[i]).filename() == name) return int(i);
        return -1;
    }
    QRect cellOf(int index) {
        const int columns = grid()->columnCount();
        return grid()->cellRect(index % columns, index / columns);
    }
    // A real click of the left button on the entry's cell.
    void clickCell(int index) {
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, cellOf(index).center());
    }
    const std::string& cell(project::Field f) {
        return project.myAttrs.get(f, project.currentColor, attributes->selectedEvent());
    }
    QStringList panels() {
        QStringList texts;
        for (int i = 0; i < status()->panelCount(); ++i)
            texts << status()->panelText(i);
        return texts;
    }

    TempDir dir;
    // Every window of these tests reads and writes the shared thumbnail cache here.
    ScopedEnv cacheHome{"XDG_CACHE_HOME", dir.file("cache")};
    fs::path pictures;
    project::ProjectState project;
    std::unique_ptr<editors::TForm8> attributes;
    std::unique_ptr<TForm5> form;
};

// The smallest rectangle of pixels of `color` inside `area` of `shot`, relative to `area`.
std::optional<QRect> boundsOf(const QImage& shot, const QRect& area, QColor color) {
    QRect found;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (shot.pixelColor(x, y) == color)
                found |= QRect(x - area.left(), y - area.top(), 1, 1);
    if (found.isEmpty()) return std::nullopt;
    return found;
}

TEST_F(PictureLibrary, ListsOnlyPictureFilesOfTheFolderWithTheirCountInTheCaption) {
    struct Case {
        std::vector<std::string> files;
        QStringList listed;
    };
    const Case cases[] = {
        {{"a.JPG", "b.jpeg", "c.Png", "d.gif", "e.bmp", "f.txt", "gjpg", "sub.png/"},
         {"a.JPG", "b.jpeg", "c.Png", "d.gif"}},
        {{}, {}},
    };
    for (const Case& c : cases) {
        TempDir folder;
        for (const std::string& name : c.files) {
            if (name.back() == '/')
                fs::create_directory(folder.path() / name.substr(0, name.size() - 1));
            else
                writeFile(folder.file(name), "x");
        }
        open(folder.path());
        QStringList names;
        for (const std::string& path : form->entries()) {
            EXPECT_EQ(fs::path(path).parent_path(), folder.path());
            names << QString::fromStdString(fs::path(path).filename().string());
        }
        names.sort();
        EXPECT_EQ(names, c.listed);
        EXPECT_EQ(form->windowTitle(), QString::fromStdString(folder.path().filename().string()) +
                                           QString(" (%1)").arg(c.listed.size()));
        EXPECT_GE(grid()->rowCount(), 1);
        form->done(0);
        form.reset();
    }
}

TEST_F(PictureLibrary, ColumnsFollowTheGridsWidthAndRowsTheEntries) {
    for (int i = 0; i < 7; ++i)
        picture("p" + std::to_string(i) + ".png", 20, 20);
    open(pictures);
    // 952 - 185 pixels of grid, less the scroll bar: six cells of 120.
    EXPECT_EQ(grid()->columnCount(), 6);
    EXPECT_EQ(grid()->rowCount(), 2);
    // Narrower than one cell: still one column.
    form->resize(300, 622);
    QApplication::processEvents();
    EXPECT_LT(grid()->viewport()->width(), 120);
    EXPECT_EQ(grid()->columnCount(), 1);
    EXPECT_EQ(grid()->rowCount(), 7);
    form->resize(1300, 622);
    QApplication::processEvents();
    EXPECT_EQ(grid()->columnCount(), library::gridColumns(grid()->viewport()->width()));
    EXPECT_GT(grid()->columnCount(), 6);
    EXPECT_EQ(grid()->rowCount(), 1);
}

TEST_F(PictureLibrary, ChangingTheFolderRefreshesAndAMissingFolderChangesNothing) {
    picture("a.png", 10, 10);
    open(pictures);
    EXPECT_EQ(form->entries().size(), 1u);
    TempDir other;
    writeFilledPicture(other.file("b.png"), 10, 10, kRed);
    writeFilledPicture(other.file("c.jpg"), 10, 10, kRed);
    ASSERT_TRUE(form->folderTree()->setFolder(QString::fromStdString(other.path().string())));
    EXPECT_EQ(form->entries().size(), 2u);
    EXPECT_FALSE(form->folderTree()->setFolder(QString::fromStdString(file("none"))));
    EXPECT_EQ(form->entries().size(), 2u);
    EXPECT_EQ(form->folder(), other.path().string());
}

TEST_F(PictureLibrary, AMissingLibraryFolderShowsTheHomeFolderAndAnEmptyGrid) {
    open(pictures / "missing");
    EXPECT_TRUE(form->entries().empty());
    EXPECT_EQ(form->windowTitle(), "Картинки");
    EXPECT_EQ(QDir(QString::fromStdString(form->folder())), QDir::home());
    EXPECT_EQ(grid()->rowCount(), 1);
}

TEST_F(PictureLibrary, ThumbnailsStandInTheirCellsAsTheirProportionsPlaceThem) {
    struct Case {
        const char* name;
        int w, h;
        QRect place; // within the cell
    };
    const Case cases[] = {
        {"landscape.png", 1600, 1200, QRect(0, 15, 120, 90)},
        {"portrait.png", 600, 800, QRect(15, 0, 90, 120)},
        {"square.jpg", 300, 300, QRect(0, 0, 120, 120)},
        {"small.gif", 7, 3, QRect(0, 34, 120, 51)},
        {"thin.png", 240, 2, QRect(0, 59, 120, 1)}, // a side of one pixel stays one pixel
    };
    for (const Case& c : cases)
        picture(c.name, c.w, c.h);
    open(pictures);
    const QImage shot = grid()->viewport()->grab().toImage();
    for (const Case& c : cases) {
        const int index = indexOf(c.name);
        ASSERT_GE(index, 0) << c.name;
        const QRect square(cellOf(index).topLeft(), QSize(120, 120));
        // JPEG's colours are near, not exact: compare with what the decoder gives back.
        const QColor color = QImage(QString::fromStdString(file(c.name))).pixelColor(0, 0);
        const auto bounds = boundsOf(shot, square, color);
        ASSERT_TRUE(bounds) << c.name;
        EXPECT_EQ(*bounds, c.place) << c.name;
    }
}

TEST_F(PictureLibrary, AnUndecodableFileShowsAPlaceholderAndAMissingOneNothing) {
    picture("good.png", 400, 300);
    writeFile(file("broken.jpg"), "not a picture at all");
    picture("gone.png", 400, 300);
    open(pictures);
    fs::remove(file("gone.png"));
    // The current cell, with its highlight and focus frame, stands elsewhere.
    const int good = indexOf("good.png");
    grid()->setCurrentCell(good % grid()->columnCount(), good / grid()->columnCount());
    settle();
    const QImage shot = grid()->viewport()->grab().toImage();

    EXPECT_TRUE(boundsOf(shot, cellOf(indexOf("good.png")), kRed));
    const QRect broken = cellOf(indexOf("broken.jpg"));
    EXPECT_TRUE(boundsOf(shot, QRect(broken.topLeft(), QSize(120, 120)), QColor(0xE8, 0xE8, 0xE8)))
        << "placeholder";
    // No thumbnail and no caption: the cell is its background alone.
    const QRect gone = cellOf(indexOf("gone.png"));
    const QColor background = shot.pixelColor(gone.topLeft() + QPoint(3, 3));
    int others = 0;
    for (int y = gone.top(); y <= gone.bottom(); ++y)
        for (int x = gone.left(); x <= gone.right(); ++x)
            others += shot.pixelColor(x, y) != background;
    EXPECT_EQ(others, 0);
}

TEST_F(PictureLibrary, AClickPreviewsThePictureWithItsStatusTexts) {
    struct Case {
        int w, h;
        bool fit;
        const char *boxW, *boxH;
        QSize shown;
        const char* ratio;
    };
    const Case cases[] = {
        {800, 600, false, "100", "100", {800, 600}, "Отношение:   1.3"},
        {800, 600, true, "200", "100", {133, 100}, "Отношение:   1.3"},
        {400, 100, true, "200", "100", {200, 50}, "Отношение:     4"},
        {500, 500, true, "10", "1000", {10, 10}, "Отношение:     1"},
    };
    for (const Case& c : cases) {
        TempDir folder;
        const std::string path = folder.file("pic.png");
        ASSERT_TRUE(writeFilledPicture(path, c.w, c.h, kRed));
        open(folder.path());
        fit()->setChecked(c.fit);
        edit("Edit1")->setText(c.boxW);
        edit("Edit2")->setText(c.boxH);
        clickCell(0);
        EXPECT_EQ(form->shownPictureSize(), c.shown) << c.w << "x" << c.h;
        const QPixmap shown = form->findChild<QLabel*>("Image1")->pixmap();
        EXPECT_EQ(shown.size(), c.shown);
        EXPECT_EQ(panels(), QStringList({QString("Разрешение: %1x%2").arg(c.w).arg(c.h), c.ratio,
                                         QString::fromStdString(common::formatByteSize(
                                             std::int64_t(fs::file_size(path)))),
                                         QString::fromStdString(path)}));
        EXPECT_EQ(form->lastClickedCell(), 0);
        form->done(0);
        form.reset();
    }
}

TEST_F(PictureLibrary, AClickOnAnEmptyCellOrAGoneFileEmptiesTheStatusAndKeepsThePreview) {
    picture("a.png", 40, 30);
    picture("b.png", 40, 30);
    open(pictures);
    clickCell(indexOf("a.png"));
    ASSERT_EQ(form->shownPictureSize(), QSize(40, 30));
    fs::remove(file("b.png"));
    clickCell(indexOf("b.png"));
    EXPECT_EQ(panels(), QStringList({"", "", "", ""}));
    EXPECT_EQ(form->shownPictureSize(), QSize(40, 30));
    clickCell(2);
    EXPECT_EQ(form->lastClickedCell(), 2);
    EXPECT_EQ(panels(), QStringList({"", "", "", ""}));
}

TEST_F(PictureLibrary, SizeBoxesBecomeWholeNumbersFrom10To1000WhenLeft) {
    struct Case {
        const char* typed;
        const char* kept;
    };
    picture("a.png", 10, 10);
    open(pictures);
    for (const Case& c : {Case{"5", "10"}, Case{"5000", "1000"}, Case{"abc", "100"},
                          Case{"250", "250"}, Case{"", "100"}}) {
        for (const char* name : {"Edit1", "Edit2"}) {
            QLineEdit* box = edit(name);
            QLineEdit* other = edit(std::string(name) == "Edit1" ? "Edit2" : "Edit1");
            box->setFocus();
            ASSERT_TRUE(waitFor([&] { return box->hasFocus(); }));
            box->selectAll();
            QTest::keyClicks(box, c.typed);
            if (std::string(c.typed).empty()) QTest::keyClick(box, Qt::Key_Backspace);
            other->setFocus();
            ASSERT_TRUE(waitFor([&] { return !box->hasFocus(); }));
            EXPECT_EQ(box->text(), c.kept) << name << " " << c.typed;
        }
    }
}

TEST_F(PictureLibrary, ChoosingWritesPathAndFittedSizeIntoTheAttributeCell) {
    struct Case {
        bool fit;
        const char* how; // "OK", "menu" or "double click"
        const char* width;
        const char* height;
    };
    picture("wide.png", 800, 600);
    const Case cases[] = {
        {true, "OK", "133", "100"},
        {false, "menu", "", ""},
        {true, "double click", "133", "100"},
    };
    for (const Case& c : cases) {
        project.myAttrs.clearAll();
        project.myAttrs.set(project::pictureWidth, 0, 0, "77");
        attributes->N1Click();
        open(pictures);
        fit()->setChecked(c.fit);
        edit("Edit1")->setText("200");
        edit("Edit2")->setText("100");
        const QPoint at = cellOf(0).center();
        if (std::string(c.how) == "double click") {
            QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, at);
        } else {
            clickCell(0);
            if (std::string(c.how) == "OK")
                QTest::mouseClick(form->findChild<QPushButton*>("Button1"), Qt::LeftButton);
            else
                menu("N1")->trigger();
        }
        EXPECT_FALSE(form->isVisible()) << c.how;
        EXPECT_EQ(cell(project::picture), file("wide.png")) << c.how;
        EXPECT_EQ(cell(project::pictureWidth), c.width) << c.how;
        EXPECT_EQ(cell(project::pictureHeight), c.height) << c.how;
        EXPECT_EQ(attributes->findChild<QLineEdit*>("Edit3")->text().toStdString(),
                  file("wide.png"));
        EXPECT_FALSE(edit("Edit3")->isVisible()) << "no rename editor after a double click";
        form.reset();
    }
}

TEST_F(PictureLibrary, ChoosingAnEmptyCellBeepsAndChangesNothing) {
    picture("a.png", 10, 10);
    for (const bool empty : {false, true}) {
        TempDir none;
        open(empty ? none.path() : pictures);
        project.myAttrs.set(project::picture, 0, 0, "kept.png");
        attributes->N1Click();
        QSignalSpy beeps(form.get(), &TForm5::beeped);
        if (!empty) grid()->setCurrentCell(1, 0); // past the one entry
        QTest::mouseClick(form->findChild<QPushButton*>("Button1"), Qt::LeftButton);
        EXPECT_EQ(beeps.count(), 1);
        EXPECT_TRUE(form->isVisible());
        EXPECT_EQ(cell(project::picture), "kept.png");
        EXPECT_EQ(attributes->findChild<QLineEdit*>("Edit3")->text(), "kept.png");
        form->done(0);
        form.reset();
    }
}

TEST_F(PictureLibrary, AChosenFileThatHasGoneLeavesTheWindowOpen) {
    picture("a.png", 10, 10);
    open(pictures);
    clickCell(0);
    fs::remove(file("a.png"));
    QSignalSpy beeps(form.get(), &TForm5::beeped);
    menu("N1")->trigger();
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(beeps.count(), 0);
    EXPECT_EQ(cell(project::picture), "");
}

TEST_F(PictureLibrary, ClickingTheSameCellAgainRenamesItsFileKeepingFolderAndExtension) {
    struct Case {
        const char* typed;
        const char* result; // the file name afterwards; nullptr when refused
    };
    const Case cases[] = {
        {"sunset", "sunset.JPG"},
        {"b", nullptr},   // a name that exists
        {"x/y", nullptr}, // a name that would leave the folder
        {"", nullptr},    // no name at all
        {"a", "a.JPG"},   // unchanged
    };
    for (const Case& c : cases) {
        TempDir folder;
        pictures = folder.path();
        picture("a.JPG", 30, 20);
        picture("b.JPG", 30, 20);
        fs::create_directory(folder.path() / "x");
        open(pictures);
        const int index = indexOf("a.JPG");
        clickCell(index);
        QLineEdit* editor = edit("Edit3");
        EXPECT_FALSE(editor->isVisible());
        clickCell(index);
        ASSERT_TRUE(editor->isVisible()) << c.typed;
        const QPoint at = grid()->mapTo(editor->parentWidget(),
                                        grid()->viewport()->mapTo(grid(), cellOf(index).topLeft()));
        EXPECT_EQ(editor->geometry().topLeft(), at + QPoint(2, 121));
        EXPECT_EQ(editor->width(), 120);
        EXPECT_EQ(editor->text(), "a");

        testing_support::MessageBoxCatcher boxes;
        editor->selectAll();
        QTest::keyClicks(editor, c.typed);
        if (std::string(c.typed).empty()) QTest::keyClick(editor, Qt::Key_Backspace);
        QTest::keyClick(editor, Qt::Key_Return);
        EXPECT_FALSE(editor->isVisible());
        EXPECT_TRUE(form->isVisible()) << "Enter chooses nothing";
        if (c.result) {
            EXPECT_TRUE(boxes.texts.isEmpty()) << c.typed;
            EXPECT_TRUE(fs::exists(pictures / c.result)) << c.typed;
            EXPECT_EQ(form->entries()[std::size_t(index)], (pictures / c.result).string());
        } else {
            EXPECT_EQ(boxes.texts, QStringList({"Ошибка переименования!"})) << c.typed;
            EXPECT_TRUE(fs::exists(pictures / "a.JPG")) << c.typed;
            EXPECT_TRUE(fs::exists(pictures / "b.JPG")) << c.typed;
            EXPECT_EQ(form->entries()[std::size_t(index)], (pictures / "a.JPG").string());
        }
        form->done(0);
        form.reset();
    }
}

TEST_F(PictureLibrary, TheLastClickedCellSurvivesARefresh) {
    picture("a.png", 10, 10);
    picture("b.png", 10, 10);
    open(pictures);
    clickCell(0);
    EXPECT_EQ(form->lastClickedCell(), 0);
    menu("N3")->trigger(); // "Обновить"
    EXPECT_EQ(form->lastClickedCell(), 0);

    // Another folder: the first click on that cell position renames whatever stands there now.
    TempDir other;
    writeFilledPicture(other.file("c.png"), 10, 10, kRed);
    ASSERT_TRUE(form->folderTree()->setFolder(QString::fromStdString(other.path().string())));
    EXPECT_EQ(form->lastClickedCell(), 0);
    clickCell(0);
    EXPECT_TRUE(edit("Edit3")->isVisible());
    EXPECT_EQ(edit("Edit3")->text(), "c");
    // Another cell closes the editor.
    clickCell(1);
    EXPECT_FALSE(edit("Edit3")->isVisible());
    EXPECT_EQ(form->lastClickedCell(), 1);
}

TEST_F(PictureLibrary, DeletingMovesTheSelectedRangeToTheTrashAndTheGridClosesUp) {
    // Qt's trash is the freedesktop one under XDG_DATA_HOME, on the home folder's volume.
    const ScopedEnv data("XDG_DATA_HOME", dir.file("data"));
    const ScopedEnv home("HOME", dir.file("home"));
    fs::create_directories(dir.path() / "home");
    fs::create_directories(dir.path() / "data");
    for (int i = 0; i < 10; ++i)
        picture("p" + std::to_string(i) + ".png", 10, 10);
    open(pictures);
    ASSERT_EQ(grid()->columnCount(), 6);
    std::vector<std::string> names;
    for (const std::string& path : form->entries())
        names.push_back(fs::path(path).filename().string());

    // Three columns by two rows with Shift and the arrow keys: entries 0, 1, 2, 6, 7 and 8.
    grid()->setFocus();
    grid()->setCurrentCell(0, 0);
    QTest::keyClick(grid(), Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(grid(), Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(grid(), Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(grid()->selectedRange(), QRect(0, 0, 3, 2));
    // The right click that opens the menu leaves the range as it is.
    // Through the window, as the platform delivers it, so that the menu event follows.
    QTest::mouseClick(form->windowHandle(), Qt::RightButton, {},
                      grid()->viewport()->mapTo(form.get(), cellOf(4).center()));
    QMenu* popup = form->findChild<QMenu*>("PopupMenu1");
    ASSERT_TRUE(waitFor([&] { return popup->isVisible(); }));
    EXPECT_EQ(grid()->selectedRange(), QRect(0, 0, 3, 2));
    popup->hide();
    menu("N2")->trigger();

    const fs::path trash = dir.path() / "data" / "Trash" / "files";
    for (int i : {0, 1, 2, 6, 7, 8}) {
        EXPECT_FALSE(fs::exists(pictures / names[std::size_t(i)])) << names[std::size_t(i)];
        EXPECT_TRUE(fs::exists(trash / names[std::size_t(i)])) << names[std::size_t(i)];
    }
    EXPECT_EQ(form->entries().size(), 4u);
    EXPECT_EQ(form->windowTitle(), "pictures (4)");
    EXPECT_EQ(grid()->rowCount(), 1);

    // A range dragged with the mouse, reaching past the last entry: only the entries go.
    library::DrawGrid* g = grid();
    testing_support::drag(g->viewport(), {cellOf(2).center(), cellOf(5).center()});
    EXPECT_EQ(grid()->selectedRange(), QRect(2, 0, 4, 1));
    menu("N2")->trigger();
    EXPECT_EQ(form->entries().size(), 2u);
    EXPECT_EQ(form->windowTitle(), "pictures (2)");
}

// The shared cache's file for a picture, named by the MD5 of its URI.
QString sharedThumbnail(const std::string& cacheHome, const std::string& path) {
    const QByteArray uri = QByteArray::fromStdString(library::fileUri(path));
    return QString::fromStdString(cacheHome) + "/thumbnails/normal/" +
           QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex() + ".png";
}

TEST_F(PictureLibrary, ThumbnailsAreKeptInTheSharedCacheUntilTheFileChanges) {
    picture("a.jpg", 400, 300);
    picture("b.jpg", 300, 400, QColor(0, 0, 255));
    picture("c.png", 50, 40);
    open(pictures);
    EXPECT_EQ(form->thumbnails().decodedCount(), 3);
    for (const char* name : {"a.jpg", "b.jpg", "c.png"}) {
        const QString stored = sharedThumbnail(dir.file("cache"), file(name));
        QImageReader reader(stored);
        QImage thumbnail;
        ASSERT_TRUE(reader.read(&thumbnail)) << name;
        const QFileInfo info(QString::fromStdString(file(name)));
        EXPECT_EQ(thumbnail.text("Thumb::URI").toStdString(), library::fileUri(file(name)));
        EXPECT_EQ(thumbnail.text("Thumb::MTime"),
                  QString::number(info.lastModified().toSecsSinceEpoch()));
        EXPECT_EQ(std::max(thumbnail.width(), thumbnail.height()),
                  std::string(name) == "c.png" ? 50 : 128)
            << name;
        EXPECT_EQ(QFileInfo(stored).permissions() & (QFile::ReadOther | QFile::ReadGroup), 0);
    }
    // The same window again: nothing to make.
    form->hide();
    form->show();
    settle();
    EXPECT_EQ(form->thumbnails().decodedCount(), 3);

    // A new window, as after a restart: all from the shared cache, drawn as before.
    form.reset();
    open(pictures);
    EXPECT_EQ(form->thumbnails().decodedCount(), 0);
    const QImage shot = grid()->viewport()->grab().toImage();
    const auto drawn =
        boundsOf(shot, QRect(cellOf(indexOf("a.jpg")).topLeft(), QSize(120, 120)),
                 shot.pixelColor(cellOf(indexOf("a.jpg")).topLeft() + QPoint(60, 60)));
    ASSERT_TRUE(drawn);
    EXPECT_EQ(*drawn, QRect(0, 15, 120, 90));

    // A file touched while the window is open is decoded again at the next paint, and so is
    // it after a restart; the others still come from the cache.
    const fs::path touched = pictures / "b.jpg";
    fs::last_write_time(touched, fs::last_write_time(touched) + std::chrono::seconds(100));
    grid()->viewport()->update();
    settle();
    EXPECT_EQ(form->thumbnails().decodedCount(), 1);
    form.reset();
    open(pictures);
    EXPECT_EQ(form->thumbnails().decodedCount(), 0);
    fs::last_write_time(touched, fs::last_write_time(touched) + std::chrono::seconds(100));
    form.reset();
    open(pictures);
    EXPECT_EQ(form->thumbnails().decodedCount(), 1);
}

TEST_F(PictureLibrary, TheMemoryCacheStaysWithinItsLimit) {
    library::ThumbnailLoader loader(QString::fromStdString(dir.file("cache/thumbnails/normal")));
    constexpr qint64 oneThumbnail = 120 * 90 * 4;
    loader.setMemoryLimit(3 * oneThumbnail);
    for (int i = 0; i < 8; ++i)
        picture("p" + std::to_string(i) + ".png", 400, 300);
    for (int i = 0; i < 8; ++i)
        loader.thumbnail(QFileInfo(QString::fromStdString(file("p" + std::to_string(i) + ".png"))));
    ASSERT_TRUE(waitFor([&] { return loader.isIdle(); }));
    EXPECT_GT(loader.memoryUsed(), 0);
    EXPECT_LE(loader.memoryUsed(), 3 * oneThumbnail);
    // The last made are still there.
    int kept = 0;
    for (int i = 0; i < 8; ++i)
        kept += loader.thumbnail(QFileInfo(
                    QString::fromStdString(file("p" + std::to_string(i) + ".png")))) != nullptr;
    EXPECT_EQ(kept, 3);
}

TEST_F(PictureLibrary, TheAttributeWindowsPictureButtonOpensItModally) {
    picture("a.png", 300, 200);
    open(pictures);
    form->hide();
    app::windows().Form5 = form.get();
    attributes->show();
    bool wasModal = false;
    QTimer::singleShot(100, form.get(), [&] {
        wasModal = form->isVisible() && form->isModal();
        clickCell(0);
        QTest::mouseClick(form->findChild<QPushButton*>("Button1"), Qt::LeftButton);
        if (form->isVisible()) form->done(0);
    });
    QTest::mouseClick(attributes->findChild<QPushButton*>("Button6"), Qt::LeftButton);
    EXPECT_TRUE(wasModal);
    EXPECT_EQ(attributes->findChild<QLineEdit*>("Edit3")->text().toStdString(), file("a.png"));
    EXPECT_EQ(cell(project::picture), file("a.png"));
    // The attribute window's own preview shows the chosen picture.
    EXPECT_FALSE(attributes->findChild<QLabel*>("Image1")->pixmap().isNull());
}

} // namespace
