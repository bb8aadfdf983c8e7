// Publishing with the real converter: the program's headless mode converts generated sources,
// and every output must be a file the converter itself reads back in the expected format.
#include "common/file_io.h"
#include "project/attribute_file.h"
#include "project/project_state.h"
#include "project/region_attributes.h"
#include "publish/export_settings.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using testing_support::readFile;

const char* const kFfmpeg = "/usr/bin/ffmpeg";
const char* const kFfprobe = "/usr/bin/ffprobe";
const std::string kEditor = QZ_BINARY_DIR "/qiv-zarim-editor";

// Runs `program` with `args`, its standard output and error written to `outputFile`; the exit
// status, or -1.
int runTo(const std::string& program, const std::vector<std::string>& args,
          const std::string& outputFile) {
    const auto run =
        testing_support::runProgram(program, args, fs::path(outputFile).parent_path().string());
    testing_support::writeFile(outputFile, run.out + run.err);
    return run.exitCode;
}

// What ffprobe says about a file: "format" and, per stream type, the codec name.
std::map<std::string, std::string> probe(const std::string& file, const std::string& log) {
    std::map<std::string, std::string> out;
    if (runTo(kFfprobe,
              {"-v", "error", "-show_entries", "format=format_name:stream=codec_type,codec_name",
               "-of", "default=noprint_wrappers=1", file},
              log) != 0)
        return out;
    std::istringstream text(readFile(log));
    std::string line, codec;
    while (std::getline(text, line)) {
        const auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key == "codec_name")
            codec = value;
        else if (key == "codec_type")
            out[value] = codec;
        else if (key == "format_name")
            out["format"] = value;
    }
    return out;
}

TEST(MediaEndToEnd, PublishingConvertsSoundsAndVideosWithTheRealConverter) {
    if (!common::fileExists(kFfmpeg) || !common::fileExists(kFfprobe))
        GTEST_SKIP() << "ffmpeg or ffprobe is not installed";
    if (!common::fileExists(kEditor) || !fs::is_directory(QZ_BINARY_DIR "/template"))
        GTEST_SKIP() << "the editor and its templates are not built";
    // The program takes the converter from its settings file, else from PATH.
    const publish::ExportSettings settings = publish::readSettingsFile(
        QZ_BINARY_DIR "/Qiv_Zarim_Editor.ini", publish::findOnPath("ffmpeg"));
    if (!common::fileExists(settings.ffmpegPath))
        GTEST_SKIP() << "the editor's settings name no converter";

    testing_support::TempDir dir;
    const std::string log = dir.file("log.txt");
    const std::string picture = dir.file("photo.png");
    const std::string tone = dir.file("sources/tone.wav");
    const std::string clip = dir.file("sources/clip one.avi");
    fs::create_directories(dir.path() / "sources");
    ASSERT_EQ(runTo(kFfmpeg,
                    {"-v", "error", "-f", "lavfi", "-i", "color=c=gray:s=32x24", "-frames:v", "1",
                     "-y", picture},
                    log),
              0)
        << readFile(log);
    ASSERT_EQ(
        runTo(kFfmpeg,
              {"-v", "error", "-f", "lavfi", "-i", "sine=frequency=440:duration=1", "-y", tone},
              log),
        0)
        << readFile(log);
    ASSERT_EQ(runTo(kFfmpeg,
                    {"-v", "error", "-f", "lavfi", "-i", "testsrc=duration=1:size=160x120:rate=10",
                     "-y", clip},
                    log),
              0)
        << readFile(log);

    project::RegionAttributes attrs;
    attrs.set(project::sound, 1, project::onClick, tone);
    attrs.set(project::video, 1, project::onMouseOver, clip);
    attrs.set(project::videoWidth, 1, project::onMouseOver, "80");
    attrs.set(project::videoHeight, 1, project::onMouseOver, "60");
    attrs.backgroundMusic = tone; // the same outputs again: left alone without rewriting
    ASSERT_TRUE(project::writeAttributeFile(project::attributeFilePath(picture), attrs));

    const std::string console = dir.file("console.txt");
    ASSERT_EQ(runTo(kEditor, {"--publish", picture, "--no-effect"}, console), 0)
        << readFile(console);
    const std::string said = readFile(console);
    EXPECT_NE(said.find("Данные сохранены!"), std::string::npos) << said;
    EXPECT_NE(said.find("Преобразование 1 из 5"), std::string::npos) << said;
    EXPECT_NE(said.find("Преобразование 5 из 5"), std::string::npos) << said;
    EXPECT_EQ(said.find("Преобразование 6"), std::string::npos) << said;

    struct Expected {
        const char* file;
        const char* format; // a part of ffprobe's format name
        const char* stream;
        std::vector<std::string> codecs; // any of these
    };
    const Expected outputs[] = {
        {"tone.mp3", "mp3", "audio", {"mp3"}},
        {"tone.ogg", "ogg", "audio", {"vorbis"}},
        {"clip one.mp4", "mp4", "video", {"h264"}},
        {"clip one.ogv", "ogg", "video", {"theora"}},
        {"clip one.webm", "webm", "video", {"vp8", "vp9"}},
    };
    for (const Expected& e : outputs) {
        SCOPED_TRACE(e.file);
        const std::string path = dir.file(std::string("qiv_zarim/") + e.file);
        ASSERT_TRUE(common::fileExists(path));
        const auto found = probe(path, log);
        EXPECT_NE(found.count("format") ? found.at("format").find(e.format) : std::string::npos,
                  std::string::npos)
            << readFile(log);
        const std::string codec = found.count(e.stream) ? found.at(e.stream) : "";
        EXPECT_NE(std::find(e.codecs.begin(), e.codecs.end(), codec), e.codecs.end()) << codec;
    }
    // The size given in the table reaches the converter.
    ASSERT_EQ(runTo(kFfprobe,
                    {"-v", "error", "-select_streams", "v:0", "-show_entries",
                     "stream=width,height", "-of", "csv=p=0", dir.file("qiv_zarim/clip one.mp4")},
                    log),
              0);
    EXPECT_EQ(readFile(log), "80,60\n");
}

} // namespace
