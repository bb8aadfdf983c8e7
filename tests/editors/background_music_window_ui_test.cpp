// The background music window, its volume rules and its round trip through opening and saving a
// project. The volume rules are pure functions, but they build on the attribute window's field
// forms, which live in the window library; their tests run here for that reason.
#include "editors/background_music_window.h"

#include "app/main_window.h"
#include "app/window_registry.h"
#include "common/audio_output.h"
#include "common/audio_stream.h"
#include "editors/music_volume.h"
#include "editors/tone_file.h"
#include "project/attribute_file.h"
#include "project/project_state.h"
#include "project/region_attributes.h"
#include "support/test_files.h"
#include "support/wait_for.h"
#include "support/widget_events.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>

using editors::TForm9;
using testing_support::readFile;
using testing_support::TempDir;
using testing_support::waitFor;
using testing_support::writeFile;

// ---- The pure rules -------------------------------------------------------------------------

// ---- The window -----------------------------------------------------------------------------

class BackgroundMusicWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        form = std::make_unique<TForm9>(project);
        form->show();
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        tone = dir.file("tone.wav");
        testing_support::writeToneWav(tone, 60);
    }
    void TearDown() override {
        if (form) form->Button4Click();
    }

    QLineEdit* edit(const char* name) { return form->findChild<QLineEdit*>(name); }
    QPushButton* button(const char* name) { return form->findChild<QPushButton*>(name); }
    QCheckBox* loop() { return form->findChild<QCheckBox*>("CheckBox1"); }
    QSlider* slider() { return form->findChild<QSlider*>("TrackBar1"); }
    void click(const char* name) { QTest::mouseClick(button(name), Qt::LeftButton); }

    // Replaces the volume box's text by typing and leaves it with the Tab key.
    void typeVolume(const QString& text) {
        QLineEdit* box = edit("Edit2");
        QTest::mouseClick(box, Qt::LeftButton);
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, text);
        ASSERT_TRUE(box->hasFocus());
        QTest::keyClick(box, Qt::Key_Tab);
        ASSERT_FALSE(box->hasFocus());
    }
    void playTone(bool looped) {
        edit("Edit1")->setText(QString::fromStdString(tone));
        loop()->setChecked(looped);
        click("Button2");
        ASSERT_NE(form->musicStream(), 0u);
        ASSERT_TRUE(common::isStreamPlaying(form->musicStream()));
    }

    TempDir dir;
    std::string tone;
    project::ProjectState project;
    std::unique_ptr<TForm9> form;
};

TEST_F(BackgroundMusicWindow, StartsWithItsControls) {
    EXPECT_EQ(form->windowTitle(), "Фоновая музыка");
    EXPECT_EQ(form->size(), QSize(416, 140));
    EXPECT_EQ(form->findChild<QLabel*>("Label1")->text(), "Файл");
    EXPECT_EQ(form->findChild<QLabel*>("Label2")->text(), "Громкость");
    EXPECT_EQ(edit("Edit1")->geometry().topLeft(), QPoint(8, 34));
    EXPECT_EQ(edit("Edit1")->width(), 400);
    EXPECT_TRUE(edit("Edit1")->text().isEmpty());
    EXPECT_EQ(edit("Edit2")->text(), "1");
    EXPECT_EQ(slider()->minimum(), 0);
    EXPECT_EQ(slider()->maximum(), 100);
    EXPECT_EQ(slider()->value(), 100);
    EXPECT_EQ(slider()->geometry(), QRect(89, 61, 156, 33));
    EXPECT_EQ(loop()->text(), "зациклить");
    EXPECT_FALSE(loop()->isChecked());
    const std::pair<const char*, QString> buttons[] = {
        {"Button1", "Выбрать"},  {"Button2", "Проиграть"}, {"Button4", "Стоп"},
        {"Button3", "Очистить"}, {"Button5", "OK"},
    };
    int x = 7;
    for (const auto& [name, caption] : buttons) {
        SCOPED_TRACE(name);
        EXPECT_EQ(button(name)->text(), caption);
        EXPECT_EQ(button(name)->geometry(), QRect(x, 100, 75, 25));
        x += 82;
    }
    EXPECT_EQ(form->musicStream(), 0u);
}

