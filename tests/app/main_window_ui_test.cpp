#include "app/main_window.h"
#include "app/window_registry.h"
#include "editors/palette_window.h"
#include "project/image_area_widget.h"
#include "project/map_file.h"
#include "project/palette.h"
#include "support/test_files.h"
#include "support/widget_events.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

using app::TForm1;
using testing_support::readFile;
using testing_support::TempDir;
using testing_support::writeFile;

namespace {

QStringList menuEntries(QMenuBar* bar) {
    QStringList out;
    for (QAction* menu : bar->actions()) {
        out << "[" + menu->text() + "]";
        for (QAction* item : menu->menu()->actions())
            out << (item->isSeparator() ? QString("—")
                                        : item->text() + (item->shortcut().isEmpty()
                                                              ? QString()
                                                              : " " + item->shortcut().toString()));
    }
    return out;
}

} // namespace

TEST(MainWindow, StartsWithCaptionMenusAndStatusBar) {
    TempDir dir;
    TForm1 form(dir.path().string());
    EXPECT_EQ(form.windowTitle(), "Qiv Zarim Editor");
    EXPECT_EQ(form.size().width(), 861);
    EXPECT_EQ(menuEntries(form.menuBar()), (QStringList{"[Файл]",
                                                        "Открыть изображение Ctrl+O",
                                                        "—",
                                                        "Сохранить Ctrl+S",
                                                        "Сохранить как",
                                                        "Протестировать в браузере Ctrl+T",
                                                        "—",
                                                        "Выход",
                                                        "[Редактирование]",
                                                        "Отменить Ctrl+Z",
                                                        "—",
                                                        "Очистить карту",
                                                        "[Режим просмотра]",
                                                        "Исходное изображение F5",
                                                        "Изображение + маска F6",
                                                        "Изображение + текущий цвет F7",
                                                        "—",
                                                        "Увеличить Ctrl++",
                                                        "Уменьшить Ctrl+-",
                                                        "По размеру окна Ctrl+0",
                                                        "Исходный размер Ctrl+1",
                                                        "[Параметры]",
                                                        "Настройки экспорта медиа файлов",
                                                        "Динамическая яркость",
                                                        "[Окна]",
                                                        "Палитра",
                                                        "Фоновая музыка",
                                                        "[Помощь]",
                                                        "Справка",
                                                        "—",
                                                        "О программе"}));
    EXPECT_EQ(form.Zoomin1->shortcuts(),
              (QList<QKeySequence>{QKeySequence("Ctrl++"), QKeySequence("Ctrl+=")}));
    EXPECT_TRUE(form.Sourceandmask1->isChecked());
    EXPECT_FALSE(form.Source1->isChecked());
    for (int i = 0; i < 4; ++i) {
        ASSERT_NE(form.statusPanel(i), nullptr);
        EXPECT_TRUE(form.statusPanel(i)->text().isEmpty());
    }
    EXPECT_GE(form.statusPanel(0)->minimumWidth(), 200);
    EXPECT_EQ(form.statusPanel(3)->minimumWidth(), 30);
    EXPECT_EQ(form.project().brushSize, 3);
    EXPECT_EQ(form.project().currentColor, 0);
}

TEST(MainWindow, WritesTheSettingsFileWhenItGoes) {
    TempDir dir;
    const std::string ini = dir.file("Qiv_Zarim_Editor.ini");
    writeFile(ini, "SOUND_CHANNELS=1\r\nVIDEO_BITRATE=1M\r\nVIDEO_BITRATE=2M\r\n");
    {
        auto form = std::make_unique<TForm1>(dir.path().string());
        EXPECT_EQ(form->settings().soundChannels, 1);
        form->settings().ffmpegPath = "/opt/ff";
        form->close();
    }
    EXPECT_EQ(readFile(ini), "FFMPEG=/opt/ff\r\nSOUND_REWRITE=0\r\nSOUND_CHANNELS=1\r\n"
                             "SOUND_BITRATE=128k\r\nVIDEO_REWRITE=0\r\nVIDEO_BITRATE=2M\r\n");
}

