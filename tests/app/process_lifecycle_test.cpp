// The program as a whole: a copy of the executable in another folder runs from there, and a
// termination signal ends it through the normal exit path, writing the settings file.
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

// Waits up to `limit` for the child to end; -1 when it did not.
int waitForExit(pid_t pid, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
}

} // namespace

TEST(ProgramLifecycle, RelocatedCopyWritesItsSettingsOnTermination) {
    const fs::path exe = QZ_BINARY_DIR "/qiv-zarim-editor";
    if (!fs::exists(exe)) GTEST_SKIP() << "the editor is not built";
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        testing_support::TempDir dir;
        fs::copy_file(exe, dir.path() / "qiv-zarim-editor");
        const std::string ini = dir.file("Qiv_Zarim_Editor.ini");
        testing_support::writeFile(
            ini, "SOUND_CHANNELS=1\r\nVIDEO_BITRATE=384k\r\nVIDEO_BITRATE=768k\r\n");

        std::vector<std::string> env;
        for (char** e = environ; *e; ++e)
            if (std::string(*e).rfind("PATH=", 0) != 0 &&
                std::string(*e).rfind("QT_QPA_PLATFORM=", 0) != 0)
                env.emplace_back(*e);
        env.emplace_back("QT_QPA_PLATFORM=offscreen");
        env.emplace_back("PATH=/nonexistent"); // no ffmpeg on PATH: the path starts empty
        std::vector<char*> envp;
        for (auto& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        std::string program = (dir.path() / "qiv-zarim-editor").string();
        char* argv[] = {program.data(), nullptr};

        pid_t pid = 0;
        ASSERT_EQ(posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, envp.data()), 0);
        std::this_thread::sleep_for(std::chrono::seconds(2)); // start-up
        kill(pid, sig);
        const int code = waitForExit(pid, std::chrono::seconds(20));
        if (code < 0) kill(pid, SIGKILL), waitpid(pid, nullptr, 0);
        EXPECT_EQ(code, 0) << "signal " << sig;
        EXPECT_EQ(testing_support::readFile(ini),
                  "FFMPEG=\r\nSOUND_REWRITE=0\r\nSOUND_CHANNELS=1\r\nSOUND_BITRATE=128k\r\n"
                  "VIDEO_REWRITE=0\r\nVIDEO_BITRATE=768k\r\n")
            << "signal " << sig;
    }
}