TEST_F(BackgroundMusicWindow, TheSliderWritesTheBoxAndSetsTheOutputVolume) {
    const std::pair<int, QString> positions[] = {{35, "0.35"}, {7, "0.07"}, {100, "1"}, {0, "0"}};
    for (const auto& [position, text] : positions) {
        SCOPED_TRACE(position);
        slider()->setFocus();
        // Moved with the keyboard as a user would: Home, then one step per press.
        QTest::keyClick(slider(), Qt::Key_Home);
        for (int i = 0; i < position; ++i)
            QTest::keyClick(slider(), Qt::Key_Right);
        EXPECT_EQ(slider()->value(), position);
        EXPECT_EQ(edit("Edit2")->text(), text);
        EXPECT_NEAR(common::outputVolume(), position / 100.0, 1e-6);
    }
}

TEST_F(BackgroundMusicWindow, LeavingTheVolumeBoxLimitsItAndMovesTheSlider) {
    struct Step {
        const char* typed;
        const char* shown;
        int position;
        double volume;
    };
    // In this order: each step starts where the one before left the slider.
    const Step steps[] = {
        {"0.5", "0.5", 50, 0.5}, {"0.555", "0.55", 55, 0.555}, {"0.555", "0.555", 55, 0.555},
        {"3", "1", 100, 1.0},    {"-1", "0", 0, 0.0},          {"0.29", "0.29", 29, 0.29},
        {"", "0", 0, 0.0},       {"abc", "0", 0, 0.0},         {"1e-1", "0.1", 10, 0.1},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.typed);
        typeVolume(s.typed);
        EXPECT_EQ(edit("Edit2")->text(), s.shown);
        EXPECT_EQ(slider()->value(), s.position);
        EXPECT_NEAR(common::outputVolume(), s.volume, 1e-6);
    }
}

TEST_F(BackgroundMusicWindow, PlaysWithTheWholeOutputVolumeAndTheLoopFlag) {
    edit("Edit2")->clear(); // an empty box plays at full volume
    common::setOutputVolume(0.1);
    playTone(false);
    EXPECT_NEAR(common::outputVolume(), 1.0, 1e-6);
    EXPECT_TRUE(waitFor([&] { return !common::isStreamPlaying(form->musicStream()); }))
        << "a 60 ms sound without loop ends";

    edit("Edit2")->setText("0.2"); // read as it stands, without leaving the box
    playTone(true);
    EXPECT_NEAR(common::outputVolume(), 0.2, 1e-6);
    QTest::qWait(400);
    EXPECT_TRUE(common::isStreamPlaying(form->musicStream())) << "looped";

    // Unticking affects only the next play.
    loop()->setChecked(false);
    QTest::qWait(200);
    EXPECT_TRUE(common::isStreamPlaying(form->musicStream()));

    const common::AudioStreamHandle stream = form->musicStream();
    click("Button4");
    EXPECT_FALSE(common::isStreamPlaying(stream));
    EXPECT_FALSE(common::streamLength(stream).has_value()) << "released";
    EXPECT_EQ(form->musicStream(), stream) << "the handle keeps its value";
    click("Button4"); // stopping again does nothing
    EXPECT_EQ(form->musicStream(), stream);
}

TEST_F(BackgroundMusicWindow, ANewPlayStartsAgainWithANewStream) {
    playTone(true);
    const common::AudioStreamHandle first = form->musicStream();
    click("Button2");
    const common::AudioStreamHandle second = form->musicStream();
    EXPECT_NE(second, first);
    EXPECT_FALSE(common::streamLength(first).has_value()) << "the previous stream is released";
    EXPECT_TRUE(common::isStreamPlaying(second));
}

TEST_F(BackgroundMusicWindow, AMissingOrUnplayableFileOnlySetsTheVolume) {
    testing_support::MessageBoxCatcher boxes;
    const std::string broken = dir.file("broken.ogg");
    writeFile(broken, "not a sound");
    for (const std::string& path : {dir.file("missing.ogg"), broken, std::string()}) {
        SCOPED_TRACE(path);
        edit("Edit1")->setText(QString::fromStdString(path));
        edit("Edit2")->setText("0.4");
        common::setOutputVolume(1.0);
        click("Button2");
        EXPECT_NEAR(common::outputVolume(), 0.4, 1e-6);
        EXPECT_FALSE(common::isStreamPlaying(form->musicStream()));
    }
    EXPECT_EQ(form->musicStream(), 0u);
    EXPECT_TRUE(boxes.texts.isEmpty());
}

