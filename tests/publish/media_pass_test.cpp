#include "publish/media_pass.h"

#include "project/region_attributes.h"
#include "publish/export_settings.h"
#include "publish/publisher.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;
using testing_support::readFile;
using testing_support::writeFile;

class RecordingReporter : public publish::PublishReporter {
  public:
    void info(const std::string& message) override { messages.push_back("info: " + message); }
    void error(const std::string& message) override { messages.push_back("error: " + message); }
    std::vector<std::string> messages;
};

// A stand-in converter: logs its own path and each argument on a line of their own, then
// writes its last argument (the output) naming the source. The failing variants write part
// of the output first, or nothing at all, and exit with an error.
const char* const kConverter = R"(#!/bin/sh
log="$(dirname "$0")/calls.log"
{ printf '%s\n' "$0"; for a in "$@"; do printf '%s\n' "$a"; done; printf -- '--\n'; } >> "$log"
for last; do :; done
MODE
)";

struct Call {
    std::string program;
    Args args;
    bool operator==(const Call&) const = default;
};

void PrintTo(const Call& call, std::ostream* os) {
    *os << call.program;
    for (const std::string& a : call.args)
        *os << " [" << a << "]";
}

class MediaPassTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(dir.path() / "bin");
        fs::create_directories(dir.path() / "src");
        fs::create_directories(dir.path() / "page");
        ffmpeg = installConverter("ffmpeg", "printf 'converted %s' \"$2\" > \"$last\"");
        settings.ffmpegPath = ffmpeg;
        imagePath = dir.file("page/photo.jpg");
        media = dir.file("page/qiv_zarim") + "/";
        attrs.rowCount = 200;
    }

    std::string installConverter(const std::string& name, const std::string& mode) {
        std::string script = kConverter;
        script.replace(script.find("MODE"), 4, mode);
        const std::string path = dir.file("bin/" + name);
        writeFile(path, script);
        fs::permissions(path, fs::perms::owner_all);
        return path;
    }

    // A source file under src/ with its name as content.
    std::string source(const std::string& name) {
        const std::string path = dir.file("src/" + name);
        fs::create_directories(fs::path(path).parent_path());
        writeFile(path, "source " + name);
        return path;
    }

    void run() {
        publish::PosixProcessRunner runner;
        publish::runMediaPass(attrs, imagePath, settings, runner, reporter,
                              [this](const publish::ConversionProgress& p) {
                                  progress.push_back(std::to_string(p.number) + "/" +
                                                     std::to_string(p.total) + " " +
                                                     fs::path(p.output).filename().string());
                              });
    }

    std::vector<Call> calls() const {
        std::vector<Call> out;
        std::istringstream log(readFile(dir.file("bin/calls.log")));
        std::string line;
        Call call;
        bool first = true;
        while (std::getline(log, line)) {
            if (line == "--") {
                out.push_back(call);
                call = {};
                first = true;
            } else if (first) {
                call.program = line;
                first = false;
            } else {
                call.args.push_back(line);
            }
        }
        return out;
    }

    Call sound(const std::string& src, const std::string& out, const std::string& ab = "128000",
               const std::string& ac = "2") const {
        return {ffmpeg, {"-i", src, "-ab", ab, "-ac", ac, "-y", media + out}};
    }

    Call video(const std::string& src, const std::string& out, const std::string& sizeFlag,
               const std::string& size) const {
        return {ffmpeg,
                {"-i", src, "-ab", "128000", "-ac", "2", "-b", "512k", sizeFlag, size, "-y",
                 media + out}};
    }

    std::vector<std::string> mediaFiles() const {
        std::vector<std::string> names;
        if (fs::is_directory(media))
            for (const auto& entry : fs::directory_iterator(media))
                names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    testing_support::TempDir dir;
    std::string ffmpeg;
    std::string imagePath;
    std::string media;
    publish::ExportSettings settings;
    project::RegionAttributes attrs;
    RecordingReporter reporter;
    std::vector<std::string> progress;
};