TEST(MainWindow, SavingWithoutAPictureSaysSo) {
    TempDir dir;
    TForm1 form(dir.path().string());
    testing_support::MessageBoxCatcher boxes;
    form.Save1->trigger();
    form.Saveas1->trigger();
    form.N13->trigger();
    EXPECT_EQ(boxes.texts,
              (QStringList{"Нечего сохранять!", "Нечего сохранять!", "Нечего сохранять!"}));
}

// The map editor through real mouse events on the image area.
class MapEditorWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        picture = dir.file("scene.png");
        ASSERT_TRUE(testing_support::writeFilledPicture(picture, 60, 40, QColor(200, 200, 200)));
        testing_support::writeMinimalTemplates(dir.path().string());
        form = std::make_unique<TForm1>(dir.path().string());
        ASSERT_TRUE(form->openImage(picture));
        area = form->imageArea();
    }
    common::Rgb mapAt(int x, int y) { return form->project().colorMap.pixel(x, y); }

    TempDir dir;
    std::string picture;
    std::unique_ptr<TForm1> form;
    QWidget* area = nullptr;
};

TEST_F(MapEditorWindow, OpeningShowsSizeAndPathAndABlackMap) {
    EXPECT_EQ(form->windowTitle(), QString::fromStdString("Qiv Zarim Editor - " + picture));
    EXPECT_EQ(form->statusPanel(1)->text(), "Размеры изображения: 60x40");
    EXPECT_EQ(form->project().colorMap, common::Raster(60, 40));
    EXPECT_EQ(area->size(), QSize(60, 40));
}

TEST_F(MapEditorWindow, PaintsUndoesAndCopiesTheLog) {
    form->project().currentColor = 12;
    testing_support::drag(area, {{5, 5}, {20, 5}});
    form->project().currentColor = 40;
    form->project().brushSize = 1;
    testing_support::drag(area, {{5, 20}, {5, 30}});
    EXPECT_EQ(mapAt(12, 5), project::paletteColors[12]);
    EXPECT_EQ(mapAt(12, 6), project::paletteColors[12]); // width 3
    EXPECT_EQ(mapAt(5, 25), project::paletteColors[40]);
    EXPECT_EQ(mapAt(6, 25), 0u); // width 1
    EXPECT_EQ(form->statusPanel(0)->text(), "Текущие координаты: 5,30");

    form->Undo1->trigger();
    EXPECT_EQ(mapAt(5, 25), 0u);
    EXPECT_EQ(mapAt(12, 5), project::paletteColors[12]);
    EXPECT_EQ(QApplication::clipboard()->text(), "* 12 3 5 5 20 5 ");
    form->Undo1->trigger();
    EXPECT_EQ(form->project().colorMap, common::Raster(60, 40));
}

TEST_F(MapEditorWindow, ClearThenUndoBringsTheEarlierStrokesBack) {
    form->project().currentColor = 7;
    testing_support::drag(area, {{5, 5}, {30, 5}});
    testing_support::drag(area, {{5, 15}, {30, 15}});
    form->Clearmap1->trigger();
    EXPECT_EQ(form->project().colorMap, common::Raster(60, 40));
    form->Undo1->trigger();
    EXPECT_EQ(mapAt(20, 5), project::paletteColors[7]);
    EXPECT_EQ(mapAt(20, 15), 0u);
}

TEST_F(MapEditorWindow, DragPastTheEdgeIsClippedAndLogged) {
    form->project().currentColor = 3;
    testing_support::drag(area, {{50, 10}, {90, 10}});
    EXPECT_EQ(mapAt(59, 10), project::paletteColors[3]);
    EXPECT_NE(form->mapEditor().strokes().find("90 10 "), std::string::npos);
}

TEST_F(MapEditorWindow, RightClickPicksTheColourUnderThePointer) {
    form->project().currentColor = 150;
    testing_support::drag(area, {{10, 10}, {12, 10}});
    form->project().currentColor = 0;
    testing_support::mousePress(area, {11, 10}, Qt::RightButton);
    EXPECT_EQ(form->project().currentColor, 150);
    testing_support::mousePress(area, {40, 30}, Qt::RightButton);
    EXPECT_EQ(form->project().currentColor, 0);
    testing_support::mouseMove(area, {11, 10}, Qt::NoButton);
    EXPECT_EQ(form->statusPanel(2)->text(), "Цвет под курсором: 150");
}

