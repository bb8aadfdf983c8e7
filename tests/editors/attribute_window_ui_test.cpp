#include "editors/attribute_window.h"

#include "app/main_window.h"
#include "app/window_registry.h"
#include "editors/field_values.h"
#include "editors/palette_grid_widget.h"
#include "editors/palette_window.h"
#include "project/attribute_file.h"
#include "project/project_state.h"
#include "support/test_files.h"
#include "support/widget_events.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

using editors::TForm8;
using project::Field;

namespace {

// Registers windows in the program's registry for one test and forgets them before they go.
struct Registered {
    Registered(editors::TForm4* form4, editors::TForm8* form8) {
        app::windows().Form4 = form4;
        app::windows().Form8 = form8;
    }
    ~Registered() { app::windows() = app::Windows{}; }
};

class AttributeWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        form = std::make_unique<TForm8>(project);
        form->show();
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }

    QLineEdit* edit(const char* name) { return form->findChild<QLineEdit*>(name); }
    QPushButton* button(const char* name) { return form->findChild<QPushButton*>(name); }
    QComboBox* list(const char* name) { return form->findChild<QComboBox*>(name); }
    QCheckBox* check(const char* name) { return form->findChild<QCheckBox*>(name); }
    QPlainTextEdit* memo() { return form->findChild<QPlainTextEdit*>("Memo1"); }
    QTabBar* tabs() { return form->findChild<QTabBar*>("TabControl1"); }
    QString panel(int i) {
        return form->findChild<QWidget*>("StatusBar1")
            ->findChild<QLabel*>(QString("Panel%1").arg(i))
            ->text();
    }
    const std::string& cell(Field f, int c, int e) { return project.myAttrs.get(f, c, e); }

    // Clicks into the box, replaces its text by typing, and stays in it.
    static void type(QWidget* box, const QString& text) {
        QTest::mouseClick(box, Qt::LeftButton);
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, text);
    }
    // Leaves the focused box for another control with the Tab key.
    static void leave(QWidget* box) {
        ASSERT_TRUE(box->hasFocus());
        QTest::keyClick(box, Qt::Key_Tab);
        ASSERT_FALSE(box->hasFocus());
    }
    void clickTab(int index) {
        QTest::mouseClick(tabs(), Qt::LeftButton, {}, tabs()->tabRect(index).center());
    }

    project::ProjectState project;
    std::unique_ptr<TForm8> form;
};

TEST_F(AttributeWindow, StartsWithItsCreationState) {
    EXPECT_EQ(form->windowTitle(), "Атрибуты");
    EXPECT_EQ(form->size(), QSize(816, 529));
    EXPECT_EQ(tabs()->count(), 3);
    EXPECT_EQ(tabs()->tabText(0), "Над областью (onMouseOver)");
    EXPECT_EQ(tabs()->tabText(1), "Щелчок (onClick)");
    EXPECT_EQ(tabs()->tabText(2), "Двойной щелчок (onDblClick)");
    EXPECT_EQ(tabs()->currentIndex(), 0);
    EXPECT_TRUE(check("CheckBox1")->isChecked());
    EXPECT_FALSE(check("CheckBox2")->isChecked());
    EXPECT_FALSE(check("CheckBox3")->isChecked());
    EXPECT_EQ(list("ComboBox1")->currentText(), "Светло-жёлтый");
    EXPECT_EQ(list("ComboBox1")->count(), 16);
    EXPECT_EQ(list("ComboBox2")->currentText(), "Чёрная рамка");
    EXPECT_EQ(list("ComboBox3")->currentText(), "Чёрная рамка");
    EXPECT_EQ(list("ComboBox3")->itemText(9), "Рамка цвета морской волны");
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(panel(i).isEmpty());
    const std::pair<const char*, QString> captions[] = {
        {"Button1", "Предыдущий цвет"},
        {"Button12", "Следующий цвет"},
        {"Button3", "Очистить вкладку"},
        {"Button2", "Очистить все вкладки"},
        {"Button4", "Очистить все цвета"},
        {"Button5", "Выбрать"},
        {"Button6", "Выбрать"},
        {"Button8", "Выбрать"},
        {"Button7", "Вставить"},
        {"Button9", "Открыть"},
        {"Button10", "Проиграть"},
        {"Button11", "Проиграть"},
    };
    for (const auto& [name, caption] : captions) {
        ASSERT_NE(button(name), nullptr) << name;
        EXPECT_EQ(button(name)->text(), caption) << name;
    }
    // Nothing is written into the table before the first refresh.
    for (int f = 0; f < project::kFieldCount; ++f)
        EXPECT_EQ(cell(Field(f), 0, 0), "");
}

