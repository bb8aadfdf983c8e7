// The program's headless publishing mode, run as a separate process as a script would.
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using testing_support::ProgramRun;

ProgramRun runEditor(const std::vector<std::string>& args, const testing_support::TempDir& dir) {
    return testing_support::runProgram(QZ_BINARY_DIR "/qiv-zarim-editor", args,
                                       dir.path().string());
}

class HeadlessPublish : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!std::filesystem::exists(QZ_BINARY_DIR "/qiv-zarim-editor"))
            GTEST_SKIP() << "the editor is not built";
        for (const char* name : {"sample.png", "sample.map", "sample.zarm"})
            std::filesystem::copy_file(std::string(QZ_SOURCE_DIR "/data/sample/") + name,
                                       dir.path() / name);
    }
    testing_support::TempDir dir;
};

} // namespace

TEST_F(HeadlessPublish, PublishesTheSampleProject) {
    const ProgramRun run = runEditor({"--publish", dir.file("sample.png")}, dir);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "Данные сохранены!\n");
    for (const char* name : {"sample.html", "zarm_sample.js", "qiv_zarim.css"})
        EXPECT_TRUE(std::filesystem::exists(dir.path() / name)) << name;
    const std::string script = testing_support::readFile(dir.file("zarm_sample.js"));
    EXPECT_NE(script.find("SRC_WIDTH=800; SRC_HEIGHT=500;"), std::string::npos);
    EXPECT_NE(script.find("// Image effects"), std::string::npos);
    EXPECT_NE(script.find("MM=20; NN=20;"), std::string::npos);
}

TEST_F(HeadlessPublish, EffectOptions) {
    ProgramRun run = runEditor(
        {"--publish", dir.file("sample.png"), "--effect-grid", "30x10", "--effect-depth", "4"},
        dir);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::string script = testing_support::readFile(dir.file("zarm_sample.js"));
    EXPECT_NE(script.find("MM=30; NN=10;"), std::string::npos);
    EXPECT_NE(script.find("100*4/20"), std::string::npos);

    run = runEditor({"--publish", dir.file("sample.png"), "--no-effect"}, dir);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    script = testing_support::readFile(dir.file("zarm_sample.js"));
    EXPECT_EQ(script.find("// Image effects"), std::string::npos);
    EXPECT_EQ(script.find("[EFFECT]"), std::string::npos);
}

TEST_F(HeadlessPublish, FailuresExitNonZero) {
    const std::pair<std::vector<std::string>, int> cases[] = {
        {{"--publish", dir.file("missing.png")}, 1},
        {{"--publish"}, 2},
        {{"--publish", dir.file("sample.png"), "--effect-grid", "5x20"}, 2},
        {{"--publish", dir.file("sample.png"), "--effect-depth", "x"}, 2},
        {{"--publish", dir.file("sample.png"), "--bogus"}, 2},
    };
    for (const auto& [args, code] : cases) {
        const ProgramRun run = runEditor(args, dir);
        EXPECT_EQ(run.exitCode, code) << args.back();
        EXPECT_FALSE(run.err.empty());
        EXPECT_EQ(run.out, "");
    }
}

TEST_F(HeadlessPublish, ReportsAnUnwritableFolderOnStderr) {
    std::filesystem::create_directory(dir.path() / "sample.html"); // the page cannot be created
    const ProgramRun run = runEditor({"--publish", dir.file("sample.png")}, dir);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("sample.html"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
}