TEST_F(MapEditorWindow, SavingAndReopeningBringsTheMapBack) {
    form->project().currentColor = 25;
    testing_support::drag(area, {{5, 5}, {40, 30}});
    const common::Raster painted = form->project().colorMap;
    {
        testing_support::MessageBoxCatcher boxes;
        form->Save1->trigger();
        ASSERT_FALSE(boxes.texts.isEmpty());
        EXPECT_EQ(boxes.texts.last(), "Данные сохранены!") << boxes.texts.join("\n").toStdString();
    }
    form->Clearmap1->trigger();
    ASSERT_TRUE(form->openImage(picture));
    EXPECT_EQ(form->project().colorMap, painted);
    EXPECT_EQ(form->mapEditor().strokes(), "");
}

TEST_F(MapEditorWindow, AnUndecodablePictureKeepsTheOpenProject) {
    writeFile(dir.file("broken.jpg"), "not a picture");
    testing_support::MessageBoxCatcher boxes;
    EXPECT_FALSE(form->openImage(dir.file("broken.jpg")));
    EXPECT_EQ(boxes.texts.size(), 1);
    EXPECT_EQ(form->project().imagePath, picture);
    EXPECT_EQ(form->windowTitle(), QString::fromStdString("Qiv Zarim Editor - " + picture));
}

TEST_F(MapEditorWindow, AMapOfAnotherSizeIsFittedAndTheUserTold) {
    common::Raster small(30, 50);
    small.fill(project::paletteColors[9]);
    ASSERT_TRUE(project::writeMapFile(dir.file("scene.map"), small).ok());
    testing_support::MessageBoxCatcher boxes;
    ASSERT_TRUE(form->openImage(picture));
    EXPECT_EQ(boxes.texts.size(), 1);
    EXPECT_EQ(form->project().colorMap.width(), 60);
    EXPECT_EQ(form->project().colorMap.height(), 40);
    EXPECT_EQ(mapAt(29, 39), project::paletteColors[9]);
    EXPECT_EQ(mapAt(30, 0), 0u);
}

TEST_F(MapEditorWindow, MovingBeforeAnyPictureChangesNothing) {
    TForm1 fresh(dir.path().string());
    testing_support::mouseMove(fresh.imageArea(), {3, 3}, Qt::NoButton);
    EXPECT_TRUE(fresh.statusPanel(0)->text().isEmpty());
    fresh.Source1->trigger();
    EXPECT_TRUE(fresh.project().displayImage.isEmpty());
}

// The third view shows the current colour's strokes, and follows every change of that colour.
TEST_F(MapEditorWindow, TheCurrentColourViewFollowsTheColourChosenInThePalette) {
    editors::TForm4 palette(form->project());
    app::windows().Form1 = form.get();
    app::windows().Form4 = &palette;
    struct Forget {
        ~Forget() { app::windows() = app::Windows{}; }
    } forget;
    auto highlighted = [&](int x, int y) {
        return form->project().displayImage.pixel(x, y) != form->project().sourceImage.pixel(x, y);
    };

    form->Sourceandcurrentcolor1->trigger();
    palette.selectColorCell(12);
    testing_support::drag(area, {{5, 5}, {30, 5}});
    EXPECT_TRUE(highlighted(20, 5));

    palette.selectColorCell(5);
    EXPECT_FALSE(highlighted(20, 5));
    testing_support::drag(area, {{5, 25}, {30, 25}});
    EXPECT_TRUE(highlighted(20, 25));
    EXPECT_FALSE(highlighted(20, 5));

    // The right-button pick goes through the palette too.
    testing_support::mousePress(area, {20, 5}, Qt::RightButton);
    EXPECT_EQ(form->project().currentColor, 12);
    EXPECT_TRUE(highlighted(20, 5));
    EXPECT_FALSE(highlighted(20, 25));

    // The other views do not depend on the colour.
    form->Sourceandmask1->trigger();
    palette.selectColorCell(0);
    EXPECT_TRUE(highlighted(20, 5));
    EXPECT_TRUE(highlighted(20, 25));
}

