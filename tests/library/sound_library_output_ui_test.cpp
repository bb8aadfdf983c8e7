// The sound library's preview as it reaches the output: SDL's "disk" driver writes the final
// mix to a file, so what the user would hear is read back sample by sample.
#include "library/sound_library_window.h"

#include "common/audio_output.h"
#include "editors/tone_file.h"
#include "support/test_files.h"
#include "support/wait_for.h"

#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <vector>

using library::TForm6;
using testing_support::TempDir;
using testing_support::waitFor;

namespace {

namespace fs = std::filesystem;

// The tone of writeToneWav: 440 Hz at amplitude 8000.
constexpr int kToneMs = 100;
constexpr int kToneAmplitude = 8000;
// Bytes of output a stopped preview may still have in the device's buffers.
constexpr std::uintmax_t kInFlight = 64 * 1024;

class SoundLibraryOutput : public ::testing::Test {
  protected:
    void SetUp() override {
        // SDL chooses its driver once per process, when the audio subsystem starts; ctest runs
        // every test in a process of its own.
        if (SDL_WasInit(SDL_INIT_AUDIO)) GTEST_SKIP() << "audio already started in this process";
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
        // One device buffer per 2 ms: many times real time.
        setenv("SDL_DISKAUDIODELAY", "2", 1);
        SDL_LogSetPriority(SDL_LOG_CATEGORY_AUDIO, SDL_NUM_LOG_PRIORITIES);
        fs::create_directory(dir.path() / "sounds");
        testing_support::writeToneWav((dir.path() / "sounds" / "tone.wav").string(), kToneMs);
        form = std::make_unique<TForm6>((dir.path() / "sounds").string());
        form->show();
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        if (!common::isOutputInitialised()) GTEST_SKIP() << "no disk audio driver";
    }
    void TearDown() override {
        if (form) form->done(0);
        form.reset();
        common::releaseOutput();
        common::setOutputVolume(1.0);
    }

    std::uintmax_t outputSize() {
        std::error_code error;
        const auto size = fs::file_size(output, error);
        return error ? 0 : size;
    }
    // The output's 16-bit samples from byte `from` to `to`.
    std::vector<std::int16_t> samples(std::uintmax_t from, std::uintmax_t to) {
        std::vector<std::int16_t> s((to - from) / 2);
        std::ifstream in(output, std::ios::binary);
        in.seekg(std::streamoff(from));
        in.read(reinterpret_cast<char*>(s.data()), std::streamsize(s.size() * 2));
        s.resize(std::size_t(in.gcount()) / 2);
        return s;
    }
    static int peak(const std::vector<std::int16_t>& s) {
        int p = 0;
        for (const std::int16_t v : s)
            p = std::max(p, std::abs(int(v)));
        return p;
    }
    // Waits for `bytes` more output after `from` and gives its peak.
    int peakOfNext(std::uintmax_t from, std::uintmax_t bytes) {
        EXPECT_TRUE(waitFor([&] { return outputSize() >= from + bytes; }));
        return peak(samples(from, from + bytes));
    }
    // Where the output has first become loud after `from`.
    std::optional<std::uintmax_t> soundStart(std::uintmax_t from) {
        std::optional<std::uintmax_t> found;
        waitFor([&] {
            const std::uintmax_t end = outputSize();
            const auto s = samples(from, end);
            for (std::size_t i = 0; i < s.size(); ++i) {
                if (std::abs(int(s[i])) > kToneAmplitude / 4) {
                    found = from + 2 * i;
                    return true;
                }
            }
            return false;
        });
        return found;
    }
    void selectTone() {
        QListWidget* list = form->findChild<QListWidget*>("ListBox1");
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(0)).center());
    }

    TempDir dir;
    std::string output = dir.file("out.raw");
    std::unique_ptr<TForm6> form;
};

// Output bytes of the tone: 16-bit stereo at 44100 Hz.
constexpr std::uintmax_t kToneBytes = std::uintmax_t(44100) * 4 * kToneMs / 1000;

TEST_F(SoundLibraryOutput, APreviewIsHeardAtTheSlidersVolumeAndStopEndsIt) {
    form->findChild<QSlider*>("TrackBar1")->setValue(50);
    selectTone();
    const auto start = soundStart(0);
    ASSERT_TRUE(start) << "the preview is heard";
    EXPECT_NEAR(peakOfNext(*start, kToneBytes / 2), kToneAmplitude / 2, kToneAmplitude / 10);

    // Played once: silence after its end.
    EXPECT_EQ(peakOfNext(*start + kToneBytes + kInFlight, kInFlight), 0);

    // Looping: still heard well past several lengths of the tone, until "Стоп".
    form->findChild<QSlider*>("TrackBar1")->setValue(100);
    form->findChild<QCheckBox*>("CheckBox1")->setChecked(true);
    selectTone();
    const auto again = soundStart(outputSize());
    ASSERT_TRUE(again);
    EXPECT_NEAR(peakOfNext(*again + 3 * kToneBytes, kToneBytes), kToneAmplitude,
                kToneAmplitude / 10);
    QTest::mouseClick(form->findChild<QPushButton*>("Button1"), Qt::LeftButton);
    EXPECT_EQ(peakOfNext(outputSize() + kInFlight, kInFlight), 0) << "Стоп";

    // Closing the window stops a looping preview too.
    selectTone();
    ASSERT_TRUE(soundStart(outputSize()));
    form->close();
    EXPECT_EQ(peakOfNext(outputSize() + kInFlight, kInFlight), 0) << "closed";
}

} // namespace