TEST_F(MediaPassTest, SoundsAlreadyInATargetFormatAreCopiedTheRestConverted) {
    struct Case {
        const char* name;
        std::vector<const char*> copied;    // outputs that are byte copies of the source
        std::vector<const char*> converted; // outputs made by the converter, in order
    };
    const Case cases[] = {
        {"bell.MP3", {"bell.mp3"}, {"bell.ogg"}},
        {"bell.ogg", {"bell.ogg"}, {"bell.mp3"}},
        {"bell.Ogg", {"bell.ogg"}, {"bell.mp3"}},
        {"bell.wav", {}, {"bell.mp3", "bell.ogg"}},
        {"two.dots.mp3", {"two.dots.mp3"}, {"two.dots.ogg"}},
        {"noextension", {}, {".mp3", ".ogg"}}, // base name empty without a "."
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(media);
        fs::remove(dir.file("bin/calls.log"));
        attrs.clearAll();
        attrs.rowCount = 1;
        const std::string src = source(c.name);
        attrs.set(project::sound, 0, 1, src);
        run();
        for (const char* out : c.copied)
            EXPECT_EQ(readFile(media + out), "source " + std::string(c.name)) << out;
        std::vector<Call> expected;
        for (const char* out : c.converted) {
            expected.push_back(sound(src, out));
            EXPECT_EQ(readFile(media + out), "converted " + src) << out;
        }
        EXPECT_EQ(calls(), expected);
        EXPECT_TRUE(reporter.messages.empty());
    }
}

TEST_F(MediaPassTest, ArgumentValuesFollowTheSettings) {
    struct Case {
        int channels;
        const char* bitrate;
        const char* ab;
        const char* ac;
    };
    const Case cases[] = {
        {1, "40k", "40000", "1"},
        {2, "64k", "64000", "2"},
        {0, "96k", "96000", "2"},
        {3, "128k", "128000", "2"},
        {2, "192k", "192000", "2"},
        {1, "256k", "256000", "1"},
        {2, "320k", "320000", "2"},
        // Not in the list (the settings window would have corrected it): the default.
        {2, "100k", "128000", "2"},
    };
    const std::string src = source("a.wav");
    for (const Case& c : cases) {
        settings.soundChannels = c.channels;
        settings.soundBitrate = c.bitrate;
        EXPECT_EQ(publish::soundArguments(settings, src, "/o/a.ogg"),
                  (Args{"-i", src, "-ab", c.ab, "-ac", c.ac, "-y", "/o/a.ogg"}))
            << c.bitrate;
    }
    settings = {};
    for (const char* vbr : {"384k", "512k", "768k", "1024k"}) {
        settings.videoBitrate = vbr;
        EXPECT_EQ(publish::videoArguments(settings, src, "320", "240", "/o/a.mp4")[7], vbr);
    }
    settings.videoBitrate = "2M";
    EXPECT_EQ(publish::videoArguments(settings, src, "320", "240", "/o/a.mp4")[7], "512k");
}

TEST_F(MediaPassTest, VideosAreAlwaysConvertedWithOrWithoutASize) {
    attrs.rowCount = 2;
    const std::string sea = source("clips/sea.avi");
    const std::string mp4 = source("film.MP4"); // already a target format: still converted
    attrs.set(project::video, 0, 0, sea);
    attrs.set(project::videoWidth, 0, 0, "320");
    attrs.set(project::videoHeight, 0, 0, "240");
    attrs.set(project::video, 1, 0, mp4);
    attrs.set(project::videoWidth, 1, 0, "320"); // height missing: no size at all
    attrs.set(project::video, 1, 1, mp4);
    attrs.set(project::videoHeight, 1, 1, "240"); // width missing, and already converted
    run();
    EXPECT_EQ(calls(), (std::vector<Call>{
                           video(sea, "sea.mp4", "-s", "320x240"),
                           video(sea, "sea.ogv", "-s", "320x240"),
                           video(sea, "sea.webm", "-s", "320x240"),
                           video(mp4, "film.mp4", "-y", "-y"),
                           video(mp4, "film.ogv", "-y", "-y"),
                           video(mp4, "film.webm", "-y", "-y"),
                       }));
    EXPECT_EQ(readFile(media + "film.mp4"), "converted " + mp4);
}

TEST_F(MediaPassTest, WalksColoursThenEventsThenKindsThenTheMusic) {
    // Every source is missing, so each step shows in the messages, in the order it is taken.
    attrs.rowCount = 3;
    attrs.set(project::picture, 2, 0, "/x/c2e0-picture.png");
    attrs.set(project::sound, 2, 0, "/x/c2e0-sound.wav");
    attrs.set(project::video, 2, 0, "/x/c2e0-video.avi");
    attrs.set(project::sound, 0, 2, "/x/c0e2-sound.wav");
    attrs.set(project::video, 0, 1, "/x/c0e1-video.avi");
    attrs.set(project::sound, 3, 0, "/x/beyond-rowCount.wav");
    attrs.backgroundMusic = "/x/music.mp3";
    run();
    EXPECT_EQ(reporter.messages, (std::vector<std::string>{
                                     "info: Нет файла /x/c0e1-video.avi!",
                                     "info: Нет файла /x/c0e2-sound.wav!",
                                     "info: Нет файла /x/c2e0-sound.wav!",
                                     "info: Нет файла /x/c2e0-video.avi!",
                                     "info: Нет файла /x/c2e0-picture.png!",
                                     "info: Нет файла /x/music.mp3!",
                                 }));
    EXPECT_FALSE(fs::exists(media)); // nothing to write, so no folder either
    EXPECT_TRUE(calls().empty());
}

