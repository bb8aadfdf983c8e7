// Headless publishing takes the background music from the attribute file as the background
// music window would after opening the picture: the volume limited and cut to the slider's
// hundredths, the loop flag "1" or "0". Runs the built program as a script would.
#include "project/attribute_file.h"
#include "project/project_state.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

std::string lastLine(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    const std::size_t start = text.rfind('\n');
    return start == std::string::npos ? text : text.substr(start + 1);
}

} // namespace

TEST(HeadlessMusic, PublishesTheBackgroundValuesAsTheMusicWindowWould) {
    if (!std::filesystem::exists(QZ_BINARY_DIR "/qiv-zarim-editor"))
        GTEST_SKIP() << "the editor is not built";
    struct Case {
        const char* volume;
        const char* loop;
        std::string settledVolume;
        std::string settledLoop;
    };
    const Case cases[] = {
        {"0.555", "", "0.55", "0"},
        {"0.29", "1", "0.29", "1"},
        {"3", "yes", "1", "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.volume) + " / " + c.loop);
        testing_support::TempDir dir;
        const std::string picture = dir.file("scene.png");
        std::filesystem::copy_file(QZ_SOURCE_DIR "/data/sample/sample.png", picture);
        project::RegionAttributes attrs;
        attrs.backgroundVolume = c.volume;
        attrs.backgroundLoop = c.loop;
        ASSERT_TRUE(project::writeAttributeFile(project::attributeFilePath(picture), attrs));

        const testing_support::ProgramRun run = testing_support::runProgram(
            QZ_BINARY_DIR "/qiv-zarim-editor", {"--publish", picture}, dir.path().string());
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const std::string script = testing_support::readFile(dir.file("zarm_scene.js"));
        EXPECT_NE(script.find("'','" + c.settledVolume + "','" + c.settledLoop + "');"),
                  std::string::npos)
            << script;
        EXPECT_EQ(lastLine(testing_support::readFile(project::attributeFilePath(picture))),
                  "\t" + c.settledVolume + "\t" + c.settledLoop);
    }
}