TEST_F(MapEditorWindow, TheCurrentColourViewFollowsARightButtonPickWithoutAPalette) {
    form->project().currentColor = 12;
    testing_support::drag(area, {{5, 5}, {30, 5}});
    form->project().currentColor = 5;
    testing_support::drag(area, {{5, 25}, {30, 25}});
    form->Sourceandcurrentcolor1->trigger();
    const common::Raster before = form->project().displayImage;
    testing_support::mousePress(area, {20, 5}, Qt::RightButton);
    EXPECT_NE(form->project().displayImage.pixel(20, 5), before.pixel(20, 5));
    EXPECT_EQ(form->project().displayImage.pixel(20, 25),
              form->project().sourceImage.pixel(20, 25));
}

TEST_F(MapEditorWindow, UndoWhileTheButtonIsDownEndsAndTakesBackTheStroke) {
    form->show();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    form->project().currentColor = 4;
    testing_support::drag(area, {{5, 5}, {20, 5}});
    form->project().currentColor = 9;
    testing_support::mousePress(area, {5, 20}, Qt::LeftButton);
    testing_support::mouseMove(area, {20, 20}, Qt::LeftButton);
    ASSERT_EQ(mapAt(12, 20), project::paletteColors[9]);

    QTest::keyClick(area, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(mapAt(12, 20), 0u);
    EXPECT_EQ(mapAt(12, 5), project::paletteColors[4]);
    // The drag goes on with the button still down: nothing is painted until the next press.
    testing_support::mouseMove(area, {20, 30}, Qt::LeftButton);
    testing_support::mouseRelease(area, {20, 30}, Qt::LeftButton);
    EXPECT_EQ(mapAt(20, 25), 0u);
    EXPECT_EQ(form->mapEditor().strokes(), "* 4 3 5 5 20 5 ");
    EXPECT_EQ(form->project().colorMap, form->mapEditor().replayedMap());

    // The next undo takes the first stroke back: every painted pixel was logged.
    form->Undo1->trigger();
    EXPECT_EQ(form->project().colorMap, common::Raster(60, 40));
}

TEST_F(MapEditorWindow, AnUnreadableMapIsKeptBesideThePictureOnSave) {
    const std::string damaged = std::string("QZMAP\x07\x00 from a newer program", 28);
    writeFile(dir.file("scene.map"), damaged);
    testing_support::MessageBoxCatcher boxes;
    ASSERT_TRUE(form->openImage(picture));
    ASSERT_EQ(boxes.texts.size(), 1);
    // The message says where the file will go.
    EXPECT_TRUE(boxes.texts[0].contains(QString::fromStdString(dir.file("scene.map.unreadable"))))
        << boxes.texts[0].toStdString();
    EXPECT_EQ(readFile(dir.file("scene.map")), damaged);

    form->Save1->trigger();
    EXPECT_EQ(boxes.texts.last(), "Данные сохранены!") << boxes.texts.join("\n").toStdString();
    EXPECT_EQ(readFile(dir.file("scene.map.unreadable")), damaged);
    common::Raster saved;
    EXPECT_TRUE(project::readMapFile(dir.file("scene.map"), saved));
    EXPECT_EQ(saved, common::Raster(60, 40));
}

TEST_F(MapEditorWindow, AFailingDiskOnSaveShowsTheErrorAndKeepsTheOldFiles) {
    testing_support::MessageBoxCatcher boxes;
    form->Save1->trigger();
    ASSERT_EQ(boxes.texts.last(), "Данные сохранены!");
    const std::string oldMap = readFile(dir.file("scene.map"));
    form->project().currentColor = 30;
    testing_support::drag(area, {{5, 5}, {50, 35}});
    boxes.texts.clear();
    {
        testing_support::FileSizeLimit limit(16);
        form->Save1->trigger();
    }
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_TRUE(boxes.texts[0].contains(QString::fromStdString(dir.file("scene.map"))))
        << boxes.texts[0].toStdString();
    EXPECT_EQ(readFile(dir.file("scene.map")), oldMap);
}