TEST_F(BackgroundMusicWindow, ClearLeavesTheLoopAndThePlayingMusicAlone) {
    playTone(true);
    slider()->setValue(20);
    click("Button3");
    EXPECT_TRUE(edit("Edit1")->text().isEmpty());
    EXPECT_EQ(edit("Edit2")->text(), "1");
    EXPECT_EQ(slider()->value(), 100);
    EXPECT_NEAR(common::outputVolume(), 1.0, 1e-6);
    EXPECT_TRUE(loop()->isChecked());
    EXPECT_TRUE(common::isStreamPlaying(form->musicStream()));
}

TEST_F(BackgroundMusicWindow, EveryWayOfClosingStopsTheMusic) {
    const std::pair<const char*, std::function<void()>> ways[] = {
        {"OK", [&] { click("Button5"); }},
        {"frame", [&] { form->close(); }},
        {"Escape", [&] { QTest::keyClick(form.get(), Qt::Key_Escape); }},
    };
    for (const auto& [way, closeIt] : ways) {
        SCOPED_TRACE(way);
        form->show();
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        playTone(true);
        closeIt();
        EXPECT_FALSE(form->isVisible());
        EXPECT_FALSE(common::isStreamPlaying(form->musicStream()));
        // The controls keep their values for the next opening.
        EXPECT_EQ(edit("Edit1")->text(), QString::fromStdString(tone));
        EXPECT_TRUE(loop()->isChecked());
    }
}

TEST_F(BackgroundMusicWindow, ChoosesAnOggFileFromTheSoundsFolder) {
    TempDir exeDir;
    std::filesystem::create_directory(exeDir.path() / "sounds");
    const std::string song = exeDir.file("sounds/song.ogg");
    writeFile(song, "ogg");
    app::TForm1 main(exeDir.path().string());
    app::windows().Form1 = &main;
    struct Forget {
        ~Forget() { app::windows() = app::Windows{}; }
    } forget;

    edit("Edit2")->setText("0.7");
    for (const bool confirm : {false, true}) {
        SCOPED_TRACE(confirm);
        testing_support::FileDialogAnswer answer(confirm ? "song.ogg" : "");
        click("Button1");
        ASSERT_TRUE(answer.answered);
        EXPECT_EQ(answer.folder, QString::fromStdString(exeDir.file("sounds")));
        EXPECT_EQ(answer.filters, QStringList{"Ogg-файлы (*.ogg)"});
        EXPECT_EQ(edit("Edit1")->text(), confirm ? QString::fromStdString(song) : QString());
        EXPECT_EQ(edit("Edit2")->text(), "0.7") << "nothing else changes";
    }
}

// ---- Opening and saving a project -------------------------------------------------------------

class BackgroundMusicInAProject : public ::testing::Test {
  protected:
    void SetUp() override {
        testing_support::writeMinimalTemplates(dir.path().string());
        main = std::make_unique<app::TForm1>(dir.path().string());
        music = std::make_unique<TForm9>(main->project(), main.get());
        app::windows().Form1 = main.get();
        app::windows().Form9 = music.get();
    }
    void TearDown() override {
        app::windows() = app::Windows{};
        music.reset();
        main.reset();
    }

    // A picture, with an attribute file holding the three background values when `volume` is
    // given.
    std::string makePicture(const std::string& name, const char* volume = nullptr,
                            const char* loop = "", const char* file = "") {
        const std::string path = dir.file(name);
        EXPECT_TRUE(testing_support::writeFilledPicture(path, 30, 20, QColor(10, 20, 30)));
        if (volume) {
            project::RegionAttributes attrs;
            attrs.backgroundMusic = file;
            attrs.backgroundVolume = volume;
            attrs.backgroundLoop = loop;
            EXPECT_TRUE(project::writeAttributeFile(project::attributeFilePath(path), attrs));
        }
        return path;
    }
    // The background line, the attribute file's last one.
    std::string backgroundLine(const std::string& picture) {
        std::string text = readFile(project::attributeFilePath(picture));
        EXPECT_GE(text.size(), 2u);
        text.resize(text.size() - 2); // CR LF
        return text.substr(text.rfind("\r\n") == std::string::npos ? 0 : text.rfind("\r\n") + 2);
    }
    void save() {
        testing_support::MessageBoxCatcher boxes;
        main->Save1->trigger();
        EXPECT_EQ(boxes.texts.value(boxes.texts.size() - 1), "Данные сохранены!");
    }