TEST_F(AttributeWindow, SizeBoxesAreCorrectedWhenLeft) {
    struct Case {
        const char* box;
        Field field;
        QString typed;
        std::string stored;
    };
    const Case cases[] = {
        {"Edit4", project::pictureWidth, "0", "1"},
        {"Edit4", project::pictureWidth, "2500", "1000"},
        {"Edit4", project::pictureWidth, "-7", "1"},
        {"Edit4", project::pictureWidth, "abc", "100"},
        {"Edit4", project::pictureWidth, " +42", "42"},
        {"Edit5", project::pictureHeight, "12x", "100"},
        {"Edit5", project::pictureHeight, "1000", "1000"},
        {"Edit8", project::videoWidth, "abc", "160"},
        {"Edit8", project::videoWidth, "99999999999", "160"}, // beyond 32 bits
        {"Edit9", project::videoHeight, "abc", "120"},
        {"Edit9", project::videoHeight, "-2147483648", "1"},
        {"Edit9", project::videoHeight, "", ""},
    };
    for (const Case& c : cases) {
        QLineEdit* box = edit(c.box);
        type(box, c.typed);
        leave(box);
        EXPECT_EQ(box->text().toStdString(), c.stored) << c.box << " " << c.typed.toStdString();
        EXPECT_EQ(cell(c.field, 0, 0), c.stored) << c.box << " " << c.typed.toStdString();
    }
}

TEST_F(AttributeWindow, VolumeBoxesAreCorrectedWhenLeft) {
    const std::pair<QString, std::string> cases[] = {
        {"0.75", "0.75"},
        {"2", "1"},
        {"-1", "0"},
        {".5", "0.5"},
        {"0,5", "0"},
        {"1e-1", "0.1"},
        {"0.00001", "1E-5"},
        {"0.0001", "0.0001"},
        {"abc", "0"},
        {" 0.25db", "0.25"},
        {"1e", "1"},
        {"5e-999", "0"},
        {"-0", "0"},
        {"0.333333333333333333", "0.333333333333333"},
        {"", ""},
    };
    for (const char* name : {"Edit6", "Edit10"}) {
        const Field field =
            std::string(name) == "Edit6" ? project::soundVolume : project::videoVolume;
        for (const auto& [typed, stored] : cases) {
            type(edit(name), typed);
            leave(edit(name));
            EXPECT_EQ(edit(name)->text().toStdString(), stored)
                << name << " " << typed.toStdString();
            EXPECT_EQ(cell(field, 0, 0), stored) << name << " " << typed.toStdString();
        }
    }
}

TEST_F(AttributeWindow, TextBoxesAreStoredWhenLeft) {
    type(edit("Edit1"), "http://example.org/a b");
    leave(edit("Edit1"));
    type(edit("Edit2"), "/sounds/bell.ogg");
    leave(edit("Edit2"));
    type(edit("Edit3"), "/pictures/cat.png");
    leave(edit("Edit3"));
    type(edit("Edit7"), "/video/clip.mp4");
    leave(edit("Edit7"));
    EXPECT_EQ(cell(project::link, 0, 0), "http://example.org/a b");
    EXPECT_EQ(cell(project::sound, 0, 0), "/sounds/bell.ogg");
    EXPECT_EQ(cell(project::picture, 0, 0), "/pictures/cat.png");
    EXPECT_EQ(cell(project::video, 0, 0), "/video/clip.mp4");

    // Typed but not left: only a store (N2Click) takes the text.
    type(edit("Edit1"), "pending");
    EXPECT_EQ(cell(project::link, 0, 0), "http://example.org/a b");
    form->N2Click();
    EXPECT_EQ(cell(project::link, 0, 0), "pending");
}

