#include "editors/palette_window.h"

#include "app/main_window.h"
#include "app/window_registry.h"
#include "editors/attribute_window.h"
#include "editors/palette_grid_widget.h"
#include "project/image_area_widget.h"
#include "project/palette.h"
#include "project/project_state.h"
#include "support/test_files.h"
#include "support/widget_events.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

using editors::PaletteGrid;
using editors::TForm4;
using editors::TForm8;

namespace {

QRgb rgbOf(int index) {
    return 0xFF000000u | project::paletteColors[std::size_t(index)];
}

class PaletteWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        app::windows().Form4 = &palette;
        app::windows().Form8 = &attributes;
        palette.show();
        QApplication::setActiveWindow(&palette);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&palette));
        grid = palette.findChild<PaletteGrid*>("DrawGrid1");
        ASSERT_NE(grid, nullptr);
    }
    void TearDown() override { app::windows() = app::Windows{}; }

    void clickCell(int column, int row) {
        QTest::mouseClick(grid, Qt::LeftButton, {}, grid->cellRect(column, row).center());
    }
    int gridIndex() const { return grid->row() * PaletteGrid::kColumns + grid->column(); }
    QString statusText() {
        return palette.findChild<QWidget*>("StatusBar1")->findChild<QLabel*>("Panel0")->text();
    }
    // The colour of the status bar under the swatch.
    QRgb swatchPixel() {
        QWidget* bar = palette.findChild<QWidget*>("StatusBar1");
        return bar->grab().toImage().pixel(170, 9) | 0xFF000000u;
    }
    QString attributePanel(int i) {
        return attributes.findChild<QWidget*>("StatusBar1")
            ->findChild<QLabel*>(QString("Panel%1").arg(i))
            ->text();
    }
    QPushButton* button(const char* name) { return palette.findChild<QPushButton*>(name); }
    QLineEdit* link() { return attributes.findChild<QLineEdit*>("Edit1"); }

    project::ProjectState project;
    TForm8 attributes{project};
    TForm4 palette{project};
    PaletteGrid* grid = nullptr;
};

TEST_F(PaletteWindow, StartsWithoutASelectionShown) {
    EXPECT_EQ(palette.windowTitle(), "Палитра");
    EXPECT_EQ(palette.size(), QSize(190, 524));
    EXPECT_EQ(grid->geometry(), QRect(0, 0, 188, 379));
    EXPECT_EQ(gridIndex(), 0);
    EXPECT_EQ(statusText(), "");
    EXPECT_EQ(button("Button1")->text(), "Предыдущий");
    EXPECT_EQ(button("Button2")->text(), "Следующий");
    EXPECT_EQ(button("Button3")->text(), "Показать атрибуты");
    EXPECT_EQ(palette.findChild<QLabel*>("Label1")->text(), "Размер кисти");
    EXPECT_FALSE(palette.findChild<QWidget*>("Swatch")->isVisible());
}

TEST_F(PaletteWindow, ClickingACellSelectsItsColour) {
    const struct {
        int column, row, index;
    } cases[] = {{5, 3, 29}, {7, 0, 7}, {0, 1, 8}, {7, 24, 199}, {1, 7, 57}, {0, 0, 0}};
    for (const auto& c : cases) {
        clickCell(c.column, c.row);
        EXPECT_EQ(project.currentColor, c.index);
        EXPECT_EQ(gridIndex(), c.index);
        EXPECT_EQ(statusText(), "Текущий цвет: " + QString::number(c.index));
        EXPECT_EQ(swatchPixel(), rgbOf(c.index)) << c.index;
        EXPECT_EQ(attributePanel(3), "Текущий цвет: " + QString::number(c.index));
    }
}

TEST_F(PaletteWindow, AClickStoresTheAttributeWindowForTheColourBeingLeft) {
    project.myAttrs.set(project::link, 12, 0, "twelve");
    QTest::keyClicks(link(), "zero");
    clickCell(4, 1);
    EXPECT_EQ(project.myAttrs.get(project::link, 0, 0), "zero");
    EXPECT_EQ(link()->text(), "twelve");
    EXPECT_EQ(project.myAttrs.get(project::hintStyle, 12, 0), "9"); // refreshed while hidden
    EXPECT_FALSE(attributes.isVisible());
}