    QLineEdit* edit(const char* name) { return music->findChild<QLineEdit*>(name); }
    QCheckBox* loop() { return music->findChild<QCheckBox*>("CheckBox1"); }
    QSlider* slider() { return music->findChild<QSlider*>("TrackBar1"); }

    TempDir dir;
    std::unique_ptr<app::TForm1> main;
    std::unique_ptr<TForm9> music;
};

TEST_F(BackgroundMusicInAProject, OpeningFillsTheWindowAndSavingWritesItBack) {
    const std::string picture = makePicture("scene.png", "0.3", "1", "/music/theme.ogg");
    ASSERT_TRUE(main->openImage(picture));
    EXPECT_EQ(edit("Edit1")->text(), "/music/theme.ogg");
    EXPECT_EQ(edit("Edit2")->text(), "0.3");
    EXPECT_EQ(slider()->value(), 30);
    EXPECT_TRUE(loop()->isChecked());
    EXPECT_NEAR(common::outputVolume(), 0.3, 1e-6);

    // Changed in the window, saved, read back into a fresh window.
    loop()->setChecked(false);
    edit("Edit1")->clear();
    save();
    EXPECT_EQ(backgroundLine(picture), "\t0.3\t0");
    music->Button3Click();
    loop()->setChecked(true);
    ASSERT_TRUE(main->openImage(picture));
    EXPECT_EQ(edit("Edit2")->text(), "0.3");
    EXPECT_EQ(slider()->value(), 30);
    EXPECT_FALSE(loop()->isChecked());
}

TEST_F(BackgroundMusicInAProject, ATwoDecimalVolumeSurvivesEveryOpenAndSave) {
    const std::string picture = makePicture("scene.png", "0.29", "0");
    for (int cycle = 0; cycle < 4; ++cycle) {
        SCOPED_TRACE(cycle);
        ASSERT_TRUE(main->openImage(picture));
        EXPECT_EQ(edit("Edit2")->text(), "0.29");
        EXPECT_EQ(slider()->value(), 29);
        save();
        EXPECT_EQ(backgroundLine(picture), "\t0.29\t0");
    }
}

TEST_F(BackgroundMusicInAProject, AVolumeOffTheHundredthsIsCutToThem) {
    const std::string picture = makePicture("scene.png", "0.555", "1");
    ASSERT_TRUE(main->openImage(picture));
    EXPECT_EQ(edit("Edit2")->text(), "0.55");
    EXPECT_EQ(slider()->value(), 55);
    save();
    EXPECT_EQ(backgroundLine(picture), "\t0.55\t1");
}

TEST_F(BackgroundMusicInAProject, APictureWithoutAttributeFileResetsTheWindow) {
    ASSERT_TRUE(main->openImage(makePicture("first.png", "0.3", "1", "/music/theme.ogg")));
    ASSERT_TRUE(main->openImage(makePicture("second.png")));
    EXPECT_TRUE(edit("Edit1")->text().isEmpty());
    EXPECT_EQ(edit("Edit2")->text(), "1");
    EXPECT_EQ(slider()->value(), 100);
    EXPECT_FALSE(loop()->isChecked());
}

TEST_F(BackgroundMusicInAProject, TheMenuShowsTheWindowModallyAndClosingStopsTheMusic) {
    const std::string tone = dir.file("tone.wav");
    testing_support::writeToneWav(tone, 60);
    bool shownModal = false;
    QTimer::singleShot(0, [&] {
        shownModal = QApplication::activeModalWidget() == music.get();
        edit("Edit1")->setText(QString::fromStdString(tone));
        loop()->setChecked(true);
        QTest::mouseClick(music->findChild<QPushButton*>("Button2"), Qt::LeftButton);
        EXPECT_TRUE(common::isStreamPlaying(music->musicStream()));
        QTest::mouseClick(music->findChild<QPushButton*>("Button5"), Qt::LeftButton);
    });
    main->Music1->trigger();
    EXPECT_TRUE(shownModal);
    EXPECT_FALSE(music->isVisible());
    EXPECT_NE(music->musicStream(), 0u);
    EXPECT_FALSE(common::isStreamPlaying(music->musicStream()));
}
