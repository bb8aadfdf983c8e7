#include "publish/export_settings.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

using publish::ExportSettings;
using publish::readSettingsFile;
using testing_support::readFile;
using testing_support::TempDir;
using testing_support::writeFile;

namespace {

ExportSettings readText(const std::string& text, const std::string& ffmpeg = "") {
    TempDir dir;
    writeFile(dir.file("q.ini"), text);
    return readSettingsFile(dir.file("q.ini"), ffmpeg);
}

} // namespace

TEST(SettingsFile, MissingFileGivesStartValues) {
    TempDir dir;
    const ExportSettings s = readSettingsFile(dir.file("none.ini"), "/usr/bin/ffmpeg");
    EXPECT_EQ(s.ffmpegPath, "/usr/bin/ffmpeg");
    EXPECT_EQ(s.soundRewrite, 0);
    EXPECT_EQ(s.soundChannels, 2);
    EXPECT_EQ(s.soundBitrate, "128k");
    EXPECT_EQ(s.videoRewrite, 0);
    EXPECT_EQ(s.videoBitrate, "512k");
}

TEST(SettingsFile, ReadingRules) {
    struct Case {
        const char* text;
        std::string ffmpeg;
        int soundRewrite, soundChannels;
        std::string soundBitrate, videoBitrate;
    };
    const Case cases[] = {
        {"SOUND_CHANNELS=1\r\n", "/found", 0, 1, "128k", "512k"},
        {"SOUND_REWRITE=abc\n", "/found", 0, 2, "128k", "512k"},
        {"SOUND_REWRITE=1x\n", "/found", 1, 2, "128k", "512k"},
        {"SOUND_REWRITE=  -7z\n", "/found", -7, 2, "128k", "512k"},
        {"sound_bitrate=64k\n", "/found", 0, 2, "128k", "512k"},
        {"FFMPEG=\r\n", "", 0, 2, "128k", "512k"},
        {"FFMPEG= /x y\r\n", " /x y", 0, 2, "128k", "512k"},
        {" SOUND_BITRATE=64k\n", "/found", 0, 2, "128k", "512k"},
        {"VIDEO_BITRATE=1M\r\nVIDEO_BITRATE=2M\r\n", "/found", 0, 2, "128k", "2M"},
        {"SOUND_BITRATE=96k\rVIDEO_BITRATE=1M", "/found", 0, 2, "96k\rVIDEO_BITRATE=1M", "512k"},
        {"SOUND_CHANNELS=99999999999\n", "/found", 0, 2147483647, "128k", "512k"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const ExportSettings s = readText(c.text, "/found");
        EXPECT_EQ(s.ffmpegPath, c.ffmpeg);
        EXPECT_EQ(s.soundRewrite, c.soundRewrite);
        EXPECT_EQ(s.soundChannels, c.soundChannels);
        EXPECT_EQ(s.soundBitrate, c.soundBitrate);
        EXPECT_EQ(s.videoBitrate, c.videoBitrate);
    }
}

TEST(SettingsFile, LongLinesArriveInPiecesOf199) {
    const std::string path = std::string(192, 'p');
    const std::string rest = std::string(51 - 14, 'q');
    // 7 + 192 = 199 characters, then 51 more: "SOUND_BITRATE=" + 37 characters.
    const ExportSettings s = readText("FFMPEG=" + path + "SOUND_BITRATE=" + rest + "\r\n");
    EXPECT_EQ(s.ffmpegPath, path);
    EXPECT_EQ(s.soundBitrate, rest);

    const ExportSettings ignored = readText("FFMPEG=" + std::string(243, 'a') + "\r\n");
    EXPECT_EQ(ignored.ffmpegPath, std::string(192, 'a'));
}

TEST(SettingsFile, WritesSixLinesInOrderWithCrLf) {
    TempDir dir;
    ExportSettings s;
    s.ffmpegPath = "/opt/ffmpeg/bin/ffmpeg";
    s.soundRewrite = 1;
    s.soundChannels = 1;
    s.videoBitrate = "1M";
    ASSERT_TRUE(publish::writeSettingsFile(dir.file("q.ini"), s));
    EXPECT_EQ(readFile(dir.file("q.ini")),
              "FFMPEG=/opt/ffmpeg/bin/ffmpeg\r\nSOUND_REWRITE=1\r\nSOUND_CHANNELS=1\r\n"
              "SOUND_BITRATE=128k\r\nVIDEO_REWRITE=0\r\nVIDEO_BITRATE=1M\r\n");
    const ExportSettings back = readSettingsFile(dir.file("q.ini"), "");
    EXPECT_EQ(back.ffmpegPath, s.ffmpegPath);
    EXPECT_EQ(back.soundChannels, 1);
    EXPECT_EQ(back.videoBitrate, "1M");
    EXPECT_FALSE(publish::writeSettingsFile(dir.file("missing/q.ini"), s));
}
