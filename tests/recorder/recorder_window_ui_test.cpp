// The recorder window: its controls, the button table, the effect boxes, the displays, saving
// through the encoder, and opening from the sound library. RecorderWindow runs on SDL's dummy
// driver (recording delivers silence in real time); RecorderWindowOnDiskAudio picks the disk
// driver, which records a file made here ten times faster than real time, and so runs only in a
// process whose sound system has not started yet (as ctest runs each test).
#include "recorder/recorder_window.h"

#include "app/window_registry.h"
#include "common/audio_output.h"
#include "common/audio_stream.h"
#include "editors/attribute_window.h"
#include "library/folder_tree_widget.h"
#include "library/sound_library_window.h"
#include "project/project_state.h"
#include "recorder/recording_display.h"
#include "recorder/wav_header.h"
#include "support/test_files.h"
#include "support/wait_for.h"
#include "support/widget_events.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <SDL.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>

using recorder::TForm7;
using testing_support::FileDialogAnswer;
using testing_support::MessageBoxCatcher;
using testing_support::TempDir;
using testing_support::waitFor;

namespace {

using Buttons = std::array<bool, 4>; // "Запись", "Стоп", "Проиграть", "Сохранить"

// A stand-in encoder beside the executable: writes its working folder and arguments, one a
// line, to args.txt beside itself, and ends with `exitCode`.
void writeFakeEncoder(const std::filesystem::path& exeDir, int exitCode) {
    const std::string path = (exeDir / "oggenc").string();
    testing_support::writeFile(path, "#!/bin/sh\nprintf '%s\\n' \"$PWD\" \"$@\" > \"$(dirname "
                                     "\"$0\")/args.txt\"\nexit " +
                                         std::to_string(exitCode) + "\n");
    chmod(path.c_str(), 0755);
}

// ffprobe's view of a file: format and first stream, key=value.
std::map<std::string, std::string> probe(const std::string& path, const std::string& workDir) {
    const auto run = testing_support::runProgram(
        "/usr/bin/ffprobe",
        {"-v", "error", "-show_entries",
         "format=format_name,duration:stream=codec_name,sample_rate,channels,bit_rate", "-of",
         "default=noprint_wrappers=1", path},
        workDir);
    std::map<std::string, std::string> values;
    std::size_t from = 0;
    while (from < run.out.size()) {
        const std::size_t end = run.out.find('\n', from);
        const std::string line = run.out.substr(from, end - from);
        if (const std::size_t eq = line.find('='); eq != std::string::npos)
            values[line.substr(0, eq)] = line.substr(eq + 1);
        if (end == std::string::npos) break;
        from = end + 1;
    }
    return values;
}

} // namespace