TEST_F(PaletteWindow, KeysMoveTheCellAndSelect) {
    grid->setFocus();
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int index;
    } steps[] = {
        {Qt::Key_Right, {}, 1},
        {Qt::Key_Down, {}, 9},
        {Qt::Key_End, {}, 15},
        {Qt::Key_Right, {}, 15}, // at the edge: no move
        {Qt::Key_Home, {}, 8},
        {Qt::Key_End, Qt::ControlModifier, 199},
        {Qt::Key_Down, {}, 199},
        {Qt::Key_PageUp, {}, 7},
        {Qt::Key_Home, Qt::ControlModifier, 0},
        {Qt::Key_Up, {}, 0},
    };
    for (const auto& step : steps) {
        QTest::keyClick(grid, step.key, step.modifiers);
        EXPECT_EQ(gridIndex(), step.index);
        EXPECT_EQ(project.currentColor, step.index);
    }
    // A key that does not move the cell is not a selection: nothing is stored.
    project.currentColor = 0;
    QTest::keyClicks(link(), "pending");
    QTest::keyClick(grid, Qt::Key_Left);
    EXPECT_EQ(project.myAttrs.get(project::link, 0, 0), "");
}

TEST_F(PaletteWindow, ReturnOnTheGridPressesNoButton) {
    clickCell(5, 0);
    ASSERT_TRUE(grid->hasFocus());
    QTest::keyClick(grid, Qt::Key_Return);
    QTest::keyClick(grid, Qt::Key_Enter);
    EXPECT_EQ(project.currentColor, 5);
    EXPECT_FALSE(attributes.isVisible());
}

TEST_F(PaletteWindow, StepsAreClampedAndLeaveTheGridWhereItWas) {
    clickCell(2, 1);
    ASSERT_EQ(project.currentColor, 10);
    QTest::mouseClick(button("Button2"), Qt::LeftButton);
    EXPECT_EQ(project.currentColor, 11);
    EXPECT_EQ(statusText(), "Текущий цвет: 11");
    EXPECT_EQ(swatchPixel(), rgbOf(11));
    EXPECT_EQ(gridIndex(), 10);
    clickCell(2, 1);
    EXPECT_EQ(project.currentColor, 10);

    const struct {
        int from;
        const char* button;
        int to;
    } cases[] = {
        {0, "Button1", 0}, {199, "Button2", 199}, {1, "Button1", 0}, {198, "Button2", 199}};
    for (const auto& c : cases) {
        project.currentColor = c.from;
        attributes.N1Click();
        link()->setText("typed");
        QTest::mouseClick(button(c.button), Qt::LeftButton);
        EXPECT_EQ(project.currentColor, c.to);
        // Stored for the colour left, then refreshed for the colour reached.
        EXPECT_EQ(project.myAttrs.get(project::link, c.from, 0), "typed");
        EXPECT_EQ(attributePanel(3), "Текущий цвет: " + QString::number(c.to));
        EXPECT_EQ(statusText(), "Текущий цвет: " + QString::number(c.to));
        EXPECT_EQ(gridIndex(), 10);
    }
}

TEST_F(PaletteWindow, TheTrackBarSetsTheBrush) {
    auto* bar = palette.findChild<QSlider*>("TrackBar1");
    auto* label = palette.findChild<QLabel*>("Label1");
    EXPECT_EQ(bar->value(), 1);
    EXPECT_EQ(project.brushSize, 3); // the bar is not set from the brush
    bar->setFocus();
    QTest::keyClick(bar, Qt::Key_Right);
    EXPECT_EQ(project.brushSize, 2);
    EXPECT_EQ(label->text(), "Размер кисти (2)");
    QTest::keyClick(bar, Qt::Key_End);
    EXPECT_EQ(project.brushSize, 100);
    EXPECT_EQ(label->text(), "Размер кисти (100)");
    QTest::keyClick(bar, Qt::Key_Home);
    QTest::keyClick(bar, Qt::Key_Left);
    EXPECT_EQ(bar->value(), 1);
    EXPECT_EQ(project.brushSize, 1);
    EXPECT_EQ(label->text(), "Размер кисти (1)");
}

