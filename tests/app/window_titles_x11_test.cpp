// The window captions as a desktop user sees them: the built program on a real X server
// (Xvfb, on a display of its own), its titles read back with xwininfo.
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using testing_support::TempDir;

// Starts `argv` with `env` added to this process's environment; -1 when it cannot start.
pid_t spawn(std::vector<std::string> argv, const std::vector<std::string>& env,
            posix_spawn_file_actions_t* actions = nullptr) {
    std::vector<std::string> envStrings;
    for (char** e = environ; *e; ++e) {
        const std::string entry(*e);
        bool overridden = false;
        for (const std::string& add : env)
            overridden |= entry.compare(0, add.find('=') + 1, add, 0, add.find('=') + 1) == 0;
        if (!overridden) envStrings.push_back(entry);
    }
    envStrings.insert(envStrings.end(), env.begin(), env.end());
    std::vector<char*> args, envp;
    for (std::string& a : argv)
        args.push_back(a.data());
    args.push_back(nullptr);
    for (std::string& e : envStrings)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, args[0], actions, nullptr, args.data(), envp.data()) != 0) return -1;
    return pid;
}

void stop(pid_t& pid) {
    if (pid <= 0) return;
    ::kill(pid, SIGTERM);
    int status = 0;
    for (int i = 0; i < 50 && ::waitpid(pid, &status, WNOHANG) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (::waitpid(pid, &status, WNOHANG) == 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
    }
    pid = -1;
}

// An Xvfb server on the first free display, which it chooses and reports itself.
class XServer {
  public:
    XServer() {
        int fds[2];
        if (::pipe(fds) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        m_pid =
            spawn({"Xvfb", "-displayfd", "3", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"},
                  {}, &actions);
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        std::string number;
        pollfd p{fds[0], POLLIN, 0};
        char c = 0;
        while (::poll(&p, 1, 10000) > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        ::close(fds[0]);
        if (!number.empty()) m_display = ":" + number;
    }
    ~XServer() { stop(m_pid); }
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    // Empty when the server did not start.
    const std::string& display() const { return m_display; }

  private:
    pid_t m_pid = -1;
    std::string m_display;
};

// The names of the program's own windows on the display, as xwininfo shows them.
std::vector<std::string> windowTitles(const std::string& display, const TempDir& dir) {
    const testing_support::ProgramRun run = testing_support::runProgram(
        "/usr/bin/xwininfo", {"-display", display, "-root", "-tree"}, dir.path().string());
    std::vector<std::string> titles;
    std::size_t at = 0;
    // Lines look like: 0x400007 "Name": ("class" "Class")  861x550+0+0  +0+0
    while ((at = run.out.find("0x", at)) != std::string::npos) {
        const std::size_t end = run.out.find('\n', at);
        const std::string line = run.out.substr(at, end - at);
        at = end;
        const std::size_t open = line.find(" \"");
        const std::size_t close = line.rfind("\": (\"");
        // Only windows with a class: Qt's hidden helper windows have none.
        if (open != std::string::npos && close != std::string::npos && close > open)
            titles.push_back(line.substr(open + 2, close - open - 2));
    }
    return titles;
}

bool contains(const std::vector<std::string>& titles, const std::string& title) {
    return std::find(titles.begin(), titles.end(), title) != titles.end();
}

class WindowTitles : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(std::filesystem::exists(QZ_BINARY_DIR "/qiv-zarim-editor"));
        ASSERT_FALSE(server.display().empty()) << "Xvfb (package xvfb) did not start";
        for (const char* sub : {"home", "config", "data", "cache", "runtime"})
            std::filesystem::create_directories(dir.path() / sub);
        std::filesystem::permissions(dir.path() / "runtime", std::filesystem::perms::owner_all);
    }
    void TearDown() override { stop(editor); }

    // Starts the editor with `args` on the server and waits until the windows named
    // `expected` are all shown; returns every title then on the display.
    std::vector<std::string> startAndWaitFor(const std::vector<std::string>& args,
                                             const std::vector<std::string>& expected) {
        std::vector<std::string> argv{QZ_BINARY_DIR "/qiv-zarim-editor"};
        argv.insert(argv.end(), args.begin(), args.end());
        const std::string d = dir.path().string();
        editor =
            spawn(argv, {"DISPLAY=" + server.display(), "QT_QPA_PLATFORM=xcb",
                         "SDL_AUDIODRIVER=dummy", "LC_ALL=C.UTF-8", "HOME=" + d + "/home",
                         "XDG_CONFIG_HOME=" + d + "/config", "XDG_DATA_HOME=" + d + "/data",
                         "XDG_CACHE_HOME=" + d + "/cache", "XDG_RUNTIME_DIR=" + d + "/runtime"});
        EXPECT_GT(editor, 0);
        std::vector<std::string> titles;
        for (int i = 0; i < 150; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            titles = windowTitles(server.display(), dir);
            bool all = true;
            for (const std::string& t : expected)
                all &= contains(titles, t);
            if (all) break;
        }
        return titles;
    }

    static std::string joined(const std::vector<std::string>& titles) {
        std::string out;
        for (const std::string& t : titles)
            out += "[" + t + "] ";
        return out;
    }

    TempDir dir;
    XServer server;
    pid_t editor = -1;
};

} // namespace

TEST_F(WindowTitles, ABareStartShowsTheProgramsCaptionAndNoPicture) {
    const std::vector<std::string> titles = startAndWaitFor({}, {"Qiv Zarim Editor", "Палитра"});
    EXPECT_TRUE(contains(titles, "Qiv Zarim Editor")) << joined(titles);
    EXPECT_TRUE(contains(titles, "Палитра")) << joined(titles);
    for (const std::string& t : titles) {
        EXPECT_EQ(t.find("Qiv Zarim Editor - "), std::string::npos) << t; // no picture opened
        EXPECT_EQ(t.find(" — "), std::string::npos) << t;                 // no added suffix
    }
}

TEST_F(WindowTitles, AnOpenedPictureNamesItsPathExactly) {
    const std::string picture = dir.file("photo.png");
    std::filesystem::copy_file(QZ_SOURCE_DIR "/data/sample/sample.png", picture);
    const std::string mainTitle = "Qiv Zarim Editor - " + picture;
    const std::vector<std::string> titles = startAndWaitFor({picture}, {mainTitle, "Палитра"});
    EXPECT_TRUE(contains(titles, mainTitle)) << joined(titles);
    EXPECT_TRUE(contains(titles, "Палитра")) << joined(titles);
    for (const std::string& t : titles)
        EXPECT_EQ(t.find(" — "), std::string::npos) << t;
}