TEST_F(AttributeWindow, TooltipTextIsStoredExactly) {
    // No-break spaces stay (a plain-text copy would turn them into blanks); a soft break
    // (Shift+Enter) is a line break like Enter.
    type(memo(), "10\u00A0km");
    QTest::keyClick(memo(), Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(memo(), "b\u00A0c");
    leave(memo());
    EXPECT_EQ(cell(project::hint, 0, 0), "10\u00A0km\\nb\u00A0c");
}

TEST_F(AttributeWindow, TooltipLineBreaksAreKeptOnOneLine) {
    type(memo(), "a");
    QTest::keyClick(memo(), Qt::Key_Return);
    QTest::keyClicks(memo(), "b");
    leave(memo());
    EXPECT_EQ(cell(project::hint, 0, 0), "a\\nb");

    project.myAttrs.set(project::hint, 0, 0, "one\\ntwo\\n");
    form->N1Click();
    EXPECT_EQ(memo()->toPlainText(), "one\ntwo\n");
    form->N2Click();
    EXPECT_EQ(cell(project::hint, 0, 0), "one\\ntwo\\n");

    // A backslash and n typed by the user stay as typed and show as a break after a refresh.
    type(memo(), "x\\ny");
    leave(memo());
    EXPECT_EQ(cell(project::hint, 0, 0), "x\\ny");
    form->N1Click();
    EXPECT_EQ(memo()->toPlainText(), "x\ny");
}

TEST_F(AttributeWindow, RefreshGivesOnlyTheShownCellItsStyleDefaults) {
    project.currentColor = 7;
    clickTab(1);
    ASSERT_EQ(form->selectedEvent(), 1);
    for (int c = 0; c < project::kColorCount; ++c) {
        for (int e = 0; e < project::kEventCount; ++e) {
            const bool shown = c == 7 && e == 1;
            EXPECT_EQ(cell(project::hintStyle, c, e), shown ? "9" : "") << c << "," << e;
            EXPECT_EQ(cell(project::pictureFrame, c, e), shown ? "1" : "") << c << "," << e;
            EXPECT_EQ(cell(project::videoFrame, c, e), shown ? "1" : "") << c << "," << e;
        }
    }
    EXPECT_EQ(list("ComboBox1")->currentText(), "Светло-жёлтый");
    EXPECT_EQ(list("ComboBox2")->currentText(), "Чёрная рамка");
    EXPECT_EQ(list("ComboBox3")->currentText(), "Чёрная рамка");
    EXPECT_EQ(memo()->palette().color(QPalette::Base), QColor("#FFFFCC"));
    EXPECT_EQ(memo()->palette().color(QPalette::Text), QColor("#000000"));
    EXPECT_EQ(panel(3), "Текущий цвет: 7");
    // The link check box follows the empty flag and stores what it now shows.
    EXPECT_FALSE(check("CheckBox1")->isChecked());
    EXPECT_EQ(cell(project::linkNewWindow, 7, 1), "0");
}

TEST_F(AttributeWindow, RefreshReadsStylesAsNumbers) {
    const struct {
        std::string stored;
        int shown;
        std::string after;
    } cases[] = {{"2", 2, "2"},   {" 15", 15, "15"}, {"4px", 4, "4"},
                 {"abc", 0, "0"}, {"16", 9, "9"},    {"-3", 9, "9"}};
    for (const auto& c : cases) {
        project.myAttrs.set(project::hintStyle, 0, 0, c.stored);
        form->N1Click();
        EXPECT_EQ(list("ComboBox1")->currentIndex(), c.shown) << c.stored;
        EXPECT_EQ(cell(project::hintStyle, 0, 0), c.after) << c.stored;
    }
    project.myAttrs.set(project::pictureFrame, 0, 0, "12");
    project.myAttrs.set(project::videoFrame, 0, 0, "9");
    form->N1Click();
    EXPECT_EQ(list("ComboBox3")->currentIndex(), 1);
    EXPECT_EQ(cell(project::pictureFrame, 0, 0), "1");
    EXPECT_EQ(list("ComboBox2")->currentIndex(), 9);
}

TEST_F(AttributeWindow, ListsAndCheckBoxesStoreWhenTheUserChangesThem) {
    form->N1Click();
    QComboBox* hintStyle = list("ComboBox1");
    hintStyle->setFocus();
    QTest::keyClick(hintStyle, Qt::Key_Home);
    QTest::keyClick(hintStyle, Qt::Key_Down);
    QTest::keyClick(hintStyle, Qt::Key_Down);
    EXPECT_EQ(hintStyle->currentText(), "Чёрный");
    EXPECT_EQ(cell(project::hintStyle, 0, 0), "2");
    EXPECT_EQ(memo()->palette().color(QPalette::Base), QColor("#000000"));
    EXPECT_EQ(memo()->palette().color(QPalette::Text), QColor("#FFFFFF"));

    QComboBox* videoFrame = list("ComboBox2");
    videoFrame->setFocus();
    QTest::keyClick(videoFrame, Qt::Key_End);
    EXPECT_EQ(cell(project::videoFrame, 0, 0), "9");
    QComboBox* pictureFrame = list("ComboBox3");
    pictureFrame->setFocus();
    QTest::keyClick(pictureFrame, Qt::Key_Up);
    EXPECT_EQ(cell(project::pictureFrame, 0, 0), "0");

    QTest::mouseClick(check("CheckBox2"), Qt::LeftButton);
    EXPECT_EQ(cell(project::soundLoop, 0, 0), "1");
    QTest::mouseClick(check("CheckBox2"), Qt::LeftButton);
    EXPECT_EQ(cell(project::soundLoop, 0, 0), "0");
    QTest::mouseClick(check("CheckBox3"), Qt::LeftButton);
    EXPECT_EQ(cell(project::videoLoop, 0, 0), "1");
    QTest::mouseClick(check("CheckBox1"), Qt::LeftButton);
    EXPECT_EQ(cell(project::linkNewWindow, 0, 0), "1");
}

TEST_F(AttributeWindow, ATabChangeStoresIntoTheTabBeingLeft) {
    project.currentColor = 3;
    project.myAttrs.set(project::link, 3, 2, "L2");
    project.myAttrs.set(project::soundVolume, 3, 2, "0.5");
    form->N1Click();
    type(edit("Edit1"), "L0");
    type(edit("Edit6"), "7"); // still in the box when the tab changes
    clickTab(2);
    EXPECT_EQ(form->selectedEvent(), 2);
    EXPECT_EQ(cell(project::link, 3, 0), "L0");
    EXPECT_EQ(cell(project::soundVolume, 3, 0), "1");
    EXPECT_EQ(edit("Edit1")->text(), "L2");
    EXPECT_EQ(edit("Edit6")->text(), "0.5");
    EXPECT_EQ(cell(project::link, 3, 2), "L2");

    clickTab(0);
    EXPECT_EQ(edit("Edit1")->text(), "L0");
    EXPECT_EQ(edit("Edit6")->text(), "1");
    // The tab stays selected from colour to colour.
    QTest::mouseClick(button("Button12"), Qt::LeftButton);
    EXPECT_EQ(project.currentColor, 4);
    EXPECT_EQ(form->selectedEvent(), 0);
}

TEST_F(AttributeWindow, StatusBarNamesWhatEachEventDoes) {
    project.currentColor = 12;
    auto set = [this](Field f, int e, const char* value) { project.myAttrs.set(f, 12, e, value); };
    set(project::sound, 0, "s.ogg");
    set(project::picture, 0, "p.png");
    set(project::video, 0, "v.mp4");
    set(project::link, 1, "http://a");
    set(project::hint, 1, "tip");
    set(project::linkNewWindow, 2, "1"); // options do not count
    set(project::soundVolume, 2, "0.5");
    set(project::pictureWidth, 2, "10");
    project.myAttrs.set(project::link, 13, 2, "other colour");
    form->N1Click();
    for (int tab : {2, 1}) {
        clickTab(tab);
        EXPECT_EQ(panel(0), "Звук Картинка Видео ");
        EXPECT_EQ(panel(1), "Ссылка Текст ");
        EXPECT_EQ(panel(2), "");
        EXPECT_EQ(panel(3), "Текущий цвет: 12");
    }
}

TEST_F(AttributeWindow, ColourStepsStopAtTheEndsButStillStoreAndRefresh) {
    editors::TForm4 palette(project);
    Registered registered(&palette, form.get());
    const auto* grid = palette.findChild<editors::PaletteGrid*>("DrawGrid1");
    const auto* paletteStatus =
        palette.findChild<QWidget*>("StatusBar1")->findChild<QLabel*>("Panel0");

    type(edit("Edit1"), "first");
    QTest::mouseClick(button("Button1"), Qt::LeftButton);
    EXPECT_EQ(project.currentColor, 0);
    EXPECT_EQ(cell(project::link, 0, 0), "first");
    EXPECT_EQ(cell(project::hintStyle, 0, 0), "9"); // refreshed
    EXPECT_EQ(panel(3), "Текущий цвет: 0");
    EXPECT_EQ(paletteStatus->text(), "Текущий цвет: 0");

    QTest::mouseClick(button("Button12"), Qt::LeftButton);
    EXPECT_EQ(project.currentColor, 1);
    EXPECT_EQ(edit("Edit1")->text(), "");
    EXPECT_EQ(paletteStatus->text(), "Текущий цвет: 1");
    EXPECT_EQ(grid->row() * 8 + grid->column(), 0); // the palette's cell is not moved

    project.currentColor = 199;
    form->N1Click();
    type(edit("Edit1"), "last");
    QTest::mouseClick(button("Button12"), Qt::LeftButton);
    EXPECT_EQ(project.currentColor, 199);
    EXPECT_EQ(cell(project::link, 199, 0), "last");
    EXPECT_EQ(edit("Edit1")->text(), "last");
    EXPECT_EQ(panel(3), "Текущий цвет: 199");
    EXPECT_EQ(paletteStatus->text(), "Текущий цвет: 199");
}

TEST_F(AttributeWindow, ClearingAsksFirst) {
    struct Case {
        const char* button;
        QString question;
        // Which of the links (colour 4, 5, 6 on each event) survive a Yes.
        bool survives(int c, int e) const {
            if (std::string(button) == "Button3") return !(c == 5 && e == 1);
            if (std::string(button) == "Button2") return c != 5;
            return false;
        }
    };
    const Case cases[] = {
        {"Button3", "Очистить поля для текущей вкладки?"},
        {"Button2", "Очистить поля для всех вкладок?"},
        {"Button4", "Очистить поля для всех цветов?"},
    };
    clickTab(1);
    for (const Case& c : cases) {
        for (const QMessageBox::StandardButton answer : {QMessageBox::No, QMessageBox::Yes}) {
            project.myAttrs.clearAll();
            for (int colour : {4, 5, 6})
                for (int e = 0; e < 3; ++e)
                    project.myAttrs.set(project::link, colour, e, "x");
            project.myAttrs.backgroundMusic = "music.ogg";
            project.myAttrs.backgroundVolume = "0.3";
            project.currentColor = 5;
            form->N1Click();
            ASSERT_EQ(edit("Edit1")->text(), "x");

            testing_support::MessageBoxCatcher boxes(answer);
            QTest::mouseClick(button(c.button), Qt::LeftButton);
            ASSERT_EQ(boxes.texts, QStringList{c.question});
            EXPECT_EQ(boxes.titles, QStringList{"Вы уверены?"});
            const bool yes = answer == QMessageBox::Yes;
            for (int colour : {4, 5, 6})
                for (int e = 0; e < 3; ++e)
                    EXPECT_EQ(cell(project::link, colour, e),
                              !yes || c.survives(colour, e) ? "x" : "")
                        << c.button << " " << colour << "," << e;
            EXPECT_EQ(edit("Edit1")->text(), yes ? "" : "x");
            const bool all = yes && std::string(c.button) == "Button4";
            EXPECT_EQ(project.myAttrs.backgroundMusic, all ? "" : "music.ogg");
            EXPECT_EQ(project.myAttrs.backgroundVolume, all ? "1" : "0.3");
            // The shown cell gets its style defaults again; others stay empty.
            EXPECT_EQ(cell(project::hintStyle, 5, 1), "9");
            if (yes) {
                EXPECT_EQ(cell(project::pictureFrame, 5, 1), "1");
                EXPECT_EQ(cell(project::videoFrame, 5, 1), "1");
            }
        }
    }
}

TEST_F(AttributeWindow, AVideoFileChosenInTheDialogIsStored) {
    testing_support::TempDir dir;
    const QString clip = QString::fromStdString(dir.file("clip.webm"));
    testing_support::writeFile(clip.toStdString(), "video");
    // The path is written into the dialog's file name box, as a user would type it.
    testing_support::FileDialogAnswer answer(clip);
    QTest::mouseClick(button("Button8"), Qt::LeftButton);
    ASSERT_TRUE(answer.answered);
    EXPECT_EQ(edit("Edit7")->text(), clip);
    EXPECT_EQ(cell(project::video, 0, 0), clip.toStdString());
}

// The whole way: a colour chosen in the palette, attributes typed, the project saved.
class AttributesInAProject : public ::testing::Test {
  protected:
    void SetUp() override {
        picture = dir.file("scene.png");
        ASSERT_TRUE(testing_support::writeFilledPicture(picture, 40, 30, QColor(90, 120, 150)));
        testing_support::writeMinimalTemplates(dir.path().string());
        form1 = std::make_unique<app::TForm1>(dir.path().string());
        form4 = std::make_unique<editors::TForm4>(form1->project(), form1.get());
        form8 = std::make_unique<editors::TForm8>(form1->project(), form1.get());
        registered = std::make_unique<Registered>(form4.get(), form8.get());
        ASSERT_TRUE(form1->openImage(picture));
    }
    void TearDown() override { registered.reset(); }

    // The fields of colour c in the written attribute file, 17 per event.
    std::vector<std::string> zarmLine(int c) {
        const std::string text = testing_support::readFile(dir.file("scene.zarm"));
        std::vector<std::string> lines;
        std::size_t start = 3; // byte order mark
        for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos;
             start = end + 2)
            lines.push_back(text.substr(start, end - start));
        if (c >= int(lines.size())) return {};
        std::vector<std::string> fields;
        std::size_t from = 0;
        for (std::size_t tab; (tab = lines[c].find('\t', from)) != std::string::npos;
             from = tab + 1)
            fields.push_back(lines[c].substr(from, tab - from));
        fields.push_back(lines[c].substr(from));
        return fields;
    }
    static std::size_t column(Field f, int e) {
        for (std::size_t i = 0; i < project::kFileFieldOrder.size(); ++i)
            if (project::kFileFieldOrder[i] == f) return std::size_t(e) * project::kFieldCount + i;
        return 0;
    }

    testing_support::TempDir dir;
    std::string picture;
    std::unique_ptr<app::TForm1> form1;
    std::unique_ptr<editors::TForm4> form4;
    std::unique_ptr<editors::TForm8> form8;
    std::unique_ptr<Registered> registered;
};