TEST_F(PaletteWindow, DoubleClickAndTheButtonShowTheAttributeWindow) {
    QTest::mouseDClick(grid, Qt::LeftButton, {}, grid->cellRect(3, 2).center());
    EXPECT_EQ(project.currentColor, 19);
    EXPECT_TRUE(attributes.isVisible());
    EXPECT_EQ(attributePanel(3), "Текущий цвет: 19");

    attributes.hide();
    project.myAttrs.set(project::link, 19, 0, "changed meanwhile");
    QTest::mouseClick(button("Button3"), Qt::LeftButton);
    EXPECT_TRUE(attributes.isVisible());
    EXPECT_EQ(link()->text(), "changed meanwhile");
}

TEST_F(PaletteWindow, EveryCellShowsItsNumberInWhiteOnItsColour) {
    const QImage image = grid->grab().toImage();
    for (int index = 0; index < project::kPaletteSize; ++index) {
        const QRect cell = grid->cellRect(index % 8, index / 8);
        // Inside the frame that marks the current cell.
        const QRect inner = cell.adjusted(1, 1, -1, -1);
        int white = 0;
        int left = cell.right();
        int right = cell.left();
        for (int y = inner.top(); y <= inner.bottom(); ++y) {
            for (int x = inner.left(); x <= inner.right(); ++x) {
                const QRgb pixel = image.pixel(x, y) | 0xFF000000u;
                if (pixel == 0xFFFFFFFFu) {
                    ++white;
                    left = std::min(left, x);
                    right = std::max(right, x);
                } else {
                    ASSERT_EQ(pixel, rgbOf(index)) << "cell " << index << " at " << x << "," << y;
                }
            }
        }
        EXPECT_GT(white, 3) << "cell " << index;
        // Centred: the digits leave about as much room on the left as on the right.
        EXPECT_LE(std::abs((left - cell.left()) - (cell.right() - right)), 3) << "cell " << index;
    }
}

// The map editor's right-button pick goes through the palette window.
TEST(PalettePick, RightClickOnTheMapSelectsThroughThePalette) {
    testing_support::TempDir dir;
    const std::string picture = dir.file("pick.png");
    ASSERT_TRUE(testing_support::writeFilledPicture(picture, 30, 20, Qt::gray));
    app::TForm1 form1(dir.path().string());
    TForm4 palette(form1.project(), &form1);
    TForm8 attributes(form1.project(), &form1);
    struct Reset {
        ~Reset() { app::windows() = app::Windows{}; }
    } reset;
    app::windows().Form4 = &palette;
    app::windows().Form8 = &attributes;
    ASSERT_TRUE(form1.openImage(picture));
    form1.project().colorMap.setPixel(4, 5, project::paletteColors[57]);
    form1.project().myAttrs.set(project::link, 57, 0, "fifty-seven");

    attributes.findChild<QLineEdit*>("Edit1")->setText("for colour 0");
    testing_support::mousePress(form1.imageArea(), {4, 5}, Qt::RightButton);
    auto* grid = palette.findChild<PaletteGrid*>("DrawGrid1");
    EXPECT_EQ(grid->row(), 7);
    EXPECT_EQ(grid->column(), 1);
    EXPECT_EQ(form1.project().currentColor, 57);
    EXPECT_EQ(form1.project().myAttrs.get(project::link, 0, 0), "for colour 0");
    EXPECT_EQ(attributes.findChild<QLineEdit*>("Edit1")->text(), "fifty-seven");
    EXPECT_EQ(palette.findChild<QWidget*>("StatusBar1")->findChild<QLabel*>("Panel0")->text(),
              "Текущий цвет: 57");

    testing_support::mousePress(form1.imageArea(), {20, 15}, Qt::RightButton);
    EXPECT_EQ(form1.project().currentColor, 0);
    EXPECT_EQ(grid->row() * 8 + grid->column(), 0);
}

} // namespace