TEST_F(MediaPassTest, MissingSourcesAreReportedEachTimeAndSkipped) {
    attrs.rowCount = 1;
    fs::create_directories(dir.path() / "src" / "folder.wav"); // a folder is not a file
    const std::string ok = source("ok.png");
    attrs.set(project::sound, 0, 0, dir.file("src/folder.wav"));
    attrs.set(project::picture, 0, 0, ok);
    attrs.set(project::sound, 0, 1, dir.file("src/gone.wav"));
    attrs.set(project::sound, 0, 2, dir.file("src/gone.wav"));
    run();
    EXPECT_EQ(reporter.messages,
              (std::vector<std::string>{"info: Нет файла " + dir.file("src/folder.wav") + "!",
                                        "info: Нет файла " + dir.file("src/gone.wav") + "!",
                                        "info: Нет файла " + dir.file("src/gone.wav") + "!"}));
    EXPECT_EQ(mediaFiles(), (std::vector<std::string>{"ok.png"}));
}

TEST_F(MediaPassTest, TheFirstSaveCreatesTheMediaFolderWithItsParents) {
    imagePath = dir.file("new/deeper/photo.jpg");
    media = dir.file("new/deeper/qiv_zarim") + "/";
    attrs.rowCount = 1;
    const std::string pic = source("p.gif");
    attrs.set(project::picture, 0, 0, pic);
    run();
    EXPECT_EQ(readFile(media + "p.gif"), "source p.gif");
    EXPECT_TRUE(reporter.messages.empty());
}

TEST_F(MediaPassTest, RewriteFlagsDecideWhetherExistingOutputsAreRedone) {
    attrs.rowCount = 1;
    const std::string wav = source("bell.wav");
    const std::string mp3 = source("bell.mp3");
    const std::string avi = source("sea.avi");
    const std::string png = source("p.png");
    attrs.set(project::sound, 0, 0, mp3);
    attrs.set(project::video, 0, 0, avi);
    attrs.set(project::picture, 0, 0, png);
    attrs.set(project::sound, 0, 1, wav);

    for (int rewrite : {0, 1}) {
        SCOPED_TRACE(rewrite);
        fs::remove(dir.file("bin/calls.log"));
        fs::create_directories(media);
        for (const char* out : {"bell.mp3", "bell.ogg", "sea.mp4", "sea.ogv", "sea.webm", "p.png"})
            writeFile(media + out, "old");
        settings.soundRewrite = rewrite;
        settings.videoRewrite = rewrite;
        run();
        // Pictures are copied on every save.
        EXPECT_EQ(readFile(media + "p.png"), "source p.png");
        if (rewrite == 0) {
            EXPECT_TRUE(calls().empty());
            for (const char* out : {"bell.mp3", "bell.ogg", "sea.mp4", "sea.ogv", "sea.webm"})
                EXPECT_EQ(readFile(media + out), "old") << out;
        } else {
            // bell.mp3 is copied, then bell.wav's conversion replaces it: the last one wins.
            EXPECT_EQ(calls(), (std::vector<Call>{
                                   sound(mp3, "bell.ogg"),
                                   video(avi, "sea.mp4", "-y", "-y"),
                                   video(avi, "sea.ogv", "-y", "-y"),
                                   video(avi, "sea.webm", "-y", "-y"),
                                   sound(wav, "bell.mp3"),
                                   sound(wav, "bell.ogg"),
                               }));
            EXPECT_EQ(readFile(media + "bell.mp3"), "converted " + wav);
        }
    }
}

TEST_F(MediaPassTest, SharedOutputsGoToTheFirstSourceUnlessRewriting) {
    // Two sounds with one base name from different folders, and a sound named twice.
    attrs.rowCount = 2;
    const std::string wav = source("a/bell.wav");
    const std::string mp3 = source("b/bell.mp3");
    attrs.set(project::sound, 0, 0, wav);
    attrs.set(project::sound, 0, 1, mp3);
    attrs.set(project::sound, 1, 2, wav);
    run();
    EXPECT_EQ(calls(), (std::vector<Call>{sound(wav, "bell.mp3"), sound(wav, "bell.ogg")}));
    EXPECT_EQ(readFile(media + "bell.mp3"), "converted " + wav);
    EXPECT_EQ(progress, (std::vector<std::string>{"1/2 bell.mp3", "2/2 bell.ogg"}));

    fs::remove_all(media);
    fs::remove(dir.file("bin/calls.log"));
    progress.clear();
    settings.soundRewrite = 1;
    run();
    // Every reference is processed again: the sound named twice is converted twice.
    EXPECT_EQ(calls(), (std::vector<Call>{sound(wav, "bell.mp3"), sound(wav, "bell.ogg"),
                                          sound(mp3, "bell.ogg"), sound(wav, "bell.mp3"),
                                          sound(wav, "bell.ogg")}));
    EXPECT_EQ(progress, (std::vector<std::string>{"1/5 bell.mp3", "2/5 bell.ogg", "3/5 bell.ogg",
                                                  "4/5 bell.mp3", "5/5 bell.ogg"}));
}