class RecorderWindowBase : public ::testing::Test {
  protected:
    void TearDown() override {
        if (form) form->hide();
        form.reset();
        app::windows() = app::Windows{};
        common::setOutputVolume(1.0);
    }
    void open(std::size_t bufferLimit = recorder::RecordBuffer::kNoLimit) {
        form = std::make_unique<TForm7>(exeDir.path().string(), nullptr, bufferLimit);
        form->show();
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    QPushButton* button(const char* name) { return form->findChild<QPushButton*>(name); }
    QComboBox* combo(const char* name) { return form->findChild<QComboBox*>(name); }
    QLineEdit* edit(const char* name) { return form->findChild<QLineEdit*>(name); }
    QTimer* timer(const char* name) { return form->findChild<QTimer*>(name); }
    QString panel(int n) { return form->findChild<QLabel*>(QString("Panel%1").arg(n))->text(); }
    Buttons buttons() {
        return {button("Button1")->isEnabled(), button("Button2")->isEnabled(),
                button("Button3")->isEnabled(), button("Button4")->isEnabled()};
    }
    void click(const char* name) { QTest::mouseClick(button(name), Qt::LeftButton); }
    // Types into a box and then moves the focus to the quality selector.
    void typeAndLeave(const char* box, const QString& text) {
        QLineEdit* e = edit(box);
        e->setFocus(Qt::TabFocusReason);
        e->selectAll();
        QTest::keyClicks(e, text);
        combo("ComboBox3")->setFocus(Qt::TabFocusReason);
    }
    std::vector<std::byte> image() {
        return form->engine().buffer().read([](std::span<const std::byte> i) {
            return std::vector<std::byte>(i.begin(), i.end());
        });
    }
    // Records at least `ms` of sound and something more than nothing.
    void recordFor(int ms) {
        click("Button1");
        ASSERT_TRUE(form->engine().isRecording());
        QTest::qWait(ms);
        ASSERT_TRUE(waitFor([&] { return form->engine().buffer().length() > 44 + 4096; }));
        click("Button2");
        ASSERT_FALSE(form->engine().isRecording());
    }
    std::string args() { return testing_support::readFile(exeDir.file("args.txt")); }
    std::string workFile() { return exeDir.file("temp.wav"); }

    TempDir exeDir;
    std::unique_ptr<TForm7> form;
};

class RecorderWindow : public RecorderWindowBase {};

TEST_F(RecorderWindow, ControlsAtStart) {
    open();
    EXPECT_EQ(form->windowTitle(), "Запись звука");
    EXPECT_EQ(form->size(), QSize(546, 448));
    EXPECT_EQ(form->minimumSize(), form->maximumSize()) << "fixed border";

    struct ComboCase {
        const char* name;
        QStringList items;
        int current;
    };
    const ComboCase combos[] = {
        {"ComboBox1", {"моно", "стерео"}, 1},
        {"ComboBox2", {"8000", "16000", "22500", "32000", "44100", "48000"}, 4},
        {"ComboBox3",
         {"2 - минимальное", "3", "4", "5", "6", "7", "8", "9", "10 - максимальное"},
         0},
        {"ComboBox6", {"отсутствует", "минимальное", "среднее", "максимальное"}, 0},
    };
    for (const ComboCase& c : combos) {
        SCOPED_TRACE(c.name);
        QStringList items;
        for (int i = 0; i < combo(c.name)->count(); ++i)
            items << combo(c.name)->itemText(i);
        EXPECT_EQ(items, c.items);
        EXPECT_EQ(combo(c.name)->currentIndex(), c.current);
    }
    EXPECT_EQ(edit("Edit1")->text(), "1");
    EXPECT_EQ(edit("Edit2")->text(), "1");
    EXPECT_EQ(combo("ComboBox4")->toolTip(), "Устройство записи");
    EXPECT_EQ(combo("ComboBox5")->toolTip(), "Устройство воспроизведения");
    // The dummy driver offers one device each way; both are selected.
    EXPECT_EQ(combo("ComboBox4")->count(), 1);
    EXPECT_EQ(combo("ComboBox4")->currentIndex(), 0);
    EXPECT_EQ(combo("ComboBox5")->currentIndex(), combo("ComboBox5")->count() - 1);

    QStringList groups;
    for (const char* name : {"GroupBox1", "GroupBox2", "GroupBox3"})
        groups << form->findChild<QGroupBox*>(name)->title();
    EXPECT_EQ(groups, QStringList({"Параметры", "Эффекты", "Устройства"}));
    QStringList labels;
    for (const QLabel* label : form->findChildren<QLabel*>())
        if (!label->objectName().startsWith("Panel")) labels << label->text();
    labels.sort();
    QStringList expectedLabels{"Режим", "Частота", "Качество", "Амплитуда",
                               "Темп",  "Эхо",     "Запись",   "Воспроизведение"};
    expectedLabels.sort();
    EXPECT_EQ(labels, expectedLabels);
    QStringList captions;
    for (const char* name : {"Button1", "Button2", "Button3", "Button4"})
        captions << button(name)->text();
    EXPECT_EQ(captions, QStringList({"Запись", "Стоп", "Проиграть", "Сохранить"}));
    EXPECT_EQ(buttons(), (Buttons{true, false, false, false}));

    EXPECT_TRUE(timer("Timer1")->isActive());
    EXPECT_EQ(timer("Timer1")->interval(), 1000);
    EXPECT_FALSE(timer("Timer2")->isActive());
    EXPECT_EQ(timer("Timer2")->interval(), 100);

    auto* view = form->findChild<QChartView*>("Chart1");
    ASSERT_NE(view, nullptr);
    QChart* chart = view->chart();
    EXPECT_FALSE(chart->legend()->isVisible());
    EXPECT_TRUE(chart->title().isEmpty());
    auto* axisY = qobject_cast<QValueAxis*>(chart->axes(Qt::Vertical).value(0));
    ASSERT_NE(axisY, nullptr);
    EXPECT_EQ(axisY->min(), -1);
    EXPECT_EQ(axisY->max(), 1);
    EXPECT_EQ(form->waveformSeries()->pen().color(), QColor(0, 128, 0));
    EXPECT_EQ(form->cursorSeries()->pen().color(), QColor(255, 0, 0));
}

TEST_F(RecorderWindow, ButtonsFollowTheTable) {
    open();
    click("Button1");
    EXPECT_EQ(buttons(), (Buttons{false, true, false, false})) << "recording";
    QTest::qWait(300);
    ASSERT_TRUE(waitFor([&] { return form->engine().buffer().length() > 44 + 4096; }));
    click("Button2");
    EXPECT_EQ(buttons(), (Buttons{true, false, true, true})) << "stopped";
    EXPECT_TRUE(panel(0).startsWith("Продолжительность записи: "));
    EXPECT_EQ(form->waveformSeries()->count(), 999);

    click("Button3");
    EXPECT_EQ(buttons(), (Buttons{true, true, true, true})) << "playing";
    EXPECT_TRUE(timer("Timer2")->isActive());
    ASSERT_TRUE(waitFor([&] { return !timer("Timer2")->isActive(); }));
    EXPECT_EQ(buttons(), (Buttons{true, false, true, true})) << "played to its end";
    const double duration = form->engine().buffer().read(recorder::recordingDuration);
    EXPECT_DOUBLE_EQ(form->playbackPosition(), duration);
    EXPECT_EQ(panel(1).toStdString(), recorder::positionText(duration));
    const QList<QPointF> cursor = form->cursorSeries()->points();
    ASSERT_EQ(cursor.size(), 2);
    EXPECT_EQ(cursor[0], QPointF(duration, -1));
    EXPECT_EQ(cursor[1], QPointF(duration + 0.001, 1));

    // "Стоп" during playback: the sound stops at once, the display at its next tick.
    click("Button3");
    ASSERT_NE(form->engine().playStream(), 0u);
    click("Button2");
    EXPECT_EQ(form->engine().playStream(), 0u);
    EXPECT_EQ(buttons(), (Buttons{true, false, true, true}));
    ASSERT_TRUE(waitFor([&] { return !timer("Timer2")->isActive(); }, 3000));
    EXPECT_DOUBLE_EQ(form->playbackPosition(), duration);

    // A new recording discards the old one and clears only the waveform.
    click("Button1");
    EXPECT_EQ(form->waveformSeries()->count(), 0);
    EXPECT_EQ(form->cursorSeries()->count(), 2);
    EXPECT_FALSE(common::isOutputInitialised()) << "the whole output is released";
    click("Button2");
}

TEST_F(RecorderWindow, TheDisplayFollowsARecordingEverySecond) {
    open();
    click("Button1");
    ASSERT_TRUE(waitFor([&] { return form->waveformSeries()->count() == 999; }, 3000));
    EXPECT_TRUE(form->engine().isRecording());
    const QString first = panel(0);
    EXPECT_TRUE(first.startsWith("Продолжительность записи: ")) << first.toStdString();
    ASSERT_TRUE(waitFor([&] { return panel(0) != first; }, 3000)) << "the next tick";
    click("Button2");
}

TEST_F(RecorderWindow, LeavingTheEffectBoxesLimitsThem) {
    open();
    struct Case {
        const char* box;
        const char* typed;
        const char* shown;
    };
    const Case cases[] = {{"Edit2", "7", "3"},     {"Edit1", "0,5", "0.1"}, {"Edit2", "0,5", "0.3"},
                          {"Edit1", "0.5", "0.5"}, {"Edit1", "2", "1"},     {"Edit2", "", "0.3"},
                          {"Edit2", "1.5", "1.5"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.box << " " << c.typed);
        typeAndLeave(c.box, c.typed);
        EXPECT_EQ(edit(c.box)->text(), c.shown);
    }
}

TEST_F(RecorderWindow, SaveDialogOffersOggAndAllFilesAndCancelDoesNothing) {
    writeFakeEncoder(exeDir.path(), 0);
    open();
    click("Button4");
    EXPECT_FALSE(std::filesystem::exists(workFile())) << "disabled without a recording";
    recordFor(200);
    FileDialogAnswer answer("");
    click("Button4");
    EXPECT_TRUE(answer.answered);
    EXPECT_EQ(answer.filters, QStringList({"Ogg-файлы (*.ogg)", "Все файлы (*.*)"}));
    EXPECT_FALSE(std::filesystem::exists(workFile()));
    EXPECT_EQ(form->runningEncoders(), 0);
}

TEST_F(RecorderWindow, TheEncoderGetsEachPathAsOneArgument) {
    writeFakeEncoder(exeDir.path(), 0);
    TempDir target;
    std::filesystem::create_directory(target.path() / "folder with blanks");
    open();
    recordFor(200);
    struct Case {
        std::string typed;
        int quality;
        std::string saved;
    };
    const std::string base = target.path().string() + "/";
    const Case cases[] = {
        {base + "rec", 0, base + "rec.ogg"},
        {base + "rec.OGG", 8, base + "rec.OGG"},
        {base + "rec.Ogg", 3, base + "rec.Ogg"},
        {base + "rec.mp3", 1, base + "rec.mp3.ogg"},
        {base + "folder with blanks/my rec", 4, base + "folder with blanks/my rec.ogg"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        std::filesystem::remove(exeDir.file("args.txt"));
        combo("ComboBox3")->setCurrentIndex(c.quality);
        FileDialogAnswer answer(QString::fromStdString(c.typed));
        click("Button4");
        ASSERT_TRUE(answer.answered);
        ASSERT_TRUE(waitFor([&] { return form->runningEncoders() == 0; }));
        EXPECT_EQ(args(), exeDir.path().string() + "\n-q\n" + std::to_string(c.quality + 2) +
                              "\n-o\n" + c.saved + "\n" + workFile() + "\n");
    }
    // The work file is the whole WAV image, header included.
    const std::string wav = testing_support::readFile(workFile());
    const auto img = image();
    ASSERT_EQ(wav.size(), img.size());
    EXPECT_EQ(std::memcmp(wav.data(), img.data(), img.size()), 0);
}

TEST_F(RecorderWindow, AnEncoderThatFailsIsReportedWhenItEnds) {
    writeFakeEncoder(exeDir.path(), 1);
    open();
    recordFor(200);
    MessageBoxCatcher catcher;
    form->saveRecording(QString::fromStdString(exeDir.file("rec")));
    EXPECT_TRUE(catcher.texts.isEmpty()) << "the window does not wait for the encoder";
    ASSERT_TRUE(waitFor([&] { return !catcher.texts.isEmpty(); }));
    EXPECT_EQ(catcher.texts, QStringList({"Ошибка кодирования файла!"}));

    writeFakeEncoder(exeDir.path(), 0);
    catcher.texts.clear();
    form->saveRecording(QString::fromStdString(exeDir.file("rec")));
    ASSERT_TRUE(waitFor([&] { return form->runningEncoders() == 0; }));
    QTest::qWait(50);
    EXPECT_TRUE(catcher.texts.isEmpty());
}

TEST_F(RecorderWindow, AnEncoderThatCannotStartIsReported) {
    // No encoder beside the executable, and none on the search path.
    TempDir emptyPath;
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(emptyPath.path().string()));
    open();
    EXPECT_EQ(form->encoderProgram(), "oggenc");
    recordFor(200);
    MessageBoxCatcher catcher;
    form->saveRecording(QString::fromStdString(exeDir.file("rec")));
    qputenv("PATH", path);
    EXPECT_EQ(catcher.texts, QStringList({"Ошибка кодирования файла!"}));
    EXPECT_EQ(form->runningEncoders(), 0);
}

TEST_F(RecorderWindow, TheEncoderBesideTheExecutableComesFirst) {
    open();
    EXPECT_EQ(form->encoderProgram(), QStandardPaths::findExecutable("oggenc"));
    writeFakeEncoder(exeDir.path(), 0);
    EXPECT_EQ(form->encoderProgram(), QString::fromStdString(exeDir.file("oggenc")));
}

TEST_F(RecorderWindow, AWorkFileThatCannotBeWrittenIsReportedAndNothingStarts) {
    writeFakeEncoder(exeDir.path(), 0);
    open();
    recordFor(200);
    MessageBoxCatcher catcher;
    {
        const testing_support::FileSizeLimit full(1000);
        form->saveRecording(QString::fromStdString(exeDir.file("rec")));
    }
    EXPECT_EQ(catcher.texts, QStringList({"Ошибка открытия файла для записи!"}));
    QTest::qWait(50);
    EXPECT_FALSE(std::filesystem::exists(exeDir.file("args.txt")));
}

TEST_F(RecorderWindow, TheWorkFileGoesToTheTemporaryFolderWhenTheExecutablesIsMissing) {
    open();
    EXPECT_EQ(form->workFilePath(), QString::fromStdString(workFile()));
    const TForm7 elsewhere(exeDir.file("missing"));
    EXPECT_EQ(elsewhere.workFilePath(), QDir(QDir::tempPath()).filePath("temp.wav"));
}

TEST_F(RecorderWindow, TheSoundLibraryOpensItModallyOverItself) {
    open();
    form->hide();
    project::ProjectState project;
    editors::TForm8 attributes(project);
    app::windows().Form8 = &attributes;
    library::TForm6 sounds(exeDir.path().string());
    app::windows().Form7 = form.get();
    sounds.show();
    bool shownModally = false;
    QPoint centre;
    QTimer::singleShot(50, [&] {
        shownModally = QApplication::activeModalWidget() == form.get();
        centre = form->geometry().center();
        form->close();
    });
    QTest::mouseClick(sounds.findChild<QPushButton*>("Button2"), Qt::LeftButton);
    EXPECT_TRUE(shownModally);
    // Within the frame's margins.
    EXPECT_LE((centre - sounds.geometry().center()).manhattanLength(), 8);
    EXPECT_FALSE(form->isVisible());
    sounds.hide();
}

TEST(RecorderWindowWithoutSound, NoCaptureDeviceIsNormal) {
    // A fresh process, so that SDL has not picked a driver yet: none can start there.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            qputenv("SDL_AUDIODRIVER", "no-such-driver");
            TempDir dir;
            std::string failures;
            auto check = [&](bool ok, const char* what) {
                if (!ok) failures += std::string(what) + "; ";
            };
            TForm7 form(dir.path().string());
            form.show();
            auto* record = form.findChild<QPushButton*>("Button1");
            check(form.findChild<QComboBox*>("ComboBox4")->count() == 0, "input list");
            MessageBoxCatcher catcher;
            QTest::mouseClick(record, Qt::LeftButton);
            check(catcher.texts == QStringList({"Couldn't start recording"}), "message");
            check(record->isEnabled() && !form.findChild<QPushButton*>("Button2")->isEnabled() &&
                      !form.findChild<QPushButton*>("Button3")->isEnabled() &&
                      !form.findChild<QPushButton*>("Button4")->isEnabled(),
                  "buttons unchanged");
            check(!form.engine().hasRecording(), "no recording");
            form.Button3Click();
            form.Button4Click();
            check(form.engine().playStream() == 0, "nothing plays");
            std::fputs(failures.c_str(), stderr);
            std::exit(failures.empty() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

// On the disk driver: the input is read from in.raw, the output written to out.raw.
class RecorderWindowOnDiskAudio : public RecorderWindowBase {
  protected:
    static void SetUpTestSuite() {
        s_dir = std::make_unique<TempDir>();
        // Read when the sound system starts; the file names at every device open.
        if (!SDL_WasInit(SDL_INIT_AUDIO)) setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", s_dir->file("out.raw").c_str(), 1);
        setenv("SDL_DISKAUDIOFILEIN", s_dir->file("in.raw").c_str(), 1);
        setenv("SDL_DISKAUDIODELAY", "2", 1);
        SDL_LogSetPriority(SDL_LOG_CATEGORY_AUDIO, SDL_NUM_LOG_PRIORITIES);
        // Two seconds of a stereo square wave of 441 Hz: left ±12000, right ±6000.
        std::string bytes;
        for (int i = 0; i < 88200; ++i) {
            const bool high = i % 100 < 50;
            for (std::int16_t s :
                 {std::int16_t(high ? 12000 : -12000), std::int16_t(high ? 6000 : -6000)}) {
                bytes += char(s & 0xFF);
                bytes += char((s >> 8) & 0xFF);
            }
        }
        testing_support::writeFile(s_dir->file("in.raw"), bytes);
    }
    static void TearDownTestSuite() { s_dir.reset(); }
    void SetUp() override {
        if (SDL_WasInit(SDL_INIT_AUDIO) && std::strcmp(SDL_GetCurrentAudioDriver(), "disk") != 0)
            GTEST_SKIP() << "the sound system started on another driver in this process";
    }
    static std::string rawOutput() { return testing_support::readFile(s_dir->file("out.raw")); }
    // Records until `bytes` of samples are in.
    void recordAtLeast(std::uint32_t bytes) {
        click("Button1");
        ASSERT_TRUE(waitFor([&] { return form->engine().buffer().length() >= 44 + bytes; }));
        click("Button2");
    }

    static std::unique_ptr<TempDir> s_dir;
};

std::unique_ptr<TempDir> RecorderWindowOnDiskAudio::s_dir;

TEST_F(RecorderWindowOnDiskAudio, RecordShapePlaySaveAndFindInTheSoundLibrary) {
    const std::filesystem::path soundsDir = exeDir.path() / "sounds";
    std::filesystem::create_directory(soundsDir);
    project::ProjectState project;
    editors::TForm8 attributes(project);
    app::windows().Form8 = &attributes;
    library::TForm6 sounds(soundsDir.string());
    EXPECT_EQ(sounds.entries().size(), 0u);
    open();

    // Record: the display shows the growing recording every second.
    click("Button1");
    ASSERT_TRUE(waitFor([&] { return form->waveformSeries()->count() == 999; }, 3000));
    typeAndLeave("Edit2", "1.5");
    combo("ComboBox6")->setCurrentIndex(2); // "среднее"
    const std::uint32_t before = form->engine().buffer().length();
    click("Button2");

    const auto img = image();
    const std::size_t frames = (img.size() - 44) / 4;
    EXPECT_GE(frames, std::size_t((before - 44) / 4 / 1.5)) << "tempo 1.5 shortened it";
    EXPECT_EQ(recorder::readLe32(img, 40), img.size() - 44);
    const double duration = recorder::recordingDuration(img);
    EXPECT_EQ(panel(0).toStdString(), recorder::durationText(duration));
    EXPECT_EQ(form->waveformSeries()->count(), 999);
    EXPECT_NEAR(form->waveformSeries()->points().back().x(), 0.999 * duration, 1e-9);

    // The left channel: the 2-second square wave scaled to full scale and 1.5 times faster, so
    // it ends at frame 58800; the medium echo (D = 14700 frames, 0.4 and 0.16) reaches no
    // frame up to 29400 and follows the wave for 2 × D frames after its end.
    auto left = [&](std::size_t frame) {
        std::int16_t s = 0;
        std::memcpy(&s, img.data() + 44 + frame * 4, 2);
        return int(s);
    };
    auto loudest = [&](std::size_t from, std::size_t to) {
        int peak = 0;
        for (std::size_t k = from; k < to; ++k)
            peak = std::max(peak, std::abs(left(k)));
        return peak;
    };
    ASSERT_GT(frames, 100000u);
    EXPECT_EQ(left(0), 32767);
    int signChanges = 0;
    for (std::size_t k = 1; k <= 29400; ++k)
        if ((left(k) < 0) != (left(k - 1) < 0)) ++signChanges;
    EXPECT_NEAR(signChanges, 882, 2) << "441 periods of the input in 1/1.5 of their time";
    EXPECT_EQ(loudest(0, 29400), 32767);
    EXPECT_LE(loudest(59000, 73400), int(0.56 * 32767) + 1);
    EXPECT_GE(loudest(59000, 73400), int(0.2 * 32767)); // a and a² may have opposite signs
    EXPECT_NEAR(loudest(73600, 88100), int(0.16 * 32767), 1);
    EXPECT_EQ(loudest(88300, frames), 0);

    // Play, at about twice real time so that the display ticks many times: the cursor moves
    // to the end, then "Стоп" is disabled.
    setenv("SDL_DISKAUDIODELAY", "10", 1);
    click("Button3");
    setenv("SDL_DISKAUDIODELAY", "2", 1);
    std::vector<double> positions;
    ASSERT_TRUE(waitFor([&] {
        positions.push_back(form->playbackPosition());
        return !timer("Timer2")->isActive();
    }));
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
    EXPECT_GT(std::count_if(positions.begin(), positions.end(),
                            [&](double p) { return p > 0 && p < duration; }),
              0)
        << "the position moved through the recording";
    EXPECT_DOUBLE_EQ(form->playbackPosition(), duration);
    EXPECT_FALSE(button("Button2")->isEnabled());
    EXPECT_NE(rawOutput().find_first_not_of('\0'), std::string::npos) << "it was heard";

    // Save into the sound library folder.
    FileDialogAnswer answer(QString::fromStdString((soundsDir / "мой звук").string()));
    click("Button4");
    ASSERT_TRUE(answer.answered);
    ASSERT_TRUE(waitFor([&] { return form->runningEncoders() == 0; }, 30000));
    const std::string saved = (soundsDir / "мой звук.ogg").string();
    const auto info = probe(saved, exeDir.path().string());
    EXPECT_EQ(info.count("format_name") ? info.at("format_name") : "", "ogg");
    EXPECT_EQ(info.count("codec_name") ? info.at("codec_name") : "", "vorbis");
    EXPECT_EQ(info.count("channels") ? info.at("channels") : "", "2");
    EXPECT_EQ(info.count("sample_rate") ? info.at("sample_rate") : "", "44100");
    EXPECT_NEAR(std::atof(info.count("duration") ? info.at("duration").c_str() : "0"), duration,
                0.05);

    // The library lists it once its folder is selected again.
    sounds.folderTree()->setFolder(QDir::homePath());
    sounds.folderTree()->setFolder(QString::fromStdString(soundsDir.string()));
    ASSERT_EQ(sounds.entries().size(), 1u);
    EXPECT_EQ(sounds.entries().front(), saved);
    // And hands it to the current region's cell like any other sound.
    auto* list = sounds.findChild<QListWidget*>("ListBox1");
    list->setCurrentRow(0);
    sounds.Button3Click();
    EXPECT_EQ(project.myAttrs.get(project::sound, project.currentColor, attributes.selectedEvent()),
              saved);
}

TEST_F(RecorderWindowOnDiskAudio, OggencGetsTheChosenQualityAndTheNameRule) {
    TempDir target;
    std::filesystem::create_directory(target.path() / "folder with blanks");
    open();
    recordAtLeast(88200 * 4);
    struct Case {
        std::string typed;
        int quality;
        std::string saved;
    };
    const std::string base = target.path().string() + "/";
    const Case cases[] = {
        {base + "rec", 0, base + "rec.ogg"},
        {base + "rec.OGG", 8, base + "rec.OGG"},
        {base + "folder with blanks/rec", 3, base + "folder with blanks/rec.ogg"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        combo("ComboBox3")->setCurrentIndex(c.quality);
        form->saveRecording(QString::fromStdString(c.typed));
        ASSERT_TRUE(waitFor([&] { return form->runningEncoders() == 0; }, 30000));
        // The encoder's nominal bit rate tells its quality: the same as oggenc's own at that -q.
        const std::string reference = target.file("reference.ogg");
        const auto run = testing_support::runProgram(
            "/usr/bin/oggenc",
            {"-Q", "-q", std::to_string(c.quality + 2), "-o", reference, workFile()},
            target.path().string());
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const auto info = probe(c.saved, target.path().string());
        ASSERT_EQ(info.count("codec_name"), 1u) << "no file at " << c.saved;
        EXPECT_EQ(info.at("codec_name"), "vorbis");
        EXPECT_EQ(info.at("bit_rate"), probe(reference, target.path().string()).at("bit_rate"));
    }
    EXPECT_LT(std::stoi(probe(base + "rec.ogg", base).at("bit_rate")),
              std::stoi(probe(base + "rec.OGG", base).at("bit_rate")))
        << "quality 2 against 10";
}

TEST_F(RecorderWindowOnDiskAudio, OutOfMemoryLeavesNothingToPlayOrSave) {
    open(700000);
    MessageBoxCatcher catcher;
    click("Button1");
    ASSERT_TRUE(waitFor([&] { return !catcher.texts.isEmpty(); }));
    EXPECT_EQ(catcher.texts, QStringList({"Out of memory!"}));
    EXPECT_FALSE(form->engine().isRecording());
    EXPECT_FALSE(form->engine().hasRecording());
    click("Button2");
    EXPECT_EQ(buttons(), (Buttons{true, false, true, true}));
    click("Button3");
    EXPECT_EQ(form->engine().playStream(), 0u);
    EXPECT_FALSE(timer("Timer2")->isActive());
    FileDialogAnswer answer(QString::fromStdString(exeDir.file("rec")));
    click("Button4");
    QTest::qWait(50);
    EXPECT_FALSE(answer.answered);
    EXPECT_EQ(catcher.texts.size(), 1);
}

TEST_F(RecorderWindowOnDiskAudio, ChangingTheInputWhileRecordingEndsItWithoutEffects) {
    open();
    typeAndLeave("Edit2", "2");
    click("Button1");
    ASSERT_TRUE(waitFor([&] { return form->engine().buffer().length() > 44 + 40000; }));
    form->ComboBox4Change();
    EXPECT_FALSE(form->engine().isRecording());
    EXPECT_EQ(buttons(), (Buttons{false, true, false, false})) << "buttons unchanged";
    const auto ended = image();
    EXPECT_EQ(recorder::readLe32(ended, 4), ended.size() - 8);
    EXPECT_EQ(recorder::readLe32(ended, 40), ended.size() - 44);
    click("Button2");
    EXPECT_EQ(image(), ended) << "\"Стоп\" applies no effects now";
    EXPECT_EQ(buttons(), (Buttons{true, false, true, true}));
}
