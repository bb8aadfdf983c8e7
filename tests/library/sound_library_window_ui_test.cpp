// The sound library: listing a folder, previews through the audio layer, and the choice handed
// to the attribute window.
#include "library/sound_library_window.h"

#include "app/window_registry.h"
#include "common/audio_output.h"
#include "common/audio_stream.h"
#include "editors/attribute_window.h"
#include "editors/tone_file.h"
#include "library/folder_tree_widget.h"
#include "project/project_state.h"
#include "support/test_files.h"
#include "support/wait_for.h"
#include "support/widget_events.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>

using library::TForm6;
using testing_support::TempDir;
using testing_support::writeFile;
using testing_support::writeToneWav;
using testing_support::waitFor;

namespace {

class SoundLibrary : public ::testing::Test {
  protected:
    void SetUp() override {
        sounds = dir.path() / "sounds";
        std::filesystem::create_directory(sounds);
        writeToneWav(file("a.wav"), 60);
        writeToneWav(file("b.wav"), 60);
        attributes = std::make_unique<editors::TForm8>(project);
        app::windows().Form8 = attributes.get();
    }
    void TearDown() override {
        if (form) form->done(0);
        app::windows() = app::Windows{};
    }
    std::string file(const std::string& name) const { return (sounds / name).string(); }
    void open(const std::filesystem::path& folder) {
        form = std::make_unique<TForm6>(folder.string());
        form->show();
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    QListWidget* list() { return form->findChild<QListWidget*>("ListBox1"); }
    QSlider* slider() { return form->findChild<QSlider*>("TrackBar1"); }
    QCheckBox* loop() { return form->findChild<QCheckBox*>("CheckBox1"); }
    QPushButton* button(const char* name) { return form->findChild<QPushButton*>(name); }
    QStringList names() {
        QStringList all;
        for (int i = 0; i < list()->count(); ++i)
            all << list()->item(i)->text();
        all.sort();
        return all;
    }
    // A real click on the list's row.
    void clickRow(int row) {
        QListWidget* l = list();
        QTest::mouseClick(l->viewport(), Qt::LeftButton, {},
                          l->visualItemRect(l->item(row)).center());
    }
    int rowOf(const QString& name) {
        const auto found = list()->findItems(name, Qt::MatchExactly);
        return found.isEmpty() ? -1 : list()->row(found.first());
    }
    const std::string& cell(project::Field f) {
        return project.myAttrs.get(f, project.currentColor, attributes->selectedEvent());
    }

    TempDir dir;
    std::filesystem::path sounds;
    project::ProjectState project;
    std::unique_ptr<editors::TForm8> attributes;
    std::unique_ptr<TForm6> form;
};

TEST_F(SoundLibrary, ListsOnlySoundFilesOfTheFolderWithTheirCountInTheCaption) {
    struct Case {
        std::vector<std::string> files;
        QStringList listed;
    };
    const Case cases[] = {
        {{"a.OGG", "b.mp3", "c.Wav", "d.flac", "e.txt", "sub.ogg/"}, {"a.OGG", "b.mp3", "c.Wav"}},
        {{}, {}},
    };
    for (const Case& c : cases) {
        TempDir folder;
        for (const std::string& name : c.files) {
            if (name.back() == '/')
                std::filesystem::create_directory(folder.path() / name.substr(0, name.size() - 1));
            else
                writeFile(folder.file(name), "x");
        }
        open(folder.path());
        EXPECT_EQ(names(), c.listed);
        EXPECT_EQ(form->windowTitle(), QString::fromStdString(folder.path().filename().string()) +
                                           QString(" (%1)").arg(c.listed.size()));
        ASSERT_EQ(form->entries().size(), std::size_t(c.listed.size()));
        for (const std::string& path : form->entries())
            EXPECT_EQ(std::filesystem::path(path).parent_path(), folder.path());
        form->done(0);
        form.reset();
    }
}

TEST_F(SoundLibrary, ChangingTheFolderRefreshesAndAMissingFolderChangesNothing) {
    open(sounds);
    EXPECT_EQ(names(), QStringList({"a.wav", "b.wav"}));
    TempDir other;
    writeToneWav(other.file("c.wav"), 30);
    ASSERT_TRUE(form->folderTree()->setFolder(QString::fromStdString(other.path().string())));
    EXPECT_EQ(names(), QStringList({"c.wav"}));
    EXPECT_FALSE(form->folderTree()->setFolder(QString::fromStdString(file("none"))));
    EXPECT_EQ(names(), QStringList({"c.wav"}));
    EXPECT_EQ(form->folder(), other.path().string());
}

TEST_F(SoundLibrary, AMissingLibraryFolderShowsTheHomeFolderAndAnEmptyList) {
    open(sounds / "missing");
    EXPECT_EQ(list()->count(), 0);
    EXPECT_EQ(form->windowTitle(), "Звуки");
    EXPECT_EQ(QDir(QString::fromStdString(form->folder())), QDir::home());
}

TEST_F(SoundLibrary, ChoosingWritesPathVolumeAndLoopIntoTheAttributeCell) {
    struct Case {
        int slider;
        bool loop;
        const char* volume;
    };
    const Case cases[] = {
        {57, false, "0.57"}, {100, true, "1"}, {0, false, "0"}, {7, true, "0.07"}};
    for (const Case& c : cases) {
        project.myAttrs.clearAll();
        attributes->N1Click();
        open(sounds);
        slider()->setValue(c.slider);
        loop()->setChecked(c.loop);
        clickRow(rowOf("b.wav"));
        QTest::mouseClick(button("Button3"), Qt::LeftButton);
        EXPECT_FALSE(form->isVisible()) << c.slider;
        EXPECT_EQ(cell(project::sound), file("b.wav"));
        EXPECT_EQ(cell(project::soundVolume), c.volume);
        EXPECT_EQ(attributes->findChild<QCheckBox*>("CheckBox2")->isChecked(), c.loop);
        EXPECT_EQ(cell(project::soundLoop) == "1", c.loop);
        EXPECT_EQ(form->libraryStream(), 0u) << "closing stops the preview";
        form.reset();
    }
    common::setOutputVolume(1.0);
}

TEST_F(SoundLibrary, ADoubleClickChoosesTheEntry) {
    open(sounds);
    QListWidget* l = list();
    const QPoint at = l->visualItemRect(l->item(rowOf("a.wav"))).center();
    QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(l->viewport(), Qt::LeftButton, {}, at);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(cell(project::sound), file("a.wav"));
}

TEST_F(SoundLibrary, NothingIsChosenWithoutAnEntryOrWhenItsFileHasGone) {
    open(sounds);
    project.myAttrs.set(project::sound, 0, 0, "kept.ogg");
    QTest::mouseClick(button("Button3"), Qt::LeftButton);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(cell(project::sound), "kept.ogg");

    clickRow(rowOf("a.wav"));
    std::filesystem::remove(file("a.wav"));
    QTest::mouseClick(button("Button3"), Qt::LeftButton);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(cell(project::sound), "kept.ogg");
}

TEST_F(SoundLibrary, SelectingPlaysAPreviewThatTheNextSelectionStopCloseAndStopEnd) {
    if (!common::isOutputInitialised()) GTEST_SKIP() << "no audio output";
    open(sounds);
    clickRow(rowOf("a.wav"));
    const common::AudioStreamHandle first = form->libraryStream();
    ASSERT_NE(first, 0u);
    EXPECT_TRUE(common::isStreamPlaying(first));

    // The keyboard moves the selection to the other entry: the first preview is freed.
    QTest::keyClick(list(), rowOf("b.wav") > rowOf("a.wav") ? Qt::Key_Down : Qt::Key_Up);
    const common::AudioStreamHandle second = form->libraryStream();
    EXPECT_NE(second, first);
    EXPECT_FALSE(common::isStreamPlaying(first));
    EXPECT_TRUE(common::isStreamPlaying(second));

    QTest::mouseClick(button("Button1"), Qt::LeftButton);
    EXPECT_FALSE(common::isStreamPlaying(second));

    // A click on the entry that is already selected plays it again, looping when ticked.
    loop()->setChecked(true);
    clickRow(list()->currentRow());
    const common::AudioStreamHandle looping = form->libraryStream();
    ASSERT_NE(looping, 0u);
    QTest::qWait(200); // longer than the 60 ms tone
    EXPECT_TRUE(common::isStreamPlaying(looping));

    form->close();
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(common::isStreamPlaying(looping));
}

TEST_F(SoundLibrary, TheSliderSetsTheWholeOutputVolume) {
    open(sounds);
    EXPECT_EQ(slider()->value(), 100);
    EXPECT_DOUBLE_EQ(common::outputVolume(), 1.0);
    slider()->setValue(40);
    EXPECT_NEAR(common::outputVolume(), 0.4, 1e-6);
    common::setOutputVolume(1.0);
}

TEST_F(SoundLibrary, TheAttributeWindowsSoundButtonOpensItModally) {
    open(sounds);
    form->hide();
    app::windows().Form6 = form.get();
    attributes->show();
    bool wasModal = false;
    QTimer::singleShot(100, form.get(), [&] {
        wasModal = form->isVisible() && form->isModal();
        clickRow(rowOf("b.wav"));
        QTest::mouseClick(button("Button3"), Qt::LeftButton);
        if (form->isVisible()) form->done(0);
    });
    QTest::mouseClick(attributes->findChild<QPushButton*>("Button5"), Qt::LeftButton);
    EXPECT_TRUE(wasModal);
    EXPECT_EQ(attributes->findChild<QLineEdit*>("Edit2")->text().toStdString(), file("b.wav"));
    EXPECT_EQ(cell(project::sound), file("b.wav"));
}

} // namespace
