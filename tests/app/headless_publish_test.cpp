// The program's headless publishing mode, run as a separate process as a script would.
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

struct EditorRun {
    int exitCode = -1;
    std::string out, err;
};

EditorRun runEditor(const std::vector<std::string>& args, const testing_support::TempDir& dir) {
    const std::string exe = QZ_BINARY_DIR "/qiv-zarim-editor";
    std::vector<std::string> all{exe};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const std::string outPath = dir.file("stdout.txt"), errPath = dir.file("stderr.txt");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    pid_t pid = 0;
    EditorRun run;
    if (posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    run.out = testing_support::readFile(outPath);
    run.err = testing_support::readFile(errPath);
    return run;
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
    const EditorRun run = runEditor({"--publish", dir.file("sample.png")}, dir);
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
    EditorRun run = runEditor({"--publish", dir.file("sample.png"), "--effect-grid", "30x10",
                         "--effect-depth", "4"},
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
        const EditorRun run = runEditor(args, dir);
        EXPECT_EQ(run.exitCode, code) << args.back();
        EXPECT_FALSE(run.err.empty());
        EXPECT_EQ(run.out, "");
    }
}

TEST_F(HeadlessPublish, ReportsAnUnwritableFolderOnStderr) {
    std::filesystem::create_directory(dir.path() / "sample.html"); // the page cannot be created
    const EditorRun run = runEditor({"--publish", dir.file("sample.png")}, dir);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("sample.html"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
}