TEST_F(MediaPassTest, WithoutAConverterOnlyTheCopiesAreMade) {
    attrs.rowCount = 1;
    attrs.set(project::sound, 0, 0, source("bell.ogg"));
    attrs.set(project::video, 0, 0, source("sea.avi"));
    attrs.set(project::picture, 0, 0, source("p.jpg"));
    for (std::string path : {std::string(), dir.file("bin/none"), dir.file("bin")}) {
        SCOPED_TRACE(path);
        fs::remove_all(media);
        settings.ffmpegPath = path;
        run();
        EXPECT_EQ(mediaFiles(), (std::vector<std::string>{"bell.ogg", "p.jpg"}));
        EXPECT_TRUE(reporter.messages.empty());
        EXPECT_TRUE(progress.empty());
    }
}

TEST_F(MediaPassTest, AFailedRunLeavesNoOutputItHadStarted) {
    attrs.rowCount = 1;
    const std::string wav = source("bell.wav");
    attrs.set(project::sound, 0, 0, wav);
    attrs.set(project::picture, 0, 0, source("p.png"));

    settings.ffmpegPath = installConverter("partial", "printf 'half' > \"$last\"; exit 1");
    run();
    EXPECT_EQ(calls().size(), 2u);
    EXPECT_EQ(mediaFiles(), (std::vector<std::string>{"p.png"})); // the pass went on
    EXPECT_TRUE(reporter.messages.empty());                       // and said nothing

    // A run that fails before touching an existing output leaves it as it was.
    writeFile(media + "bell.mp3", "earlier");
    settings.soundRewrite = 1;
    settings.ffmpegPath = installConverter("refuses", "exit 1");
    run();
    EXPECT_EQ(readFile(media + "bell.mp3"), "earlier");
    EXPECT_FALSE(fs::exists(media + "bell.ogg"));

    // A converter that cannot be started at all: nothing written, nothing said.
    const std::string broken = dir.file("bin/broken");
    writeFile(broken, "not a program");
    settings.ffmpegPath = broken;
    fs::remove(media + "bell.mp3");
    run();
    EXPECT_EQ(mediaFiles(), (std::vector<std::string>{"p.png"}));
    EXPECT_TRUE(reporter.messages.empty());
}

TEST_F(MediaPassTest, AMediaFolderThatCannotBeMadeIsReportedOnce) {
    writeFile(dir.file("page/qiv_zarim"), "a file in the way");
    attrs.rowCount = 1;
    attrs.set(project::sound, 0, 0, source("a.wav"));
    attrs.set(project::picture, 0, 1, source("b.png"));
    attrs.backgroundMusic = dir.file("src/missing.wav");
    run();
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0].rfind("error: ", 0), 0u);
    EXPECT_NE(reporter.messages[0].find(dir.file("page/qiv_zarim")), std::string::npos);
    EXPECT_TRUE(calls().empty());
}

TEST_F(MediaPassTest, EachArgumentReachesTheConverterWhole) {
    attrs.rowCount = 1;
    const std::string odd = source("it's a \"quoted\" $HOME *.wav");
    attrs.set(project::sound, 0, 0, odd);
    run();
    EXPECT_EQ(calls(), (std::vector<Call>{sound(odd, "it's a \"quoted\" $HOME *.mp3"),
                                          sound(odd, "it's a \"quoted\" $HOME *.ogg")}));
}

TEST(PosixProcessRunner, ReportsTheExitStatusOrThatItCouldNotStart) {
    publish::PosixProcessRunner runner;
    EXPECT_EQ(runner.run("/bin/sh", {"-c", "exit 0"}, ""), 0);
    EXPECT_EQ(runner.run("/bin/sh", {"-c", "exit 3"}, ""), 3);
    EXPECT_EQ(runner.run("/bin/sh", {"-c", "kill -9 $$"}, ""), -1);
    EXPECT_EQ(runner.run("/nonexistent/ffmpeg", {}, ""), -1);
}

} // namespace