TEST_F(AttributesInAProject, ChosenColourTypedAttributesAndSaveReachTheFile) {
    EXPECT_EQ(form8->findChild<QWidget*>("StatusBar1")->findChild<QLabel*>("Panel3")->text(),
              "Текущий цвет: 0"); // opening refreshed the window

    form4->show();
    auto* grid = form4->findChild<editors::PaletteGrid*>("DrawGrid1");
    QTest::mouseClick(grid, Qt::LeftButton, {}, grid->cellRect(4, 1).center());
    ASSERT_EQ(form1->project().currentColor, 12);
    QTest::mouseClick(form4->findChild<QPushButton*>("Button3"), Qt::LeftButton);
    ASSERT_TRUE(form8->isVisible());
    QApplication::setActiveWindow(form8.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form8.get()));

    auto* tabs = form8->findChild<QTabBar*>("TabControl1");
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    auto* link = form8->findChild<QLineEdit*>("Edit1");
    QTest::mouseClick(link, Qt::LeftButton);
    QTest::keyClicks(link, "http://example.org/");
    auto* width = form8->findChild<QLineEdit*>("Edit4");
    QTest::mouseClick(width, Qt::LeftButton);
    QTest::keyClicks(width, "5000");
    auto* memo = form8->findChild<QPlainTextEdit*>("Memo1");
    QTest::mouseClick(memo, Qt::LeftButton);
    QTest::keyClicks(memo, "a");
    QTest::keyClick(memo, Qt::Key_Return);
    QTest::keyClicks(memo, "b");
    // Saved while the tooltip box still has the focus: saving stores it first.
    {
        testing_support::MessageBoxCatcher boxes;
        form1->Save1->trigger();
        ASSERT_FALSE(boxes.texts.isEmpty());
        EXPECT_EQ(boxes.texts.last(), "Данные сохранены!") << boxes.texts.join("\n").toStdString();
    }
    const std::vector<std::string> fields = zarmLine(12);
    ASSERT_EQ(fields.size(), 51u);
    EXPECT_EQ(fields[column(project::link, 1)], "http://example.org/");
    EXPECT_EQ(fields[column(project::pictureWidth, 1)], "1000");
    EXPECT_EQ(fields[column(project::hint, 1)], "a\\nb");
    EXPECT_EQ(fields[column(project::hintStyle, 1)], "9");
    EXPECT_EQ(fields[column(project::link, 0)], "");

    // Opening the picture again reads the file and refreshes the window.
    link->setText("typed over");
    ASSERT_TRUE(form1->openImage(picture));
    EXPECT_EQ(link->text(), "http://example.org/");
    EXPECT_EQ(memo->toPlainText(), "a\nb");
}

} // namespace
