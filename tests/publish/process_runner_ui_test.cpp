// The program's converter runner: arguments, exit status, and the progress it shows.
#include "publish/process_runner_qt.h"

#include "support/test_files.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QProgressDialog>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using testing_support::readFile;

class QtProcessRunnerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // Logs its arguments one per line, waits a little, writes its last argument.
        script = dir.file("convert");
        testing_support::writeFile(script, "#!/bin/sh\n"
                                           "printf '%s\\n' \"$@\" > \"$(dirname \"$0\")/args\"\n"
                                           "sleep 0.2\n"
                                           "for last; do :; done\n"
                                           "printf done > \"$last\"\n"
                                           "exit ${CODE:-0}\n");
        fs::permissions(script, fs::perms::owner_all);
    }

    publish::ConversionProgress progressOf(int number, int total) {
        return {"/media/in/sea wave.avi", dir.file("sea wave.webm"), number, total};
    }

    testing_support::TempDir dir;
    std::string script;
};

TEST_F(QtProcessRunnerTest, EachArgumentArrivesWholeAndTheStatusComesBack) {
    publish::QtProcessRunner runner(nullptr, {});
    const std::string out = dir.file("a b.ogg");
    EXPECT_EQ(runner.run(script, {"-i", "it's \"x\" $HOME.wav", "-y", out}, out), 0);
    EXPECT_EQ(readFile(dir.file("args")), "-i\nit's \"x\" $HOME.wav\n-y\n" + out + "\n");
    EXPECT_EQ(readFile(out), "done");

    qputenv("CODE", "4");
    EXPECT_EQ(runner.run(script, {out}, out), 4);
    qunsetenv("CODE");
    EXPECT_EQ(runner.run(dir.file("missing"), {out}, out), -1);
    EXPECT_EQ(runner.run("/bin/sh", {"-c", "kill -9 $$"}, out), -1);
}

TEST_F(QtProcessRunnerTest, WithoutAWindowEachRunIsAnnouncedByALine) {
    std::vector<std::string> lines;
    publish::QtProcessRunner runner(nullptr, [&](const std::string& l) { lines.push_back(l); });
    runner.showProgress(progressOf(2, 5));
    EXPECT_EQ(runner.dialog(), nullptr);
    EXPECT_EQ(lines, std::vector<std::string>{"Преобразование 2 из 5: /media/in/sea wave.avi -> " +
                                              dir.file("sea wave.webm")});
}

TEST_F(QtProcessRunnerTest, OverAWindowAModalDialogShowsTheRunWhileItLasts) {
    QMainWindow main;
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    QString shownLabel;
    QWidget* modal = nullptr;
    bool painted = false;
    {
        publish::QtProcessRunner runner(&main, {});
        runner.showProgress(progressOf(2, 3));
        ASSERT_NE(runner.dialog(), nullptr);
        // Looked at while the converter runs: the dialog is up, modal, and the loop turns.
        QTimer::singleShot(50, [&] {
            modal = QApplication::activeModalWidget();
            shownLabel = runner.dialog()->labelText();
            painted = true;
        });
        const std::string out = dir.file("o.webm");
        EXPECT_EQ(runner.run(script, {out}, out), 0);
        EXPECT_TRUE(painted);
        EXPECT_EQ(modal, runner.dialog());
        EXPECT_EQ(runner.dialog()->value(), 1);
        EXPECT_EQ(runner.dialog()->maximum(), 3);

        // The user cannot dismiss it while the pass lasts.
        QTest::keyClick(runner.dialog(), Qt::Key_Escape);
        runner.dialog()->close();
        EXPECT_TRUE(runner.dialog()->isVisible());
    }
    EXPECT_EQ(shownLabel, "Преобразование файла sea wave.avi в sea wave.webm\n2 из 3");
    // Gone with the pass.
    QTest::qWait(10);
    EXPECT_TRUE(main.findChildren<QProgressDialog*>().isEmpty());
}

} // namespace
